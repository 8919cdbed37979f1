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
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

void SetTimerEnabled(QTimer* timer, bool enabled) {
    if (!enabled)
        timer->stop();
    else if (!timer->isActive())
        timer->start();
}

TMainForm::TMainForm(MainFormEnvironment env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      env_(std::move(env)) {
    setFixedSize(1068, 652);
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::white));
    setWindowTitle(QStringLiteral("Tessoran® for K730-6W and Velor SPI encoders"));
    setWindowIcon(TessoranIcon());
    versionText_ = QStringLiteral(TESSORAN_VERSION_TEXT);

    tmrSearchInterface = new QTimer(this);
    tmrSearchInterface->setInterval(1000);
    tmrSearchEncoder = new QTimer(this);
    tmrSearchEncoder->setInterval(850);
    tmrReadEncoder = new QTimer(this);
    tmrReadEncoder->setInterval(70);
    // Intervals down to 1 ms must be honoured, so the reading timer is precise.
    tmrReadEncoder->setTimerType(Qt::PreciseTimer);

    BuildLayout();
    SetUpCharts();
    WireEvents();
    qApp->installEventFilter(this); // key preview before the focused control
    FormCreate();
}

TMainForm::~TMainForm() {
    // FormDestroy: the port list goes, and the port is closed when one is open.
    qApp->removeEventFilter(this);
    COMPorts.clear();
    K730_H.reset();
}

void TMainForm::WireEvents() {
    connect(Button1, &QPushButton::clicked, this, &TMainForm::Button1Click);
    connect(btnDebugUnlock, &QPushButton::clicked, this, &TMainForm::btnDebugUnlockClick);
    connect(tmrSearchInterface, &QTimer::timeout, this, &TMainForm::tmrSearchInterfaceTimer);
    connect(tmrSearchEncoder, &QTimer::timeout, this, &TMainForm::tmrSearchEncoderTimer);
    connect(tmrReadEncoder, &QTimer::timeout, this, &TMainForm::tmrReadEncoderTimer);
    // User changes only; the handshake sets the index and calls the handler itself.
    connect(cmbFreqSPI, &QComboBox::activated, this, &TMainForm::cmbFreqSPIChange);
    connect(rbPwr5v, &QRadioButton::clicked, this, &TMainForm::rbPwr5vClick);
    connect(rbPwrOff, &QRadioButton::clicked, this, &TMainForm::rbPwrOffClick);
    connect(cbbMagnetSize->lineEdit(), &QLineEdit::textEdited, this,
            &TMainForm::cbbMagnetSizeChange);
    connect(cbbMagnetSize, &QComboBox::activated, this, &TMainForm::cbbMagnetSizeChange);
    connect(seEncoderReadInterval, &QSpinBox::valueChanged, this,
            &TMainForm::seEncoderReadIntervalChange);
    WireRecordingEvents();
    WireConfigEvents();
    WireChartEvents();
}

void TMainForm::FormCreate() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    UpdateCaption();
    K730_H.reset();
    K730Serijska.clear();
    EncoderSignature.Multiturn = false;
    EncoderSignature.SerialNumber.clear();
    EncoderSignature.PartNumber.clear();
    COMPorts.clear();
    lblPosUnit->clear();
    for (QWidget* page : {tabUserMem, tabDiag, tabErrMap, tabTest, tabDebug})
        Pages->setTabVisible(Pages->indexOf(page), false);
    Pages->setCurrentWidget(tabSysCfg);
    pnlPosition->setPalette(QPalette(WindowColors::ButtonFace()));
    btnChartPosClearClick();
    btnChartGapClearClick();
    SetTimerEnabled(tmrSearchInterface, true);
}

void TMainForm::UpdateCaption() {
    const QString caption =
        QStringLiteral("Tessoran® for K730-6W and Velor SPI encoders (ver: ") + versionText_ +
        QStringLiteral("; IF sn: ") + QString::fromLatin1(K730Serijska) + QStringLiteral(", fw: ") +
        QString::fromLatin1(K730verzija) + QStringLiteral("; Encoder sn: ") +
        QString::fromLatin1(EncoderSignature.SerialNumber) + QStringLiteral(", pn: ") +
        QString::fromLatin1(EncoderSignature.PartNumber) + QStringLiteral(")");
    setWindowTitle(caption);
    // Same text for the taskbar; equal texts keep the platform from joining them.
    QGuiApplication::setApplicationDisplayName(caption);
}

QString TMainForm::ApplicationTitle() const {
    return QGuiApplication::applicationDisplayName();
}

void TMainForm::AddLog(const QString& line) {
    AppendLogLine(line);
    ScrollLog();
}

void TMainForm::AppendLogLine(const QString& line) {
    mmLog->appendPlainText(line);
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
    CloseRecordingOnExit();
    event->accept();
}
