#pragma once
// Tessoran's logo and window icon, drawn rather than stored: a ring magnet with
// its pole marks and a read head, beside the name.

#include <QIcon>
#include <QPixmap>

class QPainter;
class QRectF;

/// The ring-and-head mark alone, filling `square`.
void PaintTessoranMark(QPainter& painter, const QRectF& square);
/// The mark with the name beside it, `size` in logical pixels, drawn for a
/// screen of that device pixel ratio.
[[nodiscard]] QPixmap TessoranLogo(QSize size, qreal devicePixelRatio);
[[nodiscard]] QIcon TessoranIcon();
