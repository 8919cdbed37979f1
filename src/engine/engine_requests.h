#pragma once
// What the window asks of the engine. Requests are queued and run between two
// exchanges with the box, never inside a probe, a handshake or a command
// sequence; each carries the values it needs, so the engine never reads a widget.

#include "monitor/reading_cycle.h"

#include <cstdint>
#include <string>
#include <variant>

namespace Engine {

/// The page now open; it chooses the reading schedule and whether the supply
/// status is asked for.
struct ShowPage {
    Monitor::Page Page = Monitor::Page::SystemConfig;
};

/// Delay between readings in ms (1..10000; others are clamped).
struct SetReadInterval {
    int Ms = 70;
};

/// Echo every encoder exchange into the log.
struct LogCommunication {
    bool On = false;
};

/// The encoder supply: 5 V on, or off.
struct SetSupply {
    bool On = true;
};

/// The SPI clock, by item index of the clock list (0..7 sends "M1".."M8").
struct SetSpiClock {
    int ItemIndex = 4;
};

/// The ring magnet size as the user typed or picked it.
struct SetMagnetSize {
    std::string Text;
};

enum class ConfigCommand {
    FactoryReset,
    SaveToNvram,
    SelfCalibration,
    ZeroOffset,
    MultiturnPreset
};

/// One configuration command; Value is used by ZeroOffset and MultiturnPreset.
struct SendConfig {
    ConfigCommand Command = ConfigCommand::FactoryReset;
    std::int32_t Value = 0;
};

/// Make the current shaft position the encoder's zero.
struct SetZeroHere {};

/// Start a recording in Folder (UTF-8); DurationS as "Recording duration (sec)".
struct StartRecording {
    std::string Folder;
    int DurationS = 20;
};

/// A new recording duration, taken at the next row (0: no limit).
struct SetRecordingDuration {
    int DurationS = 20;
};

struct StopRecording {};

/// The link test: Readings position readings at each SPI clock, reading
/// paused meanwhile, then the clock in use before selected again.
struct RunLinkTest {
    int Readings = 200; ///< 1..100000; others are clamped
};

/// Ends a running link test early.
struct StopLinkTest {};

using Request = std::variant<ShowPage, SetReadInterval, LogCommunication, SetSupply, SetSpiClock,
                             SetMagnetSize, SendConfig, SetZeroHere, StartRecording,
                             SetRecordingDuration, StopRecording, RunLinkTest, StopLinkTest>;

} // namespace Engine
