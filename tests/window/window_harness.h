#pragma once
// The window against simulated boxes: a manual clock, recorded message boxes,
// waits that move simulated time instead of sleeping, and helpers that drive
// the timers' handlers one tick at a time.

#include "app/Velor_SPI_Main.h"
#include "k730_box.h"
#include "sim_clock.h"
#include "sim_serial_port.h"

#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
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
public:
    WindowHarness();
    ~WindowHarness();

    /// A box with an encoder behind it, plugged in under `name`.
    std::shared_ptr<K730Sim::K730Box> AddBox(const std::string& name = "/dev/ttyACM0",
                                             bool multiturn = false);
    /// Creates the window (its start-up runs); the timers are not left to run.
    TMainForm& Start();

    /// One tick of each cycle, as its timer would run it.
    void SearchInterface() { form->tmrSearchInterfaceTimer(); }
    void SearchEncoder() { form->tmrSearchEncoderTimer(); }
    void Read(int ticks = 1);
    /// Interface and encoder search until reading; false if it did not get there.
    bool Connect();

    [[nodiscard]] QStringList LogLines() const;
    /// Which timer is enabled: "interface", "encoder", "read", "" or several joined.
    [[nodiscard]] QString EnabledTimers() const;

    std::shared_ptr<K730Sim::ManualClock> clock;
    std::shared_ptr<K730Sim::SimPortOpener> sim;
    std::shared_ptr<RecordingBoxes> boxes;
    /// The port listing; unset: the plugged-in simulated boxes.
    std::optional<std::vector<std::string>> ports;
    /// Ports whose open fails for lack of permission.
    std::set<std::string> denied;
    /// Ports that open as a ScriptedPort with these replies instead of a box.
    std::map<std::string, std::map<std::string, std::string>> scripted;
    /// Commands written to the scripted ports, by port.
    std::map<std::string, std::shared_ptr<std::vector<std::string>>> scriptedLog;
    std::vector<int> sleeps;
    /// Answers of the save dialog, in turn; when none is left the user cancels.
    QStringList saveAnswers;
    /// The names the save dialog was opened with, in turn.
    QStringList saveSuggestions;
    /// Where recordings go; unset: the program's default folder.
    std::function<QString()> recordingFolder;
    std::unique_ptr<TMainForm> form;
};
