#include "util/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace Orodja {

std::string FormatFixed(double value, int precision, int decimals) {
    if (!std::isfinite(value))
        return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    char buf[64];
    const double magnitude = std::fabs(value);
    const int intDigits =
        magnitude >= 1.0 ? static_cast<int>(std::floor(std::log10(magnitude))) + 1 : 1;
    if (intDigits > precision) {
        std::snprintf(buf, sizeof buf, "%.*E", precision > 0 ? precision - 1 : 0, value);
        return buf;
    }
    // Round to the significant digits left for the fraction, then pad to D.
    const int kept = std::max(0, std::min(decimals, precision - intDigits));
    const double scale = std::pow(10.0, kept);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0.0)
        rounded = 0.0; // no "-0.0"
    std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
    return buf;
}

std::string FixedText(double value, int decimals) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return end.ec == std::errc{} ? std::string(text, end.ptr) : std::string("?");
}

} // namespace Orodja
