#include "serial/posix/posix_serial_port.h"

namespace Serial_driver {
namespace {

class PosixPortOpener final : public PortOpener {
public:
    std::unique_ptr<SerialPort> Open(const std::string& name, OpenError& error) override {
        return PosixSerialPort::Open(name, error);
    }
};

} // namespace

std::unique_ptr<PortOpener> MakeSystemPortOpener() {
    return std::make_unique<PosixPortOpener>();
}

} // namespace Serial_driver
