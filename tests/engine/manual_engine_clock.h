#pragma once
// The engine's clock on the device model's manual clock: waits move it on.

#include "engine/engine_environment.h"
#include "sim_clock.h"

#include <memory>

class ManualEngineClock final : public Engine::Clock {
public:
    explicit ManualEngineClock(std::shared_ptr<K730Sim::ManualClock> clock)
        : clock_(std::move(clock)) {}
    std::int64_t NowMs() override { return clock_->NowUs() / 1000; }
    void SleepMs(int ms) override { clock_->AdvanceMs(ms); }

private:
    std::shared_ptr<K730Sim::ManualClock> clock_;
};
