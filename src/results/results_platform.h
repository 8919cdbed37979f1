#pragma once
// What the results store asks of the system, one file per system.

#include <optional>
#include <string>

namespace Results {

/// The bench: this computer's host name, UTF-8; empty when it has none.
[[nodiscard]] std::string BenchName();

} // namespace Results
