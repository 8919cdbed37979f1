#pragma once
// The dialogs that ask where to save the position chart as PNG and the
// history as CSV.

#include <QString>
#include <functional>

class QWidget;

/// Opens the save dialog (filter "PNG" showing "*.png", asks before replacing
/// a file, wants an existing folder, no default extension) in `folder` with
/// `suggested` filled in, and returns at once. `chosen` gets the name as
/// typed, or an empty one when the user cancels.
void AskPngFileName(QWidget* parent, const QString& folder, const QString& suggested,
                    std::function<void(const QString&)> chosen);

/// The same for "Export CSV…" of the History page (filter "CSV", "*.csv").
void AskCsvFileName(QWidget* parent, const QString& folder, const QString& suggested,
                    std::function<void(const QString&)> chosen);
