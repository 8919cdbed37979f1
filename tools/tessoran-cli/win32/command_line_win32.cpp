#include "command_line.h"

#include <windows.h>

#include <shellapi.h>

namespace TessoranCli {
namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back(); // the terminating NUL
    return utf8;
}

} // namespace

std::vector<std::string> CommandLine(int argc, char** argv) {
    // Paths and device text go out in UTF-8, as the core keeps them.
    SetConsoleOutputCP(CP_UTF8);
    // argv is in the ANSI code page, which cannot hold every folder name.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return {argv, argv + argc};
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i)
        words.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return words;
}

} // namespace TessoranCli
