#pragma once
// JSON as the subcommands write it: one object per line, flushed at once so a
// reader on a pipe sees it as it comes.

#include <nlohmann/json.hpp>

#include <ostream>

namespace TessoranCli {

/// Objects keep their fields in the order they were set.
using Json = nlohmann::ordered_json;

/// Writes `object` on one line and flushes. Device text that is not UTF-8
/// comes out with replacement characters, never as an exception.
void WriteJsonLine(std::ostream& out, const Json& object);

/// Millimetres to 0.1 um: the air-gap curves say no more, and 0.8 stays 0.8
/// rather than the digits of its float.
[[nodiscard]] double RoundedMm(double mm);

} // namespace TessoranCli
