#pragma once
// Orodja: small stateless text helpers. Byte strings are std::string, one byte per
// character; "trim" always removes leading and trailing bytes with codes <= 32.

#include <cstdint>
#include <string>
#include <string_view>

namespace Orodja {

/// The lowest `width` bits of value, most significant first; "" when width <= 0.
[[nodiscard]] std::string IntToBinStr(std::int32_t width, std::int64_t value);

/// Removes leading and trailing bytes with codes 0..32.
[[nodiscard]] std::string Trim(std::string_view text);

/// Trim, then delete every inner blank (0x20); tabs and other control bytes stay.
[[nodiscard]] std::string RemoveSpaces(std::string_view text);

/// Trim, then keep only the bytes 0x20..0x7E.
[[nodiscard]] std::string KeepPrintable(std::string_view text);

/// Trim, then keep only A-Z, a-z and 0-9.
[[nodiscard]] std::string KeepAlphanumeric(std::string_view text);

/// Decimal text of value, zero-filled to `width` only when width is 1..4.
[[nodiscard]] std::string ZeroPadInt(std::int32_t value, std::int32_t width);

/// Whole text as a decimal 32-bit integer (optional sign, digits only), else `def`.
[[nodiscard]] std::int32_t StrToIntDef(std::string_view text, std::int32_t def);

/// ASCII upper case; other bytes unchanged.
[[nodiscard]] std::string UpperCase(std::string_view text);

} // namespace Orodja
