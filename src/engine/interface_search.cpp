// The interface search: find the K730-6W among the candidate ports, run its
// handshake and hand over to the encoder search; and the box's supply and
// clock commands, which the handshake runs too.
#include "engine/monitor_engine.h"

#include "interface/handshake.h"
#include "interface/k730_commands.h"
#include "interface/port_list.h"
#include "serial/Serial_driver.h"
#include "util/Orodja.h"

namespace Engine {

void MonitorEngine::SearchInterfaceTick() {
    Disable();
    SetConnected(false);
    Emit(InterfaceInfo{});
    K730_H.reset();
    SetBanner(bannerEmpty_ ? "Searching for interface..." : "", Colour::Orange, Colour::ButtonFace);

    std::string port;
    const bool found = ProbePorts(port);
    Emit(SearchPassEnded{});
    if (stopping_)
        return;
    if (!found) {
        Enable(Cycle::SearchInterface);
        return;
    }
    Handshake(port);
}

bool MonitorEngine::ProbePorts(std::string& foundPort) {
    const std::vector<std::string> COMPorts =
        env_.ListPorts ? env_.ListPorts() : std::vector<std::string>{};
    for (const std::string& port : COMPorts) {
        if (stopping_)
            return false;
        Serial_driver::OpenError error = Serial_driver::OpenError::None;
        K730_H = env_.Opener->Open(port, error);
        if (!K730_H) {
            // The only thing worth telling: a port we may not open, once per run.
            if (error == Serial_driver::OpenError::PermissionDenied && !permissionReported_) {
                permissionReported_ = true;
                Log("No permission to open " + port +
                    ": add the user to the group that owns it (usually dialout) and log in again.");
            }
            continue;
        }
        if (!K730_H->SaveSettings() || !K730_H->ApplySettings()) {
            K730_H.reset();
            continue;
        }
        portName_ = port;
        const int status = Exchange(K730::Identify, K730identifikacija, K730::IdentifyReplyLength);
        if (K730::IsIdentification(status, K730identifikacija)) {
            // The probe ends at the 7th byte; the rest of the line belongs to
            // it, not to the next command's reply.
            if (K730identifikacija.find('\r') == std::string::npos) {
                std::string tail;
                (void)Exchange("", tail);
                K730identifikacija += tail;
            }
            Log("Interface found on " + Interface::PortDisplayName(port));
            foundPort = port;
            return true;
        }
        (void)K730_H->RestoreSettings();
        K730_H.reset();
    }
    return false;
}

void MonitorEngine::Handshake(const std::string& port) {
    std::string reply;
    (void)Exchange(K730::FirmwareRevision, reply);
    K730RevizijaFW = K730::ParseFirmwareRevision(reply);
    K730identifikacija = DeviceText(K730identifikacija, MaxDeviceText);
    K730verzija = K730::VersionText(K730identifikacija, K730RevizijaFW);
    K730Serijska.clear();
    (void)Exchange(K730::SerialNumber, K730Serijska);
    K730Serijska = Orodja::KeepAlphanumeric(DeviceText(K730Serijska, MaxDeviceText));
    Emit(InterfaceInfo{Interface::PortDisplayName(port),
                       K730identifikacija + "." + std::to_string(K730RevizijaFW),
                       "Serial: " + K730Serijska});
    ReportCaption();

    struct Setup {
        std::string_view Command;
        const char* Prefix;
    };
    const Setup setup[] = {{K730::ProtocolSetup, "Protocol settings: "},
                           {K730::SpiSetup1, "SPI settings: "},
                           {K730::SpiSetup2, "SPI settings: "}};
    for (const Setup& step : setup) {
        const int status = Exchange(step.Command, reply);
        const std::string printable = DeviceText(reply, MaxDeviceText);
        const std::string message =
            "Interface error: " + std::string(step.Command) + " -> " + printable;
        if (status != Serial_driver::StatusOk)
            ShowError(message);
        if (K730::IsRefusal(reply))
            ShowError(message);
        Log(step.Prefix + printable, &step == &setup[2]);
    }

    Emit(ClockSelected{K730::DefaultClockIndex});
    SpiClock(K730::DefaultClockIndex);
    Supply5V();
    UpdateSupplyStatus();
    SetBanner("Searching for encoder...", Colour::Green);
    Enable(Cycle::SearchEncoder);
}

namespace {
std::string SupplyError(std::string_view command, const std::string& reply) {
    return "Error setting power supply! (" + std::string(command) + ") -> (" +
           DeviceText(reply, MonitorEngine::MaxDeviceText) + ")";
}
} // namespace

void MonitorEngine::Supply5V() {
    std::string reply;
    (void)Exchange(K730::Supply5V, reply);
    if (!std::string_view(reply).starts_with(K730::Supply5V))
        ShowError(SupplyError(K730::Supply5V, reply));
    std::string onReply;
    (void)Exchange(K730::SupplyOn, onReply);
    if (!std::string_view(onReply).starts_with(K730::SupplyOnReply))
        ShowError(SupplyError(K730::SupplyOn, onReply));
    Sleep(K730::SupplySettleMs);
}

void MonitorEngine::SupplyOff() {
    std::string reply;
    (void)Exchange(K730::SupplyOff, reply);
    if (!std::string_view(reply).starts_with(K730::SupplyOffReply))
        ShowError(SupplyError(K730::SupplyOff, reply));
    Sleep(K730::SupplySettleMs);
}

void MonitorEngine::SpiClock(int itemIndex) {
    clockItemIndex_ = itemIndex;
    const int d = itemIndex + 1;
    std::string reply;
    int status = Exchange(K730::ClockCommand(itemIndex), reply);
    if (status == Serial_driver::StatusOk) {
        status = Exchange(K730::SpiClockQuery, reply);
        if (status == Serial_driver::StatusOk) {
            reply = Orodja::Trim(reply);
            Log("SPI frequency: " + DeviceText(reply, MaxDeviceText), false);
        }
    }
    // Whatever the last exchange left: nothing at all is the failure.
    if (reply.empty())
        ShowError("SPI Frequency setting " + std::to_string(d) + " failed!");
}

void MonitorEngine::UpdateSupplyStatus() {
    if (page_ != Monitor::Page::SystemConfig)
        return;
    std::string reply;
    (void)Exchange(K730::SupplyStatus, reply);
    Emit(SupplyStatus{DeviceText(reply, MaxDeviceText)});
}

bool MonitorEngine::SelectClockQuietly(int clock) {
    std::string reply;
    if (Exchange(K730::ClockCommand(clock - 1), reply) != Serial_driver::StatusOk)
        return false;
    reply.clear();
    return Exchange(K730::SpiClockQuery, reply) == Serial_driver::StatusOk;
}

} // namespace Engine
