#pragma once
// A simulated Velor encoder: a shaft turning at a set speed, the readings a real
// head reports about it, and the configuration it keeps. It answers one SPI
// command byte with the bytes it shifts out; the box pads and frames them.

#include "unlock_sequence.h"

#include <cstdint>
#include <functional>
#include <string>

namespace K730Sim {

enum class EncoderKind { SingleTurn, Multiturn };
enum class CalibrationOutcome { Finished, Failed, Timeout };

struct EncoderIdentity {
    EncoderKind Kind = EncoderKind::SingleTurn;
    std::string SerialNumber = "V24017";         ///< 6 characters
    std::string PartNumber = "VLR14SPIST16B050"; ///< 16 characters; 11th and 12th: magnet size
    std::uint8_t FwMajor = 2;
    std::uint8_t FwMinor = 1;
    std::uint8_t FwThird = 4;
    std::uint16_t FwFourth = 1187;
};

/// The physical set-up around the encoder and the conditions it reports.
struct EncoderConditions {
    bool ErrorBit = false;
    bool WarningBit = false;
    std::uint8_t DetailedStatus = 0;
    double GapMm = 0.8;
    double GapWobbleMm = 0.03; ///< amplitude of the gap's variation over one turn
    std::int16_t TemperatureTenths = 285;
    std::int16_t TemperatureDriftTenths = 4;
    CalibrationOutcome Calibration = CalibrationOutcome::Finished;
};

/// What a save keeps over a power cycle.
struct StoredSettings {
    std::int32_t ZeroOffset = 0;
    std::int32_t TurnAdjust = 0; ///< added to the shaft's turn count (multiturn preset)
    bool operator==(const StoredSettings&) const = default;
};

class VelorEncoder {
public:
    static constexpr std::int32_t CountsPerTurn = 16384;
    static constexpr std::int64_t CalibrationUs = 2'000'000;
    static constexpr std::int64_t CalibrationStepUs = 500'000;
    static constexpr std::int64_t TemperaturePeriodUs = 120'000'000;
    static constexpr std::uint8_t CalFinished = 0x80;
    static constexpr std::uint8_t CalFailed = 0x08;
    static constexpr std::uint8_t CalTimeout = 0x04;

    [[nodiscard]] EncoderIdentity& Identity() { return identity_; }
    [[nodiscard]] const EncoderIdentity& Identity() const { return identity_; }
    [[nodiscard]] EncoderConditions& Conditions() { return conditions_; }
    [[nodiscard]] bool Multiturn() const { return identity_.Kind == EncoderKind::Multiturn; }
    /// From the part number; 0 when its 11th and 12th characters are no number.
    [[nodiscard]] int MagnetSize() const;

    /// The shaft: total counts since turn 0 (turns * 16384 + angle), and speed.
    void SetSpeedRpm(double rpm, std::int64_t nowUs);
    [[nodiscard]] double SpeedRpm() const { return rpm_; }
    void SetShaftCount(std::int64_t count, std::int64_t nowUs);
    [[nodiscard]] std::int64_t ShaftCount(std::int64_t nowUs) const;

    void PowerOn(std::int64_t nowUs);
    void PowerOff() { powered_ = false; }
    [[nodiscard]] bool Powered() const { return powered_; }

    /// Bytes this encoder shifts out for `command` (position word, payload, CRC,
    /// or a 'p'/'f' frame). Configuration bytes act before the reply is built.
    [[nodiscard]] std::string Respond(unsigned char command, std::int64_t nowUs);

    /// Readings as the replies carry them.
    [[nodiscard]] std::uint16_t SingleTurnCount(std::int64_t nowUs) const;
    [[nodiscard]] std::int16_t TurnCount(std::int64_t nowUs) const;
    [[nodiscard]] std::uint16_t Timestamp(std::int64_t nowUs) const;
    [[nodiscard]] std::int16_t TemperatureTenths(std::int64_t nowUs) const;
    [[nodiscard]] std::int16_t SpeedTenths() const;
    [[nodiscard]] std::uint16_t SignalLevel(std::int64_t nowUs) const;
    [[nodiscard]] double GapMm(std::int64_t nowUs) const;
    [[nodiscard]] std::uint8_t CalibrationStatus(std::int64_t nowUs) const;

    [[nodiscard]] std::int32_t ZeroOffset() const { return zeroOffset_; }
    [[nodiscard]] std::int32_t TurnAdjust() const { return turnAdjust_; }
    [[nodiscard]] const StoredSettings& Stored() const { return stored_; }
    /// Replaces the non-volatile settings (loaded from a file); applied at power-on.
    void SetStored(const StoredSettings& stored) { stored_ = stored; }
    /// Called after every save, e.g. to write the settings to a file.
    std::function<void(const StoredSettings&)> OnSave;

    [[nodiscard]] std::uint64_t ConfigCommandsDone() const { return configCommands_; }

private:
    void Apply(const ConfigRequest& request, std::int64_t nowUs);
    [[nodiscard]] std::int64_t OffsetCount(std::int64_t nowUs) const;
    [[nodiscard]] std::string PositionWord(std::int64_t nowUs) const;

    EncoderIdentity identity_;
    EncoderConditions conditions_;
    double anchorCount_ = 0.0;
    std::int64_t anchorUs_ = 0;
    double rpm_ = 0.0;
    bool powered_ = false;
    std::int64_t powerOnUs_ = 0;
    std::int32_t zeroOffset_ = 0;
    std::int32_t turnAdjust_ = 0;
    StoredSettings stored_;
    bool calibrationStarted_ = false;
    std::int64_t calibrationStartUs_ = 0;
    UnlockSequence unlock_;
    std::uint64_t configCommands_ = 0;
};

} // namespace K730Sim
