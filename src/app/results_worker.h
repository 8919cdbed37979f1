#pragma once
// The results store off the window's thread: each addition and each reading
// of the history runs on a thread of its own, in the order asked, and its
// outcome comes back as a signal on the window's thread. A busy or slow file
// never holds up the window.

#include "results/results_store.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QThread;

class ResultsWorker final : public QObject {
    Q_OBJECT
public:
    /// Keeps results in the SQLite file or on the results server `file`
    /// names; unset: keeps nothing.
    explicit ResultsWorker(std::optional<std::string> file, QObject* parent = nullptr);
    /// Finishes what was asked, then ends its thread.
    ~ResultsWorker() override;

    /// Where the results are kept, for a person; empty when nowhere.
    [[nodiscard]] QString Location() const;
    [[nodiscard]] bool Keeps() const { return file_.has_value(); }

    /// From now on the results go to `location` (unset: nowhere); what was
    /// asked before goes where it was asked.
    void Relocate(std::optional<std::string> location);

    /// Adds `result`; added() follows.
    void Add(Results::InstallationResult result);
    /// Reads the history; read() follows, with `ticket` to tell answers apart.
    void Read(Results::HistoryQuery query, int ticket);

signals:
    /// `message` says why when it was not added, or, when it was, that the
    /// server was out of reach (empty: nothing to say).
    void added(bool ok, const QString& message);
    /// `message`: why not, or for a server how many results wait on the bench.
    void read(int ticket, const std::vector<Results::InstallationResult>& results, bool ok,
              const QString& message);

private:
    /// The store, opened on the worker's thread at its first use.
    Results::ResultsStore* Store(Results::StoreStatus& status, Results::OpenMode mode);

    std::optional<std::string> file_;     ///< on the window's thread
    std::optional<std::string> location_; ///< the same, on thread_
    QThread* thread_;
    QObject* inThread_; ///< lives on thread_: the context of the work queued there
    std::unique_ptr<Results::ResultsStore> store_; ///< used on thread_ only
};

/// The location the History page's text names: empty, this bench's own file;
/// "none", nowhere; else the file or server as written.
[[nodiscard]] std::optional<std::string> ResultsLocationOf(const QString& text);

/// The settings' key of the History page's choice.
inline constexpr const char* ResultsLocationKey = "results/location";
