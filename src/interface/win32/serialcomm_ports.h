#pragma once
// The registry's map of serial ports, read as the interface search wants it.

#include <string>
#include <vector>

#include <windows.h>

namespace Interface {

/// Where Windows lists its serial ports, under HKEY_LOCAL_MACHINE.
inline constexpr const wchar_t* SerialCommKey = L"hardware\\devicemap\\serialcomm";

/// The ports of the values under `root`\`subKey` whose name contains "USBSER"
/// (case-sensitive) and whose text data begins with "COM": "COM" + the number
/// after it (1 when the rest is not a number), ascending, each number once.
/// Values that are not text are skipped. Empty when the key cannot be opened.
[[nodiscard]] std::vector<std::string> ListSerialCommPorts(HKEY root, const wchar_t* subKey);

} // namespace Interface
