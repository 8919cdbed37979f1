#pragma once
// A serial port on a POSIX tty (USB CDC-ACM box, or a pseudo-terminal).

#include "serial/serial_port.h"

#include <memory>
#include <string>

#include <termios.h>

namespace Serial_driver {

class PosixSerialPort final : public SerialPort {
public:
    /// Opens `path` for exclusive use (TIOCEXCL and flock). Null when it cannot,
    /// with `error` saying why; `error` is None on success.
    [[nodiscard]] static std::unique_ptr<PosixSerialPort> Open(const std::string& path,
                                                               OpenError& error);

    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    [[nodiscard]] int Write(std::string_view bytes) override;
    [[nodiscard]] int BytesWaiting() override;
    [[nodiscard]] int Read(std::size_t count, std::string& out) override;
    [[nodiscard]] WaitResult WaitReadable(int timeoutMs) override;

    [[nodiscard]] bool SaveSettings() override;
    /// Raw mode, 115200 baud, 8N1, receiver on, modem lines ignored; reads never
    /// block. Built from the saved settings when there are any.
    [[nodiscard]] bool ApplySettings() override;
    /// False when nothing was saved.
    [[nodiscard]] bool RestoreSettings() override;

    /// How long Write waits for a full output queue to drain before it gives up.
    static constexpr int WriteStallMs = 1000;

private:
    explicit PosixSerialPort(int fd) : fd_(fd) {}
    [[nodiscard]] bool IsHungUp() const;

    int fd_;
    termios saved_{};
    bool haveSaved_ = false;
};

} // namespace Serial_driver
