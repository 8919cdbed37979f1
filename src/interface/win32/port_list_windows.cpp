// The candidate ports on Windows: the USB serial ports of the registry's map.
// PortListSource describes the Linux sources; Windows has only the registry.
#include "interface/port_list.h"
#include "interface/win32/serialcomm_ports.h"

namespace Interface {

PortListSource SystemPortListSource() {
    return {};
}

std::vector<std::string> ListCandidatePorts(const PortListSource&) {
    return ListSerialCommPorts(HKEY_LOCAL_MACHINE, SerialCommKey);
}

std::string PortDisplayName(const std::string& port) {
    return port;
}

} // namespace Interface
