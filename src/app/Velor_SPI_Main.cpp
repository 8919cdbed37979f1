// TMainForm: start-up, the page control, caption, key chords, the engine's
// reports drained and handed out, and shut-down.
#include "app/Velor_SPI_Main.h"

#include "app/display_text.h"
#include "app/fonts.h"
#include "app/logo.h"
#include "app/pages/encoder_config_page.h"
#include "app/pages/encoder_identification_page.h"
#include "app/pages/history_page.h"
#include "app/pages/installation_page.h"
#include "app/pages/position_page.h"
#include "app/pages/status_page.h"
#include "app/pages/system_config_page.h"
#include "app/results_worker.h"
#include "app/top_band.h"
#include "app/widgets/lamp_panel.h"
#include "app/widgets/page_tabs.h"
#include "app/window_colors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
template <class Part, class Report> void HandTo(Part* part, const Report& report) {
    if constexpr (requires { part->Render(report); })
        part->Render(report);
}
} // namespace

TMainForm::TMainForm(MainFormEnvironment env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      env_(std::move(env)), host_(this, env_.Channel, env_.Boxes),
      files_(env_.Settings, env_.RecordingFolder),
      results_(std::make_unique<ResultsWorker>(ResultsLocationAtStart())) {
    setFixedSize(FormSize);
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::white));
    setWindowIcon(TessoranIcon());

    BuildLayout();
    // Device texts are shown as they are, never read as markup.
    for (QLabel* label : findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    tabSysCfg->mmLog->setMaximumBlockCount(MaxLogLines);
    host_.SetLogPane(tabSysCfg->mmLog);
    connect(Pages, &QTabWidget::currentChanged, this,
            [this] { host_.Ask(Engine::ShowPage{CurrentPage()}); });
    connect(btnDebugUnlock, &QPushButton::clicked, this, &TMainForm::btnDebugUnlockClick);
    qApp->installEventFilter(this); // key preview before the focused control

    drainTimer_ = new QTimer(this);
    drainTimer_->setSingleShot(true);
    connect(drainTimer_, &QTimer::timeout, this, &TMainForm::DrainReports);
    if (env_.Channel) {
        // Called on the engine's thread: only a queued call crosses over.
        env_.Channel->SetReportsWaiting([this] {
            QMetaObject::invokeMethod(this, &TMainForm::ReportsWaiting, Qt::QueuedConnection);
        });
    }
    FormCreate();
}

TMainForm::~TMainForm() {
    // No report may reach a window that is gone.
    if (env_.Channel)
        env_.Channel->SetReportsWaiting(nullptr);
    qApp->removeEventFilter(this);
    if (waitCursor_)
        QApplication::restoreOverrideCursor();
}

void TMainForm::BuildLayout() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(band = new TopBand(FormSize.width(), this));

    Pages = new PageTabs(this);
    Pages->tabBar()->setFont(PixelFont(QStringLiteral("Arial Narrow"), 16, true));
    Pages->tabBar()->setExpanding(false);
    Pages->addTab(tabSysCfg = new SystemConfigPage(host_), QStringLiteral("  System Config  "));
    Pages->addTab(tabEncIdent = new EncoderIdentificationPage(host_),
                  QStringLiteral("  Encoder Identification  "));
    Pages->addTab(tabEncPos = new PositionPage(host_, files_, env_),
                  QStringLiteral("  Position  "));
    Pages->addTab(tabEncStatus = new StatusPage, QStringLiteral("  Status  "));
    reportSources_.emplace(*tabEncIdent, *tabEncPos, *tabSysCfg);
    Pages->addTab(tabInstCal = new InstallationPage(host_, files_, env_.Settings, env_.LocalNow,
                                                    *reportSources_, *results_),
                  QStringLiteral("  Installation  "));
    Pages->addTab(tabEncConfig = new EncoderConfigPage(host_),
                  QStringLiteral("  Encoder Config  "));
    Pages->addTab(tabHistory = new HistoryPage(host_, *results_, files_, env_),
                  QStringLiteral("  History  "));
    tabUserMem = new QWidget;
    tabDiag = new QWidget;
    tabErrMap = new QWidget;
    tabTest = new QWidget;
    tabDebug = new QWidget;
    btnDebugUnlock = new QPushButton(QStringLiteral("Debug Unlock"), tabDebug);
    btnDebugUnlock->setGeometry(16, 16, 120, 28);
    Pages->addTab(tabUserMem, QStringLiteral("User Memory"));
    Pages->addTab(tabDiag, QStringLiteral("Diagnostics"));
    Pages->addTab(tabErrMap, QStringLiteral("Error Map"));
    Pages->addTab(tabTest, QStringLiteral("Test"));
    Pages->addTab(tabDebug, QStringLiteral("Debug"));
    root->addWidget(Pages, 1);
}

std::optional<std::string> TMainForm::ResultsLocationAtStart() const {
    // The History page's choice, kept between runs, before the environment's.
    const QString key = QLatin1String(ResultsLocationKey);
    if (env_.Settings && env_.Settings->contains(key))
        return ResultsLocationOf(env_.Settings->value(key).toString());
    return env_.ResultsFile ? env_.ResultsFile() : std::nullopt;
}

