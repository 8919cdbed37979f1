#include "monitor/installation_verdict.h"

#include "encoder/Velor_konstante.h"
#include "util/number_format.h"

#include <charconv>
#include <cmath>
#include <functional>

namespace Monitor {
namespace {

using Orodja::FixedText;

// A limit as the user typed it: at least `minDecimals`, more only where it has them.
std::string LimitText(double value, int minDecimals) {
    for (int decimals = minDecimals; decimals < 6; ++decimals) {
        const std::string text = FixedText(value, decimals);
        double back = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        if (back == value)
            return text;
    }
    return FixedText(value, 6);
}

std::string At(double angleDeg) {
    return " at " + FixedText(angleDeg, 1) + "\xC2\xB0";
}

std::string BitCount(std::size_t count, std::string_view bit) {
    return std::to_string(count) + (count == 1 ? " reading" : " readings") + " with the " +
           std::string(bit) + " bit";
}

double AsShown(double gapMm) {
    return std::round(gapMm * 100.0) / 100.0;
}

} // namespace

bool InstallationLimits::AnySet() const {
    return GapMinMm || GapMaxMm || SignalMin || MaxWarnings || MaxErrors || RunoutMaxMm;
}

std::optional<InstallationSample> InstallationSampleOf(unsigned char command,
                                                       const TEncoderPosition& position,
                                                       const TEncoderAuxData& aux) {
    namespace Cmd = Velor_konstante::Cmd;
    if (command == Cmd::Skipped)
        return std::nullopt;
    InstallationSample sample;
    sample.ErrBit = position.ErrBit;
    sample.WarnBit = position.WarnBit;
    // The angle the air-gap chart puts the point at.
    sample.AngleDeg = position.ST_value * position.Resolution_unit;
    if (command == Cmd::SignalLevel) {
        sample.SignalLevel = aux.SignalLevel;
        sample.GapMm = aux.AirGap;
    }
    return sample;
}

void InstallationVerdict::Add(const InstallationSample& sample) {
    ++readings_;
    errors_ += sample.ErrBit ? 1 : 0;
    warnings_ += sample.WarnBit ? 1 : 0;
    // The first point of the worst value is the one named.
    const auto keep = [angle = sample.AngleDeg](std::optional<Worst>& worst, double value,
                                                auto worse) {
        if (!worst || worse(value, worst->Value))
            worst = Worst{value, angle};
    };
    if (sample.SignalLevel && *sample.SignalLevel >= 0)
        keep(lowestSignal_, *sample.SignalLevel, std::less<>{});
    if (std::isnan(sample.GapMm))
        return;
    gaps_.Add(sample.GapMm);
    coverage_.Add(sample.AngleDeg);
    runout_.Add(sample.AngleDeg, sample.GapMm);
    keep(lowestGap_, sample.GapMm, std::less<>{});
    keep(highestGap_, sample.GapMm, std::greater<>{});
}

VerdictResult InstallationVerdict::Judge(const InstallationLimits& limits) const {
    VerdictResult result;
    result.SectorsSeen = coverage_.SectorsSeen();
    if (!limits.AnySet() && !limits.FullTurn)
        return result;

    auto& reasons = result.Reasons;
    if (limits.GapMaxMm && highestGap_ && AsShown(highestGap_->Value) > *limits.GapMaxMm)
        reasons.push_back("air gap " + FixedText(highestGap_->Value, 2) + " mm above " +
                          LimitText(*limits.GapMaxMm, 2) + " mm" + At(highestGap_->AngleDeg));
    if (limits.GapMinMm && lowestGap_ && AsShown(lowestGap_->Value) < *limits.GapMinMm)
        reasons.push_back("air gap " + FixedText(lowestGap_->Value, 2) + " mm below " +
                          LimitText(*limits.GapMinMm, 2) + " mm" + At(lowestGap_->AngleDeg));
    const std::optional<Monitor::Runout> runout = Runout();
    if (limits.RunoutMaxMm && runout && AsShown(runout->RunoutMm) > *limits.RunoutMaxMm)
        reasons.push_back("runout " + FixedText(runout->RunoutMm, 2) + " mm above " +
                          LimitText(*limits.RunoutMaxMm, 2) + " mm, largest gap" +
                          At(runout->LargestAtDeg));
    if (limits.SignalMin && lowestSignal_ && lowestSignal_->Value < *limits.SignalMin)
        reasons.push_back("signal level " + FixedText(lowestSignal_->Value, 0) + " below " +
                          LimitText(*limits.SignalMin, 0) + At(lowestSignal_->AngleDeg));
    if (limits.MaxErrors && errors_ > *limits.MaxErrors)
        reasons.push_back(BitCount(errors_, "error"));
    if (limits.MaxWarnings && warnings_ > *limits.MaxWarnings)
        reasons.push_back(BitCount(warnings_, "warning"));

    if (!reasons.empty()) {
        result.Kind = Verdict::Fail;
    } else if ((limits.FullTurn || limits.RunoutMaxMm) && !coverage_.Full()) {
        result.Kind = Verdict::Incomplete;
        reasons.push_back(
            "Turn the shaft through a whole turn: " + std::to_string(result.SectorsSeen) + " of " +
            std::to_string(CoverageSectors) + " sectors seen");
    } else {
        result.Kind = Verdict::Pass;
    }
    return result;
}

std::optional<Runout> InstallationVerdict::Runout() const {
    if (!coverage_.Full())
        return std::nullopt;
    return runout_.Result();
}

std::string_view VerdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::Pass:
        return "PASS";
    case Verdict::Fail:
        return "FAIL";
    case Verdict::Incomplete:
        return "INCOMPLETE";
    case Verdict::NoLimits:
        break;
    }
    return "";
}

std::string VerdictLine(const VerdictResult& result) {
    switch (result.Kind) {
    case Verdict::Pass:
        return "PASS";
    case Verdict::Fail:
        return "FAIL: " + result.Reasons.front();
    case Verdict::Incomplete:
        return "Turn the shaft: " + std::to_string(result.SectorsSeen) + " of " +
               std::to_string(CoverageSectors) + " sectors seen";
    case Verdict::NoLimits:
        break;
    }
    return "";
}

} // namespace Monitor
