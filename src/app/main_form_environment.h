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

class QWidget;

struct MainFormEnvironment {
    /// Requests to the engine, reports from it. The program's engine runs on
    /// its own thread at the other end.
    std::shared_ptr<Engine::EngineChannel> Channel;
    std::shared_ptr<MessageBoxes> Boxes;
    /// Asks where to save a chart image, with `suggested` filled in, and
    /// calls `chosen` with the answer (empty when the user cancels). Must not
    /// hold up the window while it asks.
    std::function<void(QWidget* parent, const QString& suggested,
                       std::function<void(const QString&)> chosen)>
        AskSaveFileName;
    /// Folder that position recordings are written to; unset: the default below.
    std::function<QString()> RecordingFolder;
    /// The local date and time now (the installation report's stamp); unset: the system's.
    std::function<QDateTime()> LocalNow;

    /// The real system: Qt message boxes and file dialog, a channel without
    /// an engine yet (the caller starts one on it).
    static MainFormEnvironment System();
};

/// The program's own folder when a file can be created in it, else the
/// user's documents folder (created if missing): an installed program's
/// folder often takes none.
[[nodiscard]] QString DefaultRecordingFolder();
