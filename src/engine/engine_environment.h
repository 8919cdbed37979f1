#pragma once
// What the engine takes from outside: where ports come from and how they
// open, its clock, the local time for file names, and where its reports go.
// The program passes the real ones; tests pass the in-process device model
// and a manual clock, so no test sleeps.

#include "engine/engine_reports.h"
#include "monitor/recording_file.h"
#include "serial/serial_port.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Engine {

class Clock {
public:
    virtual ~Clock() = default;
    /// Milliseconds on a monotonic time line.
    [[nodiscard]] virtual std::int64_t NowMs() = 0;
    /// Lets `ms` pass (the waits between configuration bytes, the supply's
    /// settling time).
    virtual void SleepMs(int ms) = 0;
    /// Lets time pass until NowMs() reaches `ms`. A tick due at a whole
    /// millisecond is met on it, not up to one later as SleepMs(due - NowMs())
    /// would, NowMs being cut to the millisecond.
    virtual void SleepUntilMs(std::int64_t ms);
};

/// The machine's monotonic clock.
class SteadyClock final : public Clock {
public:
    [[nodiscard]] std::int64_t NowMs() override;
    void SleepMs(int ms) override;
    void SleepUntilMs(std::int64_t ms) override;
};

/// One exchange with the box, as the engine made it; valid during the call.
struct ExchangeTrace {
    std::string_view Port; ///< the name the port was opened under
    std::string_view Command;
    std::uint32_t ExpectedLength = 0; ///< 0: the reply ends at its CR
    int Status = 0;
    std::string_view Reply; ///< as received
};

struct Environment {
    /// Candidate ports of the interface search, in probing order.
    std::function<std::vector<std::string>()> ListPorts;
    std::shared_ptr<Serial_driver::PortOpener> Opener;
    std::shared_ptr<Engine::Clock> Clock;
    /// Local date and time, for recording file names.
    std::function<Monitor::LocalDateTime()> LocalNow;
    /// Receives every report, on the engine's thread, in order.
    std::function<void(Report)> Sink;
    /// Optional: called before the engine waits (for a reply, a settling time),
    /// so the reports made so far can be shown meanwhile. A reading's reports
    /// then go out together, and the window wakes once per reading.
    std::function<void()> Publish;
    /// Optional: sees every exchange with the box right after it (the console
    /// probe prints them). Unset, it costs nothing but a test per exchange.
    std::function<void(const ExchangeTrace&)> OnExchange;

    /// This machine: its USB serial ports plus TESSORAN_PORTS, its clock and
    /// time zone. The sink is left to the caller.
    static Environment System();
};

} // namespace Engine
