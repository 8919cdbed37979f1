#include "magnet_curves.h"

#include <cmath>

namespace K730Sim {

bool KnownMagnetSize(int size) {
    return size == 12 || size == 16 || size == 22 || size == 30;
}

double GapAtLevel(int magnetSize, std::int32_t level) {
    const double x = level;
    switch (magnetSize) {
    case 12:
        return -9.48079314161128e-11 * x * x * x + 1.152548104716117e-6 * x * x -
               5.813222201102e-3 * x + 14.499253758576048;
    case 22:
        return -2.345 * std::log(x) + 25.311;
    case 30:
        if (level > 7400)
            return -1.752 * std::log(x) + 18.137;
        if (level > 650)
            return -1.739 * std::log(x) + 17.624;
        return -2.782 * std::log(x) + 24.45;
    default:
        return -3.73436843455305e-11 * x * x * x + 6.334736113575181e-7 * x * x -
               4.080080421252e-3 * x + 13.493650604761813;
    }
}

std::int32_t LevelForGap(int magnetSize, double gapMm) {
    // Bisection for the first level whose gap is at or below the target; every
    // curve falls over 1..65535 (size 30 with two steps).
    std::int32_t lo = 1;
    std::int32_t hi = 65535;
    if (GapAtLevel(magnetSize, lo) <= gapMm)
        return lo;
    if (GapAtLevel(magnetSize, hi) > gapMm)
        return hi;
    while (hi - lo > 1) {
        const std::int32_t mid = lo + (hi - lo) / 2;
        if (GapAtLevel(magnetSize, mid) > gapMm)
            lo = mid;
        else
            hi = mid;
    }
    const double errLo = std::abs(GapAtLevel(magnetSize, lo) - gapMm);
    const double errHi = std::abs(GapAtLevel(magnetSize, hi) - gapMm);
    return errLo < errHi ? lo : hi;
}

} // namespace K730Sim
