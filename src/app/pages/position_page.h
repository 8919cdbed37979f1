#pragma once
// "  Position  ": the reply's raw bytes and their decoding, the CRC lamp, the
// recording to a file, the folder for files and the position chart, on which
// a recording can be opened for review.

#include "app/chart_explorer.h"
#include "app/chart_frame.h"
#include "app/main_form_environment.h"
#include "engine/engine_reports.h"

#include <QWidget>
#include <cstdint>
#include <memory>

class ColorPointSeries;
class FilesFolder;
class LampPanel;
class PageHost;
class PathLabel;
class PrintedChart;
class QCheckBox;
class QCPGraph;
class QCustomPlot;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class RecordingReview;
class ReviewBand;
class SpinEdit;

class PositionPage final : public QWidget {
    Q_OBJECT
public:
    /// Files go to `files`; `env` asks for their names and folder.
    PositionPage(PageHost& host, FilesFolder& files, const MainFormEnvironment& env);

    QLabel* lbl3{};
    QLabel* lblEncPosRawHex{};
    QLabel* Label1{};
    QLabel* lblEncPosRawBin{};
    QLabel* Label2{};
    QLabel* lblEncPosRawDecoded{};
    QLabel* lblCRCvalidation{};
    LampPanel* pnlCrcValid{};
    QCheckBox* cbShranjujMeritvePos{};
    QLabel* Label7{};
    SpinEdit* seCasShranjevanja{};
    QPlainTextEdit* mmShranjujIme{};
    QLabel* lblShraniElapsedTimeMs{};
    QPushButton* btnFolder{};        ///< "Folder…": where recordings, reports and chart images go
    PathLabel* lblFolder{};          ///< the folder in use
    QPushButton* btnOpenRecording{}; ///< "Open recording…": a recording shown for review
    ReviewBand* reviewBand{};        ///< above the chart while a recording is reviewed
    QCheckBox* cbPosPlot{};
    QPushButton* btnChartPosSave{};
    QPushButton* btnChartPosClear{};
    QCustomPlot* chartPosition{};

    ColorPointSeries* SeriesPosST{}; ///< singleturn angle, right axis, status colour per point
    QCPGraph* SeriesPosMT{};         ///< turn count, left axis, multiturn encoders only
    std::uint32_t ChartTime = 0;     ///< X of the next position sample
    ChartExplorer* PositionExplorer{};
    RecordingReview* review_{};
    static constexpr int PositionChartPoints = 250;

    void cbShranjujMeritvePosClick(); ///< ticked: start a recording; unticked: stop it
    void btnFolderClick();
    void btnOpenRecordingClick();
    void btnChartPosSaveClick();
    void btnChartPosClearClick();
    void cbPosPlotClick();
    /// Reads `path` and shows it on the chart; a file that is not a recording
    /// is refused with a message. Returns at once.
    void OpenRecording(const QString& path);
    void EndReview();

    /// Tells the engine the settings this page's controls hold.
    void SendSettings();
    /// Shows the folder files go to now.
    void ShowFilesFolder();
    /// The chart as the installation report draws it (see ReportSources).
    [[nodiscard]] std::unique_ptr<PrintedChart> PrintChart(bool multiturn);

    void Render(const Engine::Transfer& r);
    void Render(const Engine::Reading& r);
    void Render(const Engine::Lost& r);
    void Render(const Engine::RecordingPath& r);
    void Render(const Engine::RecordingRow& r);
    void Render(const Engine::RecordingEnded& r);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    void SetUpChart();
    void SetUpReview();
    /// The chart's live view and point texts, to return to after a review.
    [[nodiscard]] ChartExplorer::Hooks LiveHooks();
    void PlotStep(const Engine::Reading& reading);
    void SaveChartAs(const QString& chosen);

    PageHost& host_;
    FilesFolder& files_;
    MainFormEnvironment::SaveFileNameQuestion askSaveFileName_;
    MainFormEnvironment::FolderQuestion askFolder_;
    ChartRedraw redraw_;
    QString chartFileName_; ///< the save dialog's name from the last save
};
