#pragma once
// Hexadecimal fields of encoder replies. Every field has a default that is taken
// when its digits are missing or not hexadecimal; nothing here can fail.

#include <cstdint>
#include <string_view>

namespace Velor {

/// Parses up to 8 hex digits (either case) as a 32-bit pattern: an 8-digit group
/// starting with 8..F reads as a negative number. Empty, longer than 8 digits,
/// or holding a non-hex character: `def`.
[[nodiscard]] std::int64_t ParseHexDef(std::string_view digits, std::int64_t def);

/// Takes fields off the front of a reply, k digits at a time.
class HexReader {
public:
    explicit HexReader(std::string_view text) : rest_(text) {}

    /// The next `count` characters (fewer at the end) parsed with `def`.
    [[nodiscard]] std::int64_t Take(std::size_t count, std::int64_t def);
    void Skip(std::size_t count);
    [[nodiscard]] std::string_view Rest() const { return rest_; }
    [[nodiscard]] std::size_t Remaining() const { return rest_.size(); }

private:
    std::string_view rest_;
};

} // namespace Velor
