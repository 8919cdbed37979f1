#pragma once
// A port that answers each command with a fixed reply, for the box's texts the
// simulator has no reason to produce (a silent "Cp", a lower-case "v5", ...).
// Time passes only in waits, so a missing reply costs no real time.

#include "serial/serial_port.h"
#include "sim_clock.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

/// A box that answers everything the handshake sends as it should.
inline std::map<std::string, std::string> ScriptedBox() {
    return {{"v", "K730-6W  V2.03 USB-SPI\r"},
            {"o", "17\r"},
            {"r", "SN0042\r"},
            {"Cp", "OK\r"},
            {"G0:1", "OK\r"},
            {"D055", "OK\r"},
            {"M5", "OK\r"},
            {"M8", "OK\r"},
            {"m", "12 MHz\r"},
            {"V5", "V5 OK\r"},
            {"n", "ON\r"},
            {"f", "OFF\r"},
            {"e", "5 V ON 42 mA\r"}};
}

class ScriptedPort final : public Serial_driver::SerialPort {
public:
    /// Replies by command; a command not in the map gets no reply at all.
    /// Time is kept on `clock`, which a wait moves on.
    ScriptedPort(std::map<std::string, std::string> replies,
                 std::shared_ptr<K730Sim::ManualClock> clock)
        : replies_(std::move(replies)), clock_(std::move(clock)),
          log_(std::make_shared<std::vector<std::string>>()) {}

    /// In a reply, what follows this mark arrives `PauseMs` after the write,
    /// as a line that a box sends in two USB packets.
    static constexpr std::string_view Pause = "<pause>";
    static constexpr std::int64_t PauseMs = 5;

    int Write(std::string_view bytes) override {
        log_->emplace_back(bytes);
        if (auto it = replies_.find(std::string(bytes)); it != replies_.end()) {
            const std::string& reply = it->second;
            const std::size_t pause = reply.find(Pause);
            queued_ += reply.substr(0, pause);
            if (pause != std::string::npos) {
                later_ += reply.substr(pause + Pause.size());
                laterAtMs_ = NowMs() + PauseMs;
            }
        }
        return 0;
    }
    int BytesWaiting() override {
        Arrive();
        return static_cast<int>(queued_.size());
    }
    int Read(std::size_t count, std::string& out) override {
        Arrive();
        const std::size_t n = std::min(count, queued_.size());
        out.append(queued_, 0, n);
        queued_.erase(0, n);
        return static_cast<int>(n);
    }
    Serial_driver::WaitResult WaitReadable(int timeoutMs) override {
        Arrive();
        if (!queued_.empty())
            return Serial_driver::WaitResult::Readable;
        if (!later_.empty() && laterAtMs_ <= NowMs() + timeoutMs) {
            clock_->AdvanceMs(laterAtMs_ - NowMs());
            Arrive();
            return Serial_driver::WaitResult::Readable;
        }
        clock_->AdvanceMs(timeoutMs);
        Arrive();
        return Serial_driver::WaitResult::TimedOut;
    }
    std::int64_t NowMs() override { return clock_->NowUs() / 1000; }
    bool SaveSettings() override { return true; }
    bool ApplySettings() override { return true; }
    bool RestoreSettings() override { return true; }

    /// Every command written, in order; shared so it outlives the port.
    [[nodiscard]] std::shared_ptr<std::vector<std::string>> Log() const { return log_; }

private:
    void Arrive() {
        if (!later_.empty() && NowMs() >= laterAtMs_)
            queued_ += std::exchange(later_, {});
    }

    std::map<std::string, std::string> replies_;
    std::string queued_;
    std::string later_;
    std::int64_t laterAtMs_ = 0;
    std::shared_ptr<K730Sim::ManualClock> clock_;
    std::shared_ptr<std::vector<std::string>> log_;
};
