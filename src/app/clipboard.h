#pragma once
// Orodja: plain text to the system clipboard.

#include <QString>

namespace Orodja {

/// Replaces everything on the clipboard by `text` as plain Unicode text, so no
/// other format from before is left to paste.
void CopyToClipboard(const QString& text);

} // namespace Orodja
