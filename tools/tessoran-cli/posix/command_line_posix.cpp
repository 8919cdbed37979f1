#include "command_line.h"

namespace TessoranCli {

std::vector<std::string> CommandLine(int argc, char** argv) {
    return {argv, argv + argc};
}

} // namespace TessoranCli
