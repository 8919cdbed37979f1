// TMainForm: start-up, the top band and the page control, caption, log, key
// chords and shut-down.
#include "app/Velor_SPI_Main.h"

#include "app/display_text.h"
#include "app/fonts.h"
#include "app/logo.h"
#include "app/pages/encoder_config_page.h"
#include "app/pages/encoder_identification_page.h"
#include "app/pages/installation_page.h"
#include "app/pages/position_page.h"
#include "app/pages/status_page.h"
#include "app/pages/system_config_page.h"
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
#include <QScrollBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

TMainForm::TMainForm(MainFormEnvironment env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      env_(std::move(env)), files_(env_.Settings, env_.RecordingFolder) {
    setFixedSize(FormSize);
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::white));
    setWindowIcon(TessoranIcon());

    BuildLayout();
    // Device texts are shown as they are, never read as markup.
    for (QLabel* label : findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    tabSysCfg->mmLog->setMaximumBlockCount(MaxLogLines);
    connect(Pages, &QTabWidget::currentChanged, this,
            [this] { Ask(Engine::ShowPage{CurrentPage()}); });
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
    root->addWidget(BuildTopBand());

    Pages = new PageTabs(this);
    Pages->tabBar()->setFont(PixelFont(QStringLiteral("Arial Narrow"), 16, true));
    Pages->tabBar()->setExpanding(false);
    Pages->addTab(tabSysCfg = new SystemConfigPage(*this), QStringLiteral("  System Config  "));
    Pages->addTab(tabEncIdent = new EncoderIdentificationPage(*this),
                  QStringLiteral("  Encoder Identification  "));
    Pages->addTab(tabEncPos = new PositionPage(*this, files_, env_),
                  QStringLiteral("  Position  "));
    Pages->addTab(tabEncStatus = new StatusPage, QStringLiteral("  Status  "));
    Pages->addTab(tabInstCal =
                      new InstallationPage(*this, files_, env_.Settings, env_.LocalNow, *this),
                  QStringLiteral("  Installation  "));
    Pages->addTab(tabEncConfig = new EncoderConfigPage(*this),
                  QStringLiteral("  Encoder Config  "));
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

QWidget* TMainForm::BuildTopBand() {
    auto* band = new QWidget(this);
    auto* v = new QVBoxLayout(band);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    pnl1Top = new QWidget(band);
    pnl1Top->setAutoFillBackground(true);
    pnl1Top->setPalette(QPalette(Qt::white));
    pnl1Top->setFixedHeight(52);
    auto* top = new QHBoxLayout(pnl1Top);
    top->setContentsMargins(12, 4, 12, 4);
    lbl1 = new QLabel(QStringLiteral("Tessoran Encoder diagnostics tool - Velor SPI"), pnl1Top);
    lbl1->setFont(PixelFont(QStringLiteral("Arial"), 21, true, true));
    WindowColors::SetFontColor(lbl1, WindowColors::Navy);
    Image1 = new QLabel(pnl1Top);
    Image1->setPixmap(TessoranLogo(QSize(180, 44), Image1->devicePixelRatioF()));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("Double-click to visit the Tessoran web site"));
    top->addWidget(lbl1);
    top->addStretch(1);
    top->addWidget(Image1);
    v->addWidget(pnl1Top);

    pnl2Mid = new QWidget(band);
    pnl2Mid->setFixedHeight(4);
    pnl2Mid->setAutoFillBackground(true);
    pnl2Mid->setPalette(QPalette(WindowColors::TopStrip));
    v->addWidget(pnl2Mid);

    pnlPosition = new QFrame(band);
    pnlPosition->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlPosition->setAutoFillBackground(true);
    // Fixed both ways, so the position's new text at every reading lays out
    // this band alone, not the whole window.
    pnlPosition->setFixedSize(FormSize.width(), 50);
    auto* pos = new QHBoxLayout(pnlPosition);
    pos->setContentsMargins(6, 2, 6, 2);
    lblPosUnit = new QLabel(QStringLiteral("Position in units"), pnlPosition);
    lblPosUnit->setAlignment(Qt::AlignCenter);
    lblPosUnit->setFont(PixelFont(QStringLiteral("Tahoma"), 29, true));
    pnlCommActive = new LampPanel(QString(), WindowColors::DarkGreen, pnlPosition);
    pnlCommActive->setFixedSize(12, 12);
    pos->addSpacing(12);
    pos->addWidget(lblPosUnit, 1);
    pos->addWidget(pnlCommActive, 0, Qt::AlignVCenter);
    v->addWidget(pnlPosition);
    return band;
}

void TMainForm::FormCreate() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor_ = true;
    UpdateCaption();
    lblPosUnit->clear();
    for (QWidget* page : {tabUserMem, tabDiag, tabErrMap, tabTest, tabDebug})
        Pages->setTabVisible(Pages->indexOf(page), false);
    Pages->setCurrentWidget(tabSysCfg);
    SetPanelColor(WindowColors::ButtonFace());
    const QString folderGone = files_.Restore();
    if (!folderGone.isEmpty())
        AddLog(folderGone);
    tabEncPos->ShowFilesFolder();
    // The engine starts from the same defaults; saying them once keeps the two
    // in step whatever the layout sets.
    Ask(Engine::ShowPage{CurrentPage()});
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

void TMainForm::Ask(Engine::Request request) {
    if (env_.Channel)
        env_.Channel->Post(std::move(request));
}

void TMainForm::ShowBox(bool error, const QString& text) {
    if (env_.Boxes)
        env_.Boxes->Show(this, error ? MessageBoxes::Kind::Error : MessageBoxes::Kind::Information,
                         text);
}

QString TMainForm::MagnetSize() const {
    return tabEncIdent->MagnetSize();
}

std::unique_ptr<PrintedChart> TMainForm::PositionChart(bool multiturn) {
    return tabEncPos->PrintChart(multiturn);
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

void TMainForm::AddLog(const QString& line) {
    tabSysCfg->mmLog->appendPlainText(line);
    ScrollLog();
}

void TMainForm::ScrollLog() {
    tabSysCfg->mmLog->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
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
