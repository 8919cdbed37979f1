#pragma once
// The installation report: one A4 page drawn with Qt's PDF writer, the
// identification and figures in labelled sections and the two charts as
// vector graphics. The window fills in the texts; this file only lays them out.

#include <QColor>
#include <QString>
#include <utility>
#include <vector>

class QCustomPlot;
class QIODevice;

struct ReportSection {
    QString Heading;
    std::vector<std::pair<QString, QString>> Rows; ///< label, value
};

struct ReportChart {
    QString Heading;
    QCustomPlot* Chart = nullptr;
    QString Note; ///< drawn over the chart when it has no points, else empty
};

struct InstallationReportPage {
    QString Title;
    QString SavedAt; ///< local date and time
    QString Version; ///< the program's
    ReportSection Box;
    ReportSection Encoder;
    ReportSection Values;
    ReportSection Flags;
    /// Drawn as one row of figures; Note under them (why some are missing).
    ReportSection Statistics;
    QString StatisticsNote;
    ReportSection Limits; ///< one row of figures
    ReportSection Verdict;
    /// The verdict's word on the right of its heading; none when empty.
    QString VerdictName;
    QColor VerdictColor;
    /// One figure a clock, the recommendation under them; not drawn when
    /// its heading is empty (no link test was run).
    ReportSection LinkTest;
    QString LinkTestNote;
    ReportChart GapChart;
    ReportChart PositionChart;
    QString FileName; ///< the footer
};

/// Writes `page` as a one-page A4 PDF to `out`, which must be open for
/// writing. False with the reason when the PDF could not be written.
[[nodiscard]] bool WriteInstallationReport(const InstallationReportPage& page, QIODevice& out,
                                           QString& reason);
