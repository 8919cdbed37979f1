#pragma once
// The encoder's recogniser for configuration commands: the unlock prefix, a
// letter and, for 'Z' and 'M', four value bytes, one byte per SPI request.

#include <cstdint>
#include <optional>

namespace K730Sim {

struct ConfigRequest {
    char Letter = 0;         ///< 'r', 'c', 'A', 'Z' or 'M'
    std::uint32_t Value = 0; ///< the four value bytes, first most significant
};

class UnlockSequence {
public:
    /// A sequence whose bytes come further apart than this starts over.
    static constexpr std::int64_t ByteGapLimitUs = 1'000'000;

    /// Takes the command byte of one request; returns the command it completes.
    [[nodiscard]] std::optional<ConfigRequest> Feed(unsigned char byte, std::int64_t nowUs);
    void Reset();

private:
    void Restart(unsigned char byte);

    int prefixMatched_ = 0;
    char letter_ = 0;
    int valueBytes_ = 0;
    std::uint32_t value_ = 0;
    std::optional<std::int64_t> lastUs_;
};

} // namespace K730Sim
