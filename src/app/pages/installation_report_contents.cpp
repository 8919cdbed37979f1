#include "app/pages/installation_report_contents.h"

#include "app/chart_color_series.h"
#include "app/display_text.h"
#include "app/limits_panel.h"

#include <QLocale>
#include <cmath>

namespace {
QString OrDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("—") : text;
}

/// The value, or why there is none.
template <class T, class Format>
QString Read(const std::optional<T>& value, Format format, const QString& missing) {
    return value ? format(*value) : missing;
}

/// The interface's version text is its identification, a dot and the firmware revision.
std::pair<QString, QString> SplitVersion(const std::string& version) {
    const std::size_t dot = version.rfind('.');
    if (dot == std::string::npos)
        return {Latin(version), QString()};
    return {Latin(version.substr(0, dot)), Latin(version.substr(dot + 1))};
}

QString Count(std::size_t n) {
    return QString::number(n);
}

ReportSection Identity(const InstallationFacts& facts, const QString& magnetSize) {
    return {QStringLiteral("Encoder"),
            {{QStringLiteral("Kind"), !facts.Multiturn   ? QStringLiteral("—")
                                      : *facts.Multiturn ? QStringLiteral("Multiturn")
                                                         : QStringLiteral("Single-turn")},
             {QStringLiteral("Part number"), OrDash(Latin(facts.PartNumber))},
             {QStringLiteral("Serial number"), OrDash(Latin(facts.SerialNumber))},
             {QStringLiteral("Firmware"), OrDash(Latin(facts.FirmwareVersion))},
             {QStringLiteral("Magnet size"), magnetSize.isEmpty()
                                                 ? QStringLiteral("not chosen")
                                                 : magnetSize + QStringLiteral(" mm")}}};
}

/// The texts of the labels that show these values.
ReportSection Values(const Monitor::ReadingTally& tally) {
    const auto fixed = [](int precision, int decimals, const QString& unit) {
        return [=](double v) { return LocaleFixed(v, precision, decimals) + unit; };
    };
    const auto gapText = [](double v) {
        return (std::isnan(v) ? QStringLiteral("---") : LocaleFixed(v, 5, 2)) +
               QStringLiteral(" mm");
    };
    const auto level = [](std::int32_t v) { return QString::number(v); };
    const QString onStatus = QStringLiteral("not read (read on the Status page)");
    const QString onInstallation = QStringLiteral("not read (read on the Installation page)");
    return {
        QStringLiteral("Values at the moment of saving"),
        {{QStringLiteral("Position"), Read(tally.PositionDeg(), fixed(12, 3, QStringLiteral(" °")),
                                           QStringLiteral("no reading yet"))},
         {QStringLiteral("Temperature"),
          Read(tally.TemperatureC(), fixed(4, 1, QStringLiteral(" °C")), onStatus)},
         {QStringLiteral("Speed"),
          Read(tally.SpeedRpm(), fixed(4, 1, QStringLiteral(" RPM")), onStatus)},
         {QStringLiteral("Signal level"), Read(tally.SignalLevel(), level, onInstallation)},
         {QStringLiteral("Air gap"), Read(tally.AirGapMm(), gapText, onInstallation)}}};
}

ReportSection Flags(const Monitor::ReadingTally& tally) {
    QStringList seen;
    for (std::size_t i = 0; i < Monitor::DetailedStatusFlags.size(); ++i)
        if (tally.FlagCount(i) > 0)
            seen << Latin(std::string(Monitor::DetailedStatusFlags[i].Name)) +
                        QStringLiteral(" (%1)").arg(tally.FlagCount(i));
    return {QStringLiteral("Flags since the encoder was found"),
            {{QStringLiteral("Readings"), Count(tally.Readings())},
             {QStringLiteral("With error bit"), Count(tally.ErrorReadings())},
             {QStringLiteral("With warning bit"), Count(tally.WarningReadings())},
             {QStringLiteral("Status readings"),
              tally.StatusReadings() > 0 ? Count(tally.StatusReadings())
                                         : QStringLiteral("0 (read on the Status page)")},
             {QStringLiteral("Status flags seen"),
              seen.isEmpty() ? QStringLiteral("none") : seen.join(QStringLiteral(", "))}}};
}
/// Per clock "CRC failed / timed out"; every clock had the same readings.
void LinkTestFigures(const Monitor::LinkTestResult& test, InstallationReportPage& page) {
    const int readings = test.Clocks.empty() ? 0 : test.Clocks.front().Readings;
    page.LinkTest.Heading =
        QStringLiteral("Link test: replies that failed their check / timed out, of %1 at each "
                       "SPI clock")
            .arg(readings);
    for (const Monitor::ClockTally& clock : test.Clocks)
        page.LinkTest.Rows.emplace_back(
            Latin(Monitor::ClockText(clock.Clock)),
            QStringLiteral("%1 / %2").arg(clock.CrcFailed).arg(clock.Timeouts));
    page.LinkTestNote = Latin(Monitor::RecommendationText(test));
}
} // namespace

Monitor::GapStatistics ChartGapStatistics(const ColorPointSeries& gaps) {
    Monitor::GapStatistics stats;
    const QCPGraphDataContainer& points = gaps.Points();
    for (auto it = points.constBegin(); it != points.constEnd(); ++it)
        stats.Add(it->value);
    return stats;
}

InstallationReportPage ComposeInstallationReport(const ReportContents& contents,
                                                 const QDateTime& now, const QString& shown) {
    const InstallationFacts& facts = contents.Facts;
    InstallationReportPage page;
    page.Title = QStringLiteral("Installation report");
    page.SavedAt = QLocale().toString(now, QStringLiteral("yyyy-MM-dd  HH:mm:ss"));
    page.Version = QStringLiteral(TESSORAN_VERSION_TEXT);
    page.FileName = shown;

    const auto [identification, boxFirmware] = SplitVersion(facts.Box.Version);
    page.Box = {QStringLiteral("Interface box"),
                {{QStringLiteral("Port"), OrDash(Latin(facts.Box.Port))},
                 {QStringLiteral("Identification"), OrDash(identification)},
                 {QStringLiteral("Serial number"), OrDash(Latin(facts.BoxSerial))},
                 {QStringLiteral("Firmware"), OrDash(boxFirmware)}}};
    page.Encoder = Identity(facts, contents.MagnetSize);
    page.Values = Values(facts.Tally);
    page.Flags = Flags(facts.Tally);
    contents.Limits.FillReport(page);

    // The same points and figures as "Copy".
    const Monitor::GapStatistics stats = ChartGapStatistics(contents.Gaps);
    page.Statistics.Heading = QStringLiteral("Air-gap statistics over the chart's points");
    page.Statistics.Rows.emplace_back(QStringLiteral("Points"), Count(stats.Count()));
    if (stats.Enough()) {
        page.Statistics.Rows.emplace_back(QStringLiteral("Min"), GapFigureText(stats.Min()));
        page.Statistics.Rows.emplace_back(QStringLiteral("Max"), GapFigureText(stats.Max()));
        page.Statistics.Rows.emplace_back(QStringLiteral("Mean"), GapFigureText(stats.Mean()));
        page.Statistics.Rows.emplace_back(QStringLiteral("Standard deviation"),
                                          GapFigureText(stats.StdDev()));
    } else {
        page.StatisticsNote = QStringLiteral("Not enough data points recorded: %1 are needed.")
                                  .arg(Monitor::GapStatisticsMinPoints);
    }
    if (contents.LinkTest)
        LinkTestFigures(*contents.LinkTest, page);
    page.GapChart = contents.GapChart;
    page.PositionChart = contents.PositionChart;
    return page;
}
