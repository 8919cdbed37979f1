#include "util/Orodja.h"

#include <charconv>

namespace Orodja {

namespace {
bool IsTrimmed(unsigned char c) { return c <= 32; }
bool IsAsciiAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
} // namespace

std::string IntToBinStr(std::int32_t width, std::int64_t value) {
    if (width <= 0)
        return {};
    std::string bits(static_cast<std::size_t>(width), '0');
    auto v = static_cast<std::uint64_t>(value);
    for (std::size_t i = bits.size(); i > 0 && v != 0; --i, v >>= 1) {
        if (v & 1u)
            bits[i - 1] = '1';
    }
    return bits;
}

std::string Trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsTrimmed(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && IsTrimmed(static_cast<unsigned char>(text[end - 1])))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string RemoveSpaces(std::string_view text) {
    std::string out;
    for (char c : Trim(text))
        if (c != ' ')
            out.push_back(c);
    return out;
}

std::string KeepPrintable(std::string_view text) {
    std::string out;
    for (char c : Trim(text)) {
        auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u <= 0x7E)
            out.push_back(c);
    }
    return out;
}

std::string KeepAlphanumeric(std::string_view text) {
    std::string out;
    for (char c : Trim(text))
        if (IsAsciiAlnum(static_cast<unsigned char>(c)))
            out.push_back(c);
    return out;
}

std::string ZeroPadInt(std::int32_t value, std::int32_t width) {
    std::string text = std::to_string(value);
    if (width >= 1 && width <= 4 && text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t def) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return def;
    std::int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size())
        return def;
    return value;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

} // namespace Orodja
