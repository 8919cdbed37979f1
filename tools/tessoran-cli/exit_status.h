#pragma once
// The exit statuses of tessoran-cli, one set for every subcommand, so a script
// can tell "no box" from "the installation failed".

namespace TessoranCli {

inline constexpr int ExitOk = 0;
/// No box answered, or no encoder behind it.
inline constexpr int ExitNoBox = 1;
/// The program found fault with a reply of the box (a refused setting).
inline constexpr int ExitProblems = 2;
inline constexpr int ExitFail = 3;
inline constexpr int ExitIncomplete = 4;
/// Bad usage (sysexits.h EX_USAGE).
inline constexpr int ExitUsage = 64;
/// The recording file could not be created or written (EX_IOERR).
inline constexpr int ExitFileError = 74;

} // namespace TessoranCli
