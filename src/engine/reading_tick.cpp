// The reading cycle: one encoder command per tick, chosen by the open page;
// what the reply shows, and the hand-over when the box or encoder is lost.
#include "engine/monitor_engine.h"

#include "encoder/Velor_konstante.h"
#include "util/Orodja.h"

namespace Engine {

MonitorEngine::Tick MonitorEngine::ReadTick() {
    Disable();
    unsigned char c = Monitor::NextCommand(page_, LastCmd);
    const unsigned char sent = c;
    EncoderTransfer(c);

    if (EncoderPosition.ErrComm != 0) {
        LoseInterface();
        return Tick::Lost;
    }
    if (EncoderPosition.ErrCRC) {
        SetConnected(false);
        Emit(Lost{false});
        SetBanner("Encoder disconnected!");
        Log("Encoder disconnected!");
        Enable(Cycle::SearchEncoder);
        return Tick::Lost;
    }
    // The row first: a reading the window shows is already on disk.
    RecordingStep();
    ReportReading(c);
    Enable(Cycle::Read);
    if (Monitor::SupplyStatusDue(CycleCounterPower))
        UpdateSupplyStatus();
    // A failed auxiliary reply is forgiven and shown as nothing: its position
    // is the last good one.
    return c == sent ? Tick::Fresh : Tick::Skipped;
}

void MonitorEngine::LoseInterface() {
    SetConnected(false);
    Emit(Lost{true});
    SetBanner("Interface disconnected!");
    Log("Interface disconnected!");
    Enable(Cycle::SearchInterface);
}

void MonitorEngine::ReportReading(unsigned char c) {
    using namespace Velor_konstante;
    Reading r;
    r.Command = c;
    r.Position = EncoderPosition;
    r.Aux = EncoderAuxData;
    r.SerialNumber = EncoderSignature.SerialNumber;
    r.Multiturn = EncoderSignature.Multiturn;
    r.Status = Monitor::StatusOf(EncoderPosition.ErrBit, EncoderPosition.WarnBit);
    r.RawHex = DeviceText(lastRawHex_, MaxDeviceText);
    // The position label shows the position now; a search blinks from there.
    bannerEmpty_ = false;

    if (c == Cmd::DetailedStatus) {
        const std::uint32_t det = EncoderAuxData.DetStatus;
        if (det > 0xFF) {
            // Unreadable digits are no status byte: no lamp changes.
            r.DetailedStatusBits = "--------";
        } else {
            r.DetailedStatusBits = Orodja::IntToBinStr(8, det);
            const std::uint8_t bits =
                Monitor::StatusLatch{Encoder_Status_delay, CycleCounterStatus}.Add(det);
            const Colour status = StatusColour(r.Status);
            const std::pair<std::uint8_t, Colour> rules[] = {
                {0x80, status},         {0x40, status},      {0x20, Colour::Orange},
                {0x10, Colour::Orange}, {0x08, Colour::Red}, {0x02, Colour::Red},
                {0x01, Colour::Red}};
            StatusLamps lamps{};
            for (std::size_t i = 0; i < lamps.size(); ++i)
                lamps[i] = (bits & rules[i].first) ? rules[i].second : Colour::Grey;
            r.Lamps = lamps;
        }
    } else if (c == Cmd::CalibrationStatus) {
        const std::uint32_t cal = EncoderAuxData.CalStatus;
        // Unreadable digits (65535) would light every lamp: change none.
        if (cal <= 0xFF) {
            r.CalLamps = CalibrationLamps{(cal & 0x80) ? Colour::Lime : Colour::Grey,
                                          (cal & 0x08) ? Colour::Red : Colour::Grey,
                                          (cal & 0x04) ? Colour::Red : Colour::Grey};
            r.CalCounter = static_cast<int>(cal & 3);
        }
    }
    Emit(std::move(r));
}

} // namespace Engine
