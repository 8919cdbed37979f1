#pragma once
// CPU time this process has used, to show that waiting for the box costs none.

namespace TessoranCli {

/// User plus system time of the whole process in milliseconds; -1 if unknown.
[[nodiscard]] double ProcessCpuMs();

} // namespace TessoranCli
