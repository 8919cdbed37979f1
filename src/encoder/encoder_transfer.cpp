#include "encoder/encoder_transfer.h"

#include "encoder/framing.h"
#include "serial/Serial_driver.h"

namespace Velor {

TransferTrace EncoderTransferCore(const ExchangeFunction& exchange, EncoderRecords records,
                                  unsigned char& c) {
    TransferTrace trace;
    trace.Frame = EncoderFrame(c, records.Signature.Multiturn);
    std::string reply;
    records.Position.ErrComm = exchange(trace.Frame, reply);
    // A failed exchange decodes nothing: ErrCRC keeps the previous reply's verdict.
    if (records.Position.ErrComm != Serial_driver::StatusOk)
        return trace;
    trace.CleanedReply = CleanReply(reply);
    trace.Texts = DecodeEncoderReply(records, c, trace.CleanedReply);
    return trace;
}

TransferTrace EncoderTransferCore(Serial_driver::SerialPort* port, EncoderRecords records,
                                  unsigned char& c) {
    return EncoderTransferCore(
        [port](std::string_view command, std::string& reply) {
            return Serial_driver::InterfaceCommand(port, command, 0, reply);
        },
        records, c);
}

} // namespace Velor
