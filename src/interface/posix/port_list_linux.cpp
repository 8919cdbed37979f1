#include "interface/port_list.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace Interface {
namespace {

namespace fs = std::filesystem;

bool IsAcmName(std::string_view name) {
    constexpr std::string_view Prefix = "ttyACM";
    return name.size() > Prefix.size() && name.starts_with(Prefix) &&
           name.find_first_not_of("0123456789", Prefix.size()) == std::string_view::npos;
}

// A ttyACM node may belong to another driver (some modems); only cdc_acm is a
// candidate for the box.
bool DrivenByCdcAcm(const fs::path& ttyEntry) {
    std::error_code error;
    const fs::path driver = fs::canonical(ttyEntry / "device" / "driver", error);
    return !error && driver.filename() == "cdc_acm" && fs::is_directory(driver, error);
}

} // namespace

PortListSource SystemPortListSource() {
    PortListSource source;
    if (const char* extra = std::getenv("TESSORAN_PORTS")) {
        source.ExtraPorts = extra;
    }
    return source;
}

std::vector<std::string> ListCandidatePorts(const PortListSource& source) {
    std::vector<std::string> ports;
    std::error_code error;
    for (fs::directory_iterator it(source.SysfsRoot, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (IsAcmName(name) && DrivenByCdcAcm(it->path())) {
            ports.push_back((source.DevRoot / name).string());
        }
    }
    std::string_view extra = source.ExtraPorts;
    while (!extra.empty()) {
        const std::size_t colon = std::min(extra.find(':'), extra.size());
        if (colon > 0) {
            ports.emplace_back(extra.substr(0, colon));
        }
        extra.remove_prefix(std::min(colon + 1, extra.size()));
    }
    SortPorts(ports);
    return ports;
}

std::string PortDisplayName(const std::string& port) {
    return port;
}

} // namespace Interface
