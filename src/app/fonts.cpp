#include "app/fonts.h"

QFont PixelFont(const QString& family, int pixelSize, bool bold, bool italic,
                QFont::StyleHint hint) {
    QFont font(family);
    font.setStyleHint(hint);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont ValueFont() {
    QFont font = PixelFont(QStringLiteral("Consolas"), 13, false, false, QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}
