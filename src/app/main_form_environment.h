#pragma once
// What the window takes from outside: where ports come from, how they open,
// how it shows message boxes and how it waits. Tests replace every piece.

#include "app/message_boxes.h"
#include "serial/serial_port.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct MainFormEnvironment {
    /// Candidate ports of the interface search, in probing order.
    std::function<std::vector<std::string>()> ListPorts;
    std::shared_ptr<Serial_driver::PortOpener> Opener;
    std::shared_ptr<MessageBoxes> Boxes;
    /// Blocks the window's thread (no message processing), like the waits
    /// between configuration bytes.
    std::function<void(int ms)> SleepMs;
    /// Millisecond tick count for recordings (wraps like a 32-bit counter).
    std::function<std::uint32_t()> TickMs;
    /// Asks where to save a chart image, with `suggested` filled in; empty
    /// when the user cancels.
    std::function<QString(QWidget* parent, const QString& suggested)> AskSaveFileName;
    /// Folder that position recordings are written to; unset: the default below.
    std::function<QString()> RecordingFolder;

    /// The real system: USB CDC-ACM ports plus TESSORAN_PORTS, Qt message boxes.
    static MainFormEnvironment System();
};

/// The program's own folder when it is writable, else the user's documents
/// folder (created if missing): an installed program's folder often is not.
[[nodiscard]] QString DefaultRecordingFolder();
