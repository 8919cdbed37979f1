// The box's encoder supply and SPI clock: rbPwr5vClick, rbPwrOffClick,
// cmbFreqSPIChange and UpdateSupplyStatus.
#include "app/Velor_SPI_Main.h"
#include "interface/handshake.h"
#include "interface/k730_commands.h"
#include "serial/Serial_driver.h"
#include "util/Orodja.h"

#include <QComboBox>
#include <QLabel>
#include <QTabWidget>

namespace {
QString SupplyError(std::string_view command, const std::string& reply) {
    return QStringLiteral("Error setting power supply! (") +
           QString::fromLatin1(command.data(), static_cast<qsizetype>(command.size())) +
           QStringLiteral(") -> (") + QString::fromLatin1(Orodja::KeepPrintable(reply)) +
           QStringLiteral(")");
}
} // namespace

void TMainForm::rbPwr5vClick() {
    std::string reply;
    (void)Serial_driver::InterfaceCommand(K730_H.get(), K730::Supply5V, 0, reply);
    if (!std::string_view(reply).starts_with(K730::Supply5V))
        ShowBox(true, SupplyError(K730::Supply5V, reply));
    std::string onReply;
    (void)Serial_driver::InterfaceCommand(K730_H.get(), K730::SupplyOn, 0, onReply);
    if (!std::string_view(onReply).starts_with(K730::SupplyOnReply))
        ShowBox(true, SupplyError(K730::SupplyOn, onReply));
    env_.SleepMs(K730::SupplySettleMs);
}

void TMainForm::rbPwrOffClick() {
    std::string reply;
    (void)Serial_driver::InterfaceCommand(K730_H.get(), K730::SupplyOff, 0, reply);
    if (!std::string_view(reply).starts_with(K730::SupplyOffReply))
        ShowBox(true, SupplyError(K730::SupplyOff, reply));
    env_.SleepMs(K730::SupplySettleMs);
}

void TMainForm::cmbFreqSPIChange() {
    const int d = cmbFreqSPI->currentIndex() + 1;
    std::string reply;
    int status = Serial_driver::InterfaceCommand(K730_H.get(), K730::ClockCommand(d - 1), 0, reply);
    if (status == 0) {
        status = Serial_driver::InterfaceCommand(K730_H.get(), K730::SpiClockQuery, 0, reply);
        if (status == 0) {
            reply = Orodja::Trim(reply);
            AppendLogLine(QStringLiteral("SPI frequency: ") + QString::fromLatin1(reply));
        }
    }
    if (reply.empty())
        ShowBox(true, QStringLiteral("SPI Frequency setting ") + QString::number(d) +
                          QStringLiteral(" failed!"));
}

void TMainForm::UpdateSupplyStatus() {
    if (Pages->currentWidget() != tabSysCfg)
        return;
    std::string reply;
    (void)Serial_driver::InterfaceCommand(K730_H.get(), K730::SupplyStatus, 0, reply);
    lblEncPwrStatus->setText(QString::fromLatin1(Orodja::Trim(reply)));
}
