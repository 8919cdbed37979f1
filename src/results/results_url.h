#pragma once
// Results server URLs (postgresql://user@host:port/dbname): told apart from
// file paths, shown with the password masked, given a connection time-out.

#include <string>
#include <string_view>

namespace Results {

/// Whether `location` names a PostgreSQL server rather than a file.
[[nodiscard]] bool IsServerUrl(std::string_view location);

/// The URL with any password between "user:" and "@" as "***", and any
/// "password=" parameter's value as well.
[[nodiscard]] std::string MaskedUrl(std::string_view url);

/// The URL with connect_timeout=5 added unless it has one: a server out of
/// reach is given up after seconds, never waited on.
[[nodiscard]] std::string WithConnectTimeout(std::string_view url);

} // namespace Results
