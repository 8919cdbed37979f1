#pragma once
// The installation verdict: the air gaps, signal levels and status bits read
// while the technician turns the shaft, judged against limits the user sets.
// The window's Installation page and `tessoran-cli check` both judge with it.

#include "encoder/Enkoderji_splosno.h"
#include "monitor/angular_coverage.h"
#include "monitor/gap_statistics.h"
#include "monitor/runout_fit.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Monitor {

/// What an installation must meet. A limit left unset is not checked.
struct InstallationLimits {
    std::optional<double> GapMinMm = std::nullopt;
    std::optional<double> GapMaxMm = std::nullopt;
    std::optional<double> SignalMin = std::nullopt;
    std::optional<std::size_t> MaxWarnings = std::nullopt;
    std::optional<std::size_t> MaxErrors = std::nullopt;
    /// Every sector of the turn must have had an air-gap point.
    bool FullTurn = false;
    /// Largest runout (peak to peak of the once-a-turn wave); judged once
    /// the turn is whole, INCOMPLETE until then.
    std::optional<double> RunoutMaxMm = std::nullopt;

    /// Whether any limit is set (FullTurn is not a limit).
    [[nodiscard]] bool AnySet() const;
    bool operator==(const InstallationLimits&) const = default;
};

/// One good reading as the verdict takes it.
struct InstallationSample {
    bool ErrBit = false;
    bool WarnBit = false;
    /// The shaft's angle within the turn, in degrees.
    double AngleDeg = 0.0;
    /// Set on a signal-level reading; a negative level (digits that were not
    /// hexadecimal) is no level.
    std::optional<std::int32_t> SignalLevel;
    /// The air gap of that level in mm; NaN: no air-gap point.
    double GapMm = std::numeric_limits<double>::quiet_NaN();
};

/// A reading as the engine reports it (command, records after it) as a sample;
/// unset for a skipped auxiliary reply, which repeats the last position.
[[nodiscard]] std::optional<InstallationSample>
InstallationSampleOf(unsigned char command, const TEncoderPosition& position,
                     const TEncoderAuxData& aux);

enum class Verdict {
    NoLimits, ///< nothing to judge: no limit set and no full turn asked for
    Pass,
    Fail,      ///< a failure stays one however the shaft turns on
    Incomplete ///< nothing failed yet, but the turn is not whole
};

struct VerdictResult {
    Verdict Kind = Verdict::NoLimits;
    /// Fail: every reason, in the order of the limits' fields (air gap above
    /// the maximum, below the minimum, runout, signal level, error bit,
    /// warning bit).
    /// Incomplete: the one sentence that asks for the rest of the turn.
    std::vector<std::string> Reasons;
    std::size_t SectorsSeen = 0;
};

class InstallationVerdict {
public:
    void Add(const InstallationSample& sample);
    /// Starts over, as "Clear" of the air-gap chart does.
    void Clear() { *this = InstallationVerdict{}; }

    /// The limits are taken when judging, so they may change as points come.
    /// Air gaps are judged as they are shown, to 0.01 mm: a gap shown as the
    /// limit meets it.
    [[nodiscard]] VerdictResult Judge(const InstallationLimits& limits) const;

    [[nodiscard]] const GapStatistics& Gaps() const { return gaps_; }
    [[nodiscard]] const AngularCoverage& Coverage() const { return coverage_; }
    /// The once-a-turn fit, from the moment every sector has an air-gap point.
    [[nodiscard]] std::optional<Monitor::Runout> Runout() const;
    [[nodiscard]] std::size_t Readings() const { return readings_; }
    [[nodiscard]] std::size_t ErrorReadings() const { return errors_; }
    [[nodiscard]] std::size_t WarningReadings() const { return warnings_; }

private:
    /// The worst value of a quantity so far, and where the shaft stood.
    struct Worst {
        double Value = 0.0;
        double AngleDeg = 0.0;
    };

    GapStatistics gaps_;
    AngularCoverage coverage_;
    RunoutFit runout_;
    std::optional<Worst> lowestGap_;
    std::optional<Worst> highestGap_;
    std::optional<Worst> lowestSignal_;
    std::size_t readings_ = 0;
    std::size_t errors_ = 0;
    std::size_t warnings_ = 0;
};

/// "PASS", "FAIL", "INCOMPLETE"; empty for NoLimits.
[[nodiscard]] std::string_view VerdictName(Verdict verdict);

/// The window's verdict line: "PASS", "FAIL: " and the first reason,
/// "Turn the shaft: 24 of 36 sectors seen", or empty for NoLimits.
[[nodiscard]] std::string VerdictLine(const VerdictResult& result);

} // namespace Monitor
