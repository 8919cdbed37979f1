// The encoder configuration buttons: each sends its unlock-prefixed command
// through SendEncoderCommands; "Set zero here" chains them around one reading.
#include "app/Velor_SPI_Main.h"
#include "app/widgets/spin_edit.h"
#include "encoder/Velor_konstante.h"
#include "encoder/config_commands.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace Config = Velor_konstante::Config;

namespace {
// The encoder sends no acknowledgement; SendEncoderCommands shows a failure.
bool Send(TMainForm& form, char letter) {
    return form.SendEncoderCommands(Velor::ConfigCommand(letter));
}

bool SendWithValue(TMainForm& form, char letter, const SpinEdit& field) {
    return form.SendEncoderCommands(Velor::ConfigCommandWithValue(letter, field.Value()));
}
} // namespace

void TMainForm::WireConfigEvents() {
    connect(btnFactoryReset, &QPushButton::clicked, this, &TMainForm::btnFactoryResetClick);
    connect(btnSaveParams, &QPushButton::clicked, this, &TMainForm::btnSaveParamsClick);
    connect(btnStartSelfCal, &QPushButton::clicked, this, &TMainForm::btnStartSelfCalClick);
    connect(btnSetZeroOffset, &QPushButton::clicked, this, &TMainForm::btnSetZeroOffsetClick);
    connect(btnSetMultiturn, &QPushButton::clicked, this, &TMainForm::btnSetMultiturnClick);
    connect(btnTarvinSetZero, &QPushButton::clicked, this, &TMainForm::btnTarvinSetZeroClick);
}

void TMainForm::btnFactoryResetClick() {
    (void)Send(*this, Config::FactoryReset);
}

void TMainForm::btnSaveParamsClick() {
    (void)Send(*this, Config::SaveToNvram);
}

void TMainForm::btnStartSelfCalClick() {
    (void)Send(*this, Config::SelfCalibration);
}

void TMainForm::btnSetZeroOffsetClick() {
    (void)SendWithValue(*this, Config::ZeroOffset, *seSetZero);
}

void TMainForm::btnSetMultiturnClick() {
    (void)SendWithValue(*this, Config::MultiturnPreset, *seSetMultiturn);
}

void TMainForm::btnTarvinSetZeroClick() {
    lblSetZeroStatus->setText(QStringLiteral("...Function in progress..."));
    lblSetZeroStatus->repaint(); // the rest blocks the window
    if (EncoderPosition.ErrBit) {
        ShowBox(true, QStringLiteral("Unable to set zero position. Error bit is set."));
        return;
    }
    const bool multiturn = EncoderSignature.Multiturn;

    // A command that did not get through ends the procedure: going on could
    // take a position read under the old offset for the new zero and save it.
    const bool done = [&] {
        seSetMultiturn->setValue(0);
        if (multiturn && !SendWithValue(*this, Config::MultiturnPreset, *seSetMultiturn))
            return false;
        seSetZero->setValue(0); // the encoder then reports its uncorrected position
        if (!SendWithValue(*this, Config::ZeroOffset, *seSetZero))
            return false;
        env_.SleepMs(100);
        tmrReadEncoderTimer(); // every reply starts with the position
        seSetZero->setValue(static_cast<int>(EncoderPosition.ST_value));
        if (!SendWithValue(*this, Config::ZeroOffset, *seSetZero))
            return false;
        env_.SleepMs(100);
        if (!Send(*this, Config::SaveToNvram))
            return false;
        env_.SleepMs(300);
        // Once more after the save, so the counter starts from 0 at the new zero.
        return !multiturn || SendWithValue(*this, Config::MultiturnPreset, *seSetMultiturn);
    }();

    lblSetZeroStatus->setText(done ? QStringLiteral("Encoder pos: ") +
                                         QString::number(seSetZero->Value()) +
                                         QStringLiteral(" set as a zero position.")
                                   : QStringLiteral("Zero position not set: a command did not "
                                                    "reach the encoder."));
    SetTimerEnabled(tmrReadEncoder, true);
}
