#include "encoder/crc.h"

#include "encoder/Velor_konstante.h"
#include "encoder/hex_field.h"

#include <string>

namespace Velor {

std::uint8_t CalcCrc8(std::string_view bytes) {
    std::uint8_t reg = 0;
    for (char b : bytes)
        reg = Velor_konstante::Crc8Table[reg ^ static_cast<std::uint8_t>(b)];
    return reg;
}

std::uint8_t HexReplyCrc(std::string_view hexText) {
    std::string bytes;
    bytes.reserve(hexText.size() / 2 + 1);
    for (std::size_t i = 0; i < hexText.size(); i += 2) {
        char pair[2] = {hexText[i], i + 1 < hexText.size() ? hexText[i + 1] : '0'};
        bytes.push_back(static_cast<char>(ParseHexDef(std::string_view(pair, 2), 0)));
    }
    return static_cast<std::uint8_t>(~CalcCrc8(bytes));
}

} // namespace Velor
