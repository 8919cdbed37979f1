#include "sim_serial_port.h"

#include <algorithm>
#include <cerrno>
#include <climits>

namespace K730Sim {
namespace {

class SimSerialPort final : public Serial_driver::SerialPort {
public:
    explicit SimSerialPort(std::shared_ptr<SimPortOpener::Line> line)
        : line_(std::move(line)), box_(*line_->Box), generation_(box_.Generation()) {
        line_->OpenGeneration = generation_;
    }

    ~SimSerialPort() override {
        if (line_->OpenGeneration == generation_)
            line_->OpenGeneration.reset();
    }

    SimSerialPort(const SimSerialPort&) = delete;
    SimSerialPort& operator=(const SimSerialPort&) = delete;

    int Write(std::string_view bytes) override {
        if (Dead())
            return -EIO;
        box_.Receive(bytes);
        return 0;
    }

    int BytesWaiting() override {
        if (Dead())
            return -EIO;
        Pull();
        return static_cast<int>(std::min<std::size_t>(received_.size(), INT_MAX));
    }

    int Read(std::size_t count, std::string& out) override {
        if (Dead())
            return -EIO;
        Pull();
        const std::size_t n = std::min({count, received_.size(), std::size_t{INT_MAX}});
        out.append(received_, 0, n);
        received_.erase(0, n);
        return static_cast<int>(n);
    }

    Serial_driver::WaitResult WaitReadable(int timeoutMs) override {
        using Serial_driver::WaitResult;
        Clock& clock = box_.GetClock();
        const std::int64_t deadline = clock.NowUs() + std::int64_t{std::max(timeoutMs, 0)} * 1000;
        for (;;) {
            if (Dead())
                return WaitResult::HungUp;
            Pull();
            if (!received_.empty())
                return WaitResult::Readable;
            const auto next = box_.NextEventUs();
            if (!next || *next > deadline) {
                clock.WaitUntilUs(deadline);
                if (Dead())
                    return WaitResult::HungUp;
                Pull();
                return received_.empty() ? WaitResult::TimedOut : WaitResult::Readable;
            }
            clock.WaitUntilUs(*next);
        }
    }

    std::int64_t NowMs() override { return box_.GetClock().NowUs() / 1000; }

    bool SaveSettings() override { return !Dead(); }
    bool ApplySettings() override { return !Dead(); }
    bool RestoreSettings() override { return !Dead(); }

private:
    [[nodiscard]] bool Dead() const { return !box_.Plugged() || box_.Generation() != generation_; }

    // Moves what the box has sent by now into this port's input queue.
    void Pull() {
        box_.Service();
        while (auto chunk = box_.TakeChunk())
            received_ += *chunk;
    }

    std::shared_ptr<SimPortOpener::Line> line_;
    K730Box& box_;
    std::uint64_t generation_;
    std::string received_;
};

} // namespace

SimPortOpener::SimPortOpener(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {}

std::shared_ptr<K730Box> SimPortOpener::AddBox(const std::string& name, std::uint64_t seed) {
    auto& line = lines_[name];
    if (!line)
        line = std::make_shared<Line>(Line{std::make_shared<K730Box>(clock_, seed), {}});
    return line->Box;
}

std::shared_ptr<K730Box> SimPortOpener::Box(const std::string& name) const {
    const auto it = lines_.find(name);
    return it == lines_.end() ? nullptr : it->second->Box;
}

std::vector<std::string> SimPortOpener::PluggedNames() const {
    std::vector<std::string> names;
    for (const auto& [name, line] : lines_)
        if (line->Box->Plugged())
            names.push_back(name);
    return names;
}

std::unique_ptr<Serial_driver::SerialPort> SimPortOpener::Open(const std::string& name,
                                                               Serial_driver::OpenError& error) {
    using Serial_driver::OpenError;
    const auto it = lines_.find(name);
    if (it == lines_.end() || !it->second->Box->Plugged()) {
        error = OpenError::NotFound;
        return nullptr;
    }
    Line& line = *it->second;
    if (line.OpenGeneration == line.Box->Generation()) {
        error = OpenError::Busy;
        return nullptr;
    }
    error = OpenError::None;
    return std::make_unique<SimSerialPort>(it->second);
}

} // namespace K730Sim
