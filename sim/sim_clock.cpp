#include "sim_clock.h"

#include <chrono>
#include <thread>

namespace K730Sim {

void ManualClock::WaitUntilUs(std::int64_t us) {
    if (us > nowUs_)
        nowUs_ = us;
}

void ManualClock::AdvanceUs(std::int64_t us) {
    if (us > 0)
        nowUs_ += us;
}

std::int64_t SteadyClock::NowUs() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void SteadyClock::WaitUntilUs(std::int64_t us) {
    using namespace std::chrono;
    std::this_thread::sleep_until(steady_clock::time_point(microseconds(us)));
}

} // namespace K730Sim
