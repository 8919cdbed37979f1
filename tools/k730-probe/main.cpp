// k730-probe: checks a K730-6W box and its encoder from a console, without the
// window. Runs the program's engine on the candidate ports and prints what it
// did: the ports it probed, the handshake, the encoder search and reading.

#include "engine/engine_environment.h"
#include "probe_front_end.h"
#include "util/Orodja.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage =
    "Usage: k730-probe [--rounds N] [PORT]...\n"
    "Finds a K730-6W box among the USB serial ports (or the PORTs given, e.g. COM7\n"
    "or /dev/ttyACM0), runs its handshake, reads the encoder's position and prints\n"
    "every command and reply.\n"
    "\n"
    "  --rounds N   then time N position requests: round trip and CPU per request\n"
    "  --version    print the program's version\n"
    "  --help       this text\n"
    "\n"
    "Exit status: 0 box found and every reply as expected, 1 no box found,\n"
    "2 a reply was not as expected, 64 bad usage.\n";

} // namespace

int main(int argc, char** argv) {
    K730Probe::Options options;
    std::vector<std::string> ports;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::cout << Usage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "k730-probe " << TESSORAN_VERSION_TEXT << '\n';
            return 0;
        }
        if (arg == "--rounds" && i + 1 < argc) {
            options.Rounds = Orodja::StrToIntDef(argv[++i], 0);
            if (options.Rounds < 1) {
                std::cerr << "k730-probe: --rounds wants a positive count\n";
                return 64;
            }
            continue;
        }
        if (arg.starts_with("-")) {
            std::cerr << "k730-probe: unknown option " << arg << "\n" << Usage;
            return 64;
        }
        ports.push_back(arg);
    }

    Engine::Environment env = Engine::Environment::System();
    if (!ports.empty())
        env.ListPorts = [ports] { return ports; };
    const int status = K730Probe::Run(std::move(env), options, std::cout);
    std::cout.flush();
    return status;
}
