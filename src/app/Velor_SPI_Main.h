#pragma once
// Velor_SPI_Main: TMainForm, the program's one window. It shows what the engine
// reports and passes the user's requests to it; it never touches the port,
// never waits, and keeps no program-wide records. One file per concern:
// Velor_SPI_Main.cpp (start-up, caption, log, key chords, close),
// main_form_layout.cpp, main_form_requests.cpp, main_form_reports.cpp,
// main_form_charts.cpp, main_form_chart_export.cpp and main_form_report.cpp.

#include "app/chart_explorer.h"
#include "app/files_folder.h"
#include "app/main_form_environment.h"
#include "engine/engine_reports.h"
#include "engine/engine_requests.h"
#include "monitor/gap_statistics.h"
#include "monitor/reading_tally.h"

#include <QElapsedTimer>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QCustomPlot;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;
class LampPanel;
class LimitsPanel;
class SpinEdit;
class PathLabel;
class RecordingReview;
class ReviewBand;
class ColorPointSeries;
class QCPGraph;
struct InstallationReportPage;

class TMainForm : public QWidget {
    Q_OBJECT
public:
    /// Starts asking env.Channel's engine and showing its reports.
    explicit TMainForm(MainFormEnvironment env, QWidget* parent = nullptr);
    ~TMainForm() override;

    // ---- top of the window
    QWidget* pnl1Top{};
    QLabel* lbl1{};
    QLabel* Image1{};
    QWidget* pnl2Mid{};
    QFrame* pnlPosition{};
    QLabel* lblPosUnit{};
    LampPanel* pnlCommActive{};
    QTabWidget* Pages{};

    // ---- "  System Config  "
    QWidget* tabSysCfg{};
    QGroupBox* gInterfaceInfo{};
    QLabel* lblComPort{};
    QLabel* lblInterfaceVer{};
    QLabel* lblInterfaceSerial{};
    QGroupBox* grpEncClk{};
    QLabel* Label6{};
    QComboBox* cmbFreqSPI{};
    QLabel* Label5{};
    SpinEdit* seEncoderReadInterval{};
    QGroupBox* grpEncPower{};
    QRadioButton* rbPwr5v{};
    QRadioButton* rbPwr33v{};
    QRadioButton* rbPwrOff{};
    QLabel* lblEncPwrStatus{};
    QGroupBox* grpSystemHidden{};
    QLabel* lblCmd{};
    QLabel* lblData{};
    QCheckBox* cbLogComm{};
    QLabel* lbl2{};
    QPlainTextEdit* mmLog{};
    QPushButton* Button1{};

    // ---- "  Encoder Identification  "
    QWidget* tabEncIdent{};
    QGroupBox* GroupBox1{};
    QLabel* lblEncPartNumber{};
    QLabel* lblEncSerial{};
    QLabel* lblEncFirmware{};
    QLabel* lblEncAdditional{};
    QLabel* Label9{};
    QComboBox* cbbMagnetSize{};
    QGroupBox* GroupBox2{};
    QLabel* lblEDS{};

    // ---- "  Position  "
    QWidget* tabEncPos{};
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

    // ---- "  Status  "
    QWidget* tabEncStatus{};
    QLabel* Label4{};
    QLabel* lblEncTemp{};
    QLabel* Label8{};
    QLabel* lblEncSpeed{};
    QLabel* Label12{};
    QLabel* lblEncTimestamp{};
    QLabel* Label3{};
    QLabel* lblEncDetStatBin{};
    QGroupBox* GroupBox5{};
    LampPanel* pnlOAngleAccel{};
    LampPanel* pnlOSafety{};
    LampPanel* pnlOSignalHigh{};
    LampPanel* pnlOSignalLow{};
    LampPanel* pnlOTemperature{};
    LampPanel* pnlOSpeed{};
    LampPanel* pnlOmultiturn{};

