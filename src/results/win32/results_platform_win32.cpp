#include "results/results_location.h"
#include "results/results_platform.h"

#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace Results {
namespace {
std::string Utf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}
} // namespace

std::string BenchName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &length))
        return {};
    return Utf8(name, static_cast<int>(length));
}

std::optional<std::string> EnvironmentValue(const char* name) {
    const std::wstring wide(name, name + std::char_traits<char>::length(name));
    const wchar_t* value = _wgetenv(wide.c_str());
    return value ? std::optional<std::string>(Utf8(value, static_cast<int>(wcslen(value))))
                 : std::nullopt;
}

std::optional<std::string> DefaultResultsFile() {
    const auto local = EnvironmentValue("LOCALAPPDATA");
    if (local && !local->empty())
        return *local + "\\Tessoran\\results.sqlite";
    return std::nullopt;
}

} // namespace Results
