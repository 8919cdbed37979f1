#pragma once
// k730-probe without its command line: runs the program's engine until it
// reads the encoder or it is clear there is none, and prints what the engine
// did: the ports it probed, every exchange of the handshake with the engine's
// verdict on it, the encoder frames of the search and the first reading.

#include "engine/engine_environment.h"

#include <ostream>
#include <string>
#include <string_view>

namespace K730Probe {

struct Options {
    /// Reading ticks to time once the encoder answers; 0: none.
    int Rounds = 0;
};

/// Exit statuses of a run.
inline constexpr int ExitOk = 0;
inline constexpr int ExitNoBox = 1;
inline constexpr int ExitProblems = 2;

/// Encoder search ticks (or lost readings) after which no encoder answered.
inline constexpr int EncoderSearchTicks = 3;

/// Runs the check on `env` and returns the exit status: ExitNoBox when the
/// first pass over the ports found no box, ExitProblems when the engine found
/// fault with a reply of the handshake. The ports are listed once; the sink
/// and the exchange hook are the probe's own. In real time (the engine's
/// steady clock) a run takes about two seconds: the engine's timers.
[[nodiscard]] int Run(Engine::Environment env, const Options& options, std::ostream& out);

/// A reply as a quoted C-like string: printable bytes as they are, \r \n \xHH.
[[nodiscard]] std::string Quoted(std::string_view bytes);

} // namespace K730Probe