    // ---- "  Installation  "
    QWidget* tabInstCal{};
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
    QCheckBox* cbAirGap{};
    QPushButton* btnACopyClipboard{};
    QPushButton* btnChartGapClear{};
    QCustomPlot* ChartAirGap{};
    LimitsPanel* grpLimits{}; ///< the limits and the verdict over the air-gap chart's readings
    QGroupBox* grpReport{};
    QPushButton* btnSaveReport{};
    QLabel* lblReportPath{};

    // ---- "  Encoder Config  "
    QWidget* tabEncConfig{};
    QPushButton* btnFactoryReset{};
    SpinEdit* seSetZero{};
    QPushButton* btnSetZeroOffset{};
    QPushButton* btnSaveParams{};
    SpinEdit* seSetMultiturn{};
    QPushButton* btnSetMultiturn{};

    // ---- hidden service pages
    QWidget* tabUserMem{};
    QWidget* tabDiag{};
    QWidget* tabErrMap{};
    QWidget* tabTest{};
    QWidget* tabDebug{};
    QPushButton* btnDebugUnlock{};

    /// The taskbar text; kept equal to the caption.
    [[nodiscard]] QString ApplicationTitle() const;

    // ---- the shell
    void UpdateCaption();
    void AddLog(const QString& line); ///< one line at the end, then one page down
    void ScrollLog();                 ///< one page down
    void Button1Click();
    void btnDebugUnlockClick();
    /// Renders every report waiting now (the window drains them at most once a frame).
    void DrainReports();
    /// Longest the log pane grows: the oldest lines go first.
    static constexpr int MaxLogLines = 10000;
    /// Reports are drawn at most this often.
    static constexpr int FrameMs = 16;
    /// The window is laid out in pixels, at one size.
    static constexpr QSize FormSize{1068, 652};

    // ---- requests (main_form_requests.cpp)
    void rbPwr5vClick();
    void rbPwrOffClick();
    void cmbFreqSPIChange();
    void cbbMagnetSizeChange();
    void seEncoderReadIntervalChange();
    void btnFactoryResetClick();
    void btnSaveParamsClick();
    void btnStartSelfCalClick();
    void btnSetZeroOffsetClick();
    void btnSetMultiturnClick();
    void btnTarvinSetZeroClick();
    void cbShranjujMeritvePosClick(); ///< ticked: start a recording; unticked: stop it
    void btnFolderClick();

    // ---- a recording reviewed on the Position chart (main_form_review.cpp)
    /// Reads `path` and shows it on the Position chart; a file that is not
    /// a recording is refused with a message. Returns at once.
    void OpenRecording(const QString& path);
    void EndReview();
    void btnOpenRecordingClick();
    RecordingReview* review_{};

    // ---- charts and their export (main_form_charts.cpp, main_form_chart_export.cpp)
    ColorPointSeries* SeriesPosST{}; ///< singleturn angle, right axis, status colour per point
    QCPGraph* SeriesPosMT{};         ///< turn count, left axis, multiturn encoders only
    ColorPointSeries* serSignal{};   ///< air gap over the angle, kept in angle order
    std::uint32_t ChartTime = 0;     ///< X of the next position sample
    ChartExplorer* PositionExplorer{};
    ChartExplorer* AirGapExplorer{};
    /// The position chart's live view and point texts (to return to after
    /// other graphs were shown on it).
    [[nodiscard]] ChartExplorer::Hooks PositionHooks();
    static constexpr int PositionChartPoints = 250;
    void btnChartPosClearClick();
    void btnChartGapClearClick();
    void cbPosPlotClick();
    void cbAirGapClick();
    void btnChartPosSaveClick();
    void btnACopyClipboardClick();
    /// Over the air-gap chart's points, as "Copy" and the report give them.
    [[nodiscard]] Monitor::GapStatistics ChartGapStatistics() const;

