#pragma once
// The transport seam under InterfaceCommand: one open serial port. The POSIX
// implementation lives in posix/, the Win32 one in win32/, and tests and the
// simulator provide their own. All calls are synchronous and made from one thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace Serial_driver {

/// What a wait for incoming bytes ended with.
enum class WaitResult {
    Readable, ///< bytes are queued (or may be; the caller asks BytesWaiting)
    TimedOut, ///< nothing arrived within the time given
    HungUp,   ///< the device is gone (USB unplug, pty closed): it never comes back
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    /// Writes all bytes in one call. 0 on success, else minus the OS error code.
    [[nodiscard]] virtual int Write(std::string_view bytes) = 0;

    /// Number of received bytes queued for reading (>= 0), or minus the OS error
    /// code when the port can no longer be queried (hung up).
    [[nodiscard]] virtual int BytesWaiting() = 0;

    /// Reads up to `count` queued bytes and appends them to `out`. Returns the
    /// count read (0 when nothing could be read), or minus the OS error code.
    [[nodiscard]] virtual int Read(std::size_t count, std::string& out) = 0;

    /// Blocks until bytes are queued, the port hangs up, or `timeoutMs` passes.
    /// Must not burn CPU while it waits.
    [[nodiscard]] virtual WaitResult WaitReadable(int timeoutMs) = 0;

    /// Milliseconds of a monotonic clock; the exchange time-out is measured on it.
    /// Tests with a simulated device override it to run time-outs instantly.
    [[nodiscard]] virtual std::int64_t NowMs();

    /// Line settings, as the discovery needs them: read and keep the port's
    /// current settings, apply 115200 8N1 (raw), and put the kept ones back.
    [[nodiscard]] virtual bool SaveSettings() = 0;
    [[nodiscard]] virtual bool ApplySettings() = 0;
    [[nodiscard]] virtual bool RestoreSettings() = 0;
};

/// Why an open failed; the discovery skips such ports, and tells the user once
/// about a port it has no permission for.
enum class OpenError { None, NotFound, Busy, PermissionDenied, Other };

/// Opens ports by name ("/dev/ttyACM0", "COM7"). The window takes one of these
/// from outside so tests can hand it simulated ports.
class PortOpener {
public:
    virtual ~PortOpener() = default;
    [[nodiscard]] virtual std::unique_ptr<SerialPort> Open(const std::string& name,
                                                           OpenError& error) = 0;
};

/// The real ports of this platform (exclusive open).
[[nodiscard]] std::unique_ptr<PortOpener> MakeSystemPortOpener();

} // namespace Serial_driver
