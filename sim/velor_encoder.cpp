#include "velor_encoder.h"

#include "encoder/Velor_konstante.h"
#include "encoder/crc.h"
#include "magnet_curves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace K730Sim {
namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
    return a - FloorDiv(a, b) * b;
}

void Append16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}

// Fixed-width text field: cut, or filled with blanks the decoder drops.
std::string Field(const std::string& text, std::size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

} // namespace

int VelorEncoder::MagnetSize() const {
    const std::string& pn = identity_.PartNumber;
    if (pn.size() < 12)
        return 0;
    const char hi = pn[10];
    const char lo = pn[11];
    if (hi < '0' || hi > '9' || lo < '0' || lo > '9')
        return 0;
    return (hi - '0') * 10 + (lo - '0');
}

void VelorEncoder::SetSpeedRpm(double rpm, std::int64_t nowUs) {
    anchorCount_ = static_cast<double>(ShaftCount(nowUs));
    anchorUs_ = nowUs;
    rpm_ = std::isfinite(rpm) ? rpm : 0.0;
}

void VelorEncoder::SetShaftCount(std::int64_t count, std::int64_t nowUs) {
    anchorCount_ = static_cast<double>(count);
    anchorUs_ = nowUs;
}

std::int64_t VelorEncoder::ShaftCount(std::int64_t nowUs) const {
    const double countsPerUs = rpm_ * CountsPerTurn / 60e6;
    return static_cast<std::int64_t>(
        std::floor(anchorCount_ + countsPerUs * static_cast<double>(nowUs - anchorUs_)));
}

void VelorEncoder::PowerOn(std::int64_t nowUs) {
    powered_ = true;
    powerOnUs_ = nowUs;
    zeroOffset_ = stored_.ZeroOffset;
    turnAdjust_ = stored_.TurnAdjust;
    calibrationStarted_ = false;
    unlock_.Reset();
}

std::int64_t VelorEncoder::OffsetCount(std::int64_t nowUs) const {
    return ShaftCount(nowUs) - zeroOffset_;
}

std::uint16_t VelorEncoder::SingleTurnCount(std::int64_t nowUs) const {
    return static_cast<std::uint16_t>(FloorMod(OffsetCount(nowUs), CountsPerTurn));
}

std::int16_t VelorEncoder::TurnCount(std::int64_t nowUs) const {
    const std::int64_t turns = FloorDiv(OffsetCount(nowUs), CountsPerTurn) + turnAdjust_;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(turns & 0xFFFF));
}

std::uint16_t VelorEncoder::Timestamp(std::int64_t nowUs) const {
    return static_cast<std::uint16_t>((nowUs - powerOnUs_) & 0xFFFF);
}

std::int16_t VelorEncoder::TemperatureTenths(std::int64_t nowUs) const {
    const double phase = 2.0 * std::numbers::pi * static_cast<double>(nowUs - powerOnUs_) /
                         static_cast<double>(TemperaturePeriodUs);
    const double t =
        conditions_.TemperatureTenths + conditions_.TemperatureDriftTenths * std::sin(phase);
    return static_cast<std::int16_t>(std::clamp(std::lround(t), -32768L, 32767L));
}

std::int16_t VelorEncoder::SpeedTenths() const {
    return static_cast<std::int16_t>(std::clamp(std::lround(rpm_ * 10.0), -32768L, 32767L));
}

double VelorEncoder::GapMm(std::int64_t nowUs) const {
    // The gap follows the physical angle (a slightly eccentric magnet), not the
    // offset one the encoder reports.
    const double angle = static_cast<double>(FloorMod(ShaftCount(nowUs), CountsPerTurn));
    return conditions_.GapMm +
           conditions_.GapWobbleMm * std::sin(2.0 * std::numbers::pi * angle / CountsPerTurn);
}

std::uint16_t VelorEncoder::SignalLevel(std::int64_t nowUs) const {
    return static_cast<std::uint16_t>(LevelForGap(MagnetSize(), GapMm(nowUs)));
}

