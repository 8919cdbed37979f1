#pragma once
// The frame that asks the K730-6W for one encoder exchange: "?" + n + ":" + ccc.

#include <cstdint>
#include <string>
#include <string_view>

namespace Velor {

/// Decimal text of value, zero-filled to at least `width` when width is 1..6.
[[nodiscard]] std::string ZeroPadNumber(std::int32_t value, std::int32_t width);

/// Number of reply bytes the box is asked to return for command byte c.
[[nodiscard]] int ReplyLength(unsigned char c, bool multiturn);

/// "?" + ZeroPadNumber(ReplyLength, 2) + ":" + ZeroPadNumber(c, 3).
[[nodiscard]] std::string EncoderFrame(unsigned char c, bool multiturn);

/// The box's reply as the decoder wants it: trimmed, inner blanks removed,
/// ASCII letters upper-cased.
[[nodiscard]] std::string CleanReply(std::string_view raw);

} // namespace Velor
