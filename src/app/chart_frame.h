#pragma once
// A chart as the pages draw it: white, with a silver border that a saved
// image keeps, sharp on a scaled screen; and its redraws, which wait until it
// is seen.

#include <qcustomplot.h>
#include <set>

/// A new chart on `parent`, with the window's look.
[[nodiscard]] QCustomPlot* NewChart(QWidget* parent);

/// Ticks every `step`, or (ssMultiples) every multiple of it that fits.
[[nodiscard]] QSharedPointer<QCPAxisTickerFixed>
FixedTicker(double step, QCPAxisTickerFixed::ScaleStrategy strategy);

/// Redraws a page's charts once per pass of the event loop however many
/// points came, and only while they are seen.
class ChartRedraw {
public:
    /// Now if `chart` is seen, else when its page is shown.
    void Redraw(QCustomPlot* chart);
    /// The page is shown: the charts that changed while it was hidden.
    void RedrawStale();

private:
    std::set<QCustomPlot*> stale_;
};
