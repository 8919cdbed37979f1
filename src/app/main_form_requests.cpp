// The user's choices, passed to the engine as requests. Handlers read their
// controls and ask; what comes of it arrives as reports.
#include "app/Velor_SPI_Main.h"

#include "app/widgets/path_label.h"
#include "app/widgets/spin_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace {
const QString NoEncoderHint =
    QStringLiteral("Available while an encoder is connected: none is connected now.");
const QString SetZeroRunningHint = QStringLiteral("Setting the zero position...");
} // namespace

void TMainForm::Ask(Engine::Request request) {
    if (env_.Channel)
        env_.Channel->Post(std::move(request));
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

void TMainForm::WireRequests() {
    connect(Pages, &QTabWidget::currentChanged, this,
            [this] { Ask(Engine::ShowPage{CurrentPage()}); });
    connect(seEncoderReadInterval, &QSpinBox::valueChanged, this,
            &TMainForm::seEncoderReadIntervalChange);
    connect(cbLogComm, &QCheckBox::toggled, this,
            [this](bool on) { Ask(Engine::LogCommunication{on}); });
    connect(rbPwr5v, &QRadioButton::clicked, this, &TMainForm::rbPwr5vClick);
    connect(rbPwrOff, &QRadioButton::clicked, this, &TMainForm::rbPwrOffClick);
    // User changes only; the engine's own choice arrives as a report.
    connect(cmbFreqSPI, &QComboBox::activated, this, &TMainForm::cmbFreqSPIChange);
    connect(cbbMagnetSize->lineEdit(), &QLineEdit::textEdited, this,
            &TMainForm::cbbMagnetSizeChange);
    connect(cbbMagnetSize, &QComboBox::activated, this, &TMainForm::cbbMagnetSizeChange);

    connect(btnFactoryReset, &QPushButton::clicked, this, &TMainForm::btnFactoryResetClick);
    connect(btnSaveParams, &QPushButton::clicked, this, &TMainForm::btnSaveParamsClick);
    connect(btnStartSelfCal, &QPushButton::clicked, this, &TMainForm::btnStartSelfCalClick);
    connect(btnSetZeroOffset, &QPushButton::clicked, this, &TMainForm::btnSetZeroOffsetClick);
    connect(btnSetMultiturn, &QPushButton::clicked, this, &TMainForm::btnSetMultiturnClick);
    connect(btnTarvinSetZero, &QPushButton::clicked, this, &TMainForm::btnTarvinSetZeroClick);

    // toggled, not clicked: the engine unticks the box when a recording ends.
    connect(cbShranjujMeritvePos, &QCheckBox::toggled, this, &TMainForm::cbShranjujMeritvePosClick);
    connect(seCasShranjevanja, &QSpinBox::valueChanged, this,
            [this](int seconds) { Ask(Engine::SetRecordingDuration{seconds}); });
    connect(btnFolder, &QPushButton::clicked, this, &TMainForm::btnFolderClick);

    for (QPushButton* button : CommandButtons())
        commandHints_.push_back(button->toolTip());
}

void TMainForm::SendSettings() {
    // The engine starts from the same defaults; saying them once keeps the two
    // in step whatever the layout sets.
    Ask(Engine::ShowPage{CurrentPage()});
    Ask(Engine::SetReadInterval{seEncoderReadInterval->Value()});
    Ask(Engine::LogCommunication{cbLogComm->isChecked()});
    Ask(Engine::SetRecordingDuration{seCasShranjevanja->Value()});
}

std::vector<QPushButton*> TMainForm::CommandButtons() const {
    return {btnFactoryReset, btnSaveParams,    btnStartSelfCal, btnSetZeroOffset,
            btnSetMultiturn, btnTarvinSetZero, btnSaveReport};
}

void TMainForm::UpdateCommandButtons() {
    const std::vector<QPushButton*> buttons = CommandButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        QPushButton* button = buttons[i];
        const bool busy = button == btnTarvinSetZero && setZeroRunning_;
        button->setEnabled(encoderConnected_ && !busy);
        button->setToolTip(!encoderConnected_ ? NoEncoderHint
                           : busy             ? SetZeroRunningHint
                                              : commandHints_[i]);
    }
}

void TMainForm::seEncoderReadIntervalChange() {
    Ask(Engine::SetReadInterval{seEncoderReadInterval->Value()});
}

void TMainForm::rbPwr5vClick() {
    Ask(Engine::SetSupply{true});
}

void TMainForm::rbPwrOffClick() {
    Ask(Engine::SetSupply{false});
}

void TMainForm::cmbFreqSPIChange() {
    Ask(Engine::SetSpiClock{cmbFreqSPI->currentIndex()});
}

void TMainForm::cbbMagnetSizeChange() {
    Ask(Engine::SetMagnetSize{cbbMagnetSize->currentText().toStdString()});
}

void TMainForm::btnFactoryResetClick() {
    Ask(Engine::SendConfig{Engine::ConfigCommand::FactoryReset, 0});
}

void TMainForm::btnSaveParamsClick() {
    Ask(Engine::SendConfig{Engine::ConfigCommand::SaveToNvram, 0});
}

void TMainForm::btnStartSelfCalClick() {
    Ask(Engine::SendConfig{Engine::ConfigCommand::SelfCalibration, 0});
}

void TMainForm::btnSetZeroOffsetClick() {
    Ask(Engine::SendConfig{Engine::ConfigCommand::ZeroOffset, seSetZero->Value()});
}

void TMainForm::btnSetMultiturnClick() {
    Ask(Engine::SendConfig{Engine::ConfigCommand::MultiturnPreset, seSetMultiturn->Value()});
}

void TMainForm::btnTarvinSetZeroClick() {
    Ask(Engine::SetZeroHere{});
}

void TMainForm::cbShranjujMeritvePosClick() {
    if (!cbShranjujMeritvePos->isChecked()) {
        Ask(Engine::StopRecording{});
        return;
    }
    EndReview(); // the chart shows what is being recorded
    // The core takes paths as UTF-8 on every system.
    Ask(Engine::StartRecording{files_.Path().toStdString(), seCasShranjevanja->Value()});
}

void TMainForm::btnFolderClick() {
    if (!env_.AskFolder)
        return;
    env_.AskFolder(this, files_.Path(), [this](const QString& folder) {
        if (folder.isEmpty())
            return;
        if (!files_.Choose(folder)) {
            ShowBox(true, QStringLiteral("No file can be created in %1; files still go to %2.")
                              .arg(QDir::toNativeSeparators(folder),
                                   QDir::toNativeSeparators(files_.Path())));
            return;
        }
        ShowFilesFolder();
        AddLog(lblFolder->text());
    });
}

void TMainForm::ShowFilesFolder() {
    const QString folder = QDir::toNativeSeparators(files_.Path());
    lblFolder->setText(QStringLiteral("Files go to ") + folder);
    btnFolder->setToolTip(
        QStringLiteral("Choose the folder for recordings, installation reports and chart "
                       "images. Now: ") +
        folder);
}
