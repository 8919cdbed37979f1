#pragma once
// The encoder's saved settings in a small text file, so a save outlives the
// simulator as it outlives a real encoder's power-off.

#include "velor_encoder.h"

#include <string>

namespace K730Sim {

/// Reads "zero_offset=N" and "turn_adjust=N" lines. False when the file cannot be
/// read or holds something else; `stored` is then unchanged.
[[nodiscard]] bool LoadStoredSettings(const std::string& path, StoredSettings& stored);
[[nodiscard]] bool SaveStoredSettings(const std::string& path, const StoredSettings& stored);

} // namespace K730Sim
