#include "app/pages/installation_page.h"

#include "app/chart_color_series.h"
#include "app/chart_point_texts.h"
#include "app/clipboard.h"
#include "app/display_text.h"
#include "app/files_folder.h"
#include "app/fonts.h"
#include "app/limits_panel.h"
#include "app/page_widgets.h"
#include "app/pages/page_host.h"
#include "app/pages/report_sources.h"
#include "app/report_gap_chart.h"
#include "app/results_worker.h"
#include "app/widgets/lamp_panel.h"
#include "app/window_colors.h"
#include "encoder/Velor_konstante.h"
#include "monitor/recording_file.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <qcustomplot.h>

namespace {
constexpr int LineWidth = 2;
constexpr double PointSize = 4;

/// The chart's live view: one turn, and gaps up to 10 mm.
void FixedGapAxes(QCustomPlot& chart) {
    chart.xAxis->setRange(0, 360);
    chart.yAxis->setRange(0, 10);
}

Monitor::LocalDateTime ToLocal(const QDateTime& t) {
    const QDate d = t.date();
    const QTime c = t.time();
    return {d.year(), d.month(), d.day(), c.hour(), c.minute(), c.second()};
}
} // namespace

InstallationPage::InstallationPage(PageHost& host, FilesFolder& files,
                                   std::shared_ptr<QSettings> settings,
                                   std::function<QDateTime()> localNow, ReportSources& sources,
                                   ResultsWorker& results)
    : host_(host), files_(files), localNow_(std::move(localNow)), sources_(sources),
      results_(results) {
    BuildLayout(std::move(settings));
    ShowRunout();
    SetUpChart();
    connect(btnStartSelfCal, &QPushButton::clicked, this, &InstallationPage::btnStartSelfCalClick);
    connect(btnTarvinSetZero, &QPushButton::clicked, this,
            &InstallationPage::btnTarvinSetZeroClick);
    connect(btnChartGapClear, &QPushButton::clicked, this,
            &InstallationPage::btnChartGapClearClick);
    connect(btnACopyClipboard, &QPushButton::clicked, this,
            &InstallationPage::btnACopyClipboardClick);
    connect(btnSaveReport, &QPushButton::clicked, this, &InstallationPage::btnSaveReportClick);
    // Every change of the box counts, also one made by the program.
    connect(cbAirGap, &QCheckBox::toggled, this, &InstallationPage::cbAirGapClick);
    connect(&results_, &ResultsWorker::added, this, [this](bool ok, const QString& message) {
        if (!message.isEmpty())
            host_.AddLog(ok ? message : QStringLiteral("Result not kept: ") + message);
    });
    commands_.emplace(std::vector{btnStartSelfCal, btnTarvinSetZero, btnSaveReport});
    UpdateCommandButtons();
    btnChartGapClearClick();
}

