#pragma once
// The window's command line: `tessoran [FILE.csv]`, `--help`, `--version`.

#include <QString>
#include <QStringList>
#include <optional>

struct WindowCommandLine {
    /// The recording to open for review; empty: none.
    QString Recording;
    /// Set when the program is to end at once, with this code, after Text.
    std::optional<int> ExitCode;
    QString Text;
};

/// Reads the program's arguments once the application has taken its own
/// (`-platform` and the like). --help and --version end with 0; an unknown
/// option or more than one file with 64 (bad usage), the reason and the usage.
[[nodiscard]] WindowCommandLine ParseWindowCommandLine(const QStringList& arguments);

/// Prints Text: on standard output when the code is 0, else on standard
/// error. A Windows window program has no console: there it is a message box.
void ShowCommandLineText(const WindowCommandLine& line);
