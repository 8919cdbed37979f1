#pragma once
// Fonts of the window by family name. Debian has no Arial, Tahoma or Consolas:
// the style hint lets fontconfig pick a metric twin or a fixed-pitch face.

#include <QFont>

[[nodiscard]] QFont PixelFont(const QString& family, int pixelSize, bool bold = false,
                              bool italic = false, QFont::StyleHint hint = QFont::SansSerif);

/// Consolas 13 px: value labels, so hex and bit strings line up.
[[nodiscard]] QFont ValueFont();
