#pragma once
// Time for the simulated device. The model never reads a clock of its own, so
// tests decide how fast (and whether) time passes.

#include <cstdint>

namespace K730Sim {

/// Microseconds on a monotonic time line.
class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual std::int64_t NowUs() const = 0;
    /// Lets time pass until `us`: a manual clock jumps there, a real one sleeps.
    /// A time in the past returns at once.
    virtual void WaitUntilUs(std::int64_t us) = 0;
};

/// Time that moves only when told to; waiting on it costs no real time.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::int64_t startUs = 0) : nowUs_(startUs) {}
    [[nodiscard]] std::int64_t NowUs() const override { return nowUs_; }
    void WaitUntilUs(std::int64_t us) override;
    void AdvanceUs(std::int64_t us);
    void AdvanceMs(std::int64_t ms) { AdvanceUs(ms * 1000); }

private:
    std::int64_t nowUs_;
};

/// The machine's monotonic clock.
class SteadyClock final : public Clock {
public:
    [[nodiscard]] std::int64_t NowUs() const override;
    void WaitUntilUs(std::int64_t us) override;
};

} // namespace K730Sim
