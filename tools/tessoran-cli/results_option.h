#pragma once
// --results: where check keeps its result and history reads them.

#include "cli_options.h"
#include "json_line.h"
#include "results/results_store.h"

#include <memory>
#include <optional>
#include <string>

namespace TessoranCli {

inline constexpr OptionSpec ResultsOption{
    "results", "PATH",
    "the results file (else $TESSORAN_RESULTS, else the user's data folder); none: none"};

/// The file --results or TESSORAN_RESULTS names, or the default; unset: none.
[[nodiscard]] std::optional<std::string> ResultsFile(const Arguments& args);

/// Adds `result` to the store the options name. Keeping it is not the
/// check's business: a failure is one line on standard error, nothing more.
void KeepResult(const Arguments& args, const Results::InstallationResult& result);

/// A result as `check --json` gives it; `stored`: with the store's own
/// fields too (id, time, bench, program_version, source, report).
[[nodiscard]] Json ResultJson(const Results::InstallationResult& result, bool stored);

} // namespace TessoranCli
