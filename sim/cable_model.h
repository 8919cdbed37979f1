#pragma once
// The cable between the box and the encoder. SPI over a cable of L metres is
// clean up to a clock of 30 MHz*m / L (0 m: every clock is clean). At a faster
// clock f a share of the encoder's replies arrive with a broken check byte:
// 0.1 * (f / clean)^2, at most 0.9, so more the faster the clock. A 20 m cable
// carries 1.5 MHz (clock 5) cleanly and breaks 40 % of the replies at 3 MHz.

#include <algorithm>

namespace K730Sim {

/// The clock "M<index>" selects, in kHz: 93.75 * 2^(index - 1).
[[nodiscard]] inline double ClockKhz(int index) {
    return 93.75 * static_cast<double>(1 << std::clamp(index - 1, 0, 7));
}

[[nodiscard]] inline double CableErrorShare(double metres, int clockIndex) {
    if (metres <= 0)
        return 0;
    const double cleanKhz = 30000.0 / metres;
    const double ratio = ClockKhz(clockIndex) / cleanKhz;
    return ratio <= 1 ? 0 : std::min(0.9, 0.1 * ratio * ratio);
}

} // namespace K730Sim
