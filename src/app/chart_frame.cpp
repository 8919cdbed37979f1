#include "app/chart_frame.h"

#include "app/window_colors.h"

#include <qcustomplot.h>

namespace {
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
} // namespace

QCustomPlot* NewChart(QWidget* parent) {
    auto* chart = new QCustomPlot(parent);
    chart->setBackground(Qt::white);
    chart->axisRect()->setBackground(Qt::white);
    chart->legend->setVisible(false);
    chart->setStyleSheet(QStringLiteral("border: 1px solid silver;"));
    // Drawn at the pixel ratio of the screen it is on now, so it stays sharp
    // on a scaled screen and after moving to another one.
    QObject::connect(chart, &QCustomPlot::beforeReplot, chart,
                     [chart] { chart->setBufferDevicePixelRatio(chart->devicePixelRatioF()); });
    // Lines of width 2 drawn segment by segment: one wide polyline with
    // thousands of joins costs the raster engine ten times as much.
    chart->setPlottingHint(QCP::phFastPolylines, true);
    new ChartBorder(chart);
    return chart;
}

QSharedPointer<QCPAxisTickerFixed> FixedTicker(double step,
                                               QCPAxisTickerFixed::ScaleStrategy strategy) {
    auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
    ticker->setTickStep(step);
    ticker->setScaleStrategy(strategy);
    return ticker;
}

void ChartRedraw::Redraw(QCustomPlot* chart) {
    if (chart->isVisible())
        chart->replot(QCustomPlot::rpQueuedReplot);
    else
        stale_.insert(chart);
}

void ChartRedraw::RedrawStale() {
    for (auto it = stale_.begin(); it != stale_.end();) {
        if ((*it)->isVisible()) {
            (*it)->replot(QCustomPlot::rpQueuedReplot);
            it = stale_.erase(it);
        } else {
            ++it;
        }
    }
}
