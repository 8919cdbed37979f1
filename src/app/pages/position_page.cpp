#include "app/pages/position_page.h"

#include "app/chart_color_series.h"
#include "app/chart_png.h"
#include "app/chart_point_texts.h"
#include "app/display_text.h"
#include "app/files_folder.h"
#include "app/page_widgets.h"
#include "app/pages/page_host.h"
#include "app/pages/report_sources.h"
#include "app/recording_review.h"
#include "app/review_band.h"
#include "app/widgets/lamp_panel.h"
#include "app/widgets/path_label.h"
#include "app/widgets/spin_edit.h"
#include "app/window_colors.h"
#include "util/number_format.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace {
constexpr int LineWidth = 2;
constexpr double PointSize = 5;

void RemoveFirst(QCPGraph* graph) {
    if (!graph->data()->isEmpty())
        graph->data()->remove(graph->data()->constBegin()->key);
}

// Seconds with exactly two decimals and the locale's separators, e.g.
// "1,234.50 seconds"; at most 8 significant digits survive the rounding.
QString ElapsedSecondsText(std::uint32_t elapsedMs) {
    const std::string fixed = Orodja::FormatFixed(elapsedMs / 1000.0, 8, 2);
    return QLocale().toString(QString::fromStdString(fixed).toDouble(), 'f', 2) +
           QStringLiteral(" seconds");
}
} // namespace

PositionPage::PositionPage(PageHost& host, FilesFolder& files, const MainFormEnvironment& env)
    : host_(host), files_(files), askSaveFileName_(env.AskSaveFileName), askFolder_(env.AskFolder) {
    BuildLayout();
    SetUpChart();
    SetUpReview();
    connect(cbShranjujMeritvePos, &QCheckBox::toggled, this,
            &PositionPage::cbShranjujMeritvePosClick); // the engine unticks it at the end
    connect(seCasShranjevanja, &QSpinBox::valueChanged, this,
            [this](int seconds) { host_.Ask(Engine::SetRecordingDuration{seconds}); });
    connect(btnFolder, &QPushButton::clicked, this, &PositionPage::btnFolderClick);
    connect(btnChartPosClear, &QPushButton::clicked, this, &PositionPage::btnChartPosClearClick);
    connect(btnChartPosSave, &QPushButton::clicked, this, &PositionPage::btnChartPosSaveClick);
    // Every change of the box counts, also one made by the program.
    connect(cbPosPlot, &QCheckBox::toggled, this, &PositionPage::cbPosPlotClick);
    btnChartPosClearClick();
}

