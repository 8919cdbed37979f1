#pragma once
// The engine on its own thread, and the channel between it and the window:
// requests go in, reports come out, each side at its own pace. The window
// never waits for the engine; the engine never waits for the window.

#include "engine/engine_environment.h"
#include "engine/engine_reports.h"
#include "engine/engine_requests.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace Engine {

class EngineChannel {
public:
    // The window's side.
    void Post(Request request);
    /// Every report made since the last call, in order.
    [[nodiscard]] std::vector<Report> TakeReports();
    /// Called (on the engine's thread) when published reports start waiting
    /// to be taken; not again until they have been. It may come just after
    /// they were taken, so the window must accept finding none.
    void SetReportsWaiting(std::function<void()> notify);

    // The engine's side.
    void Deliver(Report report);
    /// Makes the reports delivered so far known to the window.
    void Publish();
    [[nodiscard]] std::vector<Request> TakeRequests();
    /// Returns when a request is posted, the channel closes, or at `until`.
    void WaitForRequests(std::optional<std::chrono::steady_clock::time_point> until);
    void Close();
    [[nodiscard]] bool Closed();

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Request> requests_;
    std::vector<Report> reports_;
    std::mutex notifyMutex_; // guards notify_ only; never taken with mutex_
    std::function<void()> notify_;
    bool notified_ = false;
    bool closed_ = false;
};

/// Runs a MonitorEngine on a thread of its own until destroyed. The
/// environment's clock must be the steady clock the thread waits on.
class EngineThread {
public:
    EngineThread(Environment env, std::shared_ptr<EngineChannel> channel);
    /// Ends the engine: a probe stops at the next port, an exchange at its
    /// time-out at the latest; the recording is closed.
    ~EngineThread();
    EngineThread(const EngineThread&) = delete;
    EngineThread& operator=(const EngineThread&) = delete;

private:
    void Run();

    std::shared_ptr<EngineChannel> channel_;
    std::unique_ptr<class MonitorEngine> engine_;
    std::thread thread_;
};

} // namespace Engine
