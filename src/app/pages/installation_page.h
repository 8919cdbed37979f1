#pragma once
// "  Installation  ": self-calibration, "Set zero here", the installation
// report, and the air gap over a turn with its limits and verdict.

#include "app/chart_explorer.h"
#include "app/chart_frame.h"
#include "app/command_buttons.h"
#include "app/pages/installation_report_contents.h"
#include "engine/engine_reports.h"

#include <QDateTime>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class ColorPointSeries;
class FilesFolder;
class LampPanel;
class LimitsPanel;
class PageHost;
class QCheckBox;
class QCustomPlot;
class QGroupBox;
class QLabel;
class QPushButton;
class QSettings;
class ReportSources;
class ResultsWorker;

class InstallationPage final : public QWidget {
    Q_OBJECT
public:
    /// The limits are kept in `settings`; reports go to `files`, stamped
    /// with `localNow` (unset: the system's time), and their results to
    /// `results`; `sources` gives what the report takes from the other pages.
    InstallationPage(PageHost& host, FilesFolder& files, std::shared_ptr<QSettings> settings,
                     std::function<QDateTime()> localNow, ReportSources& sources,
                     ResultsWorker& results);

    QGroupBox* GroupBox3{};
    QPushButton* btnStartSelfCal{};
    QLabel* lblSelfCalNote{};
    QGroupBox* grpSelfCalStatusLights{};
    LampPanel* pnlCalFinish{};
    LampPanel* pnlCalFailed{};
    LampPanel* pnlCalTimeout{};
    QLabel* lblCalCounter{};
    QGroupBox* grpSetZeroHere{};
    QPushButton* btnTarvinSetZero{};
    QLabel* lblSetZeroStatus{};
    QGroupBox* grpAirGap{};
    QLabel* lblSignalLevel{};
    QLabel* lblAirGap1{};
    QLabel* lblRunout{}; ///< the once-a-turn wave of the verdict's gaps
    QCheckBox* cbAirGap{};
    QPushButton* btnACopyClipboard{};
    QPushButton* btnChartGapClear{};
    QCustomPlot* ChartAirGap{};
    LimitsPanel* grpLimits{}; ///< the limits and the verdict over the air-gap chart's readings
    QGroupBox* grpReport{};
    QPushButton* btnSaveReport{};
    QLabel* lblReportPath{};

    ColorPointSeries* serSignal{}; ///< air gap over the angle, kept in angle order
    ChartExplorer* AirGapExplorer{};

    void btnStartSelfCalClick();
    void btnTarvinSetZeroClick();
    void btnACopyClipboardClick();
    void btnChartGapClearClick();
    void cbAirGapClick();
    void btnSaveReportClick(); ///< a one-page PDF in the folder for files

    void Render(const Engine::InterfaceInfo& r);
    void Render(const Engine::CaptionFields& r);
    void Render(const Engine::EncoderLabels& r);
    void Render(const Engine::ExtendedCommandSet& r);
    void Render(const Engine::Reading& r);
    void Render(const Engine::EncoderConnection& r);
    void Render(const Engine::SetZeroOutcome& r);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout(std::shared_ptr<QSettings> settings);
    void SetUpChart();
    void UpdateCommandButtons();
    void ShowRunout();
    /// Writes the report to `path`; false with the reason when it failed.
    [[nodiscard]] bool WriteReport(const QString& path, const InstallationReportPage& page,
                                   QString& reason);
    /// The saved report's result, to the results store.
    void KeepResult(const QString& path);

    PageHost& host_;
    FilesFolder& files_;
    std::function<QDateTime()> localNow_;
    ReportSources& sources_;
    ResultsWorker& results_;
    ChartRedraw redraw_;
    std::optional<CommandButtons> commands_;
    InstallationFacts facts_;
    bool encoderConnected_ = false;
    bool setZeroRunning_ = false;
};
