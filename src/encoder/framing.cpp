#include "encoder/framing.h"

#include "encoder/Velor_konstante.h"
#include "util/Orodja.h"

namespace Velor {

namespace {
// Position word (2 bytes) plus the payload of the command, CRC not counted.
int BaseLength(unsigned char c) {
    namespace Cmd = Velor_konstante::Cmd;
    switch (c) {
    case Cmd::Timestamp:
    case Cmd::SignalLevel:
    case Cmd::Speed:
    case Cmd::Temperature:
        return 4;
    case Cmd::DetailedStatus:
    case Cmd::CalibrationStatus:
        return 3;
    case Cmd::SerialNumber:
        return 8;
    default:
        return 2;
    }
}
} // namespace

std::string ZeroPadNumber(std::int32_t value, std::int32_t width) {
    std::string text = std::to_string(value);
    if (width >= 1 && width <= 6 && text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}

int ReplyLength(unsigned char c, bool multiturn) {
    // The identification frames have one layout for both kinds of encoder.
    if (c == Velor_konstante::Cmd::PartNumber)
        return 18;
    if (c == Velor_konstante::Cmd::Firmware)
        return 7;
    return BaseLength(c) + (multiturn ? 2 : 0) + 1;
}

std::string EncoderFrame(unsigned char c, bool multiturn) {
    std::string frame = "?";
    frame += ZeroPadNumber(ReplyLength(c, multiturn), 2);
    frame += ':';
    frame += ZeroPadNumber(c, 3);
    return frame;
}

std::string CleanReply(std::string_view raw) {
    return Orodja::UpperCase(Orodja::RemoveSpaces(raw));
}

} // namespace Velor
