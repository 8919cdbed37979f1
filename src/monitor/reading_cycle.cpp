#include "monitor/reading_cycle.h"

#include "encoder/Velor_konstante.h"

namespace Monitor {

unsigned char NextCommand(Page page, std::uint8_t& lastCmd) {
    using namespace Velor_konstante::Cmd;
    switch (page) {
    case Page::Identification:
        return SerialNumber;
    case Page::Status:
        ++lastCmd;
        switch (lastCmd) {
        case 1:
            return DetailedStatus;
        case 2:
            return Temperature;
        case 3:
            return Speed;
        case 4:
            return Timestamp;
        default:
            break;
        }
        lastCmd = 0;
        return Position;
    case Page::Installation:
        ++lastCmd;
        switch (lastCmd) {
        case 1:
            return CalibrationStatus;
        case 2:
            return SignalLevel;
        default:
            break;
        }
        lastCmd = 0;
        return Position;
    case Page::SystemConfig:
    case Page::Other:
        break;
    }
    return Position;
}

StatusColor StatusOf(bool errBit, bool warnBit) {
    if (errBit)
        return StatusColor::Error;
    return warnBit ? StatusColor::Warning : StatusColor::Good;
}

std::uint8_t StatusLatch::Add(std::uint32_t detStatus) {
    if (detStatus > 0xFF)
        return Bits;
    Bits = static_cast<std::uint8_t>(Bits | detStatus);
    const std::uint8_t shown = Bits;
    if (++ReplyCount > 10) {
        ReplyCount = 0;
        Bits = 0;
    }
    return shown;
}

bool SupplyStatusDue(std::uint16_t& cycleCounterPower) {
    if (++cycleCounterPower > 20) {
        cycleCounterPower = 0;
        return true;
    }
    return false;
}

} // namespace Monitor
