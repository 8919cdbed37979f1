// What the engine reports, shown: the window drains the reports on its own
// thread at most once per frame and renders each one as it is.
#include "app/Velor_SPI_Main.h"

#include "app/chart_color_series.h"
#include "app/limits_panel.h"
#include "app/widgets/lamp_panel.h"
#include "app/widgets/spin_edit.h"
#include "app/window_colors.h"
#include "encoder/Velor_konstante.h"
#include "util/number_format.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <type_traits>

namespace {

// Seconds with exactly two decimals and the locale's separators, e.g.
// "1,234.50 seconds"; at most 8 significant digits survive the rounding.
QString ElapsedSecondsText(std::uint32_t elapsedMs) {
    const std::string fixed = Orodja::FormatFixed(elapsedMs / 1000.0, 8, 2);
    return QLocale().toString(QString::fromStdString(fixed).toDouble(), 'f', 2) +
           QStringLiteral(" seconds");
}

} // namespace

QColor ToQColor(Engine::Colour colour) {
    using Engine::Colour;
    switch (colour) {
    case Colour::ButtonFace:
        return WindowColors::ButtonFace();
    case Colour::Orange:
        return WindowColors::Orange;
    case Colour::Green:
        return WindowColors::Green;
    case Colour::Navy:
        return WindowColors::Navy;
    case Colour::LightRed:
        return WindowColors::LightRed;
    case Colour::Red:
        return WindowColors::Red;
    case Colour::Lime:
        return WindowColors::Lime;
    case Colour::Grey:
        break;
    }
    return WindowColors::Grey;
}

QString Latin(const std::string& bytes) {
    return QString::fromLatin1(bytes);
}

