// tmrReadEncoderTimer: one encoder command per tick, chosen by the open page;
// the position display, the auxiliary values and the hand-over on a loss.
#include "app/Velor_SPI_Main.h"
#include "app/widgets/lamp_panel.h"
#include "app/widgets/spin_edit.h"
#include "app/window_colors.h"
#include "encoder/Velor_konstante.h"
#include "monitor/reading_cycle.h"
#include "util/Orodja.h"
#include "util/number_format.h"

#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QTabWidget>
#include <QTimer>
#include <cmath>

namespace {
QColor ToColor(Monitor::StatusColor status) {
    switch (status) {
    case Monitor::StatusColor::Error:
        return WindowColors::LightRed;
    case Monitor::StatusColor::Warning:
        return WindowColors::Orange;
    case Monitor::StatusColor::Good:
        break;
    }
    return WindowColors::Navy;
}
} // namespace

QString LocaleFixed(double value, int precision, int decimals) {
    QString text = QString::fromStdString(Orodja::FormatFixed(value, precision, decimals));
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

void TMainForm::seEncoderReadIntervalChange() {
    tmrReadEncoder->setInterval(seEncoderReadInterval->Value());
}

Monitor::Page TMainForm::CurrentSchedulePage() const {
    QWidget* page = Pages->currentWidget();
    if (page == tabEncIdent)
        return Monitor::Page::Identification;
    if (page == tabEncStatus)
        return Monitor::Page::Status;
    if (page == tabInstCal)
        return Monitor::Page::Installation;
    return Monitor::Page::Other;
}

void TMainForm::tmrReadEncoderTimer() {
    using namespace Velor_konstante;
    SetTimerEnabled(tmrReadEncoder, false);
    unsigned char c = Monitor::NextCommand(CurrentSchedulePage(), LastCmd);
    EncoderTransfer(c);

    if (EncoderPosition.ErrComm != 0) {
        lblPosUnit->setText(QStringLiteral("Interface disconnected!"));
        AddLog(QStringLiteral("Interface disconnected!"));
        SetTimerEnabled(tmrSearchInterface, true);
        return;
    }
    if (EncoderPosition.ErrCRC) {
        pnlCrcValid->SetColor(WindowColors::Red);
        lblPosUnit->setText(QStringLiteral("Encoder disconnected!"));
        lblPosUnit->repaint();
        AddLog(QStringLiteral("Encoder disconnected!"));
        SetTimerEnabled(tmrSearchEncoder, true);
        return;
    }
    pnlCrcValid->SetColor(WindowColors::Green);
    lblPosUnit->setText(LocaleFixed(EncoderPosition.Position_unit, 12, 3) + QStringLiteral(" °"));
    const auto status = Monitor::StatusOf(EncoderPosition.ErrBit, EncoderPosition.WarnBit);
    const QColor statusColor = ToColor(status);
    pnlPosition->setPalette(
        QPalette(status == Monitor::StatusColor::Good ? WindowColors::ButtonFace() : statusColor));
    PositionPlotStep(statusColor);
    ShowAuxiliary(c, statusColor);
    if (cbShranjujMeritvePos->isChecked())
        RecordPositionStep();
    SetTimerEnabled(tmrReadEncoder, true);
    if (Monitor::SupplyStatusDue(CycleCounterPower))
        UpdateSupplyStatus();
}

void TMainForm::ShowAuxiliary(unsigned char c, const QColor& statusColor) {
    using namespace Velor_konstante;
    switch (c) {
    case Cmd::DetailedStatus: {
        const std::uint32_t det = EncoderAuxData.DetStatus;
        if (det > 0xFF) {
            // Unreadable digits: not a status byte, so no lamp is changed.
            lblEncDetStatBin->setText(QStringLiteral("--------"));
            break;
        }
        lblEncDetStatBin->setText(QString::fromLatin1(Orodja::IntToBinStr(8, det)));
        const std::uint8_t bits =
            Monitor::StatusLatch{Encoder_Status_delay, CycleCounterStatus}.Add(det);
        const std::pair<LampPanel*, std::pair<int, QColor>> lamps[] = {
            {pnlOSignalHigh, {0x80, statusColor}},
            {pnlOSignalLow, {0x40, statusColor}},
            {pnlOTemperature, {0x20, WindowColors::Orange}},
            {pnlOSpeed, {0x10, WindowColors::Orange}},
            {pnlOmultiturn, {0x08, WindowColors::Red}},
            {pnlOAngleAccel, {0x02, WindowColors::Red}},
            {pnlOSafety, {0x01, WindowColors::Red}}};
        for (const auto& [lamp, rule] : lamps)
            lamp->SetColor((bits & rule.first) ? rule.second : WindowColors::Grey);
        break;
    }
    case Cmd::Temperature:
        lblEncTemp->setText(LocaleFixed(EncoderAuxData.Temperature_value / 10.0, 4, 1) +
                            QStringLiteral(" °C"));
        break;
    case Cmd::Speed:
        lblEncSpeed->setText(LocaleFixed(EncoderAuxData.Speed_value / 10.0, 4, 1) +
                             QStringLiteral(" RPM"));
        break;
    case Cmd::Timestamp:
        lblEncTimestamp->setText(
            QStringLiteral("0x") +
            QStringLiteral("%1").arg(EncoderPosition.Timestamp, 4, 16, QLatin1Char('0')).toUpper());
        break;
    case Cmd::SerialNumber:
        lblEncSerial->setText(QStringLiteral("Serial number: ") +
                              QString::fromLatin1(EncoderSignature.SerialNumber));
        break;
    case Cmd::CalibrationStatus: {
        const std::uint32_t cal = EncoderAuxData.CalStatus;
        pnlCalFinish->SetColor((cal & 0x80) ? WindowColors::Lime : WindowColors::Grey);
        pnlCalFailed->SetColor((cal & 0x08) ? WindowColors::Red : WindowColors::Grey);
        pnlCalTimeout->SetColor((cal & 0x04) ? WindowColors::Red : WindowColors::Grey);
        lblCalCounter->setText(QStringLiteral("Counter: ") + QString::number(cal & 3));
        break;
    }
    case Cmd::SignalLevel:
        lblSignalLevel->setText(QStringLiteral("Signal level: ") +
                                QString::number(EncoderAuxData.SignalLevel));
        lblAirGap1->setText(QStringLiteral("Air gap: ") +
                            (std::isnan(EncoderAuxData.AirGap)
                                 ? QStringLiteral("---")
                                 : LocaleFixed(EncoderAuxData.AirGap, 5, 2)) +
                            QStringLiteral(" mm"));
        AirGapPlotStep(statusColor);
        break;
    default:
        break;
    }
}
