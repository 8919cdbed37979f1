#include "encoder/air_gap.h"

#include <cmath>
#include <limits>

namespace Velor {

double AirGapMm(std::int32_t ringMagnetSize, std::int32_t signalLevel) {
    const double x = signalLevel;
    switch (ringMagnetSize) {
    case 12:
        return -9.48079314161128e-11 * x * x * x + 1.152548104716117e-6 * x * x -
               5.813222201102e-3 * x + 14.499253758576048;
    case 16:
        return -3.73436843455305e-11 * x * x * x + 6.334736113575181e-7 * x * x -
               4.080080421252e-3 * x + 13.493650604761813;
    case 22:
    case 30:
        break;
    default:
        return 0.0;
    }
    // The logarithmic curves have no value at a level of 0 or an unreadable one.
    if (signalLevel <= 0)
        return std::numeric_limits<double>::quiet_NaN();
    if (ringMagnetSize == 22)
        return -2.345 * std::log(x) + 25.311;
    if (signalLevel > 7400)
        return -1.752 * std::log(x) + 18.137;
    if (signalLevel > 650)
        return -1.739 * std::log(x) + 17.624;
    return -2.782 * std::log(x) + 24.45;
}

void EstimateAirGap(const TEncoderSignature& signature, TEncoderAuxData& aux) {
    aux.AirGap = AirGapMm(signature.RingMagnetSize, aux.SignalLevel);
}

} // namespace Velor