void PositionPage::BuildLayout() {
    auto* v = new QVBoxLayout(this);
    auto* values = new QGridLayout;
    lbl3 = new QLabel(QStringLiteral("Encoder raw data (hex)"), this);
    lblEncPosRawHex = ValueLabel(this);
    Label1 = new QLabel(QStringLiteral("Encoder raw data (bin)"), this);
    lblEncPosRawBin = ValueLabel(this);
    Label2 = new QLabel(QStringLiteral("Encoder decoded postion data"), this);
    lblEncPosRawDecoded = ValueLabel(this);
    lblEncPosRawDecoded->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblEncPosRawDecoded->setMinimumHeight(64);
    lblCRCvalidation = new QLabel(QStringLiteral("CRC validation"), this);
    pnlCrcValid = new LampPanel(QStringLiteral("CRC"), WindowColors::ButtonFace(), this);
    pnlCrcValid->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlCrcValid->setLineWidth(2);
    pnlCrcValid->setFixedSize(48, 22);
    values->addWidget(lbl3, 0, 0);
    values->addWidget(lblEncPosRawHex, 0, 1);
    values->addWidget(Label1, 1, 0);
    values->addWidget(lblEncPosRawBin, 1, 1);
    values->addWidget(Label2, 2, 0, Qt::AlignTop);
    values->addWidget(lblEncPosRawDecoded, 2, 1);
    values->addWidget(lblCRCvalidation, 0, 2);
    values->addWidget(pnlCrcValid, 0, 3);
    values->setColumnStretch(1, 1);

    auto* rec = new QGridLayout;
    cbShranjujMeritvePos = new QCheckBox(QStringLiteral("Record position to file"), this);
    Label7 = new QLabel(QStringLiteral("Recording duration (sec) \n(0 = no limit)"), this);
    seCasShranjevanja = new SpinEdit(0, 10000, 20, 1, this);
    Label7->setBuddy(seCasShranjevanja);
    mmShranjujIme = new QPlainTextEdit(this);
    mmShranjujIme->setReadOnly(true);
    mmShranjujIme->setFixedHeight(40);
    mmShranjujIme->setAccessibleName(QStringLiteral("Recording file"));
    lblShraniElapsedTimeMs = new QLabel(QStringLiteral("Elapsed Time"), this);
    btnFolder = new QPushButton(QStringLiteral("Folder…"), this);
    btnOpenRecording = new QPushButton(QStringLiteral("Open recording…"), this);
    btnOpenRecording->setToolTip(
        QStringLiteral("Show a recording on the chart, to zoom and hover; reading goes on"));
    lblFolder = new PathLabel(this);
    lblFolder->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cbPosPlot = new QCheckBox(QStringLiteral("Plot position over time"), this);
    btnChartPosSave = new QPushButton(QStringLiteral("Save chart"), this);
    btnChartPosClear = new QPushButton(QStringLiteral("Clear chart"), this);
    rec->addWidget(cbShranjujMeritvePos, 0, 0);
    rec->addWidget(Label7, 0, 1);
    rec->addWidget(seCasShranjevanja, 0, 2);
    rec->addWidget(mmShranjujIme, 0, 3, 2, 1);
    rec->addWidget(lblShraniElapsedTimeMs, 1, 0);
    rec->addWidget(btnOpenRecording, 1, 1);
    rec->addWidget(btnFolder, 1, 2);
    rec->setColumnStretch(3, 1);
    auto* plot = new QHBoxLayout;
    plot->addWidget(cbPosPlot);
    plot->addSpacing(24);
    plot->addWidget(lblFolder, 1);
    plot->addWidget(btnChartPosSave);
    plot->addWidget(btnChartPosClear);

    chartPosition = NewChart(this);
    v->addLayout(values);
    v->addLayout(rec);
    v->addLayout(plot);
    reviewBand = new ReviewBand(this);
    v->addWidget(reviewBand);
    v->addWidget(chartPosition, 1);
}

void PositionPage::SetUpChart() {
    QCPAxis* angleAxis = chartPosition->yAxis2;
    angleAxis->setVisible(true);
    angleAxis->setTicker(FixedTicker(45, QCPAxisTickerFixed::ssNone));
    angleAxis->grid()->setVisible(true);
    QCPAxis* turnAxis = chartPosition->yAxis;
    // Whole turns only: a step of 1 or a multiple of it, never a fraction.
    turnAxis->setTicker(FixedTicker(1, QCPAxisTickerFixed::ssMultiples));
    turnAxis->grid()->setVisible(false);
    SeriesPosMT = chartPosition->addGraph(chartPosition->xAxis, turnAxis);
    SeriesPosMT->setPen(QPen(WindowColors::Green, LineWidth));
    PositionValueAxes(*chartPosition, SeriesPosMT);
    SeriesPosST =
        new ColorPointSeries(chartPosition->xAxis, angleAxis, Qt::blue, LineWidth, PointSize);
    PositionExplorer = new ChartExplorer(chartPosition, LiveHooks());
}

ChartExplorer::Hooks PositionPage::LiveHooks() {
    return {
        .LiveView =
            [this] {
                chartPosition->xAxis->rescale();
                PositionValueAxes(*chartPosition, SeriesPosMT);
            },
        .PointGraph = [this] { return SeriesPosST->Line(); },
        .PointText = [this](int i) { return PositionPointText(*SeriesPosST, *SeriesPosMT, i); }};
}

void PositionPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    redraw_.RedrawStale();
}

// ---- a recording reviewed on the chart, from "Open recording…", the
// command line or the desktop's "Open with". Reading goes on behind it (the
// live chart keeps its points); starting a recording ends it.

void PositionPage::SetUpReview() {
    review_ = new RecordingReview(chartPosition);
    connect(btnOpenRecording, &QPushButton::clicked, this, &PositionPage::btnOpenRecordingClick);
    connect(reviewBand, &ReviewBand::backToLive, this, &PositionPage::EndReview);
    connect(review_, &RecordingReview::refused, this, [this](const QString& message) {
        reviewBand->LoadingFailed();
        host_.ShowBox(true, message);
    });
    connect(review_, &RecordingReview::opened, this, [this](const ReviewSummary& summary) {
        reviewBand->ShowSummary(summary);
        PositionExplorer->SetHooks({.LiveView = [this] { review_->WholeView(); },
                                    .PointGraph = [this] { return review_->AngleLine(); },
                                    .PointText = [this](int i) { return review_->PointText(i); }});
        PositionExplorer->Follow();
        redraw_.Redraw(chartPosition);
    });
}

