// k730-probe: checks a K730-6W box and its encoder from a console, without the
// window. Lists the candidate ports, finds the box, runs its handshake and reads
// the encoder's position, printing every command and reply.

#include "box_probe.h"
#include "cpu_time.h"
#include "encoder/Enkoderji_splosno.h"
#include "encoder/Velor_konstante.h"
#include "encoder/encoder_transfer.h"
#include "interface/port_list.h"
#include "serial/Serial_driver.h"
#include "util/Orodja.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* Usage =
    "Usage: k730-probe [--rounds N] [PORT]...\n"
    "Finds a K730-6W box among the USB serial ports (or the PORTs given, e.g. COM7\n"
    "or /dev/ttyACM0), runs its handshake, reads the encoder's position and prints\n"
    "every command and reply.\n"
    "\n"
    "  --rounds N   then time N position requests: round trip and CPU per request\n"
    "  --version    print the program's version\n"
    "  --help       this text\n"
    "\n"
    "Exit status: 0 box found and every reply as expected, 1 no box found,\n"
    "2 a reply was not as expected, 64 bad usage.\n";

// Times `rounds` position requests of the kind that answered (the box's supply
// status when no encoder did) and prints the figures.
void TimeRounds(Serial_driver::SerialPort& port, int rounds, const K730Probe::EncoderReading& enc) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> trips;
    int failed = 0;
    const double cpuBefore = K730Probe::ProcessCpuMs();
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        int status = 0;
        if (enc.Found) {
            TEncoderSignature signature;
            TEncoderPosition position;
            TEncoderAuxData aux;
            signature.Multiturn = enc.Multiturn;
            position.STmaxCount = Velor_konstante::STmaxCountDefault;
            unsigned char c = Velor_konstante::Cmd::Position;
            (void)Velor::EncoderTransferCore(&port, {signature, position, aux}, c);
            status = Velor::TransferFailed(position) ? -1 : 0;
        } else {
            std::string reply;
            status = Serial_driver::InterfaceCommand(&port, "e", 0, reply);
        }
        trips.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        failed += status != 0 ? 1 : 0;
    }
    const double cpu = K730Probe::ProcessCpuMs() - cpuBefore;
    std::sort(trips.begin(), trips.end());
    double total = 0;
    for (const double t : trips) {
        total += t;
    }
    std::printf("%d %s requests, %d failed: round trip min %.3f ms, median %.3f ms, "
                "max %.3f ms; CPU %.3f ms per request (%.0f%% of the wall time)\n",
                rounds, enc.Found ? "position" : "supply status", failed, trips.front(),
                trips[trips.size() / 2], trips.back(), cpu / rounds,
                total > 0 ? 100.0 * cpu / total : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 0;
    std::vector<std::string> ports;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::cout << Usage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "k730-probe " << TESSORAN_VERSION_TEXT << '\n';
            return 0;
        }
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = Orodja::StrToIntDef(argv[++i], 0);
            if (rounds < 1) {
                std::cerr << "k730-probe: --rounds wants a positive count\n";
                return 64;
            }
            continue;
        }
        if (arg.starts_with("-")) {
            std::cerr << "k730-probe: unknown option " << arg << "\n" << Usage;
            return 64;
        }
        ports.push_back(arg);
    }
    if (ports.empty()) {
        ports = Interface::ListCandidatePorts(Interface::SystemPortListSource());
    }
    std::cout << "Candidate ports:";
    for (const std::string& port : ports) {
        std::cout << ' ' << port;
    }
    std::cout << (ports.empty() ? " none\n" : "\n");

    auto opener = Serial_driver::MakeSystemPortOpener();
    K730Probe::FoundBox box = K730Probe::FindBox(*opener, ports, std::cout);
    if (!box.Port) {
        return 1;
    }
    std::cout << "Handshake:\n";
    const auto sleepMs = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    const auto exchanges = K730Probe::RunHandshake(*box.Port, sleepMs, std::cout);
    std::cout << "Encoder:\n";
    const K730Probe::EncoderReading encoder = K730Probe::ReadEncoderPosition(*box.Port, std::cout);
    if (rounds > 0) {
        TimeRounds(*box.Port, rounds, encoder);
    }
    const bool problems =
        std::any_of(exchanges.begin(), exchanges.end(),
                    [](const K730Probe::Exchange& e) { return !e.Problem.empty(); });
    std::cout << (problems ? "Handshake had problems\n" : "Handshake ok\n");
    std::cout.flush();
    return problems ? 2 : 0;
}
