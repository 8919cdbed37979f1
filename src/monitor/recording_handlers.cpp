// Position recording: "Record position to file" starts and stops a CSV file of
// every good reading; the reading tick adds the rows. A file that cannot be
// created, written or closed ends the recording with a message, and reading
// goes on.
#include "app/Velor_SPI_Main.h"
#include "app/widgets/spin_edit.h"
#include "util/number_format.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

// Seconds with exactly two decimals and the locale's separators, e.g.
// "1,234.50 seconds"; at most 8 significant digits survive the rounding.
QString ElapsedSecondsText(std::uint32_t elapsedMs) {
    const std::string fixed = Orodja::FormatFixed(elapsedMs / 1000.0, 8, 2);
    return QLocale().toString(QString::fromStdString(fixed).toDouble(), 'f', 2) +
           QStringLiteral(" seconds");
}

Monitor::LocalDateTime LocalNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return {now.date().year(), now.date().month(),  now.date().day(),
            now.time().hour(), now.time().minute(), now.time().second()};
}

} // namespace

void TMainForm::WireRecordingEvents() {
    // toggled, not clicked: the duration rule unticks the box from the tick.
    connect(cbShranjujMeritvePos, &QCheckBox::toggled, this, &TMainForm::cbShranjujMeritvePosClick);
}

void TMainForm::cbShranjujMeritvePosClick() {
    if (cbShranjujMeritvePos->isChecked())
        StartRecording();
    else
        StopRecording();
}

void TMainForm::StartRecording() {
    SetTimerEnabled(tmrReadEncoder, false);
    const std::string name =
        Monitor::RecordingFileName(EncoderSignature.PartNumber, EncoderSignature.SerialNumber,
                                   Monitor::RecordingTimestamp(LocalNow()));
    const QString folder = env_.RecordingFolder ? env_.RecordingFolder() : DefaultRecordingFolder();
    const QString path = QDir(folder).absoluteFilePath(QString::fromLatin1(name));
    recordingPath_ = QDir::toNativeSeparators(path);
    mmShranjujIme->setPlainText(recordingPath_);

    const Monitor::FileStatus opened = ShraniFajl.Open(QFile::encodeName(path).toStdString());
    if (opened.Ok)
        ShraniStartTick = env_.TickMs();
    else
        AbandonRecording(QStringLiteral("create"), opened);
    // Reading runs after a start whatever it did before, and after a failed one too.
    SetTimerEnabled(tmrReadEncoder, true);
}

void TMainForm::StopRecording() {
    // Nothing open: a failure has already ended this recording and said so.
    if (!ShraniFajl.IsOpen())
        return;
    const Monitor::FileStatus closed = ShraniFajl.Close();
    if (!closed.Ok) {
        AbandonRecording(QStringLiteral("close"), closed);
        return;
    }
    lblShraniElapsedTimeMs->setText(lblShraniElapsedTimeMs->text() + QStringLiteral("  FINISHED."));
}

void TMainForm::RecordPositionStep() {
    if (!ShraniFajl.IsOpen())
        return;
    const std::uint32_t elapsed = Monitor::ElapsedMs(ShraniStartTick, env_.TickMs());
    lblShraniElapsedTimeMs->setText(ElapsedSecondsText(elapsed));
    const Monitor::RecordingRow row{elapsed,
                                    lblEncPosRawHex->text().toLatin1().toStdString(),
                                    EncoderPosition.MT_value,
                                    EncoderPosition.ST_value,
                                    EncoderPosition.ErrBit,
                                    EncoderPosition.WarnBit};
    const Monitor::FileStatus written = ShraniFajl.WriteRow(row);
    if (!written.Ok) {
        AbandonRecording(QStringLiteral("write to"), written);
        return;
    }
    // Read anew at every row, so a change during the recording counts at once.
    if (Monitor::RecordingLimitPassed(seCasShranjevanja->Value(), elapsed))
        cbShranjujMeritvePos->setChecked(false);
}

void TMainForm::AbandonRecording(const QString& failedAction, const Monitor::FileStatus& status) {
    (void)ShraniFajl.Close(); // the first failure is the one worth reporting
    const QString text =
        QStringLiteral("Cannot %1 the recording file \"%2\": %3. "
                       "The recording has stopped.")
            .arg(failedAction, recordingPath_, QString::fromLocal8Bit(status.Reason.c_str()));
    // The stop that unticking runs finds nothing open and adds nothing.
    cbShranjujMeritvePos->setChecked(false);
    AddLog(text);
    ShowBox(true, text);
}

void TMainForm::CloseRecordingOnExit() {
    if (!ShraniFajl.IsOpen())
        return;
    // The window closes regardless; every row is already with the system.
    const Monitor::FileStatus closed = ShraniFajl.Close();
    if (!closed.Ok)
        AddLog(QStringLiteral("Cannot close the recording file \"%1\": %2.")
                   .arg(recordingPath_, QString::fromLocal8Bit(closed.Reason.c_str())));
}
