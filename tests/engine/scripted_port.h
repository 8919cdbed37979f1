#pragma once
// A port that answers each command with a fixed reply, for the box's texts the
// simulator has no reason to produce (a silent "Cp", a lower-case "v5", ...).
// Time passes only in waits, so a missing reply costs no real time.

#include "serial/serial_port.h"
#include "sim_clock.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class ScriptedPort final : public Serial_driver::SerialPort {
public:
    /// Replies by command; a command not in the map gets no reply at all.
    /// Time is kept on `clock`, which a wait moves on.
    ScriptedPort(std::map<std::string, std::string> replies,
                 std::shared_ptr<K730Sim::ManualClock> clock)
        : replies_(std::move(replies)), clock_(std::move(clock)),
          log_(std::make_shared<std::vector<std::string>>()) {}

    int Write(std::string_view bytes) override {
        log_->emplace_back(bytes);
        if (auto it = replies_.find(std::string(bytes)); it != replies_.end())
            queued_ += it->second;
        return 0;
    }
    int BytesWaiting() override { return static_cast<int>(queued_.size()); }
    int Read(std::size_t count, std::string& out) override {
        const std::size_t n = std::min(count, queued_.size());
        out.append(queued_, 0, n);
        queued_.erase(0, n);
        return static_cast<int>(n);
    }
    Serial_driver::WaitResult WaitReadable(int timeoutMs) override {
        clock_->AdvanceMs(timeoutMs);
        return Serial_driver::WaitResult::TimedOut;
    }
    std::int64_t NowMs() override { return clock_->NowUs() / 1000; }
    bool SaveSettings() override { return true; }
    bool ApplySettings() override { return true; }
    bool RestoreSettings() override { return true; }

    /// Every command written, in order; shared so it outlives the port.
    [[nodiscard]] std::shared_ptr<std::vector<std::string>> Log() const { return log_; }

private:
    std::map<std::string, std::string> replies_;
    std::string queued_;
    std::shared_ptr<K730Sim::ManualClock> clock_;
    std::shared_ptr<std::vector<std::string>> log_;
};
