#pragma once
// A serial port on the Win32 API: a COM port opened for exclusive, synchronous use.

#include "serial/serial_port.h"

#include <memory>
#include <string>

namespace Serial_driver {

/// Opens "COM7" (or a full device path "\\.\COM7") with CreateFileW, exclusive,
/// synchronous. Null when it cannot, with `error` saying why (None on success):
/// a port another program holds is Busy, a missing one NotFound.
[[nodiscard]] std::unique_ptr<SerialPort> OpenWin32SerialPort(const std::string& name,
                                                              OpenError& error);

/// How long one write may wait for a stalled line before it fails.
inline constexpr int Win32WriteStallMs = 1000;

} // namespace Serial_driver
