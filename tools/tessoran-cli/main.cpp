// tessoran-cli: the program's engine from a console or a script, without the
// window: the same discovery, handshake, search, reading schedule and
// recording as the window, one subcommand per job.

#include "command_line.h"
#include "exit_status.h"
#include "subcommands.h"

#include <iostream>
#include <span>
#include <string_view>

namespace {

using namespace TessoranCli;

struct Subcommand {
    std::string_view Name;
    std::string_view Summary;
    int (*Run)(Words);
};

constexpr Subcommand Subcommands[] = {
    {"probe", "check a box: the ports probed, the handshake, the encoder found", ProbeCommand},
    {"watch", "one line per reading, as columns or JSON Lines", WatchCommand},
    {"record", "the window's position recording file, until a time or Ctrl+C", RecordCommand},
    {"check", "an installation judged against limits while the shaft is turned", CheckCommand},
    {"history", "the installation results kept, newest first", HistoryCommand},
    {"linktest", "the link tried at each SPI clock, and the clock it carries", LinkTestCommand},
};

void Usage(std::ostream& out) {
    out << "Usage: tessoran-cli COMMAND [OPTION]... [PORT]...\n"
           "Runs Tessoran's engine on a K730-6W box and its encoder without the window.\n\n"
           "Commands:\n";
    for (const Subcommand& command : Subcommands)
        out << "  " << command.Name << std::string(10 - command.Name.size(), ' ') << command.Summary
            << '\n';
    out << "\n'tessoran-cli COMMAND --help' tells more. --version prints the version.\n";
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words = CommandLine(argc, argv);
    if (words.size() < 2) {
        Usage(std::cerr);
        return ExitUsage;
    }
    const std::string_view name = words[1];
    if (name == "--help" || name == "-h") {
        Usage(std::cout);
        return ExitOk;
    }
    if (name == "--version") {
        std::cout << "tessoran-cli " << TESSORAN_VERSION_TEXT << '\n';
        return ExitOk;
    }
    for (const Subcommand& command : Subcommands)
        if (command.Name == name)
            return command.Run(Words(words).subspan(2));
    std::cerr << "tessoran-cli: unknown command " << name << '\n';
    Usage(std::cerr);
    return ExitUsage;
}
