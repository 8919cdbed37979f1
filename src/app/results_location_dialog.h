#pragma once
// The History page's "Results database…": a results file or a server's URL.

#include <QString>
#include <functional>
#include <optional>

class QWidget;

/// Asks for the text, `current` filled in, and returns at once; `chosen`
/// gets it, or nothing when the user cancels.
void AskResultsLocationText(QWidget* parent, const QString& current,
                            std::function<void(const std::optional<QString>&)> chosen);
