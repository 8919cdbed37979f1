#include "serial/serial_port.h"

#include <chrono>

namespace Serial_driver {

std::int64_t SerialPort::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace Serial_driver
