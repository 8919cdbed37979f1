#pragma once
// The once-a-turn part of the air-gap curve: g(theta) = g0 + a*cos(theta - phi)
// fitted to the points by least squares. A magnet off-centre or tilted makes
// the gap rise and fall once a turn; the fit says by how much (the runout,
// 2a) and where the gap is largest (phi), which min, max and mean cannot.

#include <optional>
#include <string>

namespace Monitor {

struct Runout {
    double MeanMm = 0;       ///< g0
    double RunoutMm = 0;     ///< 2a, peak to peak of the once-a-turn wave
    double LargestAtDeg = 0; ///< phi, 0 up to 360
    /// The share of the curve's variance the wave explains, 0..1 (1 for a
    /// curve without variance).
    double Explained = 0;
    bool operator==(const Runout&) const = default;
};

/// An angle rounded to `decimals`, kept below 360 (359.96 is 0.0, not 360.0).
[[nodiscard]] double RoundedDeg(double deg, int decimals);

/// "0.89 mm, largest gap at 270°": the runout as the Installation page shows it.
[[nodiscard]] std::string RunoutSummary(const Runout& runout);
/// The summary and ", explains 97 % of the variance": as the check and the
/// report give it.
[[nodiscard]] std::string RunoutLine(const Runout& runout);

class RunoutFit {
public:
    /// One air-gap point at a shaft angle in degrees; a non-finite one is no point.
    void Add(double angleDeg, double gapMm);

    /// The fit; unset with fewer than three points or all at one angle and
    /// its opposite (the wave is then not determined).
    [[nodiscard]] std::optional<Runout> Result() const;

private:
    // Sums of the normal equations over the columns 1, cos, sin, gaps taken
    // from the first point on, so that a barely varying gap keeps its digits.
    double n_ = 0, c_ = 0, s_ = 0, cc_ = 0, ss_ = 0, cs_ = 0;
    double g_ = 0, gc_ = 0, gs_ = 0, gg_ = 0;
    double shift_ = 0;
};

} // namespace Monitor
