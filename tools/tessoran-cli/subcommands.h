#pragma once
// The subcommands of tessoran-cli. Each takes the words after its name and
// returns the exit status (exit_status.h).

#include <span>
#include <string>

namespace TessoranCli {

using Words = std::span<const std::string>;

int ProbeCommand(Words words);
int WatchCommand(Words words);
int RecordCommand(Words words);
int CheckCommand(Words words);
int HistoryCommand(Words words);
int LinkTestCommand(Words words);

} // namespace TessoranCli
