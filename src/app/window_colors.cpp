#include "app/window_colors.h"

#include <QApplication>
#include <QWidget>

QColor WindowColors::ButtonFace() {
    return QApplication::palette().color(QPalette::Button);
}

void WindowColors::SetFontColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    widget->setPalette(p);
}

QColor ToQColor(Engine::Colour colour) {
    using Engine::Colour;
    switch (colour) {
    case Colour::ButtonFace:
        return WindowColors::ButtonFace();
    case Colour::Orange:
        return WindowColors::Orange;
    case Colour::Green:
        return WindowColors::Green;
    case Colour::Navy:
        return WindowColors::Navy;
    case Colour::LightRed:
        return WindowColors::LightRed;
    case Colour::Red:
        return WindowColors::Red;
    case Colour::Lime:
        return WindowColors::Lime;
    case Colour::Grey:
        break;
    }
    return WindowColors::Grey;
}

QColor VerdictColor(Monitor::Verdict verdict) {
    switch (verdict) {
    case Monitor::Verdict::Pass:
        return WindowColors::Green;
    case Monitor::Verdict::Fail:
        return WindowColors::LightRed;
    case Monitor::Verdict::Incomplete:
        return WindowColors::Orange;
    case Monitor::Verdict::NoLimits:
        break;
    }
    return {};
}
