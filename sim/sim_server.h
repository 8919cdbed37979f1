#pragma once
// k730-sim's event loop: one box model served on a pty, commands on standard
// input. It sleeps in poll() until the pty, standard input, a signal or the
// model's next scheduled reply needs it.

#include "k730_box.h"
#include "pty_endpoint.h"
#include "sim_options.h"

#include <memory>
#include <optional>
#include <string>

namespace K730Sim {

class SimServer {
public:
    SimServer(std::shared_ptr<K730Box> box, ServerOptions options);

    /// Opens the pty, prints its path and serves until quit or `stopFd` turns
    /// readable (the signal handler writes to it). Returns the exit status.
    int Run(int stopFd);

private:
    [[nodiscard]] bool SyncPlug();
    void ReadMaster();
    void ReadInput();
    void RunLine(const std::string& line);
    void WriteDue();
    [[nodiscard]] int PollTimeoutMs() const;

    std::shared_ptr<K730Box> box_;
    ServerOptions options_;
    PtyEndpoint pty_;
    std::optional<LinkKeeper> link_;
    bool inputOpen_ = true;
    bool quit_ = false;
    int exitStatus_ = 0;
    std::string inputLine_;
};

} // namespace K730Sim
