#pragma once
// The candidate ports of the interface search, in the order they are probed.

#include <filesystem>
#include <string>
#include <vector>

namespace Interface {

/// Where the listing looks. On Linux: the tty class in sysfs, the folder of the
/// device nodes, and the value of TESSORAN_PORTS (colon-separated device paths,
/// how the simulator's pseudo-terminal is found). Tests point it at a fake tree.
struct PortListSource {
    std::filesystem::path SysfsRoot = "/sys/class/tty";
    std::filesystem::path DevRoot = "/dev";
    std::string ExtraPorts;
};

/// This machine's source, TESSORAN_PORTS taken from the environment.
[[nodiscard]] PortListSource SystemPortListSource();

/// The USB CDC-ACM ports and the extra ports, in probing order, no duplicates.
/// Empty when there are none or the tree cannot be read.
[[nodiscard]] std::vector<std::string> ListCandidatePorts(const PortListSource& source);

/// Sorts port names by the text before their trailing number, then by that
/// number's value (COM3 before COM12, ttyACM2 before ttyACM10), and drops
/// repeated names.
void SortPorts(std::vector<std::string>& ports);

/// The port as messages name it ("Interface found on " + name).
[[nodiscard]] std::string PortDisplayName(const std::string& port);

} // namespace Interface
