#pragma once
// Controls of the pages' own kinds, made alike on every page.

#include <QString>

class LampPanel;
class QLabel;
class QWidget;

/// A reading's value: "..." until the first one, Consolas, selectable.
[[nodiscard]] QLabel* ValueLabel(QWidget* parent);

/// A label in Tahoma of `px` pixels.
[[nodiscard]] QLabel* TahomaLabel(const QString& text, int px, QWidget* parent);

/// A status lamp, silver until its first update.
[[nodiscard]] LampPanel* Lamp(const QString& caption, QWidget* parent, const QString& hint = {});
