// k730-sim: a simulated K730-6W box with a Velor encoder on a pseudo-terminal.

#include "control_commands.h"
#include "nvram_file.h"
#include "sim_options.h"
#include "sim_server.h"

#include <csignal>
#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace {

int stopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const char byte = 1;
    (void)!write(stopPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char** argv) {
    K730Sim::ServerOptions options;
    std::string error;
    if (!K730Sim::ParseServerOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "k730-sim: %s (try --help)\n", error.c_str());
        return 2;
    }
    if (options.Help) {
        std::printf("%s", K730Sim::ServerUsage().c_str());
        return 0;
    }

    auto box = std::make_shared<K730Sim::K730Box>(std::make_shared<K730Sim::SteadyClock>());
    for (const std::string& line : options.ControlLines) {
        const auto outcome = K730Sim::RunControlCommand(*box, line);
        if (!outcome.Ok) {
            std::fprintf(stderr, "k730-sim: %s\n", outcome.Message.c_str());
            return 2;
        }
    }
    if (!options.NvramPath.empty()) {
        const std::string path = options.NvramPath;
        K730Sim::StoredSettings stored;
        if (std::filesystem::exists(path)) {
            if (!K730Sim::LoadStoredSettings(path, stored)) {
                std::fprintf(stderr, "k730-sim: cannot read %s\n", path.c_str());
                return 2;
            }
            box->Encoder().SetStored(stored);
            box->PowerCycleEncoder();
        }
        box->Encoder().OnSave = [path](const K730Sim::StoredSettings& s) {
            if (!K730Sim::SaveStoredSettings(path, s))
                std::fprintf(stderr, "k730-sim: cannot write %s\n", path.c_str());
        };
    }

    if (pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("k730-sim: pipe");
        return 1;
    }
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    K730Sim::SimServer server(box, std::move(options));
    return server.Run(stopPipe[0]);
}
