#pragma once
// Records as the encoder search leaves them, and replies built with a check byte
// computed bit by bit (independently of the table the code uses).

#include "encoder/Enkoderji_splosno.h"
#include "encoder/Velor_konstante.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace encoder_test {

struct Records {
    TEncoderSignature Signature;
    TEncoderPosition Position;
    TEncoderAuxData Aux;

    explicit Records(bool multiturn = false) {
        Signature.Multiturn = multiturn;
        Position.Resolution_unit = Velor_konstante::ResolutionUnitDefault;
        Position.STmaxCount = Velor_konstante::STmaxCountDefault;
        Position.MTmaxCount = Velor_konstante::MTmaxCountDefault;
    }
    EncoderRecords View() { return EncoderRecords{Signature, Position, Aux}; }
};

inline std::uint8_t BitwiseReplyCrc(std::string_view bytes) {
    unsigned reg = 0;
    for (char b : bytes) {
        reg ^= static_cast<unsigned char>(b);
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 0x80u) ? ((reg << 1) ^ 0x97u) & 0xFFu : (reg << 1) & 0xFFu;
    }
    return static_cast<std::uint8_t>(~reg);
}

inline std::string Hex(std::string_view bytes) {
    std::string out;
    char pair[3];
    for (char b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(b));
        out += pair;
    }
    return out;
}

/// The reply the encoder sends for these bytes: their hex digits plus the check byte.
inline std::string ReplyFor(std::string_view bytes) {
    std::string withCrc(bytes);
    withCrc.push_back(static_cast<char>(BitwiseReplyCrc(bytes)));
    return Hex(withCrc);
}

} // namespace encoder_test
