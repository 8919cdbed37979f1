#include "cli_session.h"

#include "exit_status.h"
#include "stop_signal.h"

#include <algorithm>
#include <limits>

namespace TessoranCli {
namespace {
// How long a wait goes without looking for a stop request.
constexpr std::int64_t StopPollMs = 50;
} // namespace

Engine::Environment SystemEnvironment(const std::vector<std::string>& ports) {
    Engine::Environment env = Engine::Environment::System();
    if (!ports.empty())
        env.ListPorts = [ports] { return ports; };
    return env;
}

Session::Session(Engine::Environment env, ReportHandler onReport)
    : clock_(env.Clock), onReport_(std::move(onReport)), engine_([this, &env] {
          env.Sink = [this](Engine::Report report) { Take(std::move(report)); };
          return std::move(env);
      }()) {}

void Session::Take(Engine::Report report) {
    if (std::holds_alternative<Engine::Reading>(report))
        ++readings_;
    if (const auto* message = std::get_if<Engine::Message>(&report))
        handshakeFaulted_ |= findingBox_ && message->Error;
    if (onReport_)
        onReport_(report);
}

bool Session::FindBox() {
    findingBox_ = true;
    RunNextTick();
    findingBox_ = false;
    return engine_.EnabledCycle() == Engine::Cycle::SearchEncoder;
}

bool Session::FindEncoder() {
    int misses = 0;
    while (readings_ == 0 && misses < EncoderSearchTicks) {
        const Engine::Cycle cycle = engine_.EnabledCycle();
        if (cycle != Engine::Cycle::SearchEncoder && cycle != Engine::Cycle::Read)
            break; // the box stopped answering
        if (!RunNextTick())
            break;
        if (engine_.EnabledCycle() == Engine::Cycle::SearchEncoder)
            ++misses;
    }
    return readings_ > 0;
}

int Session::Connect(Monitor::Page page, int intervalMs, std::ostream& err) {
    engine_.Handle(Engine::ShowPage{page});
    engine_.Handle(Engine::SetReadInterval{intervalMs});
    const char* missing = !FindBox()       ? "No K730-6W found"
                          : !FindEncoder() ? "No encoder answered"
                                           : nullptr;
    if (!missing)
        return ExitOk;
    err << (StopRequested() ? "Stopped before the encoder was found" : missing) << std::endl;
    return ExitNoBox;
}

void Session::Run(std::int64_t ms, const std::function<bool()>& done) {
    const std::int64_t end =
        ms > 0 ? clock_->NowMs() + ms : std::numeric_limits<std::int64_t>::max();
    while (!StopRequested() && !(done && done())) {
        const auto due = engine_.DueMs();
        const std::int64_t now = clock_->NowMs();
        if (!due || now >= end)
            return;
        if (now < *due)
            clock_->SleepUntilMs(std::min({*due, end, now + StopPollMs}));
        else
            (void)engine_.RunDue();
    }
}

void Session::WaitUntilDue() {
    while (!StopRequested()) {
        const auto due = engine_.DueMs();
        const std::int64_t now = clock_->NowMs();
        if (!due || now >= *due)
            return;
        clock_->SleepUntilMs(std::min(*due, now + StopPollMs));
    }
}

bool Session::RunNextTick() {
    while (engine_.DueMs() && !StopRequested()) {
        WaitUntilDue();
        if (engine_.RunDue())
            return true;
    }
    return false;
}

void Diagnostics::Report(const Engine::Report& report) {
    std::string text;
    if (const auto* log = std::get_if<Engine::LogLine>(&report))
        text = log->Text;
    else if (const auto* message = std::get_if<Engine::Message>(&report))
        text = (message->Error ? "Error: " : "") + message->Text;
    // A failure is both logged and shown: once is enough here.
    if (text.empty() || text == last_ || "Error: " + last_ == text)
        return;
    err_ << text << std::endl;
    last_ = std::move(text);
}

void BoxIdentification::Take(const Engine::Report& report) {
    if (const auto* info = std::get_if<Engine::InterfaceInfo>(&report)) {
        if (!info->Port.empty())
            Port = info->Port;
    } else if (const auto* caption = std::get_if<Engine::CaptionFields>(&report)) {
        if (!caption->InterfaceVersion.empty())
            BoxVersion = caption->InterfaceVersion;
        if (!caption->InterfaceSerial.empty())
            BoxSerial = caption->InterfaceSerial;
    }
}

} // namespace TessoranCli
