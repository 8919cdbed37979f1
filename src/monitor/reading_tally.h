#pragma once
// What the readings since the encoder was found add up to, for the
// installation report: how many carried the error or warning bit, which
// detailed-status flags came up and how often, and the last value of each
// quantity the reading cycle reads.

#include "encoder/Enkoderji_splosno.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Monitor {

/// One flag of the detailed-status byte, named as its lamp on the Status page.
struct StatusFlag {
    std::uint8_t Mask;
    std::string_view Name;
};

/// The flags in the byte's order, high bit first; bit 2 has no lamp.
inline constexpr std::array<StatusFlag, 8> DetailedStatusFlags{{{0x80, "Signal high"},
                                                                {0x40, "Signal low"},
                                                                {0x20, "Temperature"},
                                                                {0x10, "Speed"},
                                                                {0x08, "Multiturn error"},
                                                                {0x04, "Bit 2"},
                                                                {0x02, "Acceleration"},
                                                                {0x01, "Safety comparison"}}};

class ReadingTally {
public:
    /// Adds one good reading: `command` as the reading reports it, and the
    /// records as they stood after it. A skipped auxiliary reply repeats the
    /// last position and adds nothing.
    void Add(unsigned char command, const TEncoderPosition& position, const TEncoderAuxData& aux);
    /// Forgets everything: a new encoder (or the same one found again) starts afresh.
    void Clear() { *this = ReadingTally{}; }

    [[nodiscard]] std::size_t Readings() const { return readings_; }
    [[nodiscard]] std::size_t ErrorReadings() const { return errors_; }
    [[nodiscard]] std::size_t WarningReadings() const { return warnings_; }
    /// Readable detailed-status replies; the flags below are counted over these.
    [[nodiscard]] std::size_t StatusReadings() const { return statusReadings_; }
    /// How many status replies carried DetailedStatusFlags[index].
    [[nodiscard]] std::size_t FlagCount(std::size_t index) const { return flagCounts_.at(index); }

    /// The last value read; unset while none was.
    [[nodiscard]] std::optional<double> PositionDeg() const { return position_; }
    [[nodiscard]] std::optional<double> TemperatureC() const { return temperature_; }
    [[nodiscard]] std::optional<double> SpeedRpm() const { return speed_; }
    [[nodiscard]] std::optional<std::int32_t> SignalLevel() const { return signalLevel_; }
    /// Set with the signal level; NaN when the level gives no gap.
    [[nodiscard]] std::optional<double> AirGapMm() const { return airGap_; }

private:
    std::size_t readings_ = 0;
    std::size_t errors_ = 0;
    std::size_t warnings_ = 0;
    std::size_t statusReadings_ = 0;
    std::array<std::size_t, DetailedStatusFlags.size()> flagCounts_{};
    std::optional<double> position_;
    std::optional<double> temperature_;
    std::optional<double> speed_;
    std::optional<std::int32_t> signalLevel_;
    std::optional<double> airGap_;
};

} // namespace Monitor