void InstallationPage::BuildLayout(std::shared_ptr<QSettings> settings) {
    auto* h = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;

    GroupBox3 = new QGroupBox(QStringLiteral(" Calibration "), this);
    auto* cal = new QVBoxLayout(GroupBox3);
    btnStartSelfCal = new QPushButton(QStringLiteral("Start self-calibration"), GroupBox3);
    lblSelfCalNote = new QLabel(
        QStringLiteral("Note:\nThere is no visual feedback in the software when the calibration "
                       "function has finished and whether it was sucessfull or not. Observe "
                       "encoder's LED for the feedback."),
        GroupBox3);
    lblSelfCalNote->setWordWrap(true);
    lblSelfCalNote->setFont(PixelFont(QStringLiteral("Arial"), 12));
    // The note and the status lights share one place; the search shows one of them.
    grpSelfCalStatusLights = new QGroupBox(QStringLiteral(" Encoder Status "), GroupBox3);
    auto* lights = new QVBoxLayout(grpSelfCalStatusLights);
    pnlCalFinish = Lamp(QStringLiteral("Finished"), grpSelfCalStatusLights);
    pnlCalFailed = Lamp(QStringLiteral("Failed"), grpSelfCalStatusLights);
    pnlCalTimeout = Lamp(QStringLiteral("Timeout"), grpSelfCalStatusLights);
    lblCalCounter = new QLabel(QStringLiteral("..."), grpSelfCalStatusLights);
    for (QWidget* w :
         std::initializer_list<QWidget*>{pnlCalFinish, pnlCalFailed, pnlCalTimeout, lblCalCounter})
        lights->addWidget(w);
    grpSelfCalStatusLights->setVisible(false);
    cal->addWidget(btnStartSelfCal);
    cal->addWidget(lblSelfCalNote);
    cal->addWidget(grpSelfCalStatusLights);
    cal->addStretch(1);

    grpSetZeroHere = new QGroupBox(QStringLiteral(" Zero position "), this);
    auto* zero = new QVBoxLayout(grpSetZeroHere);
    btnTarvinSetZero = new QPushButton(QStringLiteral("Set zero here"), grpSetZeroHere);
    btnTarvinSetZero->setToolTip(
        QStringLiteral("Preset zero position on current encoder position"));
    lblSetZeroStatus = new QLabel(QStringLiteral("..."), grpSetZeroHere);
    lblSetZeroStatus->setWordWrap(true);
    zero->addWidget(btnTarvinSetZero);
    zero->addWidget(lblSetZeroStatus);
    grpReport = new QGroupBox(QStringLiteral(" Installation report "), this);
    auto* report = new QVBoxLayout(grpReport);
    btnSaveReport = new QPushButton(QStringLiteral("Save installation report…"), grpReport);
    btnSaveReport->setToolTip(
        QStringLiteral("One A4 page (PDF) in the folder for files (\"Folder…\" on the "
                       "Position page): the box, the encoder, the values and flags read, the "
                       "air-gap statistics and both charts"));
    lblReportPath = new QLabel(grpReport);
    lblReportPath->setWordWrap(true);
    // A long path wraps; it must not widen the column.
    lblReportPath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblReportPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    report->addWidget(btnSaveReport);
    report->addWidget(lblReportPath);
    left->addWidget(GroupBox3, 1);
    left->addWidget(grpSetZeroHere);
    left->addWidget(grpReport);

    grpAirGap = new QGroupBox(QStringLiteral(" Air gap "), this);
    auto* gap = new QVBoxLayout(grpAirGap);
    auto* gapValues = new QHBoxLayout;
    lblSignalLevel = new QLabel(QStringLiteral("lblSignalLevel"), grpAirGap);
    lblAirGap1 = TahomaLabel(QStringLiteral("..."), 15, grpAirGap);
    lblAirGap1->setToolTip(QStringLiteral("Double-click to set zero (on touch)"));
    lblRunout = new QLabel(grpAirGap);
    lblRunout->setToolTip(
        QStringLiteral("The once-a-turn rise and fall of the air gap (peak to peak), fitted to "
                       "the chart's points once every 10\u00B0 sector has one, and the angle "
                       "where the gap is largest: a magnet off-centre or tilted"));
    gapValues->addWidget(lblSignalLevel);
    gapValues->addWidget(lblAirGap1, 1);
    gapValues->addWidget(lblRunout);
    auto* gapButtons = new QHBoxLayout;
    cbAirGap = new QCheckBox(QStringLiteral("Plot air gap"), grpAirGap);
    btnACopyClipboard = new QPushButton(QStringLiteral("Copy"), grpAirGap);
    btnACopyClipboard->setToolTip(QStringLiteral("Copy Min, Max, Avg from the chart to Clipboard"));
    btnChartGapClear = new QPushButton(QStringLiteral("Clear chart"), grpAirGap);
    gapButtons->addWidget(cbAirGap);
    gapButtons->addStretch(1);
    gapButtons->addWidget(btnACopyClipboard);
    gapButtons->addWidget(btnChartGapClear);
    ChartAirGap = NewChart(grpAirGap);
    gap->addLayout(gapValues);
    gap->addLayout(gapButtons);
    gap->addWidget(ChartAirGap, 1);
    grpAirGap->setVisible(false);
    grpLimits = new LimitsPanel(std::move(settings), this);
    grpLimits->setVisible(false);
    auto* right = new QVBoxLayout;
    right->addWidget(grpLimits);
    right->addWidget(grpAirGap, 1);

    h->addLayout(left, 2);
    h->addLayout(right, 5);
}

