#include "window_harness.h"

#include <QPlainTextEdit>
#include <QSettings>

QStringList RecordingBoxes::Texts() const {
    QStringList texts;
    for (const Shown& s : shown)
        texts << s.Text;
    return texts;
}

WindowHarness::WindowHarness()
    : channel(std::make_shared<Engine::EngineChannel>()), boxes(std::make_shared<RecordingBoxes>()),
      settings(std::make_shared<QSettings>(settingsDir_.filePath(QStringLiteral("tessoran.ini")),
                                           QSettings::IniFormat)) {
    rig.onReport = [this](const Engine::Report& r) { channel->Deliver(r); };
}

WindowHarness::~WindowHarness() {
    form.reset();
}

TMainForm& WindowHarness::Start() {
    rig.Start();
    MainFormEnvironment env;
    env.Channel = channel;
    env.Boxes = boxes;
    env.AskSaveFileName = [this](QWidget*, const QString& folder, const QString& suggested,
                                 std::function<void(const QString&)> chosen) {
        saveFolders << folder;
        saveSuggestions << suggested;
        chosen(saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst());
    };
    env.AskCsvFileName = env.AskSaveFileName;
    env.OpenFile = [this](const QString& path) { opened << path; };
    env.ResultsFile = [this] { return resultsFile; };
    env.AskResultsLocation = [this](QWidget*, const QString&,
                                    std::function<void(const std::optional<QString>&)> chosen) {
        chosen(locationAnswers.isEmpty() ? std::nullopt
                                         : std::optional(locationAnswers.takeFirst()));
    };
    env.AskFolder = [this](QWidget*, const QString&, std::function<void(const QString&)> chosen) {
        chosen(folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst());
    };
    env.Settings = settings;
    env.RecordingFolder = [this] {
        return recordingFolder ? recordingFolder() : DefaultRecordingFolder();
    };
    env.LocalNow = [this] { return localNow ? localNow() : QDateTime::currentDateTime(); };
    form = std::make_unique<TMainForm>(std::move(env));
    Pump();
    return *form;
}

void WindowHarness::Pump() {
    for (const Engine::Request& r : channel->TakeRequests())
        rig.Post(r);
    form->DrainReports();
}

void WindowHarness::Tick() {
    Pump();
    rig.RunNextTick();
    Pump();
}

void WindowHarness::RunUntil(std::int64_t ms) {
    Pump();
    for (;;) {
        const auto due = rig.DueMs();
        if (!due || std::max(*due, rig.NowMs()) > ms)
            break;
        Tick();
    }
}

void WindowHarness::Read(int ticks) {
    for (int i = 0; i < ticks; ++i)
        Tick();
}

bool WindowHarness::Connect() {
    Pump();
    const bool connected = rig.Connect();
    Pump();
    return connected;
}

QStringList WindowHarness::LogLines() const {
    QString text = form->tabSysCfg->mmLog->toPlainText();
    return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
}
