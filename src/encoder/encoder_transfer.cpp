#include "encoder/encoder_transfer.h"

#include "encoder/framing.h"
#include "serial/Serial_driver.h"

namespace Velor {

TransferTrace EncoderTransferCore(Serial_driver::SerialPort* port, EncoderRecords records,
                                  unsigned char& c) {
    TransferTrace trace;
    trace.Frame = EncoderFrame(c, records.Signature.Multiturn);
    std::string reply;
    records.Position.ErrComm = Serial_driver::InterfaceCommand(port, trace.Frame, 0, reply);
    // A failed exchange decodes nothing: ErrCRC keeps the previous reply's verdict.
    if (records.Position.ErrComm != Serial_driver::StatusOk)
        return trace;
    trace.CleanedReply = CleanReply(reply);
    trace.Texts = DecodeEncoderReply(records, c, trace.CleanedReply);
    return trace;
}

} // namespace Velor
