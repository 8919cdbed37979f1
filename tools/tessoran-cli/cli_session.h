#pragma once
// The start-up every subcommand shares: the program's engine on this
// machine's ports (or the ones named), driven on this thread, finding the box
// and the encoder as the window's engine does, then reading until the run's
// time is up or a stop is asked for.

#include "engine/monitor_engine.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace TessoranCli {

/// Encoder search ticks (or lost readings) after which no encoder answered.
inline constexpr int EncoderSearchTicks = 3;

/// This machine's environment; `ports`, when any, are probed in place of
/// the listed ones.
[[nodiscard]] Engine::Environment SystemEnvironment(const std::vector<std::string>& ports);

class Session {
public:
    using ReportHandler = std::function<void(const Engine::Report&)>;

    /// `onReport` sees every report of the engine, on this thread, in order.
    Session(Engine::Environment env, ReportHandler onReport);

    void Handle(const Engine::Request& request) { engine_.Handle(request); }
    /// One pass of the interface search, with the handshake when it finds
    /// the box; whether it did.
    bool FindBox();
    /// The encoder search until a first reading, or until EncoderSearchTicks
    /// ticks went by without one; whether one came.
    bool FindEncoder();
    /// Asks for `page`'s reading schedule at `intervalMs`, then FindBox and
    /// FindEncoder: ExitOk, or ExitNoBox with the reason on `err`.
    [[nodiscard]] int Connect(Monitor::Page page, int intervalMs, std::ostream& err);
    /// Runs ticks for `ms` (0: without end) until `done` says so or a stop is
    /// asked for.
    void Run(std::int64_t ms, const std::function<bool()>& done = {});
    /// Waits until the next tick is due or a stop is asked for.
    void WaitUntilDue();
    /// Runs the next tick; false when none is enabled or a stop came first.
    bool RunNextTick();

    [[nodiscard]] Engine::MonitorEngine& Engine() { return engine_; }
    [[nodiscard]] std::int64_t NowMs() const { return clock_->NowMs(); }
    [[nodiscard]] int Readings() const { return readings_; }
    /// Whether the engine reported an error while it found the box: a
    /// reply of the handshake it faults.
    [[nodiscard]] bool HandshakeFaulted() const { return handshakeFaulted_; }

private:
    void Take(Engine::Report report);

    std::shared_ptr<Engine::Clock> clock_;
    ReportHandler onReport_;
    int readings_ = 0;
    bool findingBox_ = false;
    bool handshakeFaulted_ = false;
    Engine::MonitorEngine engine_; // last: its sink reaches the members above
};

/// The box as the engine's reports name it: its port, version and serial.
struct BoxIdentification {
    std::string Port;
    std::string BoxVersion;
    std::string BoxSerial;

    void Take(const Engine::Report& report);
};

/// Writes what a person watching the run should know on `err`: the engine's
/// log lines (box found, encoder lost ...) and its error messages, each once.
class Diagnostics {
public:
    explicit Diagnostics(std::ostream& err) : err_(err) {}
    void Report(const Engine::Report& report);

private:
    std::ostream& err_;
    std::string last_;
};

} // namespace TessoranCli
