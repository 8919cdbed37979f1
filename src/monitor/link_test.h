#pragma once
// The link test's figures: at each of the box's eight SPI clocks, how many
// position readings were taken and how many failed, and the clock they point
// to: the fastest one below every clock that had a failure.

#include <string>
#include <vector>

namespace Monitor {

inline constexpr int SpiClocks = 8;

struct ClockTally {
    int Clock = 1;     ///< 1..8, as "M1".."M8" select it
    int Readings = 0;  ///< exchanges made
    int CrcFailed = 0; ///< replies that failed their check
    int Timeouts = 0;  ///< exchanges the box did not answer in time
    [[nodiscard]] bool Failed() const { return CrcFailed > 0 || Timeouts > 0; }
};

struct LinkTestResult {
    std::vector<ClockTally> Clocks; ///< the clocks tested, from 1 up
    /// The clock to use: 1..8; 0 when even clock 1 failed, or the test ended
    /// before every clock was tested.
    int Recommended = 0;
    [[nodiscard]] bool Complete() const { return static_cast<int>(Clocks.size()) == SpiClocks; }
};

/// The clock one step below the slowest clock with any failure, 8 when none
/// failed, 0 when clock 1 failed or not all eight were tested.
[[nodiscard]] int RecommendedClock(const std::vector<ClockTally>& clocks);

/// The clock's text as the clock list shows it ("6 =  3 MHz").
[[nodiscard]] std::string ClockText(int clock);

/// "Recommended: 6 =  3 MHz", or what to do when no clock carries the link.
[[nodiscard]] std::string RecommendationText(const LinkTestResult& result);

} // namespace Monitor
