#include "engine_rig.h"

#include "manual_engine_clock.h"
#include "scripted_port.h"

namespace {

// Passes everything to the port it wraps, and notes every write, every
// restore of the saved settings and the close.
class WatchedPort final : public Serial_driver::SerialPort {
public:
    WatchedPort(std::unique_ptr<Serial_driver::SerialPort> port,
                std::function<void(std::string_view)> note, std::function<void(const char*)> event)
        : port_(std::move(port)), note_(std::move(note)), event_(std::move(event)) {}
    ~WatchedPort() override { event_("close"); }
    WatchedPort(const WatchedPort&) = delete;
    WatchedPort& operator=(const WatchedPort&) = delete;
    int Write(std::string_view bytes) override {
        note_(bytes);
        return port_->Write(bytes);
    }
    int BytesWaiting() override { return port_->BytesWaiting(); }
    int Read(std::size_t count, std::string& out) override { return port_->Read(count, out); }
    Serial_driver::WaitResult WaitReadable(int timeoutMs) override {
        return port_->WaitReadable(timeoutMs);
    }
    std::int64_t NowMs() override { return port_->NowMs(); }
    bool SaveSettings() override { return port_->SaveSettings(); }
    bool ApplySettings() override { return port_->ApplySettings(); }
    bool RestoreSettings() override {
        event_("restore");
        return port_->RestoreSettings();
    }

private:
    std::unique_ptr<Serial_driver::SerialPort> port_;
    std::function<void(std::string_view)> note_;
    std::function<void(const char*)> event_;
};

class RigOpener final : public Serial_driver::PortOpener {
public:
    explicit RigOpener(EngineRig& rig, std::function<std::int64_t()> now)
        : rig_(rig), now_(std::move(now)) {}
    std::unique_ptr<Serial_driver::SerialPort> Open(const std::string& name,
                                                    Serial_driver::OpenError& error) override {
        if (rig_.denied.count(name)) {
            error = Serial_driver::OpenError::PermissionDenied;
            return nullptr;
        }
        std::unique_ptr<Serial_driver::SerialPort> port;
        if (auto it = rig_.scripted.find(name); it != rig_.scripted.end()) {
            error = Serial_driver::OpenError::None;
            // Scripted ports keep time on the rig's clock.
            port = std::make_unique<ScriptedPort>(it->second, rig_.clock);
        } else {
            port = rig_.sim->Open(name, error);
        }
        if (!port)
            return nullptr;
        if (rig_.wrapPort)
            port = rig_.wrapPort(name, std::move(port));
        return std::make_unique<WatchedPort>(
            std::move(port),
            [this, name](std::string_view b) {
                Written w{now_(), name, std::string(b)};
                if (rig_.onWrite)
                    rig_.onWrite(w);
                rig_.writes.push_back(std::move(w));
            },
            [this, name](const char* event) { rig_.portEvents.push_back(name + " " + event); });
    }

private:
    EngineRig& rig_;
    std::function<std::int64_t()> now_;
};

} // namespace

EngineRig::EngineRig()
    : clock(std::make_shared<K730Sim::ManualClock>(1'000'000)),
      sim(std::make_shared<K730Sim::SimPortOpener>(clock)) {}

EngineRig::~EngineRig() = default;

std::shared_ptr<K730Sim::K730Box> EngineRig::AddBox(const std::string& name, bool multiturn) {
    auto box = sim->AddBox(name);
    box->Encoder().Identity().Kind =
        multiturn ? K730Sim::EncoderKind::Multiturn : K730Sim::EncoderKind::SingleTurn;
    return box;
}

Engine::MonitorEngine& EngineRig::Start() {
    startMs_ = clock->NowUs() / 1000;
    Engine::Environment env;
    env.ListPorts = [this] { return ports ? *ports : sim->PluggedNames(); };
    env.Opener = std::make_shared<RigOpener>(*this, [this] { return NowMs(); });
    env.Clock = std::make_shared<ManualEngineClock>(clock);
    env.LocalNow = [this] { return localNow; };
    env.Sink = [this](Engine::Report r) {
        reports.push_back(std::move(r));
        if (onReport)
            onReport(reports.back());
    };
    engine = std::make_unique<Engine::MonitorEngine>(std::move(env));
    return *engine;
}

void EngineRig::RunNextTick() {
    const auto due = engine->DueMs();
    if (!due)
        return;
    if (*due > clock->NowUs() / 1000)
        clock->AdvanceUs(*due * 1000 - clock->NowUs());
    (void)engine->RunDue();
}

void EngineRig::RunUntil(std::int64_t ms) {
    for (;;) {
        const auto due = engine->DueMs();
        if (!due || std::max(*due, clock->NowUs() / 1000) - startMs_ > ms)
            break;
        RunNextTick();
    }
}

bool EngineRig::Connect(std::int64_t ms) {
    while (engine->EnabledCycle() != Engine::Cycle::Read || !engine->DueMs()) {
        const auto due = engine->DueMs();
        if (!due || *due - startMs_ > ms)
            return false;
        RunNextTick();
    }
    return true;
}

std::vector<std::string> EngineRig::LogLines() const {
    std::vector<std::string> lines;
    for (const auto& line : Reports<Engine::LogLine>())
        lines.push_back(line.Text);
    return lines;
}

std::vector<std::string> EngineRig::Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : Reports<Engine::Message>())
        texts.push_back(m.Text);
    return texts;
}

std::vector<std::string> EngineRig::Sent(const std::string& port, std::int64_t fromMs) const {
    std::vector<std::string> sent;
    for (const Written& w : writes)
        if (w.Port == port && w.Ms >= fromMs)
            sent.push_back(w.Bytes);
    return sent;
}