    // ---- the installation report (main_form_report.cpp)
    void btnSaveReportClick(); ///< a one-page PDF in the recording folder

signals:
    /// After each report is shown (for tools that watch the program run).
    void reportRendered(const Engine::Report& report);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    QWidget* BuildTopBand();
    QWidget* BuildSysCfgPage();
    QWidget* BuildEncIdentPage();
    QWidget* BuildEncPosPage();
    QWidget* BuildEncStatusPage();
    QWidget* BuildInstCalPage();
    QWidget* BuildEncConfigPage();
    void WireEvents();
    void FormCreate();
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void ShowBox(bool error, const QString& text);
    void ShowServiceTabs(bool all);

    // Requests.
    void WireRequests();
    void SendSettings();
    void Ask(Engine::Request request);
    [[nodiscard]] Monitor::Page CurrentPage() const;
    /// Buttons that work only while an encoder is connected.
    [[nodiscard]] std::vector<QPushButton*> CommandButtons() const;
    void UpdateCommandButtons();
    void ShowFilesFolder();

    // Reports.
    void ReportsWaiting();
    void SetPanelColor(const QColor& color);
    void Render(const Engine::LogLine& r);
    void Render(const Engine::Banner& r);
    void Render(const Engine::InterfaceInfo& r);
    void Render(const Engine::CaptionFields& r);
    void Render(const Engine::ClockSelected& r);
    void Render(const Engine::SearchPassEnded& r);
    void Render(const Engine::EncoderLabels& r);
    void Render(const Engine::MagnetSizeChosen& r);
    void Render(const Engine::ExtendedCommandSet& r);
    void Render(const Engine::Transfer& r);
    void Render(const Engine::Reading& r);
    void Render(const Engine::Lost& r);
    void Render(const Engine::EncoderConnection& r);
    void Render(const Engine::SupplyStatus& r);
    void Render(const Engine::Message& r);
    void Render(const Engine::SetZeroOutcome& r);
    void Render(const Engine::RecordingPath& r);
    void Render(const Engine::RecordingRow& r);
    void Render(const Engine::RecordingEnded& r);

    // Charts.
    void SetUpCharts();
    void SetUpReview();
    void WireChartEvents();
    void PositionLiveView();
    /// Steps of a reading; each adds a point only while its check box is ticked.
    void PositionPlotStep(const Engine::Reading& reading, const QColor& statusColor);
    void AirGapPlotStep(const Engine::Reading& reading, const QColor& statusColor);
    void SaveChartAs(const QString& chosen);
    void RedrawChart(QCustomPlot* chart);
    void RedrawStaleCharts();

    // The installation report.
    [[nodiscard]] InstallationReportPage ReportPage(const QDateTime& now,
                                                    const QString& shown) const;

    MainFormEnvironment env_;
    FilesFolder files_;
    QString versionText_;
    Engine::CaptionFields caption_;
    bool waitCursor_ = false;
    bool encoderConnected_ = false;
    bool setZeroRunning_ = false;
    std::vector<QString> commandHints_; ///< the command buttons' own tooltips
    QTimer* drainTimer_{};
    QElapsedTimer sinceDrain_;
    QString chartFileName_;              ///< the save dialog's name from the last save
    std::set<QCustomPlot*> staleCharts_; ///< changed while hidden
    // The encoder as last reported, for the clipboard text.
    std::string partNumber_;
    std::string serialNumber_;
    std::string firmwareVersion_;
    // For the installation report: the box and the readings since the
    // encoder was found.
    Engine::InterfaceInfo interface_;
    std::optional<bool> multiturn_; ///< unset until the first reading
    Monitor::ReadingTally tally_;
};

/// Device text as the window shows it: one byte, one character.
[[nodiscard]] QString Latin(const std::string& bytes);

/// A number in "fixed (P, D)" with the locale's decimal separator.
[[nodiscard]] QString LocaleFixed(double value, int precision, int decimals);

/// An air-gap figure as the clipboard and the installation report write it.
[[nodiscard]] QString GapFigureText(float mm);

/// The window's colour for an engine colour.
[[nodiscard]] QColor ToQColor(Engine::Colour colour);
