#include "monitor/reading_tally.h"

#include "encoder/Velor_konstante.h"

namespace Monitor {

void ReadingTally::Add(unsigned char command, const TEncoderPosition& position,
                       const TEncoderAuxData& aux) {
    using namespace Velor_konstante;
    if (command == Cmd::Skipped)
        return;
    ++readings_;
    // Every reply carries the position word, so every reading has both bits.
    if (position.ErrBit)
        ++errors_;
    if (position.WarnBit)
        ++warnings_;
    position_ = position.Position_unit;
    switch (command) {
    case Cmd::DetailedStatus:
        // Digits that were not hexadecimal give no status byte.
        if (aux.DetStatus > 0xFF)
            break;
        ++statusReadings_;
        for (std::size_t i = 0; i < DetailedStatusFlags.size(); ++i)
            if (aux.DetStatus & DetailedStatusFlags[i].Mask)
                ++flagCounts_[i];
        break;
    case Cmd::Temperature:
        temperature_ = aux.Temperature_value / 10.0;
        break;
    case Cmd::Speed:
        speed_ = aux.Speed_value / 10.0;
        break;
    case Cmd::SignalLevel:
        signalLevel_ = aux.SignalLevel;
        airGap_ = aux.AirGap;
        break;
    default:
        break;
    }
}

} // namespace Monitor
