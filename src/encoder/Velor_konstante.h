#pragma once
// Velor_konstante: constants of the Velor SPI encoder protocol.

#include <array>
#include <cstdint>
#include <string_view>

namespace Velor_konstante {

/// Sent before every configuration command letter (and before nothing else).
inline constexpr std::string_view EncoderUnlockPrefix{"\x5E\x1B\xA7\x62", 4};

/// Degrees per single-turn count (14-bit single-turn).
inline constexpr double ResolutionUnitDefault = 360.0 / 16384.0;
inline constexpr std::int32_t STmaxCountDefault = 16383;
inline constexpr std::int32_t MTmaxCountDefault = 65535;

/// Command bytes the program sends to the encoder.
namespace Cmd {
inline constexpr unsigned char Position = 0;
inline constexpr unsigned char Timestamp = 'T';
inline constexpr unsigned char SignalLevel = 'a';
inline constexpr unsigned char Speed = 's';
inline constexpr unsigned char Temperature = 't';
inline constexpr unsigned char DetailedStatus = 'd';
inline constexpr unsigned char CalibrationStatus = 'i';
inline constexpr unsigned char SerialNumber = 'v';
inline constexpr unsigned char Firmware = 'f';
inline constexpr unsigned char PartNumber = 'p';
/// What the decoder puts in place of a failed 'a' or 'i' so the caller skips it.
inline constexpr unsigned char Skipped = 255;
} // namespace Cmd

/// Configuration command letters that follow EncoderUnlockPrefix.
namespace Config {
inline constexpr char FactoryReset = 'r';
inline constexpr char SaveToNvram = 'c';
inline constexpr char SelfCalibration = 'A';
inline constexpr char ZeroOffset = 'Z';
inline constexpr char MultiturnPreset = 'M';
} // namespace Config

/// CRC-8, polynomial 0x97 (x^8+x^7+x^4+x^2+x+1), MSB first, no reflection.
inline constexpr std::uint8_t Crc8Polynomial = 0x97;

/// Entry i is the register after feeding byte i into a zero register.
inline constexpr std::array<std::uint8_t, 256> Crc8Table = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned reg = i;
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 0x80u) ? ((reg << 1) ^ Crc8Polynomial) : (reg << 1);
        table[i] = static_cast<std::uint8_t>(reg);
    }
    return table;
}();

} // namespace Velor_konstante
