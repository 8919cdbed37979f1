#include "stop_signal.h"

#include <atomic>
#include <csignal>

namespace TessoranCli {
namespace {

std::atomic<bool> stopRequested = false;
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnStopSignal(int) {
    stopRequested = true;
}

} // namespace

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // Once only: a second signal finds the default action and ends the process.
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() {
    return stopRequested;
}

void StopDone() {}

} // namespace TessoranCli
