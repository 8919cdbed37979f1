// DecodeEncoderReply and CleanReply on any bytes a box could send. Input: byte 0
// is the command character, byte 1 the flags (bit 0 multiturn, bits 1-3 the
// ring magnet size), the rest the reply text.
#include "encoder/Velor_konstante.h"
#include "encoder/framing.h"
#include "encoder/reply_decoder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::int32_t MagnetSizes[8] = {0, 12, 16, 22, 30, 14, -12, 1000};

bool IsClean(std::string_view text) {
    if (!text.empty() && (static_cast<unsigned char>(text.front()) <= 32 ||
                          static_cast<unsigned char>(text.back()) <= 32))
        return false;
    for (char ch : text)
        if (ch == ' ' || (ch >= 'a' && ch <= 'z'))
            return false;
    return true;
}

// Decodes on fresh records, as the search leaves them, and checks what every
// decoded reply must satisfy whatever its bytes.
void DecodeAndCheck(unsigned char asked, std::uint8_t flags, std::string_view reply) {
    TEncoderSignature signature;
    TEncoderPosition position;
    TEncoderAuxData aux;
    signature.Multiturn = (flags & 1u) != 0;
    signature.RingMagnetSize = MagnetSizes[(flags >> 1) & 7u];
    position.Resolution_unit = Velor_konstante::ResolutionUnitDefault;
    position.STmaxCount = Velor_konstante::STmaxCountDefault;

    unsigned char c = asked;
    const Velor::PositionTexts texts =
        Velor::DecodeEncoderReply(EncoderRecords{signature, position, aux}, c, reply);

    const bool forgivable = asked == 'a' || asked == 'i';
    if (c != asked && !(forgivable && c == Velor_konstante::Cmd::Skipped))
        __builtin_trap();
    // The position texts come together, and only from a reply that passed.
    const bool decoded = texts.Decoded.has_value();
    if (decoded != !texts.RawBin.empty() || (decoded && (!texts.Touched || position.ErrCRC)))
        __builtin_trap();
    if (!decoded)
        return;
    if (c != asked)
        __builtin_trap();
    if (position.ST_value > 16383u)
        __builtin_trap();
    if (position.MTST_value != std::int64_t{position.MT_value} * 16384 + position.ST_value)
        __builtin_trap();
    if (!signature.Multiturn && position.MT_value != 0)
        __builtin_trap();
    if (texts.RawBin.size() != (signature.Multiturn ? 43u : 26u))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const unsigned char c = data[0];
    const std::uint8_t flags = data[1];
    const std::string_view raw(reinterpret_cast<const char*>(data + 2), size - 2);

    DecodeAndCheck(c, flags, raw);
    // The path of a real exchange: the box's bytes cleaned, then decoded.
    const std::string cleaned = Velor::CleanReply(raw);
    if (!IsClean(cleaned) || cleaned.size() > raw.size())
        __builtin_trap();
    DecodeAndCheck(c, flags, cleaned);
    return 0;
}
