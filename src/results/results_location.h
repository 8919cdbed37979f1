#pragma once
// Where the results go: a path named with --results or TESSORAN_RESULTS, the
// word "none" for nowhere, or else the user's data folder.

#include <optional>
#include <string>

namespace Results {

inline constexpr std::string_view NoStore = "none";

/// `option` (--results), else `environment` (TESSORAN_RESULTS), else the
/// default file; an empty value counts as unset. Unset result: keep nothing
/// ("none", or no default folder known).
[[nodiscard]] std::optional<std::string>
ResultsLocation(const std::optional<std::string>& option,
                const std::optional<std::string>& environment);

/// $XDG_DATA_HOME/tessoran/results.sqlite (~/.local/share/...) on Linux,
/// %LOCALAPPDATA%\Tessoran\results.sqlite on Windows; unset when the
/// system names no such folder.
[[nodiscard]] std::optional<std::string> DefaultResultsFile();

/// The value of an environment variable; unset when it is not set.
[[nodiscard]] std::optional<std::string> EnvironmentValue(const char* name);

} // namespace Results
