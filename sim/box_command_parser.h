#pragma once
// Splits the byte stream the box receives into commands. Commands carry no
// terminator: the first byte says how long one is.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace K730Sim {

enum class BoxOp {
    Identify,         ///< "v"
    FirmwareRevision, ///< "o"
    SerialNumber,     ///< "r"
    ClockQuery,       ///< "m"
    SupplyOn,         ///< "n"
    SupplyOff,        ///< "f"
    SupplyStatus,     ///< "e"
    Protocol,         ///< "Cp"
    SpiSetup,         ///< "G" d ":" d, "D" ddd
    ClockSelect,      ///< "M1".."M8"; Arg is the digit
    Voltage,          ///< "V5" (Arg 5) or "V3" (Arg 3)
    SpiExchange,      ///< "?" nn ":" ccc; Arg is n, Byte is c
    Invalid,          ///< anything else, or a partial command that went idle
};

struct BoxCommand {
    BoxOp Op = BoxOp::Invalid;
    int Arg = 0;
    unsigned char Byte = 0;
    std::string Text; ///< the bytes it was made of
};

class BoxCommandParser {
public:
    /// A partial command with no further byte for this long is dropped.
    static constexpr std::int64_t PartialTimeoutUs = 100'000;
    /// Most bytes one SPI exchange may ask for.
    static constexpr int MaxExchangeBytes = 64;

    /// Appends the commands that `bytes` complete to `out`. A partial command
    /// that had already gone idle by `nowUs` is reported as Invalid first.
    void Feed(std::string_view bytes, std::int64_t nowUs, std::vector<BoxCommand>& out);
    /// An Invalid command for a partial one that has gone idle by `nowUs`.
    [[nodiscard]] std::optional<BoxCommand> Expire(std::int64_t nowUs);
    /// When the partial command will go idle; none when there is none.
    [[nodiscard]] std::optional<std::int64_t> DeadlineUs() const;
    void Clear() { partial_.clear(); }

private:
    void FeedByte(char byte, std::vector<BoxCommand>& out);

    std::string partial_;
    std::int64_t lastByteUs_ = 0;
};

} // namespace K730Sim
