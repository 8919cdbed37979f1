#pragma once
// Ctrl+C, SIGTERM and (on Windows) a closing console ask a run to stop rather
// than end the process, so a recording is closed with every row kept.

namespace TessoranCli {

/// From now on those signals set the stop request. A second Ctrl+C ends the
/// process as usual.
void CatchStopSignals();

[[nodiscard]] bool StopRequested();

/// The run has closed what it had open: a closing console may end the
/// process now.
void StopDone();

} // namespace TessoranCli
