#pragma once
// Settings of the simulated box that a test or a user switches to see how the
// program copes: a sick box, a noisy SPI line, a slow USB link.

#include <cstdint>
#include <string>

namespace K730Sim {

struct BoxIdentity {
    std::string IdentLine = "K730-6W  V2.03 USB-SPI interface"; ///< 10th-14th: version
    std::string FirmwareRevision = "17";
    std::string SerialNumber = "0420317";
};

struct BoxFaults {
    bool Silent = false;             ///< receives everything, answers nothing
    bool SetupError = false;         ///< "ERROR" to Cp, G0:1 and D055
    bool ExtraBytes = false;         ///< a line feed after every CR, in the same write
    int SlowMs = 0;                  ///< every reply is held back this long
    int SplitPieces = 1;             ///< replies go out in this many writes, 1 ms apart
    double CrcCorruptionRate = 0;    ///< share of SPI replies with one bit flipped
    double CableMetres = 0;          ///< breaks check bytes at fast clocks (cable_model.h)
    std::size_t LongSerialBytes = 0; ///< serial-number reply padded to this length (a banner)
};

/// Counters of what the box did, for cross-checks against the program's records.
struct SimStats {
    std::uint64_t BytesReceived = 0;
    std::uint64_t BytesSent = 0;
    std::uint64_t Commands = 0;
    std::uint64_t Replies = 0;
    std::uint64_t ErrorReplies = 0;
    std::uint64_t PartialTimeouts = 0;
    std::uint64_t SpiExchanges = 0;
    std::uint64_t PositionFrames = 0;      ///< "?nn:000" answered
    std::uint64_t GoodPositionReplies = 0; ///< of those: right length, encoder powered, intact
    std::uint64_t GoodEncoderReplies = 0;  ///< the same for any command byte
    std::uint64_t CorruptedReplies = 0;
    std::uint64_t Unanswered = 0;   ///< commands a silent box swallowed
    std::uint64_t DroppedBytes = 0; ///< reply bytes nobody was there to take
    /// The clock's time (us) of the first byte received, 0 before: on the
    /// machine's monotonic clock it tells which of several boxes was tried first.
    std::uint64_t FirstInputUs = 0;
};

} // namespace K730Sim
