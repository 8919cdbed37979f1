#pragma once
// Velor_SPI_Main: TMainForm, the program's one window. Its handlers are defined
// next to the subsystem they belong to (src/interface, src/encoder, src/monitor);
// this header only declares them.

#include "app/main_form_environment.h"
#include "encoder/Enkoderji_splosno.h"
#include "monitor/reading_cycle.h"
#include "monitor/recording_file.h"
#include "serial/serial_port.h"

#include <QWidget>
#include <cstdint>
#include <memory>
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
class SpinEdit;
class ColorPointSeries;
class QCPGraph;

class TMainForm : public QWidget {
    Q_OBJECT
public:
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

    // ---- timers: each tick disables its own and enables exactly one
    QTimer* tmrSearchInterface{};
    QTimer* tmrSearchEncoder{};
    QTimer* tmrReadEncoder{};

    // ---- state owned by the window
    std::unique_ptr<Serial_driver::SerialPort> K730_H; ///< null: no port open
    std::vector<std::string> COMPorts;                 ///< candidates of the current tick
    std::string K730identifikacija;
    std::int32_t K730RevizijaFW = 0;
    std::string K730verzija;
    std::string K730Serijska;
    std::uint8_t LastCmd = 0;
    std::uint16_t CycleCounterStatus = 0;
    std::uint16_t CycleCounterPower = 0;
    std::uint32_t ChartTime = 0;
    std::uint32_t ShraniStartTick = 0;
    std::uint8_t Encoder_Status_delay = 0;

    /// The taskbar text; kept equal to the caption.
    [[nodiscard]] QString ApplicationTitle() const;

    // ---- operations of the shell
    void UpdateCaption();
    void AddLog(const QString& line);        ///< one line at the end, then one page down
    void AppendLogLine(const QString& line); ///< one line at the end, no scrolling
    void ScrollLog();                        ///< one page down
    void Button1Click();
    void btnDebugUnlockClick();

    // ---- interface box
    void tmrSearchInterfaceTimer();
    void rbPwr5vClick();
    void rbPwrOffClick();
    void cmbFreqSPIChange();
    void UpdateSupplyStatus();

    // ---- encoder
    void EncoderTransfer(unsigned char& c);
    bool SendEncoderCommands(const std::string& commands);

    // ---- monitoring
    void tmrSearchEncoderTimer();
    void cbbMagnetSizeChange();
    void tmrReadEncoderTimer();
    void seEncoderReadIntervalChange();

    // ---- charts and their export (src/monitor/chart_*.cpp)
    ColorPointSeries* SeriesPosST{}; ///< singleturn angle, right axis, status colour per point
    QCPGraph* SeriesPosMT{};         ///< turn count, left axis, multiturn encoders only
    ColorPointSeries* serSignal{};   ///< air gap over the angle, kept in angle order
    static constexpr int PositionChartPoints = 250;
    void SetUpCharts();
    void WireChartEvents();
    /// Reading-tick steps; each runs only while its check box is ticked.
    void PositionPlotStep(const QColor& statusColor);
    void AirGapPlotStep(const QColor& statusColor);
    void btnChartPosClearClick();
    void btnChartGapClearClick();
    void cbPosPlotClick();
    void cbAirGapClick();
    void btnChartPosSaveClick();
    void btnACopyClipboardClick();

    // ---- position recording (src/monitor/recording_*.cpp)
    void cbShranjujMeritvePosClick();    ///< ticked: start a recording; unticked: stop it
    void RecordPositionStep();           ///< one row, from a good reading tick
    Monitor::RecordingWriter ShraniFajl; ///< open exactly while a recording runs

    // ---- encoder configuration commands (src/encoder/config_handlers.cpp)
    void btnFactoryResetClick();
    void btnSaveParamsClick();
    void btnStartSelfCalClick();
    void btnSetZeroOffsetClick();
    void btnSetMultiturnClick();
    void btnTarvinSetZeroClick();

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
    [[nodiscard]] Monitor::Page CurrentSchedulePage() const;
    void ShowAuxiliary(unsigned char command, const QColor& statusColor);
    void ShowBox(bool error, const QString& text);
    void ShowServiceTabs(bool all);

    // ---- private state of charts, recording and configuration commands
    QString chartFileName_; ///< the save dialog's name from the last save
    void WireRecordingEvents();
    void StartRecording();
    void StopRecording();
    void AbandonRecording(const QString& failedAction, const Monitor::FileStatus& status);
    void CloseRecordingOnExit();
    QString recordingPath_; ///< as shown in mmShranjujIme
    void WireConfigEvents();

    MainFormEnvironment env_;
    QString versionText_;
    bool permissionReported_ = false;
};

/// A number in "fixed (P, D)" with the locale's decimal separator.
[[nodiscard]] QString LocaleFixed(double value, int precision, int decimals);

/// Enables or disables a timer the way the window's timers work: enabling an
/// enabled timer changes nothing; enabling a stopped one starts a full interval.
void SetTimerEnabled(QTimer* timer, bool enabled);