std::uint8_t VelorEncoder::CalibrationStatus(std::int64_t nowUs) const {
    if (!calibrationStarted_)
        return 0;
    // The 2-bit counter counts the passes of the run. A failed run gives up
    // after three passes; a timed-out one runs all four and keeps its count; a
    // good one clears the counter.
    const std::int64_t elapsed = nowUs - calibrationStartUs_;
    const CalibrationOutcome outcome = conditions_.Calibration;
    const std::int64_t runUs =
        outcome == CalibrationOutcome::Failed ? CalibrationUs - CalibrationStepUs : CalibrationUs;
    if (elapsed < runUs)
        return static_cast<std::uint8_t>((elapsed / CalibrationStepUs) & 3);
    const auto lastPass = static_cast<std::uint8_t>(((runUs - 1) / CalibrationStepUs) & 3);
    switch (outcome) {
    case CalibrationOutcome::Failed:
        return static_cast<std::uint8_t>(CalFinished | CalFailed | lastPass);
    case CalibrationOutcome::Timeout:
        return static_cast<std::uint8_t>(CalFinished | CalTimeout | lastPass);
    case CalibrationOutcome::Finished:
        break;
    }
    return CalFinished;
}

void VelorEncoder::Apply(const ConfigRequest& request, std::int64_t nowUs) {
    namespace C = Velor_konstante::Config;
    ++configCommands_;
    switch (request.Letter) {
    case C::FactoryReset:
        zeroOffset_ = 0;
        turnAdjust_ = 0;
        break;
    case C::SaveToNvram:
        stored_ = {zeroOffset_, turnAdjust_};
        if (OnSave)
            OnSave(stored_);
        break;
    case C::SelfCalibration:
        calibrationStarted_ = true;
        calibrationStartUs_ = nowUs;
        break;
    case C::ZeroOffset:
        zeroOffset_ = static_cast<std::int32_t>(request.Value % CountsPerTurn);
        break;
    case C::MultiturnPreset: {
        const auto wanted = static_cast<std::int16_t>(request.Value & 0xFFFF);
        turnAdjust_ =
            static_cast<std::int32_t>(wanted - FloorDiv(OffsetCount(nowUs), CountsPerTurn));
        break;
    }
    default:
        break;
    }
}

std::string VelorEncoder::PositionWord(std::int64_t nowUs) const {
    std::string word;
    if (Multiturn())
        Append16(word, static_cast<std::uint16_t>(TurnCount(nowUs)));
    // Error and warning bits are active low.
    const auto flags = static_cast<std::uint16_t>((conditions_.ErrorBit ? 0 : 2) |
                                                  (conditions_.WarningBit ? 0 : 1));
    Append16(word, static_cast<std::uint16_t>((SingleTurnCount(nowUs) << 2) | flags));
    return word;
}

std::string VelorEncoder::Respond(unsigned char command, std::int64_t nowUs) {
    if (const auto request = unlock_.Feed(command, nowUs))
        Apply(*request, nowUs);

    namespace Cmd = Velor_konstante::Cmd;
    std::string out;
    if (command == Cmd::PartNumber) {
        out.append(2, '\0');
        out += Field(identity_.PartNumber, 16);
        return out;
    }
    if (command == Cmd::Firmware) {
        out.append(2, '\0');
        out.push_back(static_cast<char>(identity_.FwMajor));
        out.push_back(static_cast<char>(identity_.FwMinor));
        out.push_back(static_cast<char>(identity_.FwThird));
        Append16(out, identity_.FwFourth);
        return out;
    }
    out = PositionWord(nowUs);
    switch (command) {
    case Cmd::Timestamp:
        Append16(out, Timestamp(nowUs));
        break;
    case Cmd::SignalLevel:
        Append16(out, SignalLevel(nowUs));
        break;
    case Cmd::Speed:
        Append16(out, static_cast<std::uint16_t>(SpeedTenths()));
        break;
    case Cmd::Temperature:
        Append16(out, static_cast<std::uint16_t>(TemperatureTenths(nowUs)));
        break;
    case Cmd::DetailedStatus:
        out.push_back(static_cast<char>(conditions_.DetailedStatus));
        break;
    case Cmd::CalibrationStatus:
        out.push_back(static_cast<char>(CalibrationStatus(nowUs)));
        break;
    case Cmd::SerialNumber:
        out += Field(identity_.SerialNumber, 6);
        break;
    default:
        break;
    }
    out.push_back(static_cast<char>(Velor::ReplyCrc(out)));
    return out;
}

} // namespace K730Sim
