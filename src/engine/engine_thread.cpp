#include "engine/engine_thread.h"

#include "engine/monitor_engine.h"

#include <utility>

namespace Engine {

void EngineChannel::Post(Request request) {
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
    }
    wake_.notify_one();
}

std::vector<Report> EngineChannel::TakeReports() {
    const std::lock_guard lock(mutex_);
    notified_ = false;
    return std::exchange(reports_, {});
}

void EngineChannel::SetReportsWaiting(std::function<void()> notify) {
    const std::lock_guard lock(notifyMutex_);
    notify_ = std::move(notify);
}

void EngineChannel::Deliver(Report report) {
    const std::lock_guard lock(mutex_);
    reports_.push_back(std::move(report));
}

void EngineChannel::Publish() {
    {
        const std::lock_guard lock(mutex_);
        if (notified_ || reports_.empty())
            return;
        notified_ = true;
    }
    // Not under the reports' lock: the window, woken by this call, takes them
    // at once and would otherwise find the lock held, costing two more task
    // switches per reading. Under its own lock instead, so that once the window
    // has said it is gone, no call reaches it.
    const std::lock_guard lock(notifyMutex_);
    if (notify_)
        notify_();
}

std::vector<Request> EngineChannel::TakeRequests() {
    const std::lock_guard lock(mutex_);
    return std::exchange(requests_, {});
}

void EngineChannel::WaitForRequests(std::optional<std::chrono::steady_clock::time_point> until) {
    std::unique_lock lock(mutex_);
    const auto ready = [this] { return closed_ || !requests_.empty(); };
    if (until)
        wake_.wait_until(lock, *until, ready);
    else
        wake_.wait(lock, ready);
}

void EngineChannel::Close() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
    }
    wake_.notify_one();
}

bool EngineChannel::Closed() {
    const std::lock_guard lock(mutex_);
    return closed_;
}

EngineThread::EngineThread(Environment env, std::shared_ptr<EngineChannel> channel)
    : channel_(std::move(channel)) {
    env.Sink = [channel = channel_](Report report) { channel->Deliver(std::move(report)); };
    env.Publish = [channel = channel_] { channel->Publish(); };
    engine_ = std::make_unique<MonitorEngine>(std::move(env));
    thread_ = std::thread([this] { Run(); });
}

EngineThread::~EngineThread() {
    engine_->Stop();
    channel_->Close();
    thread_.join();
}

void EngineThread::Run() {
    using namespace std::chrono;
    while (!channel_->Closed()) {
        for (const Request& request : channel_->TakeRequests())
            engine_->Handle(request);
        if (engine_->RunDue())
            continue;
        channel_->Publish();
        const auto due = engine_->DueMs();
        channel_->WaitForRequests(due ? std::optional(steady_clock::time_point(milliseconds(*due)))
                                      : std::nullopt);
    }
    // Closed here, on the engine's thread: the recording file and the port.
    engine_.reset();
}

} // namespace Engine
