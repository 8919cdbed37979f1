#pragma once
// Air gap between read head and ring magnet, estimated from the signal level.

#include "encoder/Enkoderji_splosno.h"

#include <cstdint>

namespace Velor {

/// Air gap in mm for a ring magnet size (12, 16, 22, 30) and a signal level.
/// 0 for any other size; NaN for sizes 22 and 30 at a level <= 0, where the
/// curve has no value.
[[nodiscard]] double AirGapMm(std::int32_t ringMagnetSize, std::int32_t signalLevel);

/// Aux.AirGap := AirGapMm(Signature.RingMagnetSize, Aux.SignalLevel).
void EstimateAirGap(const TEncoderSignature& signature, TEncoderAuxData& aux);

} // namespace Velor
