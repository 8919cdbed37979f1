#pragma once
// Minimum, maximum, mean and spread of the air gaps on the air-gap chart, for
// the text the "Copy" button puts on the clipboard and the installation report.

#include <cstddef>

namespace Monitor {

/// Fewer points than this say too little about a turn to be summarised.
inline constexpr std::size_t GapStatisticsMinPoints = 21;

class GapStatistics {
public:
    /// Adds one air gap in mm, taken in single precision. A gap without a value
    /// (NaN) is not a reading: it is neither counted nor summed.
    void Add(double gapMm);

    [[nodiscard]] std::size_t Count() const { return count_; }
    /// True from GapStatisticsMinPoints points on.
    [[nodiscard]] bool Enough() const { return count_ >= GapStatisticsMinPoints; }
    /// 9999 while nothing smaller was added.
    [[nodiscard]] float Min() const { return min_; }
    /// -9999 while nothing greater was added.
    [[nodiscard]] float Max() const { return max_; }
    /// Sum over count; 0 without points.
    [[nodiscard]] float Mean() const;
    /// Standard deviation of the points themselves (divided by the count, not
    /// count - 1: the chart's points are all there is); 0 without points.
    [[nodiscard]] float StdDev() const;

private:
    float min_ = 9999.0f;
    float max_ = -9999.0f;
    // The values are single precision, their sum is not: a float sum stops
    // taking small gaps in full after some ten thousand points and drags the mean.
    double sum_ = 0.0;
    // Running mean and sum of squared deviations (Welford): a sum of squares
    // minus the squared sum cancels to noise when the gap barely varies.
    double runningMean_ = 0.0;
    double squares_ = 0.0;
    std::size_t count_ = 0;
};

} // namespace Monitor
