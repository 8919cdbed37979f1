#pragma once
// Byte strings of the encoder's configuration commands.

#include <cstdint>
#include <string>

namespace Velor {

/// EncoderUnlockPrefix + letter (factory reset 'r', save 'c', self-calibration 'A').
[[nodiscard]] std::string ConfigCommand(char letter);

/// EncoderUnlockPrefix + letter + 00 00 hi lo of the low 16 bits of value
/// (zero offset 'Z', multiturn preset 'M'); negative values as two's complement.
[[nodiscard]] std::string ConfigCommandWithValue(char letter, std::int32_t value);

} // namespace Velor
