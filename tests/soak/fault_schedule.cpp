#include "fault_schedule.h"

#include <utility>

namespace Soak {
namespace {

// The cycles' own periods: interface search, encoder search, reading, the
// reply time-out and the supply's settling wait after the handshake.
constexpr int InterfaceSearchMs = 1000;
constexpr int EncoderSearchMs = 850;
constexpr int ReadIntervalMs = 70;
constexpr int ReplyTimeoutMs = 400;
constexpr int SupplySettleMs = 200;
constexpr int MarginRounds = 2;

constexpr FaultTraits Traits[FaultKindCount] = {
    {"encoder unplugged", "encoder off", "encoder on", Loss::Encoder},
    {"box unplugged", "unplug", "plug", Loss::Interface},
    {"CRC burst 0.3", "crc 0.3", "crc 0", Loss::EncoderMaybe},
    {"slow 350 ms", "slow 350", "slow 0", Loss::InterfaceMaybe},
    {"slow 450 ms", "slow 450", "slow 0", Loss::Interface},
    {"split replies", "split 3", "split 1", Loss::None},
    {"error bit", "error on", "error off", Loss::None},
    {"warning bit", "warning on", "warning off", Loss::None},
    {"supply off", "supply off", "supply on", Loss::Encoder},
};

} // namespace

const FaultTraits& TraitsOf(FaultKind kind) {
    return Traits[static_cast<int>(kind)];
}

int RecoveryBoundMs(Loss effect) {
    const int reading = ReadIntervalMs + ReplyTimeoutMs;
    const int encoder = EncoderSearchMs + reading;
    const int interface = InterfaceSearchMs + ReplyTimeoutMs + SupplySettleMs + encoder;
    switch (effect) {
    case Loss::None:
    case Loss::InterfaceMaybe:
        // A late reply may still cost a round through both searches.
        return effect == Loss::None ? reading * (1 + MarginRounds)
                                    : interface + MarginRounds * (InterfaceSearchMs + encoder);
    case Loss::Encoder:
    case Loss::EncoderMaybe:
        return encoder + MarginRounds * EncoderSearchMs;
    case Loss::Interface:
        return interface + MarginRounds * (InterfaceSearchMs + EncoderSearchMs);
    }
    return interface;
}

std::uint64_t FaultSchedule::Draw() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int FaultSchedule::Between(int low, int high) {
    return low + static_cast<int>(Draw() % static_cast<std::uint64_t>(high - low + 1));
}

FaultStep FaultSchedule::Next() {
    if (used_ == FaultKindCount) {
        for (int i = 0; i < FaultKindCount; ++i)
            round_[i] = static_cast<FaultKind>(i);
        for (int i = FaultKindCount - 1; i > 0; --i)
            std::swap(round_[i], round_[Between(0, i)]);
        used_ = 0;
    }
    FaultStep step;
    step.Kind = round_[used_++];
    step.CalmMs = Between(MinCalmMs, MaxCalmMs);
    step.HoldMs = Between(MinHoldMs, MaxHoldMs);
    return step;
}

} // namespace Soak
