#pragma once
// What scripts/test-windows sets up for these tests under wine: k730-sim serving
// a COM port, the simulator's command input and its output, and the registry's
// serial-port map. The environment variables below describe it.

#include "serial/serial_port.h"

#include <memory>
#include <string>

namespace Win32Fixture {

/// The environment variable's value; empty when it is not set.
[[nodiscard]] std::string Env(const char* name);

/// The COM port k730-sim serves ("COM5"), from TESSORAN_WIN_SIM_PORT.
[[nodiscard]] std::string SimPort();

/// A COM port that the registry lists but that leads nowhere, from
/// TESSORAN_WIN_ABSENT_PORT.
[[nodiscard]] std::string AbsentPort();

/// Runs control commands ("slow 600", several separated by '\n') on the
/// simulator and returns once it has run them (its "stats" answer is the
/// barrier). False when the simulator did not answer within 10 s.
[[nodiscard]] bool SimCommand(const std::string& lines);

/// The simulator back to its start state: prompt, whole replies, box plugged in,
/// single-turn encoder at count 0.
[[nodiscard]] bool ResetSim();

/// The simulator's port, opened and set to 115200 8N1 as the discovery does,
/// with nothing queued.
[[nodiscard]] std::unique_ptr<Serial_driver::SerialPort> OpenSimPort();

} // namespace Win32Fixture