void PositionPage::OpenRecording(const QString& path) {
    if (review_->Open(path))
        reviewBand->ShowLoading(QFileInfo(path).fileName());
}

void PositionPage::EndReview() {
    if (!review_->Active())
        return;
    review_->End();
    reviewBand->Clear();
    PositionExplorer->SetHooks(LiveHooks());
    PositionExplorer->Follow();
    redraw_.Redraw(chartPosition);
}

void PositionPage::btnOpenRecordingClick() {
    auto* dialog = new QFileDialog(this, QStringLiteral("Open recording"), files_.Path(),
                                   QStringLiteral("Position recordings (*.csv);;All files (*)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this, &PositionPage::OpenRecording);
    // Window-modal without a nested event loop: the readings go on meanwhile.
    dialog->open();
}

// ---- the live chart

void PositionPage::PlotStep(const Engine::Reading& reading) {
    if (!cbPosPlot->isChecked())
        return;
    const double x = ChartTime;
    const TEncoderPosition& pos = reading.Position;
    if (reading.Multiturn)
        SeriesPosMT->addData(x, pos.MT_value);
    SeriesPosST->Add(x, pos.ST_value * pos.Resolution_unit,
                     ToQColor(Engine::StatusColour(reading.Status)));
    ++ChartTime;
    if (SeriesPosMT->dataCount() > PositionChartPoints)
        RemoveFirst(SeriesPosMT);
    if (SeriesPosST->Count() > PositionChartPoints)
        SeriesPosST->RemoveFirst();
    // Under a review the live points are kept and drawn once it ends.
    if (review_->Active()) {
        review_->HideLive(); // a graph for a colour seen first just now
        return;
    }
    PositionExplorer->PointsChanged();
    redraw_.Redraw(chartPosition);
}

void PositionPage::btnChartPosClearClick() {
    SeriesPosST->Clear();
    SeriesPosMT->data()->clear();
    ChartTime = 0;
    PositionExplorer->Follow();
    redraw_.Redraw(chartPosition);
}

void PositionPage::cbPosPlotClick() {
    // Every plot starts empty at sample 0; unticking keeps what is there.
    if (cbPosPlot->isChecked())
        btnChartPosClearClick();
}

void PositionPage::btnChartPosSaveClick() {
    if (!askSaveFileName_)
        return;
    // The dialog opens in the folder for files, on the last name; it does not
    // hold up the window, and the save follows the answer.
    askSaveFileName_(this, files_.Path(), QFileInfo(chartFileName_).fileName(),
                     [this](const QString& chosen) { SaveChartAs(chosen); });
}

void PositionPage::SaveChartAs(const QString& chosen) {
    if (chosen.isEmpty())
        return;
    chartFileName_ = chosen;
    const QString pngName = Orodja::ForcePngExtension(chosen);
    const bool saved = Orodja::SaveChartAsPng(
        *chartPosition, pngName, [this](const QString& text) { host_.ShowBox(true, text); });
    // A failed write may leave an older file of that name; it is not this save.
    if (!saved || !QFileInfo::exists(pngName))
        host_.ShowBox(true, QStringLiteral("Error while saving chart image!"));
}

namespace {
/// The chart for the report's page: the live view, points drawn as discs,
/// and no empty turn axis for a single-turn encoder.
class PrintedPositionChart final : public PrintedChart {
public:
    PrintedPositionChart(PositionPage& page, bool multiturn, ChartRedraw& redraw)
        : page_(page), redraw_(redraw), live_(*page.PositionExplorer),
          turnsShown_(page.chartPosition->yAxis->visible()),
          angleTicker_(page.chartPosition->yAxis2->ticker()) {
        chart_ = {multiturn ? QStringLiteral("Position over the last readings: angle "
                                             "(right axis) and turns (left axis)")
                            : QStringLiteral("Position over the last readings: angle "
                                             "(right axis)"),
                  page.chartPosition,
                  page.SeriesPosST->Count() == 0
                      ? QStringLiteral("No points: tick the plot box on the Position page.")
                      : QString()};
        page.SeriesPosST->SetVectorPoints(true);
        page.chartPosition->yAxis->setVisible(turnsShown_ && multiturn);
        // The page gives the chart less height than the window: a label every 45° would overlap.
        page.chartPosition->yAxis2->setTicker(FixedTicker(90, QCPAxisTickerFixed::ssNone));
    }
    ~PrintedPositionChart() override {
        page_.chartPosition->yAxis->setVisible(turnsShown_);
        page_.chartPosition->yAxis2->setTicker(angleTicker_);
        page_.SeriesPosST->SetVectorPoints(false);
        redraw_.Redraw(page_.chartPosition); // laid out for the page; back to the window's size
    }
    [[nodiscard]] ReportChart Chart() const override { return chart_; }

private:
    PositionPage& page_;
    ChartRedraw& redraw_;
    const ChartExplorer::LiveViewScope live_;
    const bool turnsShown_;
    const QSharedPointer<QCPAxisTicker> angleTicker_;
    ReportChart chart_;
};
} // namespace

std::unique_ptr<PrintedChart> PositionPage::PrintChart(bool multiturn) {
    EndReview(); // the report shows the live readings, not a file under review
    return std::make_unique<PrintedPositionChart>(*this, multiturn, redraw_);
}

// ---- recording and the folder for files

void PositionPage::cbShranjujMeritvePosClick() {
    if (!cbShranjujMeritvePos->isChecked()) {
        host_.Ask(Engine::StopRecording{});
        return;
    }
    EndReview(); // the chart shows what is being recorded
    // The core takes paths as UTF-8 on every system.
    host_.Ask(Engine::StartRecording{files_.Path().toStdString(), seCasShranjevanja->Value()});
}

void PositionPage::btnFolderClick() {
    if (!askFolder_)
        return;
    askFolder_(this, files_.Path(), [this](const QString& folder) {
        if (folder.isEmpty())
            return;
        if (!files_.Choose(folder)) {
            host_.ShowBox(true,
                          QStringLiteral("No file can be created in %1; files still go to %2.")
                              .arg(QDir::toNativeSeparators(folder),
                                   QDir::toNativeSeparators(files_.Path())));
            return;
        }
        ShowFilesFolder();
        host_.AddLog(lblFolder->text());
    });
}

void PositionPage::ShowFilesFolder() {
    const QString folder = QDir::toNativeSeparators(files_.Path());
    lblFolder->setText(QStringLiteral("Files go to ") + folder);
    btnFolder->setToolTip(
        QStringLiteral("Choose the folder for recordings, installation reports and chart "
                       "images. Now: ") +
        folder);
}

void PositionPage::SendSettings() {
    host_.Ask(Engine::SetRecordingDuration{seCasShranjevanja->Value()});
}

// ---- reports

void PositionPage::Render(const Engine::Transfer& r) {
    if (!r.Exchanged || !r.Texts.Touched)
        return;
    lblEncPosRawHex->setText(Latin(r.Texts.RawHex));
    lblEncPosRawBin->setText(Latin(r.Texts.RawBin));
    if (r.Texts.Decoded)
        lblEncPosRawDecoded->setText(Latin(*r.Texts.Decoded));
}

void PositionPage::Render(const Engine::Reading& r) {
    pnlCrcValid->SetColor(WindowColors::Green);
    PlotStep(r);
}

void PositionPage::Render(const Engine::Lost& r) {
    if (!r.Interface)
        pnlCrcValid->SetColor(WindowColors::Red);
}

void PositionPage::Render(const Engine::RecordingPath& r) {
    mmShranjujIme->setPlainText(QDir::toNativeSeparators(QString::fromStdString(r.Path)));
}

void PositionPage::Render(const Engine::RecordingRow& r) {
    lblShraniElapsedTimeMs->setText(ElapsedSecondsText(r.ElapsedMs));
}

void PositionPage::Render(const Engine::RecordingEnded& r) {
    {
        // The engine has ended it: unticking must not ask again.
        const QSignalBlocker quiet(cbShranjujMeritvePos);
        cbShranjujMeritvePos->setChecked(false);
    }
    if (!r.Failed)
        lblShraniElapsedTimeMs->setText(lblShraniElapsedTimeMs->text() +
                                        QStringLiteral("  FINISHED."));
}
