#include "interface/win32/serialcomm_ports.h"

#include "interface/port_list.h"
#include "util/Orodja.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace Interface {
namespace {

// The longest value name the registry allows, in characters.
constexpr DWORD MaxValueName = 16383;

// The value's data when it is text, up to its first NUL; the registry does not
// promise a terminator.
std::optional<std::wstring> ReadText(HKEY key, const std::wstring& name) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    // The data may grow between the two calls; a few tries, then give up.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LONG result = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(text.data()), &got);
        if (result == ERROR_MORE_DATA) {
            bytes = got;
            continue;
        }
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return std::nullopt;
        }
        text.resize(std::min<std::size_t>(got / sizeof(wchar_t), text.size()));
        text.resize(std::min(text.find(L'\0'), text.size()));
        return text;
    }
    return std::nullopt;
}

// "COM12" -> "COM12", "COM012" -> "COM12", "COMx" -> "COM1"; not "COM..." -> none.
std::optional<std::string> PortOfData(std::wstring_view data) {
    constexpr std::wstring_view Prefix = L"COM";
    if (!data.starts_with(Prefix)) {
        return std::nullopt;
    }
    std::string rest;
    for (const wchar_t c : data.substr(Prefix.size())) {
        rest.push_back(c > 0 && c < 128 ? static_cast<char>(c) : '?');
    }
    return "COM" + std::to_string(Orodja::StrToIntDef(rest, 1));
}

} // namespace

std::vector<std::string> ListSerialCommPorts(HKEY root, const wchar_t* subKey) {
    std::vector<std::string> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return ports;
    }
    DWORD longestName = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &longestName, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        longestName = 255;
    }
    std::wstring name(std::min(longestName, MaxValueName) + 1, L'\0');
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG result =
            RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA && name.size() <= MaxValueName) {
            name.resize(MaxValueName + 1); // a value added since the key was measured
            continue;
        }
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        ++index;
        if (result != ERROR_SUCCESS) {
            continue;
        }
        const std::wstring valueName(name.data(), length);
        if (valueName.find(L"USBSER") == std::wstring::npos) {
            continue;
        }
        if (const auto text = ReadText(key, valueName)) {
            if (auto port = PortOfData(*text)) {
                ports.push_back(std::move(*port));
            }
        }
    }
    RegCloseKey(key);
    // By number, each once: COM3 before COM12, "COM05" and "COM5" the same port.
    SortPorts(ports);
    return ports;
}

} // namespace Interface
