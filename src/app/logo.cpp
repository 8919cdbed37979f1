#include "app/logo.h"

#include "app/fonts.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

void PaintTessoranMark(QPainter& p, const QRectF& square) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = square.center();
    const double r = square.width() / 2.0;
    // Ring magnet: alternating poles around the ring.
    const int poles = 12;
    for (int i = 0; i < poles; ++i) {
        QPainterPath seg;
        const double a0 = 360.0 / poles * i;
        QRectF outer(c.x() - r * 0.95, c.y() - r * 0.95, r * 1.9, r * 1.9);
        QRectF inner(c.x() - r * 0.62, c.y() - r * 0.62, r * 1.24, r * 1.24);
        seg.arcMoveTo(outer, a0);
        seg.arcTo(outer, a0, 360.0 / poles);
        seg.arcTo(inner, a0 + 360.0 / poles, -360.0 / poles);
        seg.closeSubpath();
        p.fillPath(seg, i % 2 ? QColor(0x00, 0x00, 0x80) : QColor(255, 128, 64));
    }
    // Shaft.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawEllipse(c, r * 0.28, r * 0.28);
    // Read head with its air gap above the ring.
    p.setBrush(QColor(0x00, 0x80, 0x00));
    p.drawRoundedRect(QRectF(c.x() - r * 0.22, square.top() - r * 0.02, r * 0.44, r * 0.16), 2, 2);
    p.restore();
}

QPixmap TessoranLogo(QSize size, qreal devicePixelRatio) {
    QPixmap pix(size * devicePixelRatio);
    pix.setDevicePixelRatio(devicePixelRatio);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    const double h = size.height();
    PaintTessoranMark(p, QRectF(2, 3, h - 6, h - 6));
    p.setPen(QColor(0x00, 0x00, 0x80));
    p.setFont(PixelFont(QStringLiteral("Arial"), static_cast<int>(h * 0.5), true));
    p.drawText(QRectF(h + 4, 0, size.width() - h - 4, h), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("TESSORAN"));
    return pix;
}

QIcon TessoranIcon() {
    QIcon icon;
    for (int s : {16, 32, 48, 64, 128, 256}) {
        QPixmap pix(s, s);
        pix.fill(Qt::transparent);
        QPainter p(&pix);
        PaintTessoranMark(p, QRectF(s * 0.04, s * 0.1, s * 0.92, s * 0.92));
        p.end();
        icon.addPixmap(pix);
    }
    return icon;
}
