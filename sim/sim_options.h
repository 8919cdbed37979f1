#pragma once
// k730-sim's command line. Options that set up the box are the same words as
// the commands it reads on standard input ("--speed 30" is "speed 30").

#include <cstdint>
#include <string>
#include <vector>

namespace K730Sim {

struct ServerOptions {
    std::string LinkPath;
    std::string NvramPath;
    bool PrintStatsOnExit = false;
    bool Help = false;
    std::vector<std::string> ControlLines; ///< to run on the box before serving
};

/// False with `error` set for an unknown option or a missing value.
[[nodiscard]] bool ParseServerOptions(int argc, const char* const* argv, ServerOptions& options,
                                      std::string& error);

[[nodiscard]] std::string ServerUsage();

} // namespace K730Sim
