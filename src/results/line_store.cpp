#include "results/line_store.h"

#include "results/results_url.h"

namespace Results {

LineStore::LineStore(std::string url, std::unique_ptr<BenchResults> bench)
    : url_(std::move(url)), shown_(MaskedUrl(url_)), bench_(std::move(bench)) {}

std::string LineStore::Unreachable() const {
    return "Results server " + shown_ + " unreachable: kept on this bench, sent when it is back";
}

StoreStatus LineStore::Add(std::span<const InstallationResult> results) {
    for (const InstallationResult& r : results)
        if (StoreStatus kept = bench_->AddWaiting(r, shown_); !kept)
            return kept;
    return Send();
}

StoreStatus LineStore::Send() {
    if (!server_) {
        StoreStatus refused;
        server_ = OpenPostgresStore(url_, refused);
        if (!server_) {
            refused_ = refused.Message;
            return {true, Unreachable()};
        }
    }
    std::vector<InstallationResult> waiting;
    if (StoreStatus read = bench_->Waiting(shown_, waiting); !read)
        return read;
    if (waiting.empty())
        return {};
    if (StoreStatus sent = server_->Add(waiting); !sent) {
        server_.reset(); // the connection is suspect: a new one next time
        refused_ = sent.Message;
        return {true, Unreachable()};
    }
    return bench_->Sent(shown_, waiting);
}

StoreStatus LineStore::Read(const HistoryQuery& query, std::vector<InstallationResult>& results) {
    results.clear();
    // A reader wants the cause (a wrong password, no TLS in this build).
    if (StoreStatus sent = Send(); !sent || !sent.Message.empty())
        return sent.Ok ? StoreStatus::Failed(refused_) : sent;
    return server_->Read(query, results);
}

std::size_t LineStore::WaitingCount() {
    std::vector<InstallationResult> waiting;
    return bench_->Waiting(shown_, waiting) ? waiting.size() : 0;
}

std::unique_ptr<ResultsStore> OpenResultsStore(const std::string& location,
                                               const std::string& benchFile, StoreStatus& status,
                                               OpenMode mode) {
    if (!IsServerUrl(location))
        return OpenSqliteStore(location, status, mode);
    // What waits is kept whatever the mode: the bench's file is made for it.
    auto bench = OpenSqliteStore(benchFile, status, OpenMode::Create);
    if (!bench)
        return nullptr;
    return std::make_unique<LineStore>(location, std::move(bench));
}

} // namespace Results
