// "Save installation report…": one A4 page that a technician hands over after
// mounting an encoder. The figures are those the engine reported and the
// window shows; writing the file the user asked for is the window's only I/O.
#include "app/Velor_SPI_Main.h"

#include "app/chart_color_series.h"
#include "app/installation_report.h"
#include "app/limits_panel.h"
#include "app/report_gap_chart.h"
#include "monitor/recording_file.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <cmath>
#include <qcustomplot.h>

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

Monitor::LocalDateTime ToLocal(const QDateTime& t) {
    const QDate d = t.date();
    const QTime c = t.time();
    return {d.year(), d.month(), d.day(), c.hour(), c.minute(), c.second()};
}
} // namespace

InstallationReportPage TMainForm::ReportPage(const QDateTime& now, const QString& shown) const {
    InstallationReportPage page;
    page.Title = QStringLiteral("Installation report");
    page.SavedAt = QLocale().toString(now, QStringLiteral("yyyy-MM-dd  HH:mm:ss"));
    page.Version = versionText_;
    page.FileName = shown;

    const auto [identification, boxFirmware] = SplitVersion(interface_.Version);
    page.Box = {QStringLiteral("Interface box"),
                {{QStringLiteral("Port"), OrDash(Latin(interface_.Port))},
                 {QStringLiteral("Identification"), OrDash(identification)},
                 {QStringLiteral("Serial number"), OrDash(Latin(caption_.InterfaceSerial))},
                 {QStringLiteral("Firmware"), OrDash(boxFirmware)}}};
    page.Encoder = {QStringLiteral("Encoder"),
                    {{QStringLiteral("Kind"), !multiturn_   ? QStringLiteral("—")
                                              : *multiturn_ ? QStringLiteral("Multiturn")
                                                            : QStringLiteral("Single-turn")},
                     {QStringLiteral("Part number"), OrDash(Latin(partNumber_))},
                     {QStringLiteral("Serial number"), OrDash(Latin(serialNumber_))},
                     {QStringLiteral("Firmware"), OrDash(Latin(firmwareVersion_))},
                     {QStringLiteral("Magnet size"),
                      cbbMagnetSize->currentText().isEmpty()
                          ? QStringLiteral("not chosen")
                          : cbbMagnetSize->currentText() + QStringLiteral(" mm")}}};

    // The texts of the labels that show these values.
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
    page.Values = {
        QStringLiteral("Values at the moment of saving"),
        {{QStringLiteral("Position"), Read(tally_.PositionDeg(), fixed(12, 3, QStringLiteral(" °")),
                                           QStringLiteral("no reading yet"))},
         {QStringLiteral("Temperature"),
          Read(tally_.TemperatureC(), fixed(4, 1, QStringLiteral(" °C")), onStatus)},
         {QStringLiteral("Speed"),
          Read(tally_.SpeedRpm(), fixed(4, 1, QStringLiteral(" RPM")), onStatus)},
         {QStringLiteral("Signal level"), Read(tally_.SignalLevel(), level, onInstallation)},
         {QStringLiteral("Air gap"), Read(tally_.AirGapMm(), gapText, onInstallation)}}};

    QStringList seen;
    for (std::size_t i = 0; i < Monitor::DetailedStatusFlags.size(); ++i)
        if (tally_.FlagCount(i) > 0)
            seen << Latin(std::string(Monitor::DetailedStatusFlags[i].Name)) +
                        QStringLiteral(" (%1)").arg(tally_.FlagCount(i));
    const auto count = [](std::size_t n) { return QString::number(n); };
    page.Flags = {QStringLiteral("Flags since the encoder was found"),
                  {{QStringLiteral("Readings"), count(tally_.Readings())},
                   {QStringLiteral("With error bit"), count(tally_.ErrorReadings())},
                   {QStringLiteral("With warning bit"), count(tally_.WarningReadings())},
                   {QStringLiteral("Status readings"),
                    tally_.StatusReadings() > 0 ? count(tally_.StatusReadings())
                                                : QStringLiteral("0 (read on the Status page)")},
                   {QStringLiteral("Status flags seen"),
                    seen.isEmpty() ? QStringLiteral("none") : seen.join(QStringLiteral(", "))}}};

    grpLimits->FillReport(page);

    // The same points and figures as "Copy".
    const Monitor::GapStatistics stats = ChartGapStatistics();
    page.Statistics.Heading = QStringLiteral("Air-gap statistics over the chart's points");
    page.Statistics.Rows.emplace_back(QStringLiteral("Points"), count(stats.Count()));
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

    page.GapChart = {QStringLiteral("Air gap over the angle"), ChartAirGap,
                     serSignal->Count() == 0 ? QStringLiteral("No points: tick \"Plot air gap\".")
                                             : QString()};
    page.PositionChart = {multiturn_.value_or(false)
                              ? QStringLiteral("Position over the last readings: angle "
                                               "(right axis) and turns (left axis)")
                              : QStringLiteral("Position over the last readings: angle "
                                               "(right axis)"),
                          chartPosition,
                          SeriesPosST->Count() == 0
                              ? QStringLiteral("No points: tick the plot box on the Position page.")
                              : QString()};

    return page;
}

