// TMainForm: start-up, caption, log, key chords and shut-down.
#include "app/Velor_SPI_Main.h"

#include "app/logo.h"
#include "app/widgets/lamp_panel.h"
#include "app/widgets/spin_edit.h"
#include "app/window_colors.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

TMainForm::TMainForm(MainFormEnvironment env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      env_(std::move(env)), files_(env_.Settings, env_.RecordingFolder) {
    setFixedSize(FormSize);
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::white));
    setWindowIcon(TessoranIcon());
    versionText_ = QStringLiteral(TESSORAN_VERSION_TEXT);

    BuildLayout();
    // Device texts are shown as they are, never read as markup.
    for (QLabel* label : findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    mmLog->setMaximumBlockCount(MaxLogLines);
    SetUpCharts();
    SetUpReview();
    WireEvents();
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

void TMainForm::WireEvents() {
    connect(Button1, &QPushButton::clicked, this, &TMainForm::Button1Click);
    connect(btnDebugUnlock, &QPushButton::clicked, this, &TMainForm::btnDebugUnlockClick);
    WireRequests();
    WireChartEvents();
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
    btnChartPosClearClick();
    btnChartGapClearClick();
    const QString folderGone = files_.Restore();
    if (!folderGone.isEmpty())
        AddLog(folderGone);
    ShowFilesFolder();
    UpdateCommandButtons();
    SendSettings();
}

void TMainForm::UpdateCaption() {
    const QString caption = QStringLiteral("Tessoran® for K730-6W and Velor SPI encoders (ver: ") +
                            versionText_ + QStringLiteral("; IF sn: ") +
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
    mmLog->appendPlainText(line);
    ScrollLog();
}

void TMainForm::ScrollLog() {
    mmLog->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
}

void TMainForm::Button1Click() {
    mmLog->clear();
}

void TMainForm::btnDebugUnlockClick() {
    btnDebugUnlock->setVisible(false);
}

void TMainForm::ShowBox(bool error, const QString& text) {
    if (env_.Boxes)
        env_.Boxes->Show(this, error ? MessageBoxes::Kind::Error : MessageBoxes::Kind::Information,
                         text);
}

void TMainForm::ShowServiceTabs(bool all) {
    for (QWidget* page : {tabUserMem, tabDiag, tabErrMap})
        Pages->setTabVisible(Pages->indexOf(page), true);
    if (all)
        for (QWidget* page : {tabTest, tabDebug})
            Pages->setTabVisible(Pages->indexOf(page), true);
    grpSystemHidden->setVisible(true);
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