void TMainForm::FormCreate() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor_ = true;
    UpdateCaption();
    band->lblPosUnit->clear();
    for (QWidget* page : {tabUserMem, tabDiag, tabErrMap, tabTest, tabDebug})
        Pages->setTabVisible(Pages->indexOf(page), false);
    Pages->setCurrentWidget(tabSysCfg);
    band->SetPanelColor(WindowColors::ButtonFace());
    const QString folderGone = files_.Restore();
    if (!folderGone.isEmpty())
        host_.AddLog(folderGone);
    tabEncPos->ShowFilesFolder();
    // The engine starts from the same defaults; saying them once keeps the two
    // in step whatever the layout sets.
    host_.Ask(Engine::ShowPage{CurrentPage()});
    tabSysCfg->SendSettings();
    tabEncPos->SendSettings();
}

Monitor::Page TMainForm::CurrentPage() const {
    QWidget* page = Pages->currentWidget();
    if (page == tabSysCfg)
        return Monitor::Page::SystemConfig;
    if (page == tabEncIdent)
        return Monitor::Page::Identification;
    if (page == tabEncStatus)
        return Monitor::Page::Status;
    if (page == tabInstCal)
        return Monitor::Page::Installation;
    return Monitor::Page::Other;
}

void TMainForm::OpenRecording(const QString& path) {
    Pages->setCurrentWidget(tabEncPos);
    tabEncPos->OpenRecording(path);
}

void TMainForm::UpdateCaption() {
    const QString caption = QStringLiteral("Tessoran® for K730-6W and Velor SPI encoders (ver: ") +
                            QStringLiteral(TESSORAN_VERSION_TEXT) + QStringLiteral("; IF sn: ") +
                            Latin(caption_.InterfaceSerial) + QStringLiteral(", fw: ") +
                            Latin(caption_.InterfaceVersion) + QStringLiteral("; Encoder sn: ") +
                            Latin(caption_.EncoderSerial) + QStringLiteral(", pn: ") +
                            Latin(caption_.EncoderPart) + QStringLiteral(")");
    // The taskbar text first: a platform that adds the application's name to
    // a title leaves a title equal to it alone, so the caption never doubles.
    QGuiApplication::setApplicationDisplayName(caption);
    setWindowTitle(caption);
}

QString TMainForm::ApplicationTitle() const {
    return QGuiApplication::applicationDisplayName();
}

void TMainForm::btnDebugUnlockClick() {
    btnDebugUnlock->setVisible(false);
}

void TMainForm::ShowServiceTabs(bool all) {
    for (QWidget* page : {tabUserMem, tabDiag, tabErrMap})
        Pages->setTabVisible(Pages->indexOf(page), true);
    if (all)
        for (QWidget* page : {tabTest, tabDebug})
            Pages->setTabVisible(Pages->indexOf(page), true);
    tabSysCfg->grpSystemHidden->setVisible(true);
}

void TMainForm::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    // The held set must match exactly; a held mouse button makes it different.
    if (QApplication::mouseButtons() != Qt::NoButton)
        return;
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (key == Qt::Key_K && held == Qt::ControlModifier)
        ShowServiceTabs(false);
    else if (key == Qt::Key_K && held == (Qt::ControlModifier | Qt::ShiftModifier))
        ShowServiceTabs(true);
    else if (key == Qt::Key_Q && held == (Qt::ShiftModifier | Qt::AltModifier))
        btnDebugUnlock->setVisible(true);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    // Key preview: every key pressed in this window passes here before its
    // control sees it. A key travelling up the parent chain may pass more than
    // once; the chords only reveal things, so that is harmless.
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            FormKeyDown(key->key(), key->modifiers());
        }
    }
    return QWidget::eventFilter(watched, event); // the key goes on unchanged
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // The engine closes a running recording when it ends; closing the window
    // never waits for it or fails because of it.
    event->accept();
}

// ---- the engine's reports: drained on this thread at most once per frame,
// the shell's own part of each rendered, then each handed to the parts that
// render that kind of report.

void TMainForm::ReportsWaiting() {
    // At most one drain per frame: a reading every millisecond must not
    // become a repaint every millisecond.
    if (drainTimer_->isActive())
        return;
    const qint64 since = sinceDrain_.isValid() ? sinceDrain_.elapsed() : FrameMs;
    if (since >= FrameMs)
        DrainReports();
    else
        drainTimer_->start(static_cast<int>(FrameMs - since));
}

void TMainForm::DrainReports() {
    sinceDrain_.start();
    if (!env_.Channel)
        return;
    for (const Engine::Report& report : env_.Channel->TakeReports()) {
        std::visit([this](const auto& r) { HandOut(r); }, report);
        emit reportRendered(report);
    }
}

template <class Report> void TMainForm::HandOut(const Report& report) {
    if constexpr (requires { Render(report); })
        Render(report);
    HandTo(band, report);
    HandTo(tabSysCfg, report);
    HandTo(tabEncIdent, report);
    HandTo(tabEncPos, report);
    HandTo(tabEncStatus, report);
    HandTo(tabInstCal, report);
    HandTo(tabEncConfig, report);
}

void TMainForm::Render(const Engine::LogLine& r) {
    // UTF-8: a line may name a folder; device bytes in it are printable ASCII.
    host_.Log(QString::fromStdString(r.Text), r.Scroll);
}

void TMainForm::Render(const Engine::CaptionFields& r) {
    caption_ = r;
    UpdateCaption();
}

void TMainForm::Render(const Engine::SearchPassEnded&) {
    if (waitCursor_) {
        waitCursor_ = false;
        QApplication::restoreOverrideCursor();
    }
}

void TMainForm::Render(const Engine::Message& r) {
    host_.ShowBox(r.Error, QString::fromStdString(r.Text));
}