void InstallationPage::SetUpChart() {
    ChartAirGap->xAxis->setLabel(QStringLiteral("Position (deg)"));
    ChartAirGap->yAxis->setLabel(QStringLiteral("Air gap (mm)"));
    serSignal = new ColorPointSeries(ChartAirGap->xAxis, ChartAirGap->yAxis, Qt::blue, LineWidth,
                                     PointSize);
    AirGapExplorer = new ChartExplorer(
        ChartAirGap, {.LiveView = [this] { FixedGapAxes(*ChartAirGap); },
                      .PointGraph = [this] { return serSignal->Line(); },
                      .PointText = [this](int i) { return AirGapPointText(*serSignal, i); }});
}

void InstallationPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    redraw_.RedrawStale();
}

void InstallationPage::UpdateCommandButtons() {
    commands_->Update(encoderConnected_, setZeroRunning_ ? btnTarvinSetZero : nullptr);
}

void InstallationPage::btnStartSelfCalClick() {
    host_.Ask(Engine::SendConfig{Engine::ConfigCommand::SelfCalibration, 0});
}

void InstallationPage::btnTarvinSetZeroClick() {
    host_.Ask(Engine::SetZeroHere{});
}

void InstallationPage::btnChartGapClearClick() {
    serSignal->Clear();
    AirGapExplorer->Follow();
    grpLimits->Clear();
    ShowRunout();
    redraw_.Redraw(ChartAirGap);
}

void InstallationPage::ShowRunout() {
    const std::optional<Monitor::Runout> runout = grpLimits->Verdict().Runout();
    lblRunout->setText(
        QStringLiteral("Runout: ") +
        (runout ? QString::fromUtf8(Monitor::RunoutSummary(*runout)) : QStringLiteral("---")));
}

void InstallationPage::cbAirGapClick() {
    // The fixed axes of the live view, so a curve being drawn does not jump.
    AirGapExplorer->Follow();
    redraw_.Redraw(ChartAirGap);
}

void InstallationPage::btnACopyClipboardClick() {
    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("Part number: ") + Latin(facts_.PartNumber) + crlf +
                   QStringLiteral("Serial number: ") + Latin(facts_.SerialNumber) + crlf +
                   QStringLiteral("FW version: ") + Latin(facts_.FirmwareVersion) + crlf;
    const Monitor::GapStatistics stats = ChartGapStatistics(*serSignal);
    if (!stats.Enough()) {
        text += QStringLiteral("Not enough data points recorded!") + crlf;
    } else {
        const auto line = [&](const QString& label, float value) {
            text += label + GapFigureText(value) + crlf;
        };
        line(QStringLiteral("Min: "), stats.Min());
        line(QStringLiteral("Max: "), stats.Max());
        line(QStringLiteral("Avg: "), stats.Mean());
    }
    Orodja::CopyToClipboard(text);
}

// One A4 page that a technician hands over after mounting an encoder. The
// figures are those the engine reported and the pages show; writing the file
// the user asked for is the window's only I/O.
void InstallationPage::btnSaveReportClick() {
    const std::unique_ptr<PrintedChart> position =
        sources_.PositionChart(facts_.Multiturn.value_or(false));
    const QDateTime now = localNow_ ? localNow_() : QDateTime::currentDateTime();
    const std::string name = Monitor::InstallationReportFileName(
        facts_.PartNumber, facts_.SerialNumber, Monitor::RecordingTimestamp(ToLocal(now)));
    const QString path = QString::fromStdString(
        Monitor::UnusedRecordingPath(files_.Path().toStdString(), name)); // UTF-8 both ways
    const QString shown = QDir::toNativeSeparators(path);
    const ReportChart gaps = {
        QStringLiteral("Air gap over the angle"), ChartAirGap,
        serSignal->Count() == 0 ? QStringLiteral("No points: tick \"Plot air gap\".") : QString()};
    const InstallationReportPage page =
        ComposeInstallationReport({facts_, sources_.MagnetSize(), *grpLimits, *serSignal, gaps,
                                   position->Chart(), sources_.LastLinkTest()},
                                  now, shown);

    QString reason;
    const bool saved = WriteReport(path, page, reason);
    redraw_.Redraw(ChartAirGap); // laid out for the page; back to the window's size
    if (!saved) {
        const QString text = QStringLiteral("The installation report could not be saved to ") +
                             shown + QStringLiteral(": ") + reason;
        lblReportPath->setText(QStringLiteral("Not saved: ") + reason);
        host_.AddLog(text);
        host_.ShowBox(true, text);
        return;
    }
    lblReportPath->setText(QStringLiteral("Saved to ") + shown);
    lblReportPath->setToolTip(shown);
    host_.AddLog(QStringLiteral("Installation report saved to ") + shown);
    KeepResult(path);
}

