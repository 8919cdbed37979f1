// EncoderTransfer and SendEncoderCommands as the window runs them: the core
// transfer plus the communication lamp, the Comms labels, the log and the
// Position page's raw-data labels.
#include "app/Velor_SPI_Main.h"
#include "app/widgets/lamp_panel.h"
#include "app/window_colors.h"
#include "encoder/encoder_transfer.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimer>

void TMainForm::EncoderTransfer(unsigned char& c) {
    pnlCommActive->SetColor(pnlCommActive->Color() == WindowColors::Lime ? WindowColors::Green
                                                                         : WindowColors::Lime);
    const Velor::TransferTrace trace =
        Velor::EncoderTransferCore(K730_H.get(), GlobalEncoderRecords(), c);
    lblCmd->setText(QString::fromLatin1(trace.Frame));
    if (EncoderPosition.ErrComm != 0)
        return;
    lblData->setText(QString::fromLatin1(trace.CleanedReply));
    if (trace.Texts.Touched) {
        lblEncPosRawHex->setText(QString::fromLatin1(trace.Texts.RawHex));
        lblEncPosRawBin->setText(QString::fromLatin1(trace.Texts.RawBin));
        if (trace.Texts.Decoded)
            lblEncPosRawDecoded->setText(QString::fromLatin1(*trace.Texts.Decoded));
    }
    if (cbLogComm->isChecked())
        AddLog(QStringLiteral("CMD:\t") + lblCmd->text() + QStringLiteral("\tRX:\t") +
               lblData->text());
}

bool TMainForm::SendEncoderCommands(const std::string& commands) {
    const bool readingWasEnabled = tmrReadEncoder->isActive();
    const bool sent = Velor::SendEncoderCommandBytes(
        commands,
        [this](unsigned char byte) {
            EncoderTransfer(byte);
            return Velor::TransferFailed(EncoderPosition);
        },
        env_.SleepMs);
    if (!sent) {
        const QString text = QStringLiteral("Error sending command to the encoder!");
        AddLog(text);
        ShowBox(true, text);
    }
    SetTimerEnabled(tmrReadEncoder, readingWasEnabled);
    return sent;
}
