#pragma once
// The check byte of every Velor reply except the part-number and firmware frames.

#include <cstdint>
#include <string_view>

namespace Velor {

/// Table-driven CRC-8 (poly 0x97, init 0) without the final inversion; "" gives 0.
[[nodiscard]] std::uint8_t CalcCrc8(std::string_view bytes);

/// Inverted CRC-8 of the bytes that the hex digits spell. Pairs are cut from the
/// left; a last single digit d reads as d0; a non-hex pair reads as 0.
[[nodiscard]] std::uint8_t HexReplyCrc(std::string_view hexText);

/// The check byte the encoder appends: ~CalcCrc8(bytes).
[[nodiscard]] inline std::uint8_t ReplyCrc(std::string_view bytes) {
    return static_cast<std::uint8_t>(~CalcCrc8(bytes));
}

} // namespace Velor
