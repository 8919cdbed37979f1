#include "encoder/config_commands.h"

#include "encoder/Velor_konstante.h"

namespace Velor {

std::string ConfigCommand(char letter) {
    std::string command(Velor_konstante::EncoderUnlockPrefix);
    command.push_back(letter);
    return command;
}

std::string ConfigCommandWithValue(char letter, std::int32_t value) {
    // Only the low 16 bits travel; a negative value goes as its two's complement.
    const auto v = static_cast<std::uint16_t>(value);
    std::string command = ConfigCommand(letter);
    command.push_back('\0');
    command.push_back('\0');
    command.push_back(static_cast<char>(v >> 8));
    command.push_back(static_cast<char>(v & 0xFF));
    return command;
}

} // namespace Velor
