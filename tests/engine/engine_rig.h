#pragma once
// The engine against simulated boxes on a manual clock: requests go in
// between ticks, reports and the bytes every port received are collected, and
// time moves only through the engine's own waits and the box's time-outs.

#include "engine/monitor_engine.h"
#include "k730_box.h"
#include "sim_clock.h"
#include "sim_serial_port.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct Written {
    std::int64_t Ms; ///< since the engine started
    std::string Port;
    std::string Bytes;
};

class EngineRig {
public:
    EngineRig();
    ~EngineRig();

    /// A box with an encoder behind it, plugged in under `name`.
    std::shared_ptr<K730Sim::K730Box> AddBox(const std::string& name = "/dev/ttyACM0",
                                             bool multiturn = false);
    /// Starts the engine (its first interface search is due 1000 ms later).
    Engine::MonitorEngine& Start();
    void Post(const Engine::Request& request) { engine->Handle(request); }

    /// Runs every tick due up to `ms` after the start.
    void RunUntil(std::int64_t ms);
    /// Runs the next due tick, whenever it is due.
    void RunNextTick();
    /// Runs ticks until the encoder is being read; false if it does not come
    /// to that within `ms` of simulated time.
    bool Connect(std::int64_t ms = 5000);
    [[nodiscard]] std::int64_t NowMs() const { return clock->NowUs() / 1000 - startMs_; }
    /// When the next tick is due, in ms after the start.
    [[nodiscard]] std::optional<std::int64_t> DueMs() const {
        const auto due = engine->DueMs();
        return due ? std::optional(*due - startMs_) : std::nullopt;
    }

    template <class T> [[nodiscard]] std::vector<T> Reports() const {
        std::vector<T> out;
        for (const Engine::Report& r : reports)
            if (const T* t = std::get_if<T>(&r))
                out.push_back(*t);
        return out;
    }
    [[nodiscard]] std::vector<std::string> LogLines() const;
    [[nodiscard]] std::vector<std::string> Messages() const;
    /// What `port` received since `fromMs`, one entry per write.
    [[nodiscard]] std::vector<std::string> Sent(const std::string& port = "/dev/ttyACM0",
                                                std::int64_t fromMs = 0) const;
    void ClearReports() { reports.clear(); }

    std::shared_ptr<K730Sim::ManualClock> clock;
    std::shared_ptr<K730Sim::SimPortOpener> sim;
    /// The port listing; unset: the plugged-in simulated boxes.
    std::optional<std::vector<std::string>> ports;
    /// Ports whose open fails for lack of permission.
    std::set<std::string> denied;
    /// Ports that open as a ScriptedPort with these replies instead of a box.
    std::map<std::string, std::map<std::string, std::string>> scripted;
    /// Local time for recording names.
    Monitor::LocalDateTime localNow{2024, 1, 31, 14, 25, 30};
    /// Called at every write, before the port takes it.
    std::function<void(const Written&)> onWrite;
    /// Called with every report as it is made (after it is kept in `reports`).
    std::function<void(const Engine::Report&)> onReport;
    /// Wraps every port the engine opens (after the scripted and denied ones).
    std::function<std::unique_ptr<Serial_driver::SerialPort>(
        const std::string& name, std::unique_ptr<Serial_driver::SerialPort>)>
        wrapPort;

    std::vector<Engine::Report> reports;
    std::vector<Written> writes;
    /// "<port> restore" and "<port> close", in order.
    std::vector<std::string> portEvents;
    std::unique_ptr<Engine::MonitorEngine> engine;

private:
    std::int64_t startMs_ = 0;
};
