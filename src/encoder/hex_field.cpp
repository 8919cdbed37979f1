#include "encoder/hex_field.h"

#include <algorithm>

namespace Velor {

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

std::int64_t ParseHexDef(std::string_view digits, std::int64_t def) {
    if (digits.empty() || digits.size() > 8)
        return def;
    std::uint32_t value = 0;
    for (char c : digits) {
        int d = HexDigit(c);
        if (d < 0)
            return def;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    // Eight digits are a 32-bit pattern, so 8..F in front read as negative.
    if (digits.size() == 8)
        return static_cast<std::int32_t>(value);
    return value;
}

std::int64_t HexReader::Take(std::size_t count, std::int64_t def) {
    std::string_view field = rest_.substr(0, count);
    rest_.remove_prefix(field.size());
    return ParseHexDef(field, def);
}

void HexReader::Skip(std::size_t count) { rest_.remove_prefix(std::min(count, rest_.size())); }

} // namespace Velor
