#include "monitor/angular_coverage.h"

#include <cmath>

namespace Monitor {

void AngularCoverage::Add(double angleDeg) {
    if (!std::isfinite(angleDeg) || angleDeg < 0.0)
        return;
    const double sectorWidth = 360.0 / CoverageSectors;
    const auto sector = static_cast<std::size_t>(std::fmod(angleDeg, 360.0) / sectorWidth);
    // fmod stays below 360, but its quotient can round up to the last edge.
    seen_.set(sector < CoverageSectors ? sector : CoverageSectors - 1);
}

} // namespace Monitor
