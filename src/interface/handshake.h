#pragma once
// The pieces of the box's discovery and handshake that are plain text rules.

#include <cstdint>
#include <string>
#include <string_view>

namespace K730 {

/// The probe found a box: the exchange succeeded and the reply starts "K730-6W".
[[nodiscard]] bool IsIdentification(int status, std::string_view reply);

/// Firmware revision from the reply to "o": letters and digits, read as decimal, else 0.
[[nodiscard]] std::int32_t ParseFirmwareRevision(std::string_view reply);

/// Characters 10..14 (1-based) of the printable identification, ".", revision.
[[nodiscard]] std::string VersionText(std::string_view printableIdentification,
                                      std::int32_t firmwareRevision);

/// A set-up reply that refuses: contains "ERROR" in any letter case.
[[nodiscard]] bool IsRefusal(std::string_view reply);

/// "M1".."M8" for clock item index 0..7.
[[nodiscard]] std::string ClockCommand(int itemIndex);

} // namespace K730
