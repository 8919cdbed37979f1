#include "stop_signal.h"

#include <atomic>

#include <windows.h>

namespace TessoranCli {
namespace {

std::atomic<bool> stopRequested = false;
HANDLE stopDone = nullptr;
// Windows ends the process some 5 s after a close event's handler was called.
constexpr DWORD CloseWaitMs = 4500;

// Runs on a thread of its own that Windows starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event == CTRL_C_EVENT && stopRequested.exchange(true))
        return FALSE; // the second Ctrl+C: the default handler ends the process
    stopRequested = true;
    // After a close, logoff or shutdown event the process ends as soon as the
    // handler returns: wait for the run to close its file first.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(stopDone, CloseWaitMs);
    return TRUE;
}

} // namespace

void CatchStopSignals() {
    stopDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool StopRequested() {
    return stopRequested;
}

void StopDone() {
    if (stopDone)
        SetEvent(stopDone);
}

} // namespace TessoranCli
