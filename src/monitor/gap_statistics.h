#pragma once
// Minimum, maximum and mean of the air gaps on the air-gap chart, for the text
// the "Copy" button puts on the clipboard.

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

private:
    float min_ = 9999.0f;
    float max_ = -9999.0f;
    // The values are single precision, their sum is not: a float sum stops
    // taking small gaps in full after some ten thousand points and drags the mean.
    double sum_ = 0.0;
    std::size_t count_ = 0;
};

} // namespace Monitor
