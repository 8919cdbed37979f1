#pragma once
// The second half of DecodeEncoderReply: what follows the position word, the two
// identification frames without a check byte, and the failed 'a'/'i' replies.

#include "encoder/Enkoderji_splosno.h"
#include "encoder/hex_field.h"

#include <string_view>

namespace Velor {

/// After a passed check: the payload of command c ('d','i','T','t','s','a','v');
/// `payload` starts behind the position word and holds no check byte.
void DecodePayload(EncoderRecords records, unsigned char c, HexReader& payload);

/// After a failed check of an 'a' or 'i' reply: zero its field, clear ErrCRC and
/// set c to 255 so the reading cycle neither shows it nor reports a lost encoder.
/// Returns false (and does nothing) for every other command.
bool ForgiveFailedAuxReply(EncoderRecords records, unsigned char& c);

/// 'p': 2 bytes skipped, then the part-number characters, letters and digits kept.
void DecodePartNumberFrame(TEncoderSignature& signature, std::string_view reply);

/// 'f': 2 bytes skipped, major, minor, comm (1 byte each), svn (2 bytes).
void DecodeFirmwareFrame(TEncoderSignature& signature, std::string_view reply);

} // namespace Velor
