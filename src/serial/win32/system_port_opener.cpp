#include "serial/win32/win32_serial_port.h"

namespace Serial_driver {
namespace {

class Win32PortOpener final : public PortOpener {
public:
    std::unique_ptr<SerialPort> Open(const std::string& name, OpenError& error) override {
        return OpenWin32SerialPort(name, error);
    }
};

} // namespace

std::unique_ptr<PortOpener> MakeSystemPortOpener() {
    return std::make_unique<Win32PortOpener>();
}

} // namespace Serial_driver
