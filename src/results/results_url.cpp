#include "results/results_url.h"

#include <algorithm>

namespace Results {

bool IsServerUrl(std::string_view location) {
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

std::string MaskedUrl(std::string_view url) {
    std::string shown(url);
    const std::size_t scheme = shown.find("://");
    if (scheme != std::string::npos) {
        // The user's part ends at the authority's last '@', whatever the password holds.
        const std::size_t from = scheme + 3;
        const std::size_t end = std::min(shown.find('/', from), shown.find('?', from));
        const std::size_t at =
            shown.rfind('@', end == std::string::npos ? std::string::npos : end - 1);
        const std::size_t colon = shown.find(':', from);
        if (at != std::string::npos && at >= from && colon < at)
            shown.replace(colon + 1, at - colon - 1, "***");
    }
    for (std::size_t p = shown.find("password="); p != std::string::npos;
         p = shown.find("password=", p + 1)) {
        const std::size_t value = p + 9;
        const std::size_t end = shown.find('&', value);
        shown.replace(value, (end == std::string::npos ? shown.size() : end) - value, "***");
    }
    return shown;
}

std::string WithConnectTimeout(std::string_view url) {
    std::string out(url);
    if (out.find("connect_timeout=") != std::string::npos)
        return out;
    return out + (out.find('?') == std::string::npos ? "?" : "&") + "connect_timeout=5";
}

} // namespace Results
