#include "app/page_widgets.h"

#include "app/fonts.h"
#include "app/widgets/lamp_panel.h"
#include "app/window_colors.h"

#include <QLabel>

QLabel* ValueLabel(QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("..."), parent);
    label->setFont(ValueFont());
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel* TahomaLabel(const QString& text, int px, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(PixelFont(QStringLiteral("Tahoma"), px));
    return label;
}

LampPanel* Lamp(const QString& caption, QWidget* parent, const QString& hint) {
    auto* lamp = new LampPanel(caption, WindowColors::Silver, parent);
    lamp->setMinimumSize(120, 22);
    if (!hint.isEmpty())
        lamp->setToolTip(hint);
    return lamp;
}
