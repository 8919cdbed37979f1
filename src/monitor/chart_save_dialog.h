#pragma once
// The dialog that asks where to save the position chart as PNG.

#include <QString>

class QWidget;

/// Shows the save dialog (filter "PNG" showing "*.png", asks before replacing a
/// file, wants an existing folder, no default extension) with `suggested`
/// filled in. Returns the chosen name as typed, or empty on cancel.
[[nodiscard]] QString AskPngFileName(QWidget* parent, const QString& suggested);
