#include "encoder/payload_decoders.h"

#include "encoder/Velor_konstante.h"
#include "encoder/air_gap.h"
#include "util/Orodja.h"

#include <cstdint>
#include <string>

namespace Velor {

namespace Cmd = Velor_konstante::Cmd;

namespace {
// The 16-bit pattern of a field read back as a signed number.
std::int16_t Signed16(std::int64_t field) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(field));
}
} // namespace

void DecodePayload(EncoderRecords records, unsigned char c, HexReader& payload) {
    TEncoderAuxData& aux = records.Aux;
    switch (c) {
    case Cmd::DetailedStatus:
        aux.DetStatus = static_cast<std::uint32_t>(payload.Take(2, 65535));
        break;
    case Cmd::CalibrationStatus:
        aux.CalStatus = static_cast<std::uint32_t>(payload.Take(2, 65535));
        break;
    case Cmd::Timestamp:
        records.Position.Timestamp = static_cast<std::uint32_t>(payload.Take(4, 65535));
        break;
    case Cmd::Temperature:
        aux.Temperature_value = Signed16(payload.Take(4, -1));
        break;
    case Cmd::Speed:
        aux.Speed_value = Signed16(payload.Take(4, -1));
        aux.Speed_real = aux.Speed_value;
        break;
    case Cmd::SignalLevel:
        aux.SignalLevel = static_cast<std::int32_t>(payload.Take(4, -1));
        EstimateAirGap(records.Signature, aux);
        break;
    case Cmd::SerialNumber: {
        std::string text;
        for (int i = 0; i < 6; ++i)
            text.push_back(static_cast<char>(payload.Take(2, ' ')));
        records.Signature.SerialNumber = Orodja::KeepAlphanumeric(text);
        break;
    }
    default:
        break;
    }
}

bool ForgiveFailedAuxReply(EncoderRecords records, unsigned char& c) {
    if (c == Cmd::SignalLevel)
        records.Aux.SignalLevel = 0; // AirGap keeps its last value
    else if (c == Cmd::CalibrationStatus)
        records.Aux.CalStatus = 0;
    else
        return false;
    records.Position.ErrCRC = false;
    c = Cmd::Skipped;
    return true;
}

void DecodePartNumberFrame(TEncoderSignature& signature, std::string_view reply) {
    HexReader frame(reply);
    frame.Skip(4);
    std::string text;
    while (frame.Remaining() >= 2)
        text.push_back(static_cast<char>(frame.Take(2, 0)));
    signature.PartNumber = Orodja::KeepAlphanumeric(text);
}

void DecodeFirmwareFrame(TEncoderSignature& signature, std::string_view reply) {
    HexReader frame(reply);
    frame.Skip(4);
    signature.FWverMajor = static_cast<std::uint32_t>(frame.Take(2, 0));
    signature.FWverMinor = static_cast<std::uint32_t>(frame.Take(2, 0));
    signature.FWverComm = static_cast<std::uint32_t>(frame.Take(2, 0));
    signature.FWverSVN = static_cast<std::uint32_t>(frame.Take(4, 0));
    signature.FWverStr =
        std::to_string(signature.FWverMajor) + "." + std::to_string(signature.FWverMinor) + "." +
        std::to_string(signature.FWverComm) + "." + std::to_string(signature.FWverSVN);
}

} // namespace Velor
