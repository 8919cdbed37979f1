#pragma once
// The simulator's control language: one text line switches a fault or changes
// the world around the box ("error on", "speed 30", "unplug"). k730-sim reads it
// on standard input and takes its options in the same words; tests can use it
// on an in-process box.

#include "k730_box.h"

#include <string>
#include <string_view>

namespace K730Sim {

enum class ControlAction { None, Stats, Quit, Help };

struct ControlOutcome {
    bool Ok = true;
    std::string Message; ///< why a line was refused
    ControlAction Action = ControlAction::None;
};

/// Runs one line; blank lines and lines starting with '#' do nothing.
[[nodiscard]] ControlOutcome RunControlCommand(K730Box& box, std::string_view line);

/// One line per command, for --help.
[[nodiscard]] std::string_view ControlCommandHelp();

} // namespace K730Sim
