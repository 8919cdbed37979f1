#pragma once
// The faults of a bench shift, as k730-sim commands: which fault comes next,
// how long it is held, how long the program reads in peace before it, and how
// soon the program must be reading again once it is gone. The same seed gives
// the same shift on every machine.

#include <cstdint>
#include <string_view>

namespace Soak {

enum class FaultKind : int {
    EncoderUnplugged,
    BoxUnplugged,
    CrcBurst,
    SlowNearTimeout, ///< replies 350 ms late, inside the 400 ms time-out
    SlowPastTimeout, ///< replies 450 ms late, past it
    SplitReplies,
    ErrorBit,
    WarningBit,
    SupplyOff,
};
inline constexpr int FaultKindCount = 9;

/// What the reading cycle does about a fault while it is held.
enum class Loss {
    None,          ///< reading goes on
    Encoder,       ///< "Encoder disconnected!", then the encoder search
    Interface,     ///< "Interface disconnected!", then the interface search
    EncoderMaybe,  ///< a random share of replies fail: encoder losses, never the box
    InterfaceMaybe ///< only when the timing is unlucky; reading must still go on
};

struct FaultTraits {
    std::string_view Name;
    std::string_view Inject; ///< k730-sim standard-input command
    std::string_view Clear;
    Loss Effect;
};

[[nodiscard]] const FaultTraits& TraitsOf(FaultKind kind);

/// Longest time from clearing a fault to the next good reading that the
/// cycles allow: the search periods the loss leads through, one 400 ms
/// time-out that may be under way, and two more rounds of margin.
[[nodiscard]] int RecoveryBoundMs(Loss effect);

/// Longest a single handler may keep the window busy: a handshake of twelve
/// exchanges each near the time-out, the supply's settling wait, one probe.
inline constexpr int LongestBusyMs = 12 * 400 + 200 + 400 + 600;

struct FaultStep {
    FaultKind Kind{};
    int CalmMs = 0; ///< reading without a fault before this one
    int HoldMs = 0;
};

/// Every kind once per round, in a shuffled order, so even a short run meets
/// them all; hold and calm times drawn per step.
class FaultSchedule {
public:
    explicit FaultSchedule(std::uint64_t seed) : state_(seed) {}
    [[nodiscard]] FaultStep Next();

    static constexpr int MinCalmMs = 2000;
    static constexpr int MaxCalmMs = 8000;
    static constexpr int MinHoldMs = 800;
    static constexpr int MaxHoldMs = 6000;

private:
    /// splitmix64: fixed output for a seed, unlike the standard distributions.
    std::uint64_t Draw();
    int Between(int low, int high);

    std::uint64_t state_;
    FaultKind round_[FaultKindCount]{};
    int used_ = FaultKindCount;
};

} // namespace Soak
