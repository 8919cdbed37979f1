#pragma once
// DecodeEncoderReply: a cleaned hex reply into the records, plus the texts the
// Position page shows. Pure: no window, no globals beyond the records given.

#include "encoder/Enkoderji_splosno.h"

#include <optional>
#include <string>
#include <string_view>

namespace Velor {

/// Texts of the Position page that a decoded reply sets.
struct PositionTexts {
    bool Touched = false;  ///< false for 'p' and 'f': the labels stay as they were
    std::string RawHex;    ///< lblEncPosRawHex: the whole cleaned reply
    std::string RawBin;    ///< lblEncPosRawBin: binary groups, empty on a CRC failure
    std::optional<std::string> Decoded; ///< lblEncPosRawDecoded; unset: unchanged
};

/// Decodes `reply` (upper-case hex, no blanks) for command byte `c` into the
/// records; replaces c by 255 after a failed 'a' or 'i'. Any input is safe.
[[nodiscard]] PositionTexts DecodeEncoderReply(EncoderRecords records, unsigned char& c,
                                               std::string_view reply);

} // namespace Velor
