#pragma once
// Texts the pages show, the same wherever they are shown: device text and
// numbers in the locale's way.

#include <QString>
#include <string>

/// Device text as the window shows it: one byte, one character.
[[nodiscard]] QString Latin(const std::string& bytes);

/// A number in "fixed (P, D)" with the locale's decimal separator.
[[nodiscard]] QString LocaleFixed(double value, int precision, int decimals);

/// An air-gap figure as the clipboard and the installation report write it.
[[nodiscard]] QString GapFigureText(float mm);
