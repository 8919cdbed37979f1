#include "app/widgets/path_label.h"

#include <QPainter>

PathLabel::PathLabel(QWidget* parent) : QLabel(parent) {
    // A long path must not widen the column it sits in.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void PathLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.drawText(area, static_cast<int>(alignment()),
                     fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
}
