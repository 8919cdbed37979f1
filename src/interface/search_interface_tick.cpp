// tmrSearchInterfaceTimer: find the K730-6W among the candidate ports, run its
// handshake and hand over to the encoder search.
#include "app/Velor_SPI_Main.h"
#include "app/window_colors.h"
#include "interface/handshake.h"
#include "interface/k730_commands.h"
#include "interface/port_list.h"
#include "serial/Serial_driver.h"
#include "util/Orodja.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTimer>

namespace {

QString Latin(const std::string& bytes) {
    return QString::fromLatin1(bytes);
}
} // namespace

void TMainForm::tmrSearchInterfaceTimer() {
    SetTimerEnabled(tmrSearchInterface, false);
    SetTimerEnabled(tmrSearchEncoder, false);
    pnlPosition->setPalette(QPalette(WindowColors::ButtonFace()));
    lblComPort->clear();
    lblInterfaceVer->clear();
    lblInterfaceSerial->clear();
    K730_H.reset();

    WindowColors::SetFontColor(lblPosUnit, WindowColors::Orange);
    lblPosUnit->setText(lblPosUnit->text().isEmpty() ? QStringLiteral("Searching for interface...")
                                                     : QString());
    lblPosUnit->repaint(); // the probe keeps the window busy

    COMPorts = env_.ListPorts();

    std::string foundPort;
    for (const std::string& port : COMPorts) {
        Serial_driver::OpenError error = Serial_driver::OpenError::None;
        K730_H = env_.Opener->Open(port, error);
        if (!K730_H) {
            // The only thing worth telling: a port we may not open, once per run.
            if (error == Serial_driver::OpenError::PermissionDenied && !permissionReported_) {
                permissionReported_ = true;
                AddLog(QStringLiteral("No permission to open ") + Latin(port) +
                       QStringLiteral(": add the user to the group that owns it (usually "
                                      "dialout) and log in again."));
            }
            continue;
        }
        QCoreApplication::processEvents();
        if (!K730_H)
            continue; // a handler run in that pass may have dropped the port
        if (!K730_H->SaveSettings()) {
            K730_H.reset();
            continue;
        }
        if (!K730_H->ApplySettings()) {
            K730_H.reset();
            continue;
        }
        const int status = Serial_driver::InterfaceCommand(
            K730_H.get(), K730::Identify, K730::IdentifyReplyLength, K730identifikacija);
        if (K730::IsIdentification(status, K730identifikacija)) {
            AddLog(QStringLiteral("Interface found on ") + Latin(Interface::PortDisplayName(port)));
            foundPort = port;
            break;
        }
        (void)K730_H->RestoreSettings();
        K730_H.reset();
    }
    QApplication::restoreOverrideCursor();

    if (foundPort.empty()) {
        SetTimerEnabled(tmrSearchInterface, true);
        return;
    }

    lblComPort->setText(Latin(Interface::PortDisplayName(foundPort)));
    std::string reply;
    (void)Serial_driver::InterfaceCommand(K730_H.get(), K730::FirmwareRevision, 0, reply);
    K730RevizijaFW = K730::ParseFirmwareRevision(reply);
    K730identifikacija = Orodja::KeepPrintable(K730identifikacija);
    lblInterfaceVer->setText(Latin(K730identifikacija) + QStringLiteral(".") +
                             QString::number(K730RevizijaFW));
    K730verzija = K730::VersionText(K730identifikacija, K730RevizijaFW);
    K730Serijska.clear();
    (void)Serial_driver::InterfaceCommand(K730_H.get(), K730::SerialNumber, 0, K730Serijska);
    K730Serijska = Orodja::KeepAlphanumeric(K730Serijska);
    lblInterfaceSerial->setText(QStringLiteral("Serial: ") + Latin(K730Serijska));
    UpdateCaption();

    const std::pair<std::string_view, const char*> setup[] = {
        {K730::ProtocolSetup, "Protocol settings: "},
        {K730::SpiSetup1, "SPI settings: "},
        {K730::SpiSetup2, "SPI settings: "}};
    for (auto [command, prefix] : setup) {
        const int status = Serial_driver::InterfaceCommand(K730_H.get(), command, 0, reply);
        const QString printable = Latin(Orodja::KeepPrintable(reply));
        const QString message = QStringLiteral("Interface error: ") + Latin(std::string(command)) +
                                QStringLiteral(" -> ") + printable;
        if (status != 0)
            ShowBox(true, message);
        if (K730::IsRefusal(reply))
            ShowBox(true, message);
        AppendLogLine(QString::fromLatin1(prefix) + printable);
    }
    ScrollLog();

    cmbFreqSPI->setCurrentIndex(K730::DefaultClockIndex);
    cmbFreqSPIChange();
    rbPwr5vClick();
    UpdateSupplyStatus();

    WindowColors::SetFontColor(lblPosUnit, WindowColors::Green);
    lblPosUnit->setText(QStringLiteral("Searching for encoder..."));
    lblPosUnit->repaint();
    SetTimerEnabled(tmrSearchEncoder, true);
}
