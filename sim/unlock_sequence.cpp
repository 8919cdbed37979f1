#include "unlock_sequence.h"

#include "encoder/Velor_konstante.h"

namespace K730Sim {
namespace {

constexpr std::string_view Prefix = Velor_konstante::EncoderUnlockPrefix;

bool IsConfigLetter(unsigned char byte) {
    namespace C = Velor_konstante::Config;
    return byte == C::FactoryReset || byte == C::SaveToNvram || byte == C::SelfCalibration ||
           byte == C::ZeroOffset || byte == C::MultiturnPreset;
}

bool TakesValue(char letter) {
    return letter == Velor_konstante::Config::ZeroOffset ||
           letter == Velor_konstante::Config::MultiturnPreset;
}

} // namespace

void UnlockSequence::Reset() {
    prefixMatched_ = 0;
    letter_ = 0;
    valueBytes_ = 0;
    value_ = 0;
}

// A byte that breaks the sequence may itself begin a new prefix.
void UnlockSequence::Restart(unsigned char byte) {
    Reset();
    if (byte == static_cast<unsigned char>(Prefix[0]))
        prefixMatched_ = 1;
}

std::optional<ConfigRequest> UnlockSequence::Feed(unsigned char byte, std::int64_t nowUs) {
    if (lastUs_ && nowUs - *lastUs_ > ByteGapLimitUs)
        Reset();
    lastUs_ = nowUs;

    if (letter_ != 0) {
        value_ = (value_ << 8) | byte;
        if (++valueBytes_ < 4)
            return std::nullopt;
        ConfigRequest done{letter_, value_};
        Reset();
        return done;
    }
    if (prefixMatched_ < static_cast<int>(Prefix.size())) {
        if (byte == static_cast<unsigned char>(Prefix[prefixMatched_]))
            ++prefixMatched_;
        else
            Restart(byte);
        return std::nullopt;
    }
    if (!IsConfigLetter(byte)) {
        Restart(byte);
        return std::nullopt;
    }
    const char letter = static_cast<char>(byte);
    if (TakesValue(letter)) {
        letter_ = letter;
        return std::nullopt;
    }
    Reset();
    return ConfigRequest{letter, 0};
}

} // namespace K730Sim
