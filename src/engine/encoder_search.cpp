// The encoder search: tell single-turn from multiturn, identify the encoder,
// hand over to the reading cycle.
#include "engine/monitor_engine.h"

#include "encoder/Velor_konstante.h"
#include "util/Orodja.h"

namespace Engine {

void MonitorEngine::SearchEncoderTick() {
    using namespace Velor_konstante;
    Disable();
    SetBanner(bannerEmpty_ ? "Searching for encoder..." : "", Colour::Green, Colour::ButtonFace);
    UpdateSupplyStatus();

    Encoder_Status_delay = 0;
    CycleCounterStatus = 0;
    CycleCounterPower = 0;
    LastCmd = 0;
    EncoderLabels labels{"Part number: /", "Serial number: ", "Firmware version: /", "",
                         EncoderSignature.FWverStr};
    Emit(labels);
    EncoderSignature.FWverMajor = 0;
    EncoderPosition.Resolution_unit = ResolutionUnitDefault;
    EncoderPosition.STmaxCount = STmaxCountDefault;
    EncoderPosition.MTmaxCount = MTmaxCountDefault;
    EncoderSignature.Multiturn = false;

    // A reply cut or padded to the other kind's length still passes its 8-bit
    // check at about one shaft position in 256, and at a standstill it passes
    // every time. So a kind is taken only when a timestamp reply of the same
    // length passes too: the timestamp changes between requests.
    const auto tryKind = [this] {
        unsigned char c = Cmd::Position;
        EncoderTransfer(c);
        if (EncoderPosition.ErrComm == 0 && !EncoderPosition.ErrCRC) {
            c = Cmd::Timestamp;
            EncoderTransfer(c);
        }
    };
    tryKind();
    if (EncoderPosition.ErrComm != 0) {
        Enable(Cycle::SearchInterface);
        return;
    }
    if (EncoderPosition.ErrCRC) {
        EncoderSignature.Multiturn = true;
        tryKind();
    }
    if (EncoderPosition.ErrComm != 0) {
        Enable(Cycle::SearchInterface);
        return;
    }
    if (EncoderPosition.ErrCRC) {
        Enable(Cycle::SearchEncoder);
        return;
    }

    labels.Additional =
        std::string("Multiturn: ") + (EncoderSignature.Multiturn ? "True" : "False");
    unsigned char c = Cmd::SerialNumber;
    EncoderTransfer(c);
    labels.Serial = "Serial number: " + EncoderSignature.SerialNumber;
    c = Cmd::PartNumber;
    EncoderTransfer(c);
    const std::string& pn = EncoderSignature.PartNumber;
    if (pn.size() > 6) {
        labels.PartNumber = "Part number: " + pn;
        EncoderSignature.FWverMajor = 1;
        // Characters 11 and 12 of the part number name the ring magnet size.
        const std::string magnet = pn.size() > 10 ? pn.substr(10, 2) : "";
        Emit(MagnetSizeChosen{magnet});
        EncoderSignature.RingMagnetSize = Orodja::StrToIntDef(magnet, 0);
    }
    if (EncoderSignature.FWverMajor >= 1) {
        c = Cmd::Firmware;
        EncoderTransfer(c);
        labels.Firmware = "Firmware version: " + EncoderSignature.FWverStr;
    }
    labels.FirmwareVersion = EncoderSignature.FWverStr;
    Emit(std::move(labels));

    Log("Encoder found.");
    SetBanner("Encoder found.", Colour::Navy);
    ReportCaption();
    Emit(ExtendedCommandSet{EncoderSignature.FWverMajor >= 1});
    SetConnected(true);
    Enable(Cycle::Read);
}

} // namespace Engine
