#include "app/widgets/lamp_panel.h"

LampPanel::LampPanel(const QString& caption, const QColor& color, QWidget* parent)
    : QLabel(caption, parent) {
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    SetColor(color);
}

void LampPanel::SetColor(const QColor& color) {
    if (color == color_ && color_.isValid())
        return;
    color_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    // Dark lamps carry white text so the caption stays readable.
    p.setColor(QPalette::WindowText, color.lightness() < 110 ? Qt::white : Qt::black);
    setPalette(p);
}
