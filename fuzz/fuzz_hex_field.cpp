// The hexadecimal field readers on arbitrary text. Byte 0 picks the widths the
// reader takes; the rest is the text.
#include "encoder/crc.h"
#include "encoder/hex_field.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::uint8_t widths = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    // A field is a 32-bit pattern at most, or the default.
    const std::int64_t def = 0x1234567890LL;
    const std::int64_t value = Velor::ParseHexDef(text, def);
    if (value != def) {
        if (text.empty() || text.size() > 8)
            __builtin_trap();
        const bool inRange = text.size() == 8 ? value >= INT32_MIN && value <= INT32_MAX
                                              : value >= 0 && value <= 0xFFFFFFF;
        if (!inRange)
            __builtin_trap();
    }

    Velor::HexReader reader(text);
    std::size_t consumed = 0;
    for (int i = 0; reader.Remaining() > 0 && i < 64; ++i) {
        const std::size_t count = 1u + ((widths >> (i % 8)) & 7u);
        const std::size_t before = reader.Remaining();
        (void)reader.Take(count, -1);
        consumed += before - reader.Remaining();
        if (i % 5 == 4)
            reader.Skip(count);
    }
    reader.Skip(text.size() + 1);
    if (reader.Remaining() != 0 || consumed > text.size())
        __builtin_trap();

    // A last single digit reads as the high nibble of a last byte.
    const std::uint8_t crc = Velor::HexReplyCrc(text);
    if (text.size() % 2 == 1 && crc != Velor::HexReplyCrc(std::string(text) + "0"))
        __builtin_trap();
    return 0;
}