QString LocaleFixed(double value, int precision, int decimals) {
    QString text = QString::fromStdString(Orodja::FormatFixed(value, precision, decimals));
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

void TMainForm::SetPanelColor(const QColor& color) {
    // A new palette repaints the whole band; most readings keep the colour.
    if (pnlPosition->palette().color(QPalette::Window) != color)
        pnlPosition->setPalette(QPalette(color));
}

void TMainForm::ReportsWaiting() {
    // At most one drain per frame: a reading every millisecond must not
    // become a repaint every millisecond.
    if (drainTimer_->isActive())
        return;
    const qint64 since = sinceDrain_.isValid() ? sinceDrain_.elapsed() : FrameMs;
    if (since >= FrameMs)
        DrainReports();
    else
        drainTimer_->start(static_cast<int>(FrameMs - since));
}

void TMainForm::DrainReports() {
    sinceDrain_.start();
    if (!env_.Channel)
        return;
    for (const Engine::Report& report : env_.Channel->TakeReports()) {
        std::visit([this](const auto& r) { Render(r); }, report);
        emit reportRendered(report);
    }
}

void TMainForm::Render(const Engine::LogLine& r) {
    // UTF-8: a line may name a folder; device bytes in it are printable ASCII.
    mmLog->appendPlainText(QString::fromStdString(r.Text));
    if (r.Scroll)
        ScrollLog();
}

void TMainForm::Render(const Engine::Banner& r) {
    lblPosUnit->setText(Latin(r.Text));
    if (r.Font)
        WindowColors::SetFontColor(lblPosUnit, ToQColor(*r.Font));
    if (r.Panel)
        SetPanelColor(ToQColor(*r.Panel));
}

void TMainForm::Render(const Engine::InterfaceInfo& r) {
    interface_ = r;
    lblComPort->setText(Latin(r.Port));
    lblInterfaceVer->setText(Latin(r.Version));
    lblInterfaceSerial->setText(Latin(r.Serial));
}

void TMainForm::Render(const Engine::CaptionFields& r) {
    caption_ = r;
    partNumber_ = r.EncoderPart;
    serialNumber_ = r.EncoderSerial;
    UpdateCaption();
}

void TMainForm::Render(const Engine::ClockSelected& r) {
    cmbFreqSPI->setCurrentIndex(r.ItemIndex); // not a user's choice: no request
}

void TMainForm::Render(const Engine::SearchPassEnded&) {
    if (waitCursor_) {
        waitCursor_ = false;
        QApplication::restoreOverrideCursor();
    }
}

void TMainForm::Render(const Engine::EncoderLabels& r) {
    lblEncPartNumber->setText(Latin(r.PartNumber));
    lblEncSerial->setText(Latin(r.Serial));
    lblEncFirmware->setText(Latin(r.Firmware));
    lblEncAdditional->setText(Latin(r.Additional));
    firmwareVersion_ = r.FirmwareVersion;
}

void TMainForm::Render(const Engine::MagnetSizeChosen& r) {
    cbbMagnetSize->setEditText(Latin(r.Text)); // the engine has taken it already
}

void TMainForm::Render(const Engine::ExtendedCommandSet& r) {
    lblSelfCalNote->setVisible(!r.Present);
    grpSelfCalStatusLights->setVisible(r.Present);
    grpAirGap->setVisible(r.Present);
    grpLimits->setVisible(r.Present); // without air-gap points there is nothing to judge
}

void TMainForm::Render(const Engine::Transfer& r) {
    pnlCommActive->SetColor(pnlCommActive->Color() == WindowColors::Lime ? WindowColors::Green
                                                                         : WindowColors::Lime);
    lblCmd->setText(Latin(r.Frame));
    if (!r.Exchanged)
        return;
    lblData->setText(Latin(r.Reply));
    if (r.Texts.Touched) {
        lblEncPosRawHex->setText(Latin(r.Texts.RawHex));
        lblEncPosRawBin->setText(Latin(r.Texts.RawBin));
        if (r.Texts.Decoded)
            lblEncPosRawDecoded->setText(Latin(*r.Texts.Decoded));
    }
}

void TMainForm::Render(const Engine::Reading& r) {
    using namespace Velor_konstante;
    pnlCrcValid->SetColor(WindowColors::Green);
    lblPosUnit->setText(LocaleFixed(r.Position.Position_unit, 12, 3) + QStringLiteral(" °"));
    const QColor status = ToQColor(Engine::StatusColour(r.Status));
    SetPanelColor(r.Status == Monitor::StatusColor::Good ? WindowColors::ButtonFace() : status);
    PositionPlotStep(r, status);
    tally_.Add(r.Command, r.Position, r.Aux);
    // The verdict judges the readings taken while the air gap is plotted: its
    // gaps are the chart's points, its flag counts come from the same readings.
    if (cbAirGap->isChecked())
        grpLimits->Add(r.Command, r.Position, r.Aux);
    multiturn_ = r.Multiturn;

    switch (r.Command) {
    case Cmd::DetailedStatus:
        lblEncDetStatBin->setText(Latin(r.DetailedStatusBits));
        if (r.Lamps) {
            LampPanel* const lamps[] = {pnlOSignalHigh, pnlOSignalLow,  pnlOTemperature, pnlOSpeed,
                                        pnlOmultiturn,  pnlOAngleAccel, pnlOSafety};
            for (std::size_t i = 0; i < r.Lamps->size(); ++i)
                lamps[i]->SetColor(ToQColor((*r.Lamps)[i]));
        }
        break;
    case Cmd::Temperature:
        lblEncTemp->setText(LocaleFixed(r.Aux.Temperature_value / 10.0, 4, 1) +
                            QStringLiteral(" °C"));
        break;
    case Cmd::Speed:
        lblEncSpeed->setText(LocaleFixed(r.Aux.Speed_value / 10.0, 4, 1) + QStringLiteral(" RPM"));
        break;
    case Cmd::Timestamp:
        lblEncTimestamp->setText(
            QStringLiteral("0x") +
            QStringLiteral("%1").arg(r.Position.Timestamp, 4, 16, QLatin1Char('0')).toUpper());
        break;
    case Cmd::SerialNumber:
        serialNumber_ = r.SerialNumber;
        lblEncSerial->setText(QStringLiteral("Serial number: ") + Latin(r.SerialNumber));
        break;
    case Cmd::CalibrationStatus:
        if (r.CalLamps) {
            pnlCalFinish->SetColor(ToQColor((*r.CalLamps)[0]));
            pnlCalFailed->SetColor(ToQColor((*r.CalLamps)[1]));
            pnlCalTimeout->SetColor(ToQColor((*r.CalLamps)[2]));
            lblCalCounter->setText(QStringLiteral("Counter: ") + QString::number(r.CalCounter));
        }
        break;
    case Cmd::SignalLevel:
        lblSignalLevel->setText(QStringLiteral("Signal level: ") +
                                QString::number(r.Aux.SignalLevel));
        lblAirGap1->setText(
            QStringLiteral("Air gap: ") +
            (std::isnan(r.Aux.AirGap) ? QStringLiteral("---") : LocaleFixed(r.Aux.AirGap, 5, 2)) +
            QStringLiteral(" mm"));
        AirGapPlotStep(r, status);
        break;
    default:
        break;
    }
}

void TMainForm::Render(const Engine::Lost& r) {
    if (!r.Interface)
        pnlCrcValid->SetColor(WindowColors::Red);
}

void TMainForm::Render(const Engine::EncoderConnection& r) {
    if (r.Connected && !encoderConnected_) {
        tally_.Clear();     // the report counts since the encoder was found
        grpLimits->Clear(); // judged for this encoder; the chart keeps what it has
        multiturn_.reset();
    }
    encoderConnected_ = r.Connected;
    UpdateCommandButtons();
}

void TMainForm::Render(const Engine::SupplyStatus& r) {
    lblEncPwrStatus->setText(Latin(r.Text));
}

void TMainForm::Render(const Engine::Message& r) {
    ShowBox(r.Error, QString::fromStdString(r.Text));
}

void TMainForm::Render(const Engine::SetZeroOutcome& r) {
    lblSetZeroStatus->setText(Latin(r.Text));
    if (r.ZeroOffset)
        seSetZero->setValue(*r.ZeroOffset);
    if (r.MultiturnValue)
        seSetMultiturn->setValue(*r.MultiturnValue);
    setZeroRunning_ = r.Outcome == Engine::SetZeroOutcome::State::InProgress;
    UpdateCommandButtons();
}

void TMainForm::Render(const Engine::RecordingPath& r) {
    mmShranjujIme->setPlainText(QDir::toNativeSeparators(QString::fromStdString(r.Path)));
}

void TMainForm::Render(const Engine::RecordingRow& r) {
    lblShraniElapsedTimeMs->setText(ElapsedSecondsText(r.ElapsedMs));
}

void TMainForm::Render(const Engine::RecordingEnded& r) {
    {
        // The engine has ended it: unticking must not ask again.
        const QSignalBlocker quiet(cbShranjujMeritvePos);
        cbShranjujMeritvePos->setChecked(false);
    }
    if (!r.Failed)
        lblShraniElapsedTimeMs->setText(lblShraniElapsedTimeMs->text() +
                                        QStringLiteral("  FINISHED."));
}
