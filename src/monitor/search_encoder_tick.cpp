// tmrSearchEncoderTimer: find the encoder behind the box, tell single-turn from
// multiturn, identify it, and hand over to the reading cycle.
#include "app/Velor_SPI_Main.h"
#include "app/window_colors.h"
#include "encoder/Velor_konstante.h"
#include "util/Orodja.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>

void TMainForm::cbbMagnetSizeChange() {
    EncoderSignature.RingMagnetSize =
        Orodja::StrToIntDef(cbbMagnetSize->currentText().trimmed().toStdString(), 0);
}

void TMainForm::tmrSearchEncoderTimer() {
    using namespace Velor_konstante;
    SetTimerEnabled(tmrSearchInterface, false);
    SetTimerEnabled(tmrSearchEncoder, false);
    WindowColors::SetFontColor(lblPosUnit, WindowColors::Green);
    pnlPosition->setPalette(QPalette(WindowColors::ButtonFace()));
    lblPosUnit->setText(lblPosUnit->text().isEmpty() ? QStringLiteral("Searching for encoder...")
                                                     : QString());
    lblPosUnit->repaint();
    UpdateSupplyStatus();

    Encoder_Status_delay = 0;
    CycleCounterStatus = 0;
    CycleCounterPower = 0;
    LastCmd = 0;
    lblEncPartNumber->setText(QStringLiteral("Part number: /"));
    lblEncSerial->setText(QStringLiteral("Serial number: "));
    lblEncFirmware->setText(QStringLiteral("Firmware version: /"));
    lblEncAdditional->clear();
    EncoderSignature.FWverMajor = 0;
    EncoderPosition.Resolution_unit = ResolutionUnitDefault;
    EncoderPosition.STmaxCount = STmaxCountDefault;
    EncoderPosition.MTmaxCount = MTmaxCountDefault;
    EncoderSignature.Multiturn = false;

    // A reply cut or padded to the other kind's length still passes its 8-bit
    // check at about one shaft position in 256, and at a standstill it passes
    // every time. So a kind is taken only when a timestamp reply of the same
    // length passes too: the timestamp changes between requests.
    auto tryKind = [this] {
        unsigned char c = Cmd::Position;
        EncoderTransfer(c);
        if (EncoderPosition.ErrComm == 0 && !EncoderPosition.ErrCRC) {
            c = Cmd::Timestamp;
            EncoderTransfer(c);
        }
    };
    tryKind();
    if (EncoderPosition.ErrComm != 0) {
        SetTimerEnabled(tmrSearchInterface, true);
        return;
    }
    if (EncoderPosition.ErrCRC) {
        EncoderSignature.Multiturn = true;
        tryKind();
    }
    if (EncoderPosition.ErrComm != 0) {
        SetTimerEnabled(tmrSearchInterface, true);
        return;
    }
    if (EncoderPosition.ErrCRC) {
        SetTimerEnabled(tmrSearchEncoder, true);
        return;
    }

    lblEncAdditional->setText(QStringLiteral("Multiturn: ") + (EncoderSignature.Multiturn
                                                                   ? QStringLiteral("True")
                                                                   : QStringLiteral("False")));
    unsigned char c = Cmd::SerialNumber;
    EncoderTransfer(c);
    lblEncSerial->setText(QStringLiteral("Serial number: ") +
                          QString::fromLatin1(EncoderSignature.SerialNumber));
    c = Cmd::PartNumber;
    EncoderTransfer(c);
    const std::string& pn = EncoderSignature.PartNumber;
    if (pn.size() > 6) {
        lblEncPartNumber->setText(QStringLiteral("Part number: ") + QString::fromLatin1(pn));
        EncoderSignature.FWverMajor = 1;
        // Characters 11 and 12 of the part number name the ring magnet size.
        cbbMagnetSize->setEditText(QString::fromLatin1(pn.size() > 10 ? pn.substr(10, 2) : ""));
        cbbMagnetSizeChange();
    }
    if (EncoderSignature.FWverMajor >= 1) {
        c = Cmd::Firmware;
        EncoderTransfer(c);
        lblEncFirmware->setText(QStringLiteral("Firmware version: ") +
                                QString::fromStdString(EncoderSignature.FWverStr));
    }

    AddLog(QStringLiteral("Encoder found."));
    WindowColors::SetFontColor(lblPosUnit, WindowColors::Navy);
    lblPosUnit->setText(QStringLiteral("Encoder found."));
    UpdateCaption();
    const bool extended = EncoderSignature.FWverMajor >= 1;
    lblSelfCalNote->setVisible(!extended);
    grpSelfCalStatusLights->setVisible(extended);
    grpAirGap->setVisible(extended);
    SetTimerEnabled(tmrReadEncoder, true);
}
