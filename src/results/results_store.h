#pragma once
// The results store: every installation's result, kept. One small interface;
// the SQLite backend keeps them in a file on the bench. Failures are status
// values with a message that names the store; nothing throws out of it.

#include "results/installation_result.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Results {

/// What a reading of the history asks for; unset fields do not narrow it.
struct HistoryQuery {
    std::optional<std::string> Serial = std::nullopt; ///< the encoder's serial, exactly
    std::optional<std::string> Part = std::nullopt;   ///< the part number, exactly
    /// Either one containing this (the window's filter field).
    std::optional<std::string> SerialOrPart = std::nullopt;
    std::optional<std::string> SinceUtc = std::nullopt; ///< ISO 8601: results at or after it
    std::size_t Limit = 20;                             ///< 0: all
};

struct StoreStatus {
    bool Ok = true;
    /// Why not, naming the store; when Ok, a note for the user (empty: none).
    std::string Message;
    explicit operator bool() const { return Ok; }
    static StoreStatus Failed(std::string message) { return {false, std::move(message)}; }
};

class ResultsStore {
public:
    virtual ~ResultsStore() = default;
    /// Adds `result` whole, or not at all.
    [[nodiscard]] StoreStatus Add(const InstallationResult& result) {
        return Add(std::span<const InstallationResult>(&result, 1));
    }
    /// Adds all of `results` in one transaction, or none of them.
    [[nodiscard]] virtual StoreStatus Add(std::span<const InstallationResult> results) = 0;
    /// The results the query asks for, newest first.
    [[nodiscard]] virtual StoreStatus Read(const HistoryQuery& query,
                                           std::vector<InstallationResult>& results) = 0;
    /// Where it is, as a person would name it (a path).
    [[nodiscard]] virtual std::string Name() const = 0;
};

/// The bench's own file: besides its results, those waiting to be sent to a
/// results server (by the server's URL, its password masked).
class BenchResults : public ResultsStore {
public:
    /// Adds `result` and marks it waiting for `server`, in one transaction.
    [[nodiscard]] virtual StoreStatus AddWaiting(const InstallationResult& result,
                                                 const std::string& server) = 0;
    /// The results waiting for `server`, oldest first.
    [[nodiscard]] virtual StoreStatus Waiting(const std::string& server,
                                              std::vector<InstallationResult>& results) = 0;
    /// `server` has had these.
    [[nodiscard]] virtual StoreStatus Sent(const std::string& server,
                                           std::span<const InstallationResult> results) = 0;
};

enum class OpenMode {
    Create,  ///< a missing file (and its folder) is made: to add results
    Existing ///< a missing file is not made: to read; null with an ok status
};

/// Opens the SQLite results file at `path` (UTF-8). A file that is not a
/// Tessoran results database, or one of a newer schema, is refused and left
/// as it is; null with the reason in `status`.
[[nodiscard]] std::unique_ptr<BenchResults>
OpenSqliteStore(const std::string& path, StoreStatus& status, OpenMode mode = OpenMode::Create);

/// Opens the results on the PostgreSQL server at `url`
/// (postgresql://user@host:port/dbname), creating the schema "tessoran" on
/// first use; a connection is given up after seconds. Null with the reason in
/// `status`, the URL's password masked.
[[nodiscard]] std::unique_ptr<ResultsStore> OpenPostgresStore(const std::string& url,
                                                              StoreStatus& status);

} // namespace Results
