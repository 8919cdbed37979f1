#pragma once
// The K730-6W's command set as the program sends it: no terminator; every reply
// ends with CR except the identification, taken as complete at its 7th byte.

#include <array>
#include <cstdint>
#include <string_view>

namespace K730 {

inline constexpr std::string_view Identify = "v";
inline constexpr std::uint32_t IdentifyReplyLength = 7;
inline constexpr std::string_view IdentityPrefix = "K730-6W";
inline constexpr std::string_view FirmwareRevision = "o";
inline constexpr std::string_view SerialNumber = "r";
inline constexpr std::string_view ProtocolSetup = "Cp";
inline constexpr std::string_view SpiSetup1 = "G0:1";
inline constexpr std::string_view SpiSetup2 = "D055";
inline constexpr std::string_view SpiClockQuery = "m";
inline constexpr std::string_view Supply5V = "V5";
inline constexpr std::string_view SupplyOn = "n";
inline constexpr std::string_view SupplyOff = "f";
inline constexpr std::string_view SupplyStatus = "e";
inline constexpr std::string_view SupplyOnReply = "ON";
inline constexpr std::string_view SupplyOffReply = "OFF";

/// The SPI clocks "M1".."M8" select, as the clock list shows them.
inline constexpr std::array<std::string_view, 8> ClockTexts = {
    "1 = 94 kHz",  "2 = 188 kHz", "3 = 375 kHz", "4 = 750 kHz",
    "5 = 1.5 MHz", "6 =  3 MHz",  "7 =  6 MHz",  "8 = 12 MHz"};

/// Item index of the clock list the handshake selects ("5 = 1.5 MHz").
inline constexpr int DefaultClockIndex = 4;
/// Wait after switching the encoder supply, so it settles before the next request.
inline constexpr int SupplySettleMs = 200;

} // namespace K730
