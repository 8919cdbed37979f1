#pragma once
// The rules of the reading cycle that do not need a window: which command a
// tick sends, the status colour of a reply, and the detailed-status latch.

#include <cstdint>

namespace Monitor {

/// The page open when a tick starts. The schedule cares about three of them;
/// the supply status is asked for only on the System Config page.
enum class Page { SystemConfig, Identification, Status, Installation, Other };

/// The command of the next tick. Status: d, t, s, T, NUL; Installation: i, a,
/// NUL; Identification: v; anything else: NUL. `lastCmd` is shared by the
/// Status and Installation pages and left alone by the others.
[[nodiscard]] unsigned char NextCommand(Page page, std::uint8_t& lastCmd);

enum class StatusColor { Error, Warning, Good };

/// Error beats warning; neither is good.
[[nodiscard]] StatusColor StatusOf(bool errBit, bool warnBit);

/// Detailed-status bits latched for the lamps, cleared after every 11th reply.
struct StatusLatch {
    std::uint8_t& Bits;        ///< Encoder_Status_delay
    std::uint16_t& ReplyCount; ///< CycleCounterStatus

    /// Adds one detailed-status reply and returns the bits the lamps show now.
    /// A status that is not a byte (its digits were not hexadecimal) is not a
    /// reading: it changes nothing and returns the bits as they were.
    std::uint8_t Add(std::uint32_t detStatus);
};

/// Every 21st good tick refreshes the supply status.
[[nodiscard]] bool SupplyStatusDue(std::uint16_t& cycleCounterPower);

} // namespace Monitor
