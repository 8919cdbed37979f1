#include "app/results_worker.h"

#include "results/line_store.h"
#include "results/results_location.h"
#include "results/results_url.h"

#include <QThread>

ResultsWorker::ResultsWorker(std::optional<std::string> file, QObject* parent)
    : QObject(parent), file_(std::move(file)), location_(file_), thread_(new QThread),
      inThread_(new QObject) {
    inThread_->moveToThread(thread_);
    connect(thread_, &QThread::finished, inThread_, &QObject::deleteLater);
    thread_->start();
}

ResultsWorker::~ResultsWorker() {
    // Queued behind what was asked, so a result asked to be added is not lost.
    QMetaObject::invokeMethod(
        inThread_,
        [this] {
            store_.reset();
            thread_->quit();
        },
        Qt::QueuedConnection);
    thread_->wait();
    delete thread_;
}

QString ResultsWorker::Location() const {
    if (!file_)
        return {};
    // A server's password is never shown.
    return QString::fromStdString(Results::IsServerUrl(*file_) ? Results::MaskedUrl(*file_)
                                                               : *file_);
}

Results::ResultsStore* ResultsWorker::Store(Results::StoreStatus& status, Results::OpenMode mode) {
    status = {};
    if (!store_ && location_)
        store_ = Results::OpenResultsStore(*location_, Results::DefaultResultsFile().value_or(""),
                                           status, mode);
    return store_.get();
}

void ResultsWorker::Relocate(std::optional<std::string> location) {
    file_ = location;
    QMetaObject::invokeMethod(
        inThread_,
        [this, location = std::move(location)] {
            store_.reset();
            location_ = location;
        },
        Qt::QueuedConnection);
}

void ResultsWorker::Add(Results::InstallationResult result) {
    if (!file_)
        return;
    QMetaObject::invokeMethod(
        inThread_,
        [this, result = std::move(result)] {
            Results::StoreStatus status;
            if (Results::ResultsStore* store = Store(status, Results::OpenMode::Create))
                status = store->Add(result);
            QMetaObject::invokeMethod(
                this,
                [this, status] { emit added(status.Ok, QString::fromStdString(status.Message)); },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void ResultsWorker::Read(Results::HistoryQuery query, int ticket) {
    QMetaObject::invokeMethod(
        inThread_,
        [this, query = std::move(query), ticket] {
            Results::StoreStatus status;
            std::vector<Results::InstallationResult> results;
            // A file not made yet holds no results; reading does not make it.
            if (Results::ResultsStore* store = Store(status, Results::OpenMode::Existing))
                status = store->Read(query, results);
            if (auto* line = dynamic_cast<Results::LineStore*>(store_.get()); line && status)
                status.Message = std::to_string(line->WaitingCount()) + " waiting on this bench";
            QMetaObject::invokeMethod(
                this,
                [this, ticket, results = std::move(results), status] {
                    emit read(ticket, results, status.Ok, QString::fromStdString(status.Message));
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

std::optional<std::string> ResultsLocationOf(const QString& text) {
    const QString trimmed = text.trimmed();
    return Results::ResultsLocation(
        trimmed.isEmpty() ? std::nullopt : std::optional(trimmed.toStdString()), std::nullopt);
}
