#pragma once
// What the window takes from outside: the channel to its engine, how it shows
// message boxes and asks for file names, and where recordings go. Tests
// replace every piece.

#include "app/message_boxes.h"
#include "engine/engine_thread.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QSettings;
class QWidget;

struct MainFormEnvironment {
    using SaveFileNameQuestion =
        std::function<void(QWidget* parent, const QString& folder, const QString& suggested,
                           std::function<void(const QString&)> chosen)>;
    using FolderQuestion = std::function<void(QWidget* parent, const QString& current,
                                              std::function<void(const QString&)> chosen)>;
    /// Asks for the results database: `chosen` gets the text, unset when the
    /// user cancels.
    using LocationQuestion =
        std::function<void(QWidget* parent, const QString& current,
                           std::function<void(const std::optional<QString>&)> chosen)>;

    /// Requests to the engine, reports from it. The program's engine runs on
    /// its own thread at the other end.
    std::shared_ptr<Engine::EngineChannel> Channel;
    std::shared_ptr<MessageBoxes> Boxes;
    /// Asks where to save a chart image, opening in `folder` with `suggested`
    /// filled in, and calls `chosen` with the answer (empty when the user
    /// cancels). Must not hold up the window while it asks.
    SaveFileNameQuestion AskSaveFileName;
    /// The same for the History page's CSV export.
    SaveFileNameQuestion AskCsvFileName;
    /// Opens a file (a report's PDF) with the desktop's viewer.
    std::function<void(const QString& path)> OpenFile;
    /// The results file or server (UTF-8) until one is chosen on the History
    /// page; unset or returning none: nothing is kept.
    std::function<std::optional<std::string>()> ResultsFile;
    /// The History page's "Results database…".
    LocationQuestion AskResultsLocation;
    /// Asks for a folder, opening in `current`, and calls `chosen` with the
    /// answer (empty when the user cancels). Must not hold up the window.
    FolderQuestion AskFolder;
    /// Default folder for recordings, reports and chart images, until one is
    /// chosen; unset: the default below.
    std::function<QString()> RecordingFolder;
    /// What the window keeps between runs (the chosen folder); unset: nothing.
    std::shared_ptr<QSettings> Settings;
    /// The local date and time now (the installation report's stamp); unset: the system's.
    std::function<QDateTime()> LocalNow;

    /// The real system: Qt message boxes and file dialogs, a channel without
    /// an engine yet (the caller starts one on it). No settings: only the
    /// program itself keeps the user's (main.cpp).
    static MainFormEnvironment System();
};

/// Whether a file can be created in `folder` (by creating one and removing it).
[[nodiscard]] bool CanCreateFileIn(const QString& folder);

/// The program's own folder when a file can be created in it, else the
/// user's documents folder (created if missing): an installed program's
/// folder often takes none.
[[nodiscard]] QString DefaultRecordingFolder();
