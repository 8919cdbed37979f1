#include "monitor/gap_statistics.h"

#include <cmath>

namespace Monitor {

void GapStatistics::Add(double gapMm) {
    if (std::isnan(gapMm))
        return;
    const auto gap = static_cast<float>(gapMm);
    if (gap < min_)
        min_ = gap;
    if (gap > max_)
        max_ = gap;
    sum_ += gap;
    ++count_;
    const double delta = gap - runningMean_;
    runningMean_ += delta / static_cast<double>(count_);
    squares_ += delta * (gap - runningMean_);
}

float GapStatistics::Mean() const {
    if (count_ == 0)
        return 0.0f;
    return static_cast<float>(sum_ / static_cast<double>(count_));
}

float GapStatistics::StdDev() const {
    if (count_ == 0)
        return 0.0f;
    return static_cast<float>(std::sqrt(squares_ / static_cast<double>(count_)));
}

} // namespace Monitor
