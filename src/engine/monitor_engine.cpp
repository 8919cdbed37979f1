#include "engine/monitor_engine.h"

#include "encoder/encoder_transfer.h"
#include "interface/port_list.h"
#include "serial/Serial_driver.h"
#include "util/Orodja.h"

#include <algorithm>
#include <type_traits>

namespace Engine {

Colour StatusColour(Monitor::StatusColor status) {
    switch (status) {
    case Monitor::StatusColor::Error:
        return Colour::LightRed;
    case Monitor::StatusColor::Warning:
        return Colour::Orange;
    case Monitor::StatusColor::Good:
        break;
    }
    return Colour::Navy;
}

std::string DeviceText(std::string_view bytes, std::size_t max) {
    std::string text = Orodja::KeepPrintable(bytes);
    if (text.size() > max)
        text.resize(max);
    return text;
}

MonitorEngine::MonitorEngine(Environment env) : env_(std::move(env)) {
    Enable(Cycle::SearchInterface);
}

MonitorEngine::~MonitorEngine() {
    // Every row is already with the system; a failing close has nobody to tell.
    (void)ShraniFajl.Close();
}

void MonitorEngine::Handle(const Request& request) {
    if (RefusedDuringLinkTest(request))
        return;
    std::visit(
        [this](const auto& r) {
            using T = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<T, ShowPage>) {
                page_ = r.Page;
            } else if constexpr (std::is_same_v<T, SetReadInterval>) {
                readIntervalMs_ = std::clamp(r.Ms, 1, 10000);
                // A new interval restarts a running reading timer.
                if (enabled_ == Cycle::Read)
                    Restart(Cycle::Read);
            } else if constexpr (std::is_same_v<T, LogCommunication>) {
                logComm_ = r.On;
            } else if constexpr (std::is_same_v<T, SetSupply>) {
                if (r.On)
                    Supply5V();
                else
                    SupplyOff();
            } else if constexpr (std::is_same_v<T, SetSpiClock>) {
                SpiClock(std::clamp(r.ItemIndex, 0, 7));
            } else if constexpr (std::is_same_v<T, SetMagnetSize>) {
                EncoderSignature.RingMagnetSize = Orodja::StrToIntDef(Orodja::Trim(r.Text), 0);
            } else if constexpr (std::is_same_v<T, Engine::SendConfig>) {
                SendConfig(r);
            } else if constexpr (std::is_same_v<T, Engine::SetZeroHere>) {
                SetZeroHere();
            } else if constexpr (std::is_same_v<T, Engine::StartRecording>) {
                StartRecording(r);
            } else if constexpr (std::is_same_v<T, SetRecordingDuration>) {
                recordingDurationS_ = r.DurationS;
            } else if constexpr (std::is_same_v<T, Engine::StopRecording>) {
                StopRecording();
            } else if constexpr (std::is_same_v<T, RunLinkTest>) {
                StartLinkTest(r);
            } else if constexpr (std::is_same_v<T, StopLinkTest>) {
                if (linkTest_)
                    linkTest_->StopAsked = true;
            }
        },
        request);
}

bool MonitorEngine::RunDue() {
    if (enabled_ == Cycle::None || Now() < dueMs_)
        return false;
    switch (enabled_) {
    case Cycle::SearchInterface:
        SearchInterfaceTick();
        break;
    case Cycle::SearchEncoder:
        SearchEncoderTick();
        break;
    case Cycle::Read:
        (void)ReadTick();
        break;
    case Cycle::LinkTest:
        LinkTestTick();
        break;
    case Cycle::None:
        break;
    }
    return true;
}

std::optional<std::int64_t> MonitorEngine::DueMs() const {
    if (enabled_ == Cycle::None)
        return std::nullopt;
    return dueMs_;
}

int MonitorEngine::IntervalOf(Cycle cycle) const {
    switch (cycle) {
    case Cycle::SearchInterface:
        return SearchInterfaceMs;
    case Cycle::SearchEncoder:
        return SearchEncoderMs;
    case Cycle::Read:
        return readIntervalMs_;
    case Cycle::LinkTest:
    case Cycle::None:
        break;
    }
    return 0;
}

void MonitorEngine::Enable(Cycle cycle) {
    // Enabling the enabled cycle changes nothing, as with a running timer.
    if (enabled_ == cycle)
        return;
    Restart(cycle);
}

void MonitorEngine::Restart(Cycle cycle) {
    enabled_ = cycle;
    dueMs_ = Now() + IntervalOf(cycle);
}

int MonitorEngine::Exchange(std::string_view command, std::string& reply,
                            std::uint32_t expectedLength) {
    Publish();
    const int status =
        Serial_driver::InterfaceCommand(K730_H.get(), command, expectedLength, reply);
    // Said once while a device keeps sending over-long lines, not at every exchange.
    const bool overlong =
        status == Serial_driver::StatusTimeout && reply.size() >= Serial_driver::MaxReplyBytes;
    if (overlong && !overlongReplies_)
        Log("Reply longer than " + std::to_string(Serial_driver::MaxReplyBytes) + " bytes from " +
            Interface::PortDisplayName(portName_) + ": dropped to its end");
    overlongReplies_ = overlong;
    if (env_.OnExchange)
        env_.OnExchange({portName_, command, expectedLength, status, reply});
    return status;
}

void MonitorEngine::EncoderTransfer(unsigned char& c) {
    Velor::TransferTrace trace = Velor::EncoderTransferCore(
        [this](std::string_view frame, std::string& reply) { return Exchange(frame, reply); },
        {EncoderSignature, EncoderPosition, EncoderAuxData}, c);
    Transfer report;
    report.Exchanged = EncoderPosition.ErrComm == 0;
    report.CheckPassed = report.Exchanged && !EncoderPosition.ErrCRC;
    if (report.Exchanged) {
        if (trace.Texts.Touched)
            lastRawHex_ = trace.Texts.RawHex;
        report.Reply = DeviceText(trace.CleanedReply, MaxDeviceText);
        trace.Texts.RawHex = DeviceText(trace.Texts.RawHex, MaxDeviceText);
        report.Texts = std::move(trace.Texts);
        if (logComm_)
            Log("CMD:\t" + trace.Frame + "\tRX:\t" + report.Reply);
    }
    report.Frame = std::move(trace.Frame);
    Emit(std::move(report));
}

void MonitorEngine::SetBanner(std::string text, std::optional<Colour> font,
                              std::optional<Colour> panel) {
    bannerEmpty_ = text.empty();
    Emit(Banner{std::move(text), font, panel});
}

void MonitorEngine::Log(std::string text, bool scroll) {
    Emit(LogLine{std::move(text), scroll});
}

void MonitorEngine::ShowError(std::string text) {
    Emit(Message{true, std::move(text)});
}

void MonitorEngine::ReportCaption() {
    Emit(CaptionFields{K730Serijska, K730verzija, EncoderSignature.SerialNumber,
                       EncoderSignature.PartNumber});
}

void MonitorEngine::SetConnected(bool connected) {
    if (connected_ == connected)
        return;
    connected_ = connected;
    Emit(EncoderConnection{connected});
}

void MonitorEngine::Publish() const {
    if (env_.Publish)
        env_.Publish();
}

void MonitorEngine::Sleep(int ms) {
    Publish();
    env_.Clock->SleepMs(ms);
}

void MonitorEngine::Emit(Report report) const {
    if (env_.Sink)
        env_.Sink(std::move(report));
}

} // namespace Engine
