#include "encoder/encoder_transfer.h"

namespace Velor {

bool SendEncoderCommandBytes(std::string_view commands,
                             const std::function<bool(unsigned char)>& transferOne,
                             const std::function<void(int)>& sleepMs) {
    for (char byte : commands) {
        // Bytes after a lost one would reach the encoder as a different command.
        if (transferOne(static_cast<unsigned char>(byte)))
            return false;
        sleepMs(CommandSpacingMs);
    }
    return true;
}

} // namespace Velor
