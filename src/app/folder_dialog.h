#pragma once
// The dialog that asks for the folder of recordings, reports and chart images.

#include <QString>
#include <functional>

class QWidget;

/// Opens a folder dialog on `current` and returns at once. `chosen` gets the
/// folder, or an empty name when the user cancels.
void AskFolderName(QWidget* parent, const QString& current,
                   std::function<void(const QString&)> chosen);
