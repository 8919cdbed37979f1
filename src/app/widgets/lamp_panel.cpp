#include "app/widgets/lamp_panel.h"

#include <QPainter>

LampPanel::LampPanel(const QString& caption, const QColor& color, QWidget* parent)
    : QLabel(caption, parent), color_(color) {
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
}

void LampPanel::SetColor(const QColor& color) {
    // The activity lamp changes with every exchange: a repaint of the lamp
    // alone, not a palette change that Qt spreads over the widget.
    if (color == color_)
        return;
    color_ = color;
    update();
}

void LampPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), color_);
    drawFrame(&painter);
    // Dark lamps carry white text so the caption stays readable.
    painter.setPen(color_.lightness() < 110 ? Qt::white : Qt::black);
    painter.drawText(contentsRect(),
                     static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0), text());
}
