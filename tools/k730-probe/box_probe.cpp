#include "box_probe.h"

#include "encoder/Enkoderji_splosno.h"
#include "encoder/Velor_konstante.h"
#include "encoder/encoder_transfer.h"
#include "interface/handshake.h"
#include "interface/k730_commands.h"
#include "interface/port_list.h"
#include "serial/Serial_driver.h"
#include "util/Orodja.h"

#include <cstdio>

namespace K730Probe {
namespace {

using Serial_driver::InterfaceCommand;
using Serial_driver::OpenError;

const char* OpenErrorText(OpenError error) {
    switch (error) {
    case OpenError::NotFound:
        return "not found";
    case OpenError::Busy:
        return "in use by another program";
    case OpenError::PermissionDenied:
        return "permission denied";
    default:
        return "cannot be opened";
    }
}

// What the window would complain about in this reply; empty when nothing.
std::string ProblemOf(std::string_view command, int status, const std::string& reply) {
    if (status != Serial_driver::StatusOk) {
        return "exchange failed (status " + std::to_string(status) + ")";
    }
    if (command == K730::ProtocolSetup || command == K730::SpiSetup1 ||
        command == K730::SpiSetup2) {
        return K730::IsRefusal(reply) ? "the box refused it" : "";
    }
    if (command == K730::SpiClockQuery && Orodja::Trim(reply).empty()) {
        return "empty clock read-back";
    }
    if (command == K730::Supply5V && !std::string_view(reply).starts_with(K730::Supply5V)) {
        return "reply does not begin with V5";
    }
    if (command == K730::SupplyOn && !std::string_view(reply).starts_with(K730::SupplyOnReply)) {
        return "reply does not begin with ON";
    }
    return "";
}

void Print(std::ostream& out, const Exchange& exchange) {
    const std::size_t width = 5;
    const std::size_t pad = exchange.Command.size() < width ? width - exchange.Command.size() : 0;
    out << "  " << exchange.Command << std::string(pad, ' ') << " -> " << Quoted(exchange.Reply)
        << "  status " << exchange.Status;
    out << (exchange.Problem.empty() ? "  ok" : "  PROBLEM: " + exchange.Problem) << '\n';
}

} // namespace

std::string Quoted(std::string_view bytes) {
    std::string text = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte >= 32 && byte < 127) {
            text += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            text += hex;
        }
    }
    return text + "\"";
}

FoundBox FindBox(Serial_driver::PortOpener& opener, const std::vector<std::string>& ports,
                 std::ostream& out) {
    FoundBox found;
    for (const std::string& name : ports) {
        OpenError error = OpenError::None;
        std::unique_ptr<Serial_driver::SerialPort> port = opener.Open(name, error);
        if (!port) {
            out << name << ": " << OpenErrorText(error) << '\n';
            continue;
        }
        if (!port->SaveSettings() || !port->ApplySettings()) {
            out << name << ": not a serial port that takes 115200 8N1\n";
            continue;
        }
        std::string reply;
        const int status =
            InterfaceCommand(port.get(), K730::Identify, K730::IdentifyReplyLength, reply);
        out << name << ": v -> " << Quoted(reply) << "  status " << status << '\n';
        if (K730::IsIdentification(status, reply)) {
            out << "Interface found on " << Interface::PortDisplayName(name) << '\n';
            found.Port = std::move(port);
            found.PortName = name;
            found.Identification = reply;
            return found;
        }
        (void)port->RestoreSettings();
    }
    out << "No K730-6W found\n";
    return found;
}

std::vector<Exchange> RunHandshake(Serial_driver::SerialPort& port,
                                   const std::function<void(int)>& sleepMs, std::ostream& out) {
    const std::string clock = K730::ClockCommand(K730::DefaultClockIndex);
    const std::string_view commands[] = {K730::FirmwareRevision, K730::SerialNumber,
                                         K730::ProtocolSetup,    K730::SpiSetup1,
                                         K730::SpiSetup2,        clock,
                                         K730::SpiClockQuery,    K730::Supply5V,
                                         K730::SupplyOn,         K730::SupplyStatus};
    std::vector<Exchange> exchanges;
    for (const std::string_view command : commands) {
        if (command == K730::SupplyStatus) {
            sleepMs(K730::SupplySettleMs); // as after switching the supply on
        }
        Exchange exchange;
        exchange.Command = std::string(command);
        exchange.Status = InterfaceCommand(&port, command, 0, exchange.Reply);
        exchange.Problem = ProblemOf(command, exchange.Status, exchange.Reply);
        Print(out, exchange);
        exchanges.push_back(std::move(exchange));
    }
    return exchanges;
}

EncoderReading ReadEncoderPosition(Serial_driver::SerialPort& port, std::ostream& out) {
    EncoderReading reading;
    for (const bool multiturn : {false, true}) {
        TEncoderSignature signature;
        TEncoderPosition position;
        TEncoderAuxData aux;
        signature.Multiturn = multiturn;
        position.STmaxCount = Velor_konstante::STmaxCountDefault;
        position.MTmaxCount = Velor_konstante::MTmaxCountDefault;
        unsigned char c = Velor_konstante::Cmd::Position;
        const Velor::TransferTrace trace =
            Velor::EncoderTransferCore(&port, {signature, position, aux}, c);
        out << "  " << trace.Frame << " -> " << Quoted(trace.CleanedReply) << "  status "
            << position.ErrComm;
        if (position.ErrComm != Serial_driver::StatusOk || position.ErrCRC) {
            out << (position.ErrComm != 0 ? "  no reply\n" : "  CRC mismatch\n");
            continue;
        }
        reading = {true, multiturn, position.ST_value, position.MT_value};
        out << "  " << (multiturn ? "multiturn" : "single-turn") << " encoder: count "
            << position.ST_value;
        if (multiturn) {
            out << ", turns " << position.MT_value;
        }
        out << (position.ErrBit ? ", ERROR bit" : "") << (position.WarnBit ? ", WARNING bit" : "")
            << '\n';
        return reading;
    }
    out << "  No encoder answered\n";
    return reading;
}

} // namespace K730Probe
