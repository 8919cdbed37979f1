#include "window_harness.h"

#include "scripted_port.h"

#include <QPlainTextEdit>
#include <QTimer>

namespace {
class DenyingOpener final : public Serial_driver::PortOpener {
public:
    explicit DenyingOpener(WindowHarness& h) : h_(h) {}
    std::unique_ptr<Serial_driver::SerialPort> Open(const std::string& name,
                                                    Serial_driver::OpenError& error) override {
        if (h_.denied.count(name)) {
            error = Serial_driver::OpenError::PermissionDenied;
            return nullptr;
        }
        if (auto it = h_.scripted.find(name); it != h_.scripted.end()) {
            auto port = std::make_unique<ScriptedPort>(it->second);
            h_.scriptedLog[name] = port->Log();
            return port;
        }
        return h_.sim->Open(name, error);
    }

private:
    WindowHarness& h_;
};
} // namespace

QStringList RecordingBoxes::Texts() const {
    QStringList texts;
    for (const Shown& s : shown)
        texts << s.Text;
    return texts;
}

WindowHarness::WindowHarness()
    : clock(std::make_shared<K730Sim::ManualClock>(1'000'000)),
      sim(std::make_shared<K730Sim::SimPortOpener>(clock)),
      boxes(std::make_shared<RecordingBoxes>()) {
    // The records are program-wide; every test starts from a fresh program.
    EncoderSignature = TEncoderSignature{};
    EncoderPosition = TEncoderPosition{};
    EncoderAuxData = TEncoderAuxData{};
}

WindowHarness::~WindowHarness() = default;

std::shared_ptr<K730Sim::K730Box> WindowHarness::AddBox(const std::string& name, bool multiturn) {
    auto box = sim->AddBox(name);
    box->Encoder().Identity().Kind =
        multiturn ? K730Sim::EncoderKind::Multiturn : K730Sim::EncoderKind::SingleTurn;
    return box;
}

TMainForm& WindowHarness::Start() {
    MainFormEnvironment env;
    env.ListPorts = [this] { return ports ? *ports : sim->PluggedNames(); };
    env.Opener = std::make_shared<DenyingOpener>(*this);
    env.Boxes = boxes;
    env.SleepMs = [this](int ms) {
        sleeps.push_back(ms);
        clock->AdvanceMs(ms);
    };
    env.TickMs = [this] { return static_cast<std::uint32_t>(clock->NowUs() / 1000); };
    env.AskSaveFileName = [this](QWidget*, const QString& suggested) {
        saveSuggestions << suggested;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    };
    env.RecordingFolder = [this] {
        return recordingFolder ? recordingFolder() : DefaultRecordingFolder();
    };
    form = std::make_unique<TMainForm>(std::move(env));
    return *form;
}

void WindowHarness::Read(int ticks) {
    for (int i = 0; i < ticks; ++i)
        form->tmrReadEncoderTimer();
}

bool WindowHarness::Connect() {
    SearchInterface();
    if (!form->tmrSearchEncoder->isActive())
        return false;
    SearchEncoder();
    return form->tmrReadEncoder->isActive();
}

QStringList WindowHarness::LogLines() const {
    QString text = form->mmLog->toPlainText();
    return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
}

QString WindowHarness::EnabledTimers() const {
    QStringList on;
    if (form->tmrSearchInterface->isActive())
        on << QStringLiteral("interface");
    if (form->tmrSearchEncoder->isActive())
        on << QStringLiteral("encoder");
    if (form->tmrReadEncoder->isActive())
        on << QStringLiteral("read");
    return on.join(QLatin1Char('+'));
}
