#pragma once
// What k730-probe does, without its command line: find the box among the
// candidate ports with the identification command, run the box's handshake and
// ask the encoder for its position, printing each command and reply.

#include "serial/serial_port.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace K730Probe {

/// One command sent to the box and what came back.
struct Exchange {
    std::string Command;
    int Status = 0;
    std::string Reply;
    std::string Problem; ///< empty when the reply is what the window accepts
};

struct FoundBox {
    std::unique_ptr<Serial_driver::SerialPort> Port; ///< null when no port held a box
    std::string PortName;
    std::string Identification; ///< the reply to "v", as received
};

/// Probes `ports` in order as the interface search does: open, save and apply
/// the line settings, "v" with the 7-byte rule; a port without the box gets its
/// settings back and is closed. One line per port on `out`.
[[nodiscard]] FoundBox FindBox(Serial_driver::PortOpener& opener,
                               const std::vector<std::string>& ports, std::ostream& out);

/// The handshake after discovery: o, r, Cp, G0:1, D055, M5, m, V5, n, the supply's
/// settling wait, e. Each reply is judged by the rule the window applies to it.
[[nodiscard]] std::vector<Exchange> RunHandshake(Serial_driver::SerialPort& port,
                                                 const std::function<void(int)>& sleepMs,
                                                 std::ostream& out);

/// The encoder's position request, framed for a single-turn and then for a
/// multiturn encoder, as the encoder search asks. One line per attempt.
struct EncoderReading {
    bool Found = false;
    bool Multiturn = false;
    std::uint32_t SingleTurn = 0;
    std::int32_t Turns = 0;
};
[[nodiscard]] EncoderReading ReadEncoderPosition(Serial_driver::SerialPort& port,
                                                 std::ostream& out);

/// A reply as a quoted C-like string: printable bytes as they are, \r \n \xHH.
[[nodiscard]] std::string Quoted(std::string_view bytes);

} // namespace K730Probe
