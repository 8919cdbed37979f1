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

    /// Adds `result`; added() follows.
    void Add(Results::InstallationResult result);
    /// Reads the history; read() follows, with `ticket` to tell answers apart.
    void Read(Results::HistoryQuery query, int ticket);

signals:
    /// `message` says why when it was not added, or, when it was, that the
    /// server was out of reach (empty: nothing to say).
    void added(bool ok, const QString& message);
    void read(int ticket, const std::vector<Results::InstallationResult>& results, bool ok,
              const QString& message);

private:
    /// The store, opened on the worker's thread at its first use.
    Results::ResultsStore* Store(Results::StoreStatus& status, Results::OpenMode mode);

    std::optional<std::string> file_;
    QThread* thread_;
    QObject* inThread_; ///< lives on thread_: the context of the work queued there
    std::unique_ptr<Results::ResultsStore> store_; ///< used on thread_ only
};
