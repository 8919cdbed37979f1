#pragma once
// What the installation report says: the texts of its sections, from what
// the Installation page knows of the box and the encoder, its limits and
// verdict, and the two charts.

#include "app/installation_report.h"
#include "engine/engine_reports.h"
#include "monitor/gap_statistics.h"
#include "monitor/link_test.h"
#include "monitor/reading_tally.h"

#include <QDateTime>
#include <optional>
#include <string>

class ColorPointSeries;
class LimitsPanel;

/// The box and the encoder as last reported, and the readings since the
/// encoder was found.
struct InstallationFacts {
    Engine::InterfaceInfo Box;
    std::string BoxSerial;
    std::string PartNumber;
    std::string SerialNumber;
    std::string FirmwareVersion;
    std::optional<bool> Multiturn; ///< unset until the first reading
    Monitor::ReadingTally Tally;
};

/// The report's sources, read only.
struct ReportContents {
    const InstallationFacts& Facts;
    QString MagnetSize; ///< empty: not chosen
    const LimitsPanel& Limits;
    const ColorPointSeries& Gaps;
    ReportChart GapChart;
    ReportChart PositionChart;
    const Monitor::LinkTestResult* LinkTest = nullptr; ///< the last one finished; null: none
};

/// Over the air-gap chart's points, as "Copy" and the report give them.
[[nodiscard]] Monitor::GapStatistics ChartGapStatistics(const ColorPointSeries& gaps);

/// The report's page, saved at `now` as the file `shown`.
[[nodiscard]] InstallationReportPage ComposeInstallationReport(const ReportContents& contents,
                                                               const QDateTime& now,
                                                               const QString& shown);
