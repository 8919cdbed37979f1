#include "engine/engine_environment.h"

#include "interface/port_list.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace Engine {

std::int64_t SteadyClock::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SteadyClock::SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SteadyClock::SleepUntilMs(std::int64_t ms) {
    using namespace std::chrono;
    std::this_thread::sleep_until(steady_clock::time_point(milliseconds(ms)));
}

void Clock::SleepUntilMs(std::int64_t ms) {
    const std::int64_t wait = ms - NowMs();
    if (wait > 0)
        SleepMs(static_cast<int>(wait));
}

namespace {
Monitor::LocalDateTime LocalDateTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
#ifdef _WIN32
    localtime_s(&t, &now);
#else
    localtime_r(&now, &t);
#endif
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}
} // namespace

Environment Environment::System() {
    Environment env;
    env.ListPorts = [] { return Interface::ListCandidatePorts(Interface::SystemPortListSource()); };
    env.Opener = Serial_driver::MakeSystemPortOpener();
    env.Clock = std::make_shared<SteadyClock>();
    env.LocalNow = LocalDateTimeNow;
    return env;
}

} // namespace Engine
