#pragma once
// Velor_SPI_Main: TMainForm, the program's one window. It is the shell of the
// pages: the top band, the page control and the hidden service pages, the
// caption, the log pane, the key chords, start-up and close. It drains the
// engine's reports and hands each to the pages it concerns; each page (in
// pages/) builds its own controls and asks the engine through PageHost.
// Velor_SPI_Main.cpp: start-up, caption, log, key chords, close;
// main_form_reports.cpp: the reports, drained and handed out.

#include "app/files_folder.h"
#include "app/main_form_environment.h"
#include "app/pages/page_host.h"
#include "app/pages/report_sources.h"
#include "engine/engine_reports.h"

#include <QElapsedTimer>
#include <QSize>
#include <QWidget>

class EncoderConfigPage;
class EncoderIdentificationPage;
class InstallationPage;
class LampPanel;
class PositionPage;
class QFrame;
class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;
class StatusPage;
class SystemConfigPage;

class TMainForm : public QWidget, private PageHost, private ReportSources {
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

    // ---- the pages
    SystemConfigPage* tabSysCfg{};
    EncoderIdentificationPage* tabEncIdent{};
    PositionPage* tabEncPos{};
    StatusPage* tabEncStatus{};
    InstallationPage* tabInstCal{};
    EncoderConfigPage* tabEncConfig{};

    // ---- hidden service pages
    QWidget* tabUserMem{};
    QWidget* tabDiag{};
    QWidget* tabErrMap{};
    QWidget* tabTest{};
    QWidget* tabDebug{};
    QPushButton* btnDebugUnlock{};

    /// The taskbar text; kept equal to the caption.
    [[nodiscard]] QString ApplicationTitle() const;
    void UpdateCaption();
    void AddLog(const QString& line) override; ///< one line at the end, then one page down
    void ScrollLog();                          ///< one page down
    void btnDebugUnlockClick();
    /// Shows the Position page and on it the recording at `path` for review;
    /// returns at once.
    void OpenRecording(const QString& path);
    /// Renders every report waiting now (the window drains them at most once a frame).
    void DrainReports();

    /// Longest the log pane grows: the oldest lines go first.
    static constexpr int MaxLogLines = 10000;
    /// Reports are drawn at most this often.
    static constexpr int FrameMs = 16;
    /// The window is laid out in pixels, at one size.
    static constexpr QSize FormSize{1068, 652};

signals:
    /// After each report is shown (for tools that watch the program run).
    void reportRendered(const Engine::Report& report);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    QWidget* BuildTopBand();
    void FormCreate();
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void ShowServiceTabs(bool all);
    [[nodiscard]] Monitor::Page CurrentPage() const;

    // PageHost
    void Ask(Engine::Request request) override;
    void ShowBox(bool error, const QString& text) override;
    // ReportSources
    [[nodiscard]] QString MagnetSize() const override;
    [[nodiscard]] std::unique_ptr<PrintedChart> PositionChart(bool multiturn) override;

    // Reports (main_form_reports.cpp): the shell's own part of each, then the pages'.
    void ReportsWaiting();
    template <class Report> void HandOut(const Report& report);
    void SetPanelColor(const QColor& color);
    void Render(const Engine::LogLine& r);
    void Render(const Engine::Banner& r);
    void Render(const Engine::CaptionFields& r);
    void Render(const Engine::SearchPassEnded& r);
    void Render(const Engine::Transfer& r);
    void Render(const Engine::Reading& r);
    void Render(const Engine::Message& r);

    MainFormEnvironment env_;
    FilesFolder files_;
    Engine::CaptionFields caption_;
    bool waitCursor_ = false;
    QTimer* drainTimer_{};
    QElapsedTimer sinceDrain_;
};
