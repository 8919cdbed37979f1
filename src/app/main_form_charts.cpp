// The position and air-gap charts: their series and axes, their live views
// and explorers, the reading tick's plot steps and the buttons that clear them.
#include "app/Velor_SPI_Main.h"
#include "app/chart_color_series.h"
#include "app/chart_explorer.h"
#include "app/chart_point_texts.h"
#include "app/limits_panel.h"
#include "app/recording_review.h"
#include "app/window_colors.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <qcustomplot.h>

namespace {
constexpr int LineWidth = 2;
constexpr double PositionPointSize = 5;
constexpr double AirGapPointSize = 4;

QSharedPointer<QCPAxisTickerFixed> FixedTicker(double step,
                                               QCPAxisTickerFixed::ScaleStrategy strategy) {
    auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
    ticker->setTickStep(step);
    ticker->setScaleStrategy(strategy);
    return ticker;
}

/// The chart's silver border, drawn over everything, also in a saved image.
class ChartBorder final : public QCPLayerable {
public:
    explicit ChartBorder(QCustomPlot* chart) : QCPLayerable(chart, QStringLiteral("overlay")) {}

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override {
        painter->setAntialiasing(false);
    }
    // QCPLayer clips every layerable one pixel above its clip rectangle;
    // shifted down by one, the clip is the whole chart, bottom row included.
    [[nodiscard]] QRect clipRect() const override {
        return mParentPlot->viewport().translated(0, 1);
    }
    void draw(QCPPainter* painter) override {
        painter->setPen(WindowColors::Silver);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(mParentPlot->viewport().adjusted(0, 0, -1, -1));
    }
};

/// The air-gap chart's live view: one turn, and gaps up to 10 mm.
void FixedGapAxes(QCustomPlot& chart) {
    chart.xAxis->setRange(0, 360);
    chart.yAxis->setRange(0, 10);
}

void RemoveFirst(QCPGraph* graph) {
    if (!graph->data()->isEmpty())
        graph->data()->remove(graph->data()->constBegin()->key);
}
} // namespace

void TMainForm::SetUpCharts() {
    // Lines of width 2 drawn segment by segment: one wide polyline with
    // thousands of joins costs the raster engine ten times as much.
    for (QCustomPlot* chart : {chartPosition, ChartAirGap}) {
        chart->setPlottingHint(QCP::phFastPolylines, true);
        new ChartBorder(chart);
    }
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
    SeriesPosST = new ColorPointSeries(chartPosition->xAxis, angleAxis, Qt::blue, LineWidth,
                                       PositionPointSize);

    ChartAirGap->xAxis->setLabel(QStringLiteral("Position (deg)"));
    ChartAirGap->yAxis->setLabel(QStringLiteral("Air gap (mm)"));
    serSignal = new ColorPointSeries(ChartAirGap->xAxis, ChartAirGap->yAxis, Qt::blue, LineWidth,
                                     AirGapPointSize);

    PositionExplorer = new ChartExplorer(chartPosition, PositionHooks());
    AirGapExplorer = new ChartExplorer(
        ChartAirGap, {.LiveView = [this] { FixedGapAxes(*ChartAirGap); },
                      .PointGraph = [this] { return serSignal->Line(); },
                      .PointText = [this](int i) { return AirGapPointText(*serSignal, i); }});
}

ChartExplorer::Hooks TMainForm::PositionHooks() {
    return {
        .LiveView = [this] { PositionLiveView(); },
        .PointGraph = [this] { return SeriesPosST->Line(); },
        .PointText = [this](int i) { return PositionPointText(*SeriesPosST, *SeriesPosMT, i); }};
}

void TMainForm::PositionLiveView() {
    chartPosition->xAxis->rescale();
    PositionValueAxes(*chartPosition, SeriesPosMT);
}

void TMainForm::RedrawChart(QCustomPlot* chart) {
    // Once per pass of the event loop however many points came, and only a
    // chart that is seen: a hidden one is drawn when its page is shown.
    if (chart->isVisible())
        chart->replot(QCustomPlot::rpQueuedReplot);
    else
        staleCharts_.insert(chart);
}

void TMainForm::RedrawStaleCharts() {
    for (QCustomPlot* chart : {chartPosition, ChartAirGap})
        if (chart->isVisible() && staleCharts_.erase(chart) > 0)
            chart->replot(QCustomPlot::rpQueuedReplot);
}

void TMainForm::WireChartEvents() {
    connect(Pages, &QTabWidget::currentChanged, this, &TMainForm::RedrawStaleCharts);
    connect(btnChartPosClear, &QPushButton::clicked, this, &TMainForm::btnChartPosClearClick);
    connect(btnChartGapClear, &QPushButton::clicked, this, &TMainForm::btnChartGapClearClick);
    connect(btnChartPosSave, &QPushButton::clicked, this, &TMainForm::btnChartPosSaveClick);
    connect(btnACopyClipboard, &QPushButton::clicked, this, &TMainForm::btnACopyClipboardClick);
    connect(btnSaveReport, &QPushButton::clicked, this, &TMainForm::btnSaveReportClick);
    // Every change of the boxes counts, also one made by the program.
    connect(cbPosPlot, &QCheckBox::toggled, this, &TMainForm::cbPosPlotClick);
    connect(cbAirGap, &QCheckBox::toggled, this, &TMainForm::cbAirGapClick);
}

void TMainForm::PositionPlotStep(const Engine::Reading& reading, const QColor& statusColor) {
    if (!cbPosPlot->isChecked())
        return;
    const double x = ChartTime;
    const TEncoderPosition& pos = reading.Position;
    if (reading.Multiturn)
        SeriesPosMT->addData(x, pos.MT_value);
    SeriesPosST->Add(x, pos.ST_value * pos.Resolution_unit, statusColor);
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
    RedrawChart(chartPosition);
}

void TMainForm::AirGapPlotStep(const Engine::Reading& reading, const QColor& statusColor) {
    if (!cbAirGap->isChecked())
        return;
    // A gap without a value (NaN) is no point; the series refuses it.
    serSignal->Add(reading.Position.ST_value * reading.Position.Resolution_unit, reading.Aux.AirGap,
                   statusColor);
    RedrawChart(ChartAirGap);
}

void TMainForm::btnChartPosClearClick() {
    SeriesPosST->Clear();
    SeriesPosMT->data()->clear();
    ChartTime = 0;
    PositionExplorer->Follow();
    RedrawChart(chartPosition);
}

void TMainForm::cbPosPlotClick() {
    // Every plot starts empty at sample 0; unticking keeps what is there.
    if (cbPosPlot->isChecked())
        btnChartPosClearClick();
}

void TMainForm::btnChartGapClearClick() {
    serSignal->Clear();
    AirGapExplorer->Follow();
    grpLimits->Clear();
    RedrawChart(ChartAirGap);
}

void TMainForm::cbAirGapClick() {
    // The fixed axes of the live view, so a curve being drawn does not jump.
    AirGapExplorer->Follow();
    RedrawChart(ChartAirGap);
}
