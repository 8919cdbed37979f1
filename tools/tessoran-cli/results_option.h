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
    "results", "PATH|URL",
    "the results file or postgresql:// server (else $TESSORAN_RESULTS, else the user's data "
    "folder); none: none"};

/// The file or server URL --results or TESSORAN_RESULTS names, or the
/// default file; unset: none.
[[nodiscard]] std::optional<std::string> ResultsFile(const Arguments& args);

/// The store at `location`: a file, or a server with the bench's default file
/// keeping what waits for it.
[[nodiscard]] std::unique_ptr<Results::ResultsStore>
OpenNamedStore(const std::string& location, Results::StoreStatus& status, Results::OpenMode mode);

/// Adds `result` to the store the options name. Keeping it is not the
/// check's business: a failure is one line on standard error, nothing more.
void KeepResult(const Arguments& args, const Results::InstallationResult& result);

/// A result as `check --json` gives it; `stored`: with the store's own
/// fields too (id, time, bench, program_version, source, report).
[[nodiscard]] Json ResultJson(const Results::InstallationResult& result, bool stored);

} // namespace TessoranCli
