#pragma once
// The window against the engine stepped on a manual clock with simulated
// boxes: the window's requests are handed to the engine and its reports drawn
// by the window between ticks, on the test's one thread, so every test is
// deterministic and none sleeps.

#include "app/Velor_SPI_Main.h"
#include "app/pages/encoder_config_page.h"
#include "app/pages/encoder_identification_page.h"
#include "app/pages/history_model.h"
#include "app/pages/history_page.h"
#include "app/pages/installation_page.h"
#include "app/pages/position_page.h"
#include "app/pages/status_page.h"
#include "app/pages/system_config_page.h"
#include "app/top_band.h"
#include "engine_rig.h"

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

class RecordingBoxes final : public MessageBoxes {
public:
    struct Shown {
        Kind BoxKind;
        QString Text;
    };
    void Show(QWidget*, Kind kind, const QString& text) override { shown.push_back({kind, text}); }
    [[nodiscard]] QStringList Texts() const;
    std::vector<Shown> shown;
};

class WindowHarness {
    QTemporaryDir settingsDir_; // made before `settings`, which lives in it

public:
    /// The window's settings go to a folder of the test process's own.
    WindowHarness();
    ~WindowHarness();

    std::shared_ptr<K730Sim::K730Box> AddBox(const std::string& name = "/dev/ttyACM0",
                                             bool multiturn = false) {
        return rig.AddBox(name, multiturn);
    }
    /// Creates the engine and the window (its start-up runs).
    TMainForm& Start();
    /// Hands the window's requests to the engine, then draws its reports.
    void Pump();
    /// Runs ticks (pumping around each) up to `ms` after the start.
    void RunUntil(std::int64_t ms);
    /// The next tick, pumped around.
    void Tick();
    /// Reading ticks, `ticks` of them (the encoder must be connected).
    void Read(int ticks = 1);
    /// Searches until the encoder is read; false if it did not come to that.
    bool Connect();

    [[nodiscard]] QStringList LogLines() const;

    EngineRig rig;
    std::shared_ptr<Engine::EngineChannel> channel;
    std::shared_ptr<RecordingBoxes> boxes;
    /// Answers of the save dialog, in turn; when none is left the user cancels.
    QStringList saveAnswers;
    /// The folders and names the save dialog was opened with, in turn.
    QStringList saveFolders;
    QStringList saveSuggestions;
    /// Answers of the folder dialog, in turn; when none is left the user cancels.
    QStringList folderAnswers;
    /// Where recordings go; unset: the program's default folder.
    std::function<QString()> recordingFolder;
    /// The window's local date and time; unset: the system's.
    std::function<QDateTime()> localNow;
    /// Answers of "Results database…", in turn; when none is left the user cancels.
    QStringList locationAnswers;
    /// Files the window had the desktop open (a report's PDF).
    QStringList opened;
    /// Where the results go: a file of the test's own; none: nothing kept.
    std::optional<std::string> resultsFile =
        settingsDir_.filePath(QStringLiteral("results.sqlite")).toStdString();
    /// The window's settings, in a file of the test's own (share it to restart).
    std::shared_ptr<QSettings> settings;
    std::unique_ptr<TMainForm> form;
};
