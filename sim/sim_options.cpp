#include "sim_options.h"

#include "control_commands.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace K730Sim {
namespace {

struct OptionInfo {
    std::string_view Name;
    std::string_view Value;   ///< shown in the usage; empty: a flag
    std::string_view Command; ///< control command; a flag's carries its own value
    std::string_view Help;
};

constexpr std::array<OptionInfo, 29> OptionTable = {{
    {"link", "PATH", "", "keep a symbolic link PATH pointing at the current pty"},
    {"nvram", "FILE", "", "load the encoder's saved settings from FILE, write saves to it"},
    {"stats", "", "", "print the counters when stopping"},
    {"kind", "single|multi", "kind", "single-turn (default) or multiturn encoder"},
    {"multiturn", "", "kind multi", "same as --kind multi"},
    {"serial", "TEXT", "serial", "encoder serial number, 6 characters (V24017)"},
    {"part", "TEXT", "part", "encoder part number, 16 characters (VLR14SPIST16B050)"},
    {"firmware", "A.B.C.D", "firmware", "encoder firmware version (2.1.4.1187)"},
    {"magnet", "SIZE", "magnet", "ring magnet size 12, 16, 22 or 30 (16)"},
    {"speed", "RPM", "speed", "shaft speed, may be 0 or negative (0)"},
    {"position", "COUNT", "position", "shaft position in counts, 16384 a turn (0)"},
    {"gap", "MM", "gap", "mean air gap (0.8)"},
    {"wobble", "MM", "wobble", "air-gap variation over a turn (0.03)"},
    {"temperature", "TENTHS", "temperature", "temperature in tenths of a degree C (285)"},
    {"calibration", "OUTCOME", "calibration", "finished, failed or timeout"},
    {"no-encoder", "", "encoder off", "no encoder attached"},
    {"supply-off", "", "supply off", "encoder supply off at start (MISO reads all ones)"},
    {"error", "", "error on", "encoder reports its error bit"},
    {"warning", "", "warning on", "encoder reports its warning bit"},
    {"status", "HEX", "status", "detailed status byte"},
    {"crc", "RATE", "crc", "share of SPI replies with a flipped bit, 0..1"},
    {"cable", "METRES", "cable", "the encoder's cable; fast clocks break replies (see below)"},
    {"seed", "N", "seed", "seed of the fault generator (1)"},
    {"slow", "MS", "slow", "hold every reply back MS milliseconds"},
    {"split", "N", "split", "send every reply in N writes"},
    {"extra", "", "extra on", "a line feed after every CR"},
    {"silent", "", "silent on", "the box answers nothing"},
    {"seterror", "", "seterror on", "ERROR to Cp, G0:1 and D055"},
    {"long-serial", "BYTES", "long-serial", "serial-number reply padded to BYTES, as a banner"},
}};

const OptionInfo* Find(std::string_view name) {
    for (const OptionInfo& option : OptionTable)
        if (option.Name == name)
            return &option;
    return nullptr;
}

} // namespace

bool ParseServerOptions(int argc, const char* const* argv, ServerOptions& options,
                        std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
            continue;
        }
        if (arg.substr(0, 2) != "--") {
            error = "unexpected argument: " + std::string(arg);
            return false;
        }
        arg.remove_prefix(2);
        std::string_view value;
        bool haveValue = false;
        if (const std::size_t eq = arg.find('='); eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            haveValue = true;
        }
        const OptionInfo* option = Find(arg);
        if (!option) {
            error = "unknown option: --" + std::string(arg);
            return false;
        }
        if (option->Value.empty()) {
            if (haveValue) {
                error = "--" + std::string(arg) + " takes no value";
                return false;
            }
        } else if (!haveValue) {
            if (i + 1 >= argc) {
                error = "--" + std::string(arg) + " needs " + std::string(option->Value);
                return false;
            }
            value = argv[++i];
        }
        if (arg == "link")
            options.LinkPath = value;
        else if (arg == "nvram")
            options.NvramPath = value;
        else if (arg == "stats")
            options.PrintStatsOnExit = true;
        else if (option->Value.empty())
            options.ControlLines.emplace_back(option->Command);
        else
            options.ControlLines.push_back(std::string(option->Command) + " " + std::string(value));
    }
    return true;
}

std::string ServerUsage() {
    std::string text = "Usage: k730-sim [OPTION]...\n"
                       "Serves a simulated K730-6W box with a Velor encoder on a pseudo-terminal.\n"
                       "The first line of standard output is the pty's path. Standard input takes\n"
                       "the commands below while it runs; end of input does not stop it. It stops\n"
                       "on 'quit', SIGTERM or SIGINT.\n\nOptions:\n";
    for (const OptionInfo& option : OptionTable) {
        std::string left = "  --";
        left += option.Name;
        if (!option.Value.empty()) {
            left += ' ';
            left += option.Value;
        }
        left.resize(std::max<std::size_t>(left.size() + 1, 27), ' ');
        text += left + std::string(option.Help) + "\n";
    }
    text += "  --help                   this text\n\nCommands on standard input:\n";
    text += ControlCommandHelp();
    return text;
}

} // namespace K730Sim
