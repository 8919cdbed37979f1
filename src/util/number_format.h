#pragma once
// "fixed (P, D)": rounded to at most P significant digits and written with
// exactly D decimals. The decimal separator is '.'; the window swaps in the
// locale's own.

#include <string>

namespace Orodja {

/// For example FormatFixed(123.4564, 12, 3) == "123.456", FormatFixed(3276.8, 4, 1)
/// == "3277.0". Exponent notation only when the integer part has more than P digits.
[[nodiscard]] std::string FormatFixed(double value, int precision, int decimals);

/// Exactly `decimals` decimals after a '.', whatever the C locale (the window
/// sets the user's); "?" when it does not fit.
[[nodiscard]] std::string FixedText(double value, int decimals);

} // namespace Orodja
