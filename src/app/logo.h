#pragma once
// Tessoran's logo and window icon, drawn rather than stored: a ring magnet with
// its pole marks and a read head, beside the name.

#include <QIcon>
#include <QPixmap>

class QPainter;
class QRectF;

/// The ring-and-head mark alone, filling `square`.
void PaintTessoranMark(QPainter& painter, const QRectF& square);
/// The mark with the name beside it.
[[nodiscard]] QPixmap TessoranLogo(QSize size);
[[nodiscard]] QIcon TessoranIcon();
