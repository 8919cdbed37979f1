#include "monitor/link_test.h"

#include "interface/k730_commands.h"

namespace Monitor {

int RecommendedClock(const std::vector<ClockTally>& clocks) {
    if (static_cast<int>(clocks.size()) != SpiClocks)
        return 0;
    for (const ClockTally& tally : clocks)
        if (tally.Failed())
            return tally.Clock - 1; // clock 1 failing gives 0
    return SpiClocks;
}

std::string ClockText(int clock) {
    if (clock < 1 || clock > SpiClocks) {
        std::string text = "clock ";
        text += std::to_string(clock);
        return text;
    }
    return std::string(K730::ClockTexts[static_cast<std::size_t>(clock - 1)]);
}

std::string RecommendationText(const LinkTestResult& result) {
    if (!result.Complete())
        return "No recommendation: not every clock was tested";
    if (result.Recommended == 0)
        return "The link fails at every clock: check the wiring and the supply.";
    return "Recommended: " + ClockText(result.Recommended);
}

} // namespace Monitor
