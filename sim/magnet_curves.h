#pragma once
// How the read head's signal level depends on the air gap, per ring magnet size.
// These are the magnets' own characteristics; the program estimates the gap with
// the same fitted curves, so a simulated level reads back as the simulated gap.

#include <cstdint>

namespace K730Sim {

/// True for the ring sizes with a known curve: 12, 16, 22 and 30 mm.
[[nodiscard]] bool KnownMagnetSize(int size);

/// Air gap in mm at a signal level (level > 0). A size without a curve uses 16's.
[[nodiscard]] double GapAtLevel(int magnetSize, std::int32_t level);

/// The signal level (1..65535) whose gap is closest to `gapMm`: the curves fall
/// with the level, so gaps beyond their range give the end levels.
[[nodiscard]] std::int32_t LevelForGap(int magnetSize, double gapMm);

} // namespace K730Sim
