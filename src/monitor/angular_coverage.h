#pragma once
// Which sectors of a turn had an air-gap point: an installation is judged only
// after the shaft has been turned through a whole turn, not on the few degrees
// it happened to stand at.

#include <bitset>
#include <cstddef>

namespace Monitor {

/// A turn in sectors of 10 degrees.
inline constexpr std::size_t CoverageSectors = 36;

class AngularCoverage {
public:
    /// Marks the sector of an angle in degrees; whole turns are taken off
    /// (360 is sector 0). A negative or non-finite angle marks nothing.
    void Add(double angleDeg);
    void Clear() { seen_.reset(); }

    [[nodiscard]] std::size_t SectorsSeen() const { return seen_.count(); }
    [[nodiscard]] bool Full() const { return seen_.all(); }
    /// `sector` < CoverageSectors; sector 0 holds 0 up to 10 degrees.
    [[nodiscard]] bool Seen(std::size_t sector) const { return seen_.test(sector); }

private:
    std::bitset<CoverageSectors> seen_;
};

} // namespace Monitor
