#include "encoder/reply_decoder.h"

#include "encoder/Velor_konstante.h"
#include "encoder/crc.h"
#include "encoder/hex_field.h"
#include "encoder/payload_decoders.h"
#include "util/Orodja.h"

#include <algorithm>
#include <cstdint>

namespace Velor {

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A box text or a torn reply can happen to match its last byte once its odd
// characters read as 0; only whole hexadecimal bytes can be a reply.
bool IsWholeHexBytes(std::string_view reply) {
    return reply.size() % 2 == 0 && std::all_of(reply.begin(), reply.end(), IsHexDigit);
}

const char* BoolText(bool value) {
    return value ? "True" : "False";
}

// Reads the position word off the front of `body` into the records and writes
// its two Position page texts.
void DecodePositionWord(EncoderRecords records, HexReader& body, std::uint8_t receivedCrc,
                        PositionTexts& texts) {
    TEncoderPosition& pos = records.Position;
    const bool multiturn = records.Signature.Multiturn;
    std::uint32_t word = 0;
    if (multiturn) {
        // Missing digits read as all ones.
        word = static_cast<std::uint32_t>(body.Take(8, -1));
        pos.MTST_value = static_cast<std::int32_t>(word) >> 2;
        pos.MT_value = static_cast<std::int16_t>(static_cast<std::uint16_t>(word >> 16));
        pos.ST_value = (word >> 2) & static_cast<std::uint32_t>(pos.STmaxCount);
    } else {
        // Missing digits read as 0: count 0 with both flags active.
        word = static_cast<std::uint32_t>(body.Take(4, 0));
        pos.MT_value = 0;
        pos.ST_value = (word >> 2) & 16383u;
        pos.MTST_value = pos.ST_value;
    }
    const std::uint32_t flags = word & 3u;
    pos.ErrBit = (flags & 2u) == 0; // both flags are active low
    pos.WarnBit = (flags & 1u) == 0;
    pos.Position_unit = static_cast<double>(pos.MTST_value) * pos.Resolution_unit;

    std::string bin;
    std::string decoded;
    if (multiturn) {
        bin = Orodja::IntToBinStr(16, pos.MT_value) + " ";
        decoded = "Multiturn: " + std::to_string(pos.MT_value) + "\r\n";
    }
    bin += Orodja::IntToBinStr(14, pos.ST_value) + " " + Orodja::IntToBinStr(2, flags) + " " +
           Orodja::IntToBinStr(8, receivedCrc);
    decoded += "Singleturn: " + std::to_string(pos.ST_value) +
               "\r\nError: " + BoolText(pos.ErrBit) + "\r\nWarning: " + BoolText(pos.WarnBit);
    texts.RawBin = std::move(bin);
    texts.Decoded = std::move(decoded);
}

} // namespace

PositionTexts DecodeEncoderReply(EncoderRecords records, unsigned char& c, std::string_view reply) {
    PositionTexts texts;
    if (c == Velor_konstante::Cmd::PartNumber) {
        DecodePartNumberFrame(records.Signature, reply);
        return texts;
    }
    if (c == Velor_konstante::Cmd::Firmware) {
        DecodeFirmwareFrame(records.Signature, reply);
        return texts;
    }

    texts.Touched = true;
    texts.RawHex = std::string(reply);
    // The last two digits are the check byte; a reply shorter than that is all
    // check byte and has no body.
    const std::size_t crcAt = reply.size() >= 2 ? reply.size() - 2 : 0;
    const std::string_view body = reply.substr(0, crcAt);
    const auto receivedCrc = static_cast<std::uint8_t>(ParseHexDef(reply.substr(crcAt), 0));
    records.Position.ErrCRC = !IsWholeHexBytes(reply) || HexReplyCrc(body) != receivedCrc;

    if (records.Position.ErrCRC) {
        ForgiveFailedAuxReply(records, c);
        return texts;
    }
    // The payload is read from the body only, so a short reply gives the
    // fields' defaults rather than its check byte.
    HexReader rest(body);
    DecodePositionWord(records, rest, receivedCrc, texts);
    DecodePayload(records, c, rest);
    return texts;
}

} // namespace Velor
