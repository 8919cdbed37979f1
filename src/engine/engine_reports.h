#pragma once
// What the engine tells the window. Each report is a value the window renders
// as it is; decisions (what a bit means, which lamp lights, what a reply
// proves) are made here, in the core.

#include "encoder/Enkoderji_splosno.h"
#include "encoder/reply_decoder.h"
#include "monitor/link_test.h"
#include "monitor/reading_cycle.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace Engine {

/// The window's named colours.
enum class Colour { ButtonFace, Orange, Green, Navy, LightRed, Red, Lime, Grey };

/// The colour of a reading's status: light red, orange or navy.
[[nodiscard]] Colour StatusColour(Monitor::StatusColor status);

/// One line at the end of the log (UTF-8); Scroll: then one page down.
struct LogLine {
    std::string Text;
    bool Scroll = true;
};

/// The big position label and its panel; an unset colour stays as it is.
struct Banner {
    std::string Text;
    std::optional<Colour> Font;
    std::optional<Colour> Panel;
};

/// The interface group on the System Config page; all empty while searching.
struct InterfaceInfo {
    std::string Port;
    std::string Version; ///< identification "." firmware revision
    std::string Serial;  ///< "Serial: " + serial number, or empty
};

/// The serial numbers and versions the window caption carries.
struct CaptionFields {
    std::string InterfaceSerial;
    std::string InterfaceVersion;
    std::string EncoderSerial;
    std::string EncoderPart;
};

/// The clock item the handshake selected.
struct ClockSelected {
    int ItemIndex = 4;
};

/// An interface search pass has ended (the start-up hourglass may go).
struct SearchPassEnded {};

/// The Encoder Identification page's labels, whole texts, and the firmware
/// version as last read.
struct EncoderLabels {
    std::string PartNumber;
    std::string Serial;
    std::string Firmware;
    std::string Additional;
    std::string FirmwareVersion;
};

/// The search took the magnet size from the part number.
struct MagnetSizeChosen {
    std::string Text;
};

/// Which groups the Installation page shows: calibration lights and air gap
/// for encoders with the extended command set, else the calibration note.
struct ExtendedCommandSet {
    bool Present = false;
};

/// One encoder exchange: frame sent, reply as decoded, Position page texts.
struct Transfer {
    std::string Frame;
    bool Exchanged = false;   ///< the box answered; Reply and Texts are valid
    bool CheckPassed = false; ///< it answered, and the reply passed its check
    std::string Reply;
    Velor::PositionTexts Texts;
};

/// Lamps of the Status page in the order Signal High, Signal Low,
/// Temperature, Speed, Multiturn Err, Acceleration, Safety comp.
using StatusLamps = std::array<Colour, 7>;
/// Calibration lamps: Finished, Failed, Timeout.
using CalibrationLamps = std::array<Colour, 3>;

/// A reading tick whose reply passed its check. Command is what the tick
/// shows: the command sent, or 255 when its auxiliary reply failed and is
/// skipped.
struct Reading {
    unsigned char Command = 0;
    TEncoderPosition Position;
    TEncoderAuxData Aux;
    std::string SerialNumber;
    bool Multiturn = false;
    Monitor::StatusColor Status = Monitor::StatusColor::Good;
    std::string RawHex;
    /// 'd': the status byte's bits as text ("--------" when unreadable) and
    /// the lamps, unset when the byte was unreadable (no lamp changes).
    std::string DetailedStatusBits;
    std::optional<StatusLamps> Lamps;
    /// 'i': unset when the status was unreadable (no lamp changes).
    std::optional<CalibrationLamps> CalLamps;
    int CalCounter = 0;
};

/// The reading cycle lost the box (Interface) or the encoder.
struct Lost {
    bool Interface = false;
};

/// Whether an encoder is connected: configuration commands work only then.
struct EncoderConnection {
    bool Connected = false;
};

/// The box's own report on the encoder supply.
struct SupplyStatus {
    std::string Text;
};

/// A message the user must see (UTF-8); it never stops the engine.
struct Message {
    bool Error = true;
    std::string Text;
};

/// "Set zero here": its label, and the two values fields it leaves.
struct SetZeroOutcome {
    enum class State { InProgress, Refused, Done, NotSet };
    State Outcome = State::InProgress;
    std::string Text;
    std::optional<int> ZeroOffset;     ///< the zero offset field
    std::optional<int> MultiturnValue; ///< the multiturn preset field
};

/// Recording: the file's path (shown before it is created), then rows with
/// their elapsed time, then the end. Failed: the recording ended on an error
/// (already reported as a message); Finished: ended normally.
struct RecordingPath {
    std::string Path; ///< UTF-8
};
struct RecordingRow {
    std::uint32_t ElapsedMs = 0;
};
struct RecordingEnded {
    bool Failed = false;
};

/// The link test is at clock Clock (1..8), Readings of its readings done.
struct LinkTestProgress {
    int Clock = 1;
    int Readings = 0;
};

/// The link test has ended. Refused: it did not start (no encoder, a
/// recording running, a test already running); the log says why.
struct LinkTestEnded {
    enum class End { Finished, Stopped, NoAnswer, Refused };
    End Outcome = End::Finished;
    Monitor::LinkTestResult Result;
};

using Report =
    std::variant<LogLine, Banner, InterfaceInfo, CaptionFields, ClockSelected, SearchPassEnded,
                 EncoderLabels, MagnetSizeChosen, ExtendedCommandSet, Transfer, Reading, Lost,
                 EncoderConnection, SupplyStatus, Message, SetZeroOutcome, RecordingPath,
                 RecordingRow, RecordingEnded, LinkTestProgress, LinkTestEnded>;

} // namespace Engine