void TMainForm::btnSaveReportClick() {
    // The page's position chart is of the live readings, not of a file under review.
    EndReview();
    const QDateTime now = env_.LocalNow ? env_.LocalNow() : QDateTime::currentDateTime();
    const QString folder = files_.Path();
    const std::string name = Monitor::InstallationReportFileName(
        partNumber_, serialNumber_, Monitor::RecordingTimestamp(ToLocal(now)));
    const QString path = QString::fromStdString(
        Monitor::UnusedRecordingPath(folder.toStdString(), name)); // UTF-8 both ways
    const QString shown = QDir::toNativeSeparators(path);
    const InstallationReportPage page = ReportPage(now, shown);

    // NewOnly: a file that appeared since the name was chosen is not replaced either.
    QFile file(path);
    QString reason;
    bool saved = file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    if (!saved) {
        reason = file.errorString();
    } else {
        // The screen's dots are pictures; on the page they are drawn as discs.
        serSignal->SetVectorPoints(true);
        SeriesPosST->SetVectorPoints(true);
        // A single-turn encoder has no turns: their empty axis would only puzzle.
        QCPAxis* turns = chartPosition->yAxis;
        const bool turnsShown = turns->visible();
        turns->setVisible(turnsShown && multiturn_.value_or(false));
        {
            // The page shows the charts as they follow the readings, not a
            // detail someone zoomed into.
            const ChartExplorer::LiveViewScope livePosition(*PositionExplorer);
            const ChartExplorer::LiveViewScope liveGap(*AirGapExplorer);
            const ReportGapChart gapScale(ChartAirGap, serSignal->Points(), grpLimits->Limits());
            saved = WriteInstallationReport(page, file, reason);
        }
        turns->setVisible(turnsShown);
        serSignal->SetVectorPoints(false);
        SeriesPosST->SetVectorPoints(false);
        if (saved && (!file.flush() || file.error() != QFileDevice::NoError)) {
            saved = false;
            reason = file.errorString();
        }
        file.close();
        if (!saved)
            file.remove(); // ours, and unreadable
    }
    // The charts were laid out for the page; the window's own size comes back.
    RedrawChart(ChartAirGap);
    RedrawChart(chartPosition);

    if (!saved) {
        const QString text = QStringLiteral("The installation report could not be saved to ") +
                             shown + QStringLiteral(": ") + reason;
        lblReportPath->setText(QStringLiteral("Not saved: ") + reason);
        AddLog(text);
        ShowBox(true, text);
        return;
    }
    lblReportPath->setText(QStringLiteral("Saved to ") + shown);
    lblReportPath->setToolTip(shown);
    AddLog(QStringLiteral("Installation report saved to ") + shown);
}
