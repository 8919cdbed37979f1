#pragma once
// The air-gap chart as the installation report draws it: the whole turn
// across, the air gap scaled to the points so that a gap varying by some
// hundredths of a millimetre shows its shape, and the gap limits as lines.
// The live chart keeps its fixed axes: this lasts only while the page is drawn.

#include "monitor/installation_verdict.h"

#include <qcustomplot.h>
#include <vector>

/// The air-gap range for points spanning `points`, with a margin; widened to
/// take in a gap limit only while the points still fill a quarter of it, with
/// room at an edge for the note of a limit left beyond it.
[[nodiscard]] QCPRange ReportGapRange(const QCPRange& points,
                                      const Monitor::InstallationLimits& limits);

class ReportGapChart {
public:
    /// Sets `chart` (the air-gap chart, gap on yAxis) up for the page;
    /// `points`: its air-gap points.
    ReportGapChart(QCustomPlot* chart, const QCPGraphDataContainer& points,
                   const Monitor::InstallationLimits& limits);
    /// Takes the limits away and gives the chart its own ranges back.
    ~ReportGapChart();
    ReportGapChart(const ReportGapChart&) = delete;
    ReportGapChart& operator=(const ReportGapChart&) = delete;

private:
    void AddLimit(double mm, const QString& name);
    void SetRanges(const QCPRange& keys, const QCPRange& values);

    QCustomPlot* chart_;
    QCPRange keys_;
    QCPRange values_;
    std::vector<QCPAbstractItem*> items_;
    int notesAbove_ = 0;
    int notesBelow_ = 0;
};
