#include "interface/port_list.h"

#include <algorithm>
#include <string_view>
#include <tuple>

namespace Interface {
namespace {

struct SortKey {
    std::string_view prefix;
    std::string_view number; // trailing digits without leading zeros
    bool hasNumber = false;
};

SortKey KeyOf(std::string_view name) {
    const std::size_t lastNonDigit = name.find_last_not_of("0123456789");
    const std::size_t digitsAt = lastNonDigit == std::string_view::npos ? 0 : lastNonDigit + 1;
    SortKey key{name.substr(0, digitsAt), name.substr(digitsAt), digitsAt < name.size()};
    // Compared by length then text, so numbers of any size need no conversion.
    key.number.remove_prefix(std::min(key.number.find_first_not_of('0'), key.number.size()));
    return key;
}

bool PortLess(const std::string& a, const std::string& b) {
    const SortKey ka = KeyOf(a);
    const SortKey kb = KeyOf(b);
    return std::tuple(ka.prefix, ka.hasNumber, ka.number.size(), ka.number, std::string_view(a)) <
           std::tuple(kb.prefix, kb.hasNumber, kb.number.size(), kb.number, std::string_view(b));
}

} // namespace

void SortPorts(std::vector<std::string>& ports) {
    std::sort(ports.begin(), ports.end(), PortLess);
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
}

} // namespace Interface
