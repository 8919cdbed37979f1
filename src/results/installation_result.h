#pragma once
// One installation's result as the results store keeps it: who judged what,
// when and where, against which limits, with every reason. Texts are UTF-8,
// device text as the window shows it (one byte, one character).

#include "monitor/installation_verdict.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Results {

inline constexpr std::string_view SourceCheck = "check";   ///< tessoran-cli check
inline constexpr std::string_view SourceReport = "report"; ///< a saved installation report

struct GapFigures {
    std::size_t Points = 0;
    /// Unset while there are no points.
    std::optional<double> MinMm, MaxMm, MeanMm, StdDevMm;
    bool operator==(const GapFigures&) const = default;
};

struct InstallationResult {
    std::string Id;      ///< a UUID made on the bench
    std::string TimeUtc; ///< ISO 8601, "2026-12-10T10:07:12Z"
    std::string Bench;   ///< the host's name
    std::string ProgramVersion;
    std::string Source; ///< SourceCheck or SourceReport

    std::string BoxPort;
    std::string BoxVersion;
    std::string BoxSerial;
    std::string PartNumber;
    std::string EncoderSerial;
    std::string Firmware;
    std::optional<bool> Multiturn; ///< unset: not known (no reading)

    Monitor::InstallationLimits Limits;
    std::string Verdict; ///< "PASS", "FAIL", "INCOMPLETE" or "NO LIMITS"
    std::vector<std::string> Reasons;

    std::size_t Readings = 0;
    std::size_t ErrorReadings = 0;
    std::size_t WarningReadings = 0;
    GapFigures Gap;
    std::size_t SectorsSeen = 0;
    std::size_t Sectors = 0;
    std::optional<Monitor::Runout> Runout; ///< unset until the turn was whole

    std::optional<std::string> ReportPath; ///< UTF-8

    bool operator==(const InstallationResult&) const = default;
};

/// The identity of the box and the encoder a result is of.
struct ResultDevices {
    std::string BoxPort, BoxVersion, BoxSerial;
    std::string PartNumber, EncoderSerial, Firmware;
    std::optional<bool> Multiturn;
};

/// A new result of `verdict` judged against `limits`, stamped now with a new
/// id, this bench and this program. Device texts are taken as bytes and kept
/// as the window shows them.
[[nodiscard]] InstallationResult NewResult(std::string_view source, const ResultDevices& devices,
                                           const Monitor::InstallationLimits& limits,
                                           const Monitor::InstallationVerdict& verdict);

/// The verdict's word as it is stored: VerdictName, or "NO LIMITS".
[[nodiscard]] std::string StoredVerdictName(Monitor::Verdict verdict);

/// A random (version 4) UUID, lower-case with hyphens.
[[nodiscard]] std::string NewResultId();

/// Seconds since 1970 (UTC) as "YYYY-MM-DDTHH:MM:SSZ".
[[nodiscard]] std::string UtcTimeText(std::int64_t secondsSinceEpoch);

/// Bytes as text, one byte one character (Latin-1), in UTF-8.
[[nodiscard]] std::string Latin1ToUtf8(std::string_view bytes);

} // namespace Results
