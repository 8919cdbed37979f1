#pragma once
// Serial_driver: one blocking command/reply exchange with the K730-6W box.

#include "serial/serial_port.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Serial_driver {

/// Milliseconds, from the write's return, within which a reply must be complete.
inline constexpr int ReplyTimeout = 400;

/// Most bytes one exchange collects: several times the longest reply the box
/// sends. A device that floods the line fails the exchange instead of filling
/// memory.
inline constexpr std::size_t MaxReplyBytes = 512;

/// A reply cut at MaxReplyBytes is dropped to its end before the exchange
/// returns, so its tail never becomes the next command's reply: bytes are read
/// and discarded until a CR has passed or the line has been quiet for
/// DropQuietMs, and never more than MaxDropBytes or for longer than MaxDropMs,
/// so a device that floods for ever cannot hold the caller.
inline constexpr std::size_t MaxDropBytes = 64 * 1024;
inline constexpr int DropQuietMs = 20;
inline constexpr int MaxDropMs = 250;

/// Status codes of an exchange (besides minus an OS error code of a failed write).
inline constexpr int StatusOk = 0;
inline constexpr int StatusTimeout = -1;
inline constexpr int StatusNoPort = -3;

/// Writes `command` unchanged and collects the reply. expectedLength 0: complete
/// when the reply holds a CR; n > 0: complete at n or more bytes. Returns 0, -1
/// (time-out; reply keeps what arrived), -3 (port is null; reply untouched), or
/// minus the OS error code (write failed: reply untouched; port hung up during
/// the wait: reply keeps what arrived). A reply that reaches MaxReplyBytes
/// without completing ends the exchange with -1 once the rest of its line has
/// been dropped (see MaxDropBytes); `reply` keeps the first MaxReplyBytes.
[[nodiscard]] int InterfaceCommand(SerialPort* port, std::string_view command,
                                   std::uint32_t expectedLength, std::string& reply);

} // namespace Serial_driver
