#pragma once
// Colours the window uses for its lamps, panels and chart points.

#include "engine/engine_reports.h"
#include "monitor/installation_verdict.h"

#include <QColor>

class QWidget;

namespace WindowColors {
inline const QColor LightRed{0xFF, 0x5B, 0x5B}; ///< error status
inline const QColor Orange{0xFF, 0xAA, 0x00};   ///< warning status, searching for the box
inline const QColor Navy{0x00, 0x00, 0x80};     ///< good status, position text
inline const QColor Green{0x00, 0x80, 0x00};
inline const QColor Lime{0x00, 0xFF, 0x00};
inline const QColor DarkGreen{0x00, 0x44, 0x00}; ///< communication lamp before the first transfer
inline const QColor Red{0xFF, 0x00, 0x00};
inline const QColor Grey{0x80, 0x80, 0x80};   ///< unlit lamp
inline const QColor Silver{0xC0, 0xC0, 0xC0}; ///< lamp before its first update
inline const QColor TopStrip{255, 128, 64};

/// The platform's standard panel background.
QColor ButtonFace();

/// The text colour of a label.
void SetFontColor(QWidget* widget, const QColor& color);
} // namespace WindowColors

/// The window's colour for an engine colour.
[[nodiscard]] QColor ToQColor(Engine::Colour colour);

/// The colour a verdict is shown in: on the page, in the report and in the
/// history; invalid for no verdict.
[[nodiscard]] QColor VerdictColor(Monitor::Verdict verdict);
