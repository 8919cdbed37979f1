#pragma once
// Asking the system to put a file's written bytes on the disk itself, so a
// power cut cannot take them; one implementation per system.

#include <cstdio>

namespace Monitor {

/// Writes what `file` has handed to the system through to the disk (its data,
/// not necessarily its times). 0, or the system's error number.
[[nodiscard]] int SyncToDisk(std::FILE* file);

} // namespace Monitor
