#pragma once
// The results of a line of benches: on a PostgreSQL server, and kept on the
// bench while the server is out of reach. Every result goes to the bench's
// own file first, marked waiting, and leaves the mark once the server has
// it; the waiting ones go at the next connection. A result sent twice is
// kept once (its id is the server's key).

#include "results/results_store.h"

#include <memory>
#include <string>

namespace Results {

class LineStore final : public ResultsStore {
public:
    /// Results go to the server at `url`, through `bench`.
    LineStore(std::string url, std::unique_ptr<BenchResults> bench);

    using ResultsStore::Add;
    /// Ok once the bench has them; the Message then says when the server
    /// was out of reach.
    [[nodiscard]] StoreStatus Add(std::span<const InstallationResult> results) override;
    /// The server's results, after the waiting ones are sent.
    [[nodiscard]] StoreStatus Read(const HistoryQuery& query,
                                   std::vector<InstallationResult>& results) override;
    [[nodiscard]] std::string Name() const override { return shown_; }

    /// Sends what waits; Ok with a note when the server is out of reach.
    [[nodiscard]] StoreStatus Send();
    /// How many results wait on this bench for the server.
    [[nodiscard]] std::size_t WaitingCount();

private:
    [[nodiscard]] std::string Unreachable() const;

    std::string url_;
    std::string shown_; ///< the URL, its password masked: also the waiting mark
    std::unique_ptr<BenchResults> bench_;
    std::unique_ptr<ResultsStore> server_;
    std::string refused_; ///< why the server was not used, the last time
};

/// The store `location` names: a results server's URL (with the bench's own
/// file, `benchFile`, to keep what waits), or a file. Null with the reason.
[[nodiscard]] std::unique_ptr<ResultsStore> OpenResultsStore(const std::string& location,
                                                             const std::string& benchFile,
                                                             StoreStatus& status,
                                                             OpenMode mode = OpenMode::Create);

} // namespace Results
