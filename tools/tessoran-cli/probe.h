#pragma once
// tessoran-cli probe without its command line: runs the program's engine
// until it reads the encoder or it is clear there is none, and prints what the
// engine did: the ports it probed, every exchange of the handshake with the
// engine's verdict on it, the encoder frames of the search and the first
// reading.

#include "engine/engine_environment.h"

#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace TessoranCli {

struct ProbeOptions {
    /// Reading ticks to time once the encoder answers; 0: none.
    int Rounds = 0;
};

/// Runs the check on `env` and returns the exit status: ExitNoBox when the
/// first pass over the ports found no box, ExitProblems when the engine found
/// fault with a reply of the handshake. The ports are listed once; the sink
/// and the exchange hook are the probe's own. In real time (the engine's
/// steady clock) a run takes about two seconds: the engine's timers.
[[nodiscard]] int RunProbe(Engine::Environment env, const ProbeOptions& options, std::ostream& out);

/// A reply as a quoted C-like string: printable bytes as they are, \r \n \xHH.
[[nodiscard]] std::string Quoted(std::string_view bytes);

} // namespace TessoranCli
