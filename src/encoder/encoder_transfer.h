#pragma once
// One encoder exchange through the box, without the window: frame, send, clean,
// decode. The window's EncoderTransfer adds the lamp, labels and log around it.

#include "encoder/Enkoderji_splosno.h"
#include "encoder/reply_decoder.h"
#include "serial/serial_port.h"

#include <functional>
#include <string>
#include <string_view>

namespace Velor {

/// What one transfer did, for the window's labels and communication log.
struct TransferTrace {
    std::string Frame;        ///< lblCmd
    std::string CleanedReply; ///< lblData; empty when the exchange failed
    PositionTexts Texts;      ///< only when the exchange succeeded
};

/// One command and its CR-terminated reply; returns InterfaceCommand's status.
using ExchangeFunction = std::function<int(std::string_view command, std::string& reply)>;

/// Sends EncoderFrame(c) through `exchange`, stores the status in
/// Position.ErrComm, and on success decodes the cleaned reply (c may come back
/// as 255).
TransferTrace EncoderTransferCore(const ExchangeFunction& exchange, EncoderRecords records,
                                  unsigned char& c);

/// The same, with InterfaceCommand on `port`.
TransferTrace EncoderTransferCore(Serial_driver::SerialPort* port, EncoderRecords records,
                                  unsigned char& c);

/// True when a transfer did not get its byte through: the exchange failed
/// (ErrComm != 0) or its reply failed the check (ErrCRC).
[[nodiscard]] inline bool TransferFailed(const TEncoderPosition& position) {
    return position.ErrComm != 0 || position.ErrCRC;
}

/// The loop of SendEncoderCommands: each byte of `commands` through
/// `transferOne` (which returns TransferFailed for that transfer), `sleepMs(50)`
/// after each good one. Returns false at the first failed byte, the rest unsent.
[[nodiscard]] bool SendEncoderCommandBytes(std::string_view commands,
                                           const std::function<bool(unsigned char)>& transferOne,
                                           const std::function<void(int)>& sleepMs);

/// Spacing between the bytes of a configuration sequence.
inline constexpr int CommandSpacingMs = 50;

} // namespace Velor
