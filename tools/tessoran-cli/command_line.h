#pragma once
// The program's command line in UTF-8, the encoding the core takes paths in,
// on every system; console output is UTF-8 too.

#include <string>
#include <vector>

namespace TessoranCli {

/// The words of the command line, the program's name first.
[[nodiscard]] std::vector<std::string> CommandLine(int argc, char** argv);

} // namespace TessoranCli