void InstallationPage::KeepResult(const QString& path) {
    Results::InstallationResult result = Results::NewResult(
        Results::SourceReport,
        {facts_.Box.Port, facts_.Box.Version, facts_.BoxSerial, facts_.PartNumber,
         facts_.SerialNumber, facts_.FirmwareVersion, facts_.Multiturn},
        grpLimits->Limits(), grpLimits->Verdict());
    result.ReportPath = path.toStdString(); // UTF-8
    results_.Add(std::move(result));
}

bool InstallationPage::WriteReport(const QString& path, const InstallationReportPage& page,
                                   QString& reason) {
    // NewOnly: a file that appeared since the name was chosen is not replaced either.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        reason = file.errorString();
        return false;
    }
    // The screen's dots are pictures; on the page they are drawn as discs.
    serSignal->SetVectorPoints(true);
    bool saved = false;
    {
        // The page shows the chart as it follows the readings, not a detail
        // someone zoomed into.
        const ChartExplorer::LiveViewScope live(*AirGapExplorer);
        const ReportGapChart scale(ChartAirGap, serSignal->Points(), grpLimits->Limits());
        saved = WriteInstallationReport(page, file, reason);
    }
    serSignal->SetVectorPoints(false);
    if (saved && (!file.flush() || file.error() != QFileDevice::NoError)) {
        saved = false;
        reason = file.errorString();
    }
    file.close();
    if (!saved)
        file.remove(); // ours, and unreadable
    return saved;
}

// ---- reports

void InstallationPage::Render(const Engine::InterfaceInfo& r) {
    facts_.Box = r;
}

void InstallationPage::Render(const Engine::CaptionFields& r) {
    facts_.BoxSerial = r.InterfaceSerial;
    facts_.PartNumber = r.EncoderPart;
    facts_.SerialNumber = r.EncoderSerial;
}

void InstallationPage::Render(const Engine::EncoderLabels& r) {
    facts_.FirmwareVersion = r.FirmwareVersion;
}

void InstallationPage::Render(const Engine::ExtendedCommandSet& r) {
    lblSelfCalNote->setVisible(!r.Present);
    grpSelfCalStatusLights->setVisible(r.Present);
    grpAirGap->setVisible(r.Present);
    grpLimits->setVisible(r.Present); // without air-gap points there is nothing to judge
}

void InstallationPage::Render(const Engine::Reading& r) {
    using namespace Velor_konstante;
    facts_.Tally.Add(r.Command, r.Position, r.Aux);
    facts_.Multiturn = r.Multiturn;
    // The verdict judges the readings taken while the air gap is plotted: its
    // gaps are the chart's points, its flag counts come from the same readings.
    if (cbAirGap->isChecked())
        grpLimits->Add(r.Command, r.Position, r.Aux);
    switch (r.Command) {
    case Cmd::SerialNumber:
        facts_.SerialNumber = r.SerialNumber;
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
        if (cbAirGap->isChecked()) {
            // A gap without a value (NaN) is no point; the series refuses it.
            serSignal->Add(r.Position.ST_value * r.Position.Resolution_unit, r.Aux.AirGap,
                           ToQColor(Engine::StatusColour(r.Status)));
            ShowRunout(); // the same points as the verdict
            redraw_.Redraw(ChartAirGap);
        }
        break;
    default:
        break;
    }
}

void InstallationPage::Render(const Engine::EncoderConnection& r) {
    if (r.Connected && !encoderConnected_) {
        facts_.Tally.Clear(); // the report counts since the encoder was found
        grpLimits->Clear();   // judged for this encoder; the chart keeps what it has
        ShowRunout();
        facts_.Multiturn.reset();
    }
    encoderConnected_ = r.Connected;
    UpdateCommandButtons();
}

void InstallationPage::Render(const Engine::SetZeroOutcome& r) {
    lblSetZeroStatus->setText(Latin(r.Text));
    setZeroRunning_ = r.Outcome == Engine::SetZeroOutcome::State::InProgress;
    UpdateCommandButtons();
}
