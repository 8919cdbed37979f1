// The encoder's configuration commands, and "Set zero here", which chains them
// around one reading.
#include "engine/monitor_engine.h"

#include "encoder/Velor_konstante.h"
#include "encoder/config_commands.h"
#include "encoder/encoder_transfer.h"

namespace Engine {

namespace Config = Velor_konstante::Config;

bool MonitorEngine::SendEncoderCommands(std::string_view commands) {
    const bool sent = Velor::SendEncoderCommandBytes(
        commands,
        [this](unsigned char byte) {
            const unsigned char sentByte = byte;
            EncoderTransfer(byte);
            // A value byte that reads as 'a' or 'i' would have its failed
            // reply forgiven like a reading's; here it did not get through.
            return Velor::TransferFailed(EncoderPosition) || byte != sentByte;
        },
        [this](int ms) { Sleep(ms); });
    if (!sent) {
        Log("Error sending command to the encoder!");
        ShowError("Error sending command to the encoder!");
    }
    return sent;
}

void MonitorEngine::SendConfig(const Engine::SendConfig& request) {
    // Bytes to a device that is not an identified encoder could mean anything.
    if (!connected_) {
        Log("Command not sent: no encoder is connected.");
        return;
    }
    switch (request.Command) {
    case ConfigCommand::FactoryReset:
        (void)SendEncoderCommands(Velor::ConfigCommand(Config::FactoryReset));
        break;
    case ConfigCommand::SaveToNvram:
        (void)SendEncoderCommands(Velor::ConfigCommand(Config::SaveToNvram));
        break;
    case ConfigCommand::SelfCalibration:
        (void)SendEncoderCommands(Velor::ConfigCommand(Config::SelfCalibration));
        break;
    case ConfigCommand::ZeroOffset:
        (void)SendEncoderCommands(Velor::ConfigCommandWithValue(Config::ZeroOffset, request.Value));
        break;
    case ConfigCommand::MultiturnPreset:
        (void)SendEncoderCommands(
            Velor::ConfigCommandWithValue(Config::MultiturnPreset, request.Value));
        break;
    }
}

void MonitorEngine::SetZeroHere() {
    using State = SetZeroOutcome::State;
    if (!connected_) {
        Emit(SetZeroOutcome{
            State::NotSet, "Zero position not set: no encoder is connected.", {}, {}});
        return;
    }
    Emit(SetZeroOutcome{State::InProgress, "...Function in progress...", {}, {}});
    if (EncoderPosition.ErrBit) {
        ShowError("Unable to set zero position. Error bit is set.");
        Emit(
            SetZeroOutcome{State::Refused, "Zero position not set: the error bit is set.", {}, {}});
        return;
    }
    const bool multiturn = EncoderSignature.Multiturn;
    const auto notSet = [this](const std::string& why, std::optional<int> zero) {
        Emit(SetZeroOutcome{State::NotSet, "Zero position not set: " + why, zero, 0});
    };
    const std::string lostCommand = "a command did not reach the encoder.";

    // A command that did not get through ends the procedure: going on could
    // take a position read under the old offset for the new zero and save it.
    const std::string presetZero = Velor::ConfigCommandWithValue(Config::MultiturnPreset, 0);
    if (multiturn && !SendEncoderCommands(presetZero))
        return notSet(lostCommand, std::nullopt);
    // Offset 0: the encoder then reports its uncorrected position.
    if (!SendEncoderCommands(Velor::ConfigCommandWithValue(Config::ZeroOffset, 0)))
        return notSet(lostCommand, 0);
    Sleep(100);
    // Every reply starts with the position, but only one that passed its
    // check now says where the shaft is.
    if (ReadTick() != Tick::Fresh)
        return notSet("no valid position was read after the offset was cleared; the zero "
                      "offset is now 0.",
                      0);
    const int zero = static_cast<int>(EncoderPosition.ST_value);
    if (!SendEncoderCommands(Velor::ConfigCommandWithValue(Config::ZeroOffset, zero)))
        return notSet(lostCommand, zero);
    Sleep(100);
    if (!SendEncoderCommands(Velor::ConfigCommand(Config::SaveToNvram)))
        return notSet(lostCommand, zero);
    Sleep(300);
    // Once more after the save, so the counter starts from 0 at the new zero.
    if (multiturn && !SendEncoderCommands(presetZero))
        return notSet(lostCommand, zero);
    Emit(SetZeroOutcome{
        State::Done, "Encoder pos: " + std::to_string(zero) + " set as a zero position.", zero, 0});
}

} // namespace Engine
