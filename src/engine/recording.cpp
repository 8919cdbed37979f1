// Position recording: a CSV row for every good reading, written here on the
// engine's thread, so a busy window never delays or drops one. A file that
// cannot be created, written or closed ends the recording with a message, and
// reading goes on.
#include "engine/monitor_engine.h"

#include <filesystem>

namespace Engine {

namespace {
std::uint32_t Tick32(std::int64_t ms) {
    return static_cast<std::uint32_t>(ms);
}
} // namespace

void MonitorEngine::StartRecording(const Engine::StartRecording& request) {
    recordingDurationS_ = request.DurationS;
    const std::string name = Monitor::RecordingFileName(
        EncoderSignature.PartNumber, EncoderSignature.SerialNumber,
        Monitor::RecordingTimestamp(env_.LocalNow ? env_.LocalNow() : Monitor::LocalDateTime{}));
    const std::string path = Monitor::UnusedRecordingPath(request.Folder, name);
    Emit(RecordingPath{path});
    const Monitor::FileStatus opened = ShraniFajl.Open(path);
    if (opened.Ok)
        ShraniStartTick = Tick32(Now());
    else
        AbandonRecording("create", opened);
    // A start restarts a running reading timer, as it always has.
    if (enabled_ == Cycle::Read)
        Restart(Cycle::Read);
}

void MonitorEngine::StopRecording() {
    // Nothing open: a failure has already ended this recording and said so.
    if (!ShraniFajl.IsOpen())
        return;
    const Monitor::FileStatus closed = ShraniFajl.Close();
    if (!closed.Ok) {
        AbandonRecording("close", closed);
        return;
    }
    Emit(RecordingEnded{false});
}

void MonitorEngine::RecordingStep() {
    if (!ShraniFajl.IsOpen())
        return;
    const std::uint32_t elapsed = Monitor::ElapsedMs(ShraniStartTick, Tick32(Now()));
    Emit(RecordingRow{elapsed});
    const Monitor::FileStatus written = ShraniFajl.WriteRow(
        {elapsed, lastRawHex_, EncoderPosition.MT_value, EncoderPosition.ST_value,
         EncoderPosition.ErrBit, EncoderPosition.WarnBit});
    if (!written.Ok) {
        AbandonRecording("write to", written);
        return;
    }
    if (Monitor::RecordingLimitPassed(recordingDurationS_, elapsed))
        StopRecording();
}

void MonitorEngine::AbandonRecording(std::string_view failedAction,
                                     const Monitor::FileStatus& status) {
    (void)ShraniFajl.Close(); // the first failure is the one worth reporting
    const std::string text = "Cannot " + std::string(failedAction) + " the recording file \"" +
                             ShraniFajl.Path() + "\": " + status.Reason +
                             ". The recording has stopped.";
    Emit(RecordingEnded{true});
    Log(text);
    ShowError(text);
}

} // namespace Engine
