#pragma once
// Velor_SPI_Main: TMainForm, the program's one window. It is the shell of the
// pages: the top band, the page control and the hidden service pages, the
// caption, the log pane, the key chords, start-up and close. It drains the
// engine's reports and hands each to the pages it concerns; each page (in
// pages/) builds its own controls and asks the engine through the PageHost
// the shell gives it (WindowHost).

#include "app/files_folder.h"
#include "app/main_form_environment.h"
#include "app/page_report_sources.h"
#include "app/window_host.h"
#include "engine/engine_reports.h"

#include <QElapsedTimer>
#include <QSize>
#include <QWidget>
#include <memory>
#include <optional>

class EncoderConfigPage;
class EncoderIdentificationPage;
class HistoryPage;
class InstallationPage;
class PositionPage;
class QPushButton;
class QTabWidget;
class QTimer;
class ResultsWorker;
class StatusPage;
class SystemConfigPage;
class TopBand;

class TMainForm : public QWidget {
    Q_OBJECT
public:
    /// Starts asking env.Channel's engine and showing its reports.
    explicit TMainForm(MainFormEnvironment env, QWidget* parent = nullptr);
    ~TMainForm() override;

    TopBand* band{}; ///< the name, the logo and the position panel over the pages
    QTabWidget* Pages{};

    // ---- the pages
    SystemConfigPage* tabSysCfg{};
    EncoderIdentificationPage* tabEncIdent{};
    PositionPage* tabEncPos{};
    StatusPage* tabEncStatus{};
    InstallationPage* tabInstCal{};
    EncoderConfigPage* tabEncConfig{};
    HistoryPage* tabHistory{}; ///< after the program's own pages

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
    /// What the pages ask with; its AddLog writes to the log pane.
    [[nodiscard]] WindowHost& Host() { return host_; }
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
    void FormCreate();
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void ShowServiceTabs(bool all);
    [[nodiscard]] Monitor::Page CurrentPage() const;
    [[nodiscard]] std::optional<std::string> ResultsLocationAtStart() const;

    // Reports: the shell's own part of each, then the band's and the pages'.
    void ReportsWaiting();
    template <class Report> void HandOut(const Report& report);
    void Render(const Engine::LogLine& r);
    void Render(const Engine::CaptionFields& r);
    void Render(const Engine::SearchPassEnded& r);
    void Render(const Engine::Message& r);

    MainFormEnvironment env_;
    WindowHost host_;
    FilesFolder files_;
    std::unique_ptr<ResultsWorker> results_;
    std::optional<PageReportSources> reportSources_; ///< made once the pages it reads are
    Engine::CaptionFields caption_;
    bool waitCursor_ = false;
    QTimer* drainTimer_{};
    QElapsedTimer sinceDrain_;
};
