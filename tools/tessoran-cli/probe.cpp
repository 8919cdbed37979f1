#include "probe.h"

#include "cli_options.h"
#include "cli_session.h"
#include "cpu_time.h"
#include "exit_status.h"
#include "interface/k730_commands.h"
#include "serial/Serial_driver.h"
#include "subcommands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <vector>

namespace TessoranCli {
namespace {

using Engine::Cycle;
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

// Turns what the engine does into the probe's lines. An exchange's line waits
// until the engine has said what it makes of the reply: its messages follow the
// exchange, and an encoder frame's check comes with the transfer report.
class Printer {
public:
    enum class Phase { Ports, Handshake, Encoder, Quiet };

    explicit Printer(std::ostream& out) : out_(out) {}

    void Exchange(const Engine::ExchangeTrace& t) {
        if (silent_ && t.Port == *silent_)
            silent_.reset();
        if (phase_ == Phase::Quiet)
            return;
        if (phase_ == Phase::Ports) {
            // The rest of the identification line, read after its 7th byte.
            if (t.Command.empty() && pending_) {
                pending_->Reply += t.Reply;
                return;
            }
            if (t.Command != K730::Identify) {
                Flush();
                out_ << "Handshake:\n";
                phase_ = Phase::Handshake;
            }
        }
        Flush();
        Line line;
        line.Kind = phase_;
        line.Port = t.Port;
        line.Command = t.Command;
        line.Reply = t.Reply;
        line.Status = t.Status;
        pending_ = std::move(line);
    }

    void Report(const Engine::Report& report) {
        if (const auto* log = std::get_if<Engine::LogLine>(&report)) {
            // The handshake's log lines repeat its replies.
            if (phase_ == Phase::Ports || phase_ == Phase::Encoder) {
                Flush();
                out_ << (phase_ == Phase::Encoder ? "  " : "") << log->Text << '\n';
            }
        } else if (const auto* message = std::get_if<Engine::Message>(&report)) {
            AddProblem(message->Text);
        } else if (const auto* transfer = std::get_if<Engine::Transfer>(&report)) {
            if (pending_ && pending_->Kind == Phase::Encoder) {
                pending_->Reply = transfer->Reply;
                pending_->Verdict = !transfer->Exchanged     ? "no reply"
                                    : !transfer->CheckPassed ? "CRC mismatch"
                                                             : "ok";
                Flush();
            }
        } else if (const auto* reading = std::get_if<Engine::Reading>(&report)) {
            if (++readings_ == 1 && phase_ == Phase::Encoder) {
                Flush();
                PrintVerdict(*reading);
            }
        } else if (std::holds_alternative<Engine::SearchPassEnded>(report)) {
            Flush();
        }
    }

    void PortOpened(const std::string& name) { silent_ = name; }

    void OpenFailed(const std::string& name, OpenError error) {
        out_ << name << ": " << OpenErrorText(error) << '\n';
    }

    // Prints the line that waits, and a port the engine opened but passed over
    // without a word: its line settings could not be applied.
    void Flush() {
        if (silent_) {
            out_ << *silent_ << ": not a serial port that takes 115200 8N1\n";
            silent_.reset();
        }
        if (!pending_)
            return;
        const Line line = std::move(*pending_);
        pending_.reset();
        switch (line.Kind) {
        case Phase::Ports:
            out_ << line.Port << ": " << line.Command << " -> " << Quoted(line.Reply) << "  status "
                 << line.Status << '\n';
            break;
        case Phase::Handshake: {
            std::vector<std::string> problems = line.Problems;
            if (problems.empty() && line.Status != Serial_driver::StatusOk)
                problems.push_back("exchange failed (status " + std::to_string(line.Status) + ")");
            const std::size_t width = 5;
            const std::size_t pad = line.Command.size() < width ? width - line.Command.size() : 0;
            out_ << "  " << line.Command << std::string(pad, ' ') << " -> " << Quoted(line.Reply)
                 << "  status " << line.Status;
            if (problems.empty()) {
                out_ << "  ok\n";
                break;
            }
            handshakeProblems_ = true;
            out_ << "  PROBLEM: ";
            for (std::size_t i = 0; i < problems.size(); ++i)
                out_ << (i > 0 ? "; " : "") << problems[i];
            out_ << '\n';
            break;
        }
        case Phase::Encoder:
            out_ << "  " << line.Command << " -> " << Quoted(line.Reply) << "  status "
                 << line.Status << (line.Verdict.empty() ? "" : "  " + line.Verdict) << '\n';
            break;
        case Phase::Quiet:
            break;
        }
    }

    void Enter(Phase phase) {
        Flush();
        if (phase == Phase::Encoder)
            out_ << "Encoder:\n";
        phase_ = phase;
    }

    [[nodiscard]] bool HandshakeProblems() const { return handshakeProblems_; }

private:
    struct Line {
        Phase Kind = Phase::Ports;
        std::string Port;
        std::string Command;
        std::string Reply;
        int Status = 0;
        std::vector<std::string> Problems; ///< the engine's messages about it
        std::string Verdict;               ///< an encoder frame's check
    };

    void AddProblem(const std::string& text) {
        if (!pending_) {
            out_ << "  PROBLEM: " << text << '\n';
            handshakeProblems_ |= phase_ == Phase::Handshake;
            return;
        }
        // A reply can be faulted twice in the same words (failed and refused).
        if (std::find(pending_->Problems.begin(), pending_->Problems.end(), text) ==
            pending_->Problems.end())
            pending_->Problems.push_back(text);
    }

    void PrintVerdict(const Engine::Reading& r) {
        out_ << "  " << (r.Multiturn ? "multiturn" : "single-turn") << " encoder: count "
             << r.Position.ST_value;
        if (r.Multiturn)
            out_ << ", turns " << r.Position.MT_value;
        out_ << (r.Position.ErrBit ? ", ERROR bit" : "")
             << (r.Position.WarnBit ? ", WARNING bit" : "") << '\n';
    }

    std::ostream& out_;
    Phase phase_ = Phase::Ports;
    std::optional<Line> pending_;
    std::optional<std::string> silent_; ///< opened, not yet spoken to
    int readings_ = 0;
    bool handshakeProblems_ = false;
};

// Tells the printer which ports would not open, and which did.
class PrintingOpener final : public Serial_driver::PortOpener {
public:
    PrintingOpener(std::shared_ptr<Serial_driver::PortOpener> inner, Printer& printer)
        : inner_(std::move(inner)), printer_(printer) {}

    std::unique_ptr<Serial_driver::SerialPort> Open(const std::string& name,
                                                    OpenError& error) override {
        printer_.Flush();
        auto port = inner_->Open(name, error);
        if (port)
            printer_.PortOpened(name);
        else
            printer_.OpenFailed(name, error);
        return port;
    }

private:
    std::shared_ptr<Serial_driver::PortOpener> inner_;
    Printer& printer_;
};

// Times reading ticks of the position-only schedule, one request each, the
// engine's wait between them left out.
void TimeRounds(Session& session, int rounds, std::ostream& out) {
    using Steady = std::chrono::steady_clock;
    Engine::MonitorEngine& engine = session.Engine();
    engine.Handle(Engine::SetReadInterval{1});
    std::vector<double> trips;
    double cpu = 0;
    int failed = 0;
    for (int i = 0; i < rounds && engine.EnabledCycle() == Cycle::Read; ++i) {
        session.WaitUntilDue();
        const int readings = session.Readings();
        const double cpuBefore = ProcessCpuMs();
        const auto start = Steady::now();
        (void)engine.RunDue();
        trips.push_back(std::chrono::duration<double, std::milli>(Steady::now() - start).count());
        cpu += ProcessCpuMs() - cpuBefore;
        failed += session.Readings() == readings ? 1 : 0;
    }
    if (trips.empty())
        return;
    const int made = static_cast<int>(trips.size());
    double total = 0;
    for (const double t : trips)
        total += t;
    std::sort(trips.begin(), trips.end());
    char line[256];
    std::snprintf(line, sizeof line,
                  "%d position requests, %d failed: round trip min %.3f ms, median %.3f ms, "
                  "max %.3f ms; CPU %.3f ms per request (%.0f%% of the wall time)\n",
                  made, failed, trips.front(), trips[trips.size() / 2], trips.back(), cpu / made,
                  total > 0 ? 100.0 * cpu / total : 0.0);
    out << line;
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

int RunProbe(Engine::Environment env, const ProbeOptions& options, std::ostream& out) {
    const std::vector<std::string> ports =
        env.ListPorts ? env.ListPorts() : std::vector<std::string>{};
    out << "Candidate ports:";
    for (const std::string& port : ports)
        out << ' ' << port;
    out << (ports.empty() ? " none\n" : "\n");

    Printer printer(out);
    env.ListPorts = [ports] { return ports; };
    env.Opener = std::make_shared<PrintingOpener>(std::move(env.Opener), printer);
    env.OnExchange = [&printer](const Engine::ExchangeTrace& t) { printer.Exchange(t); };
    Session session(std::move(env), [&printer](const Engine::Report& r) { printer.Report(r); });

    const bool found = session.FindBox();
    printer.Flush();
    if (!found) {
        out << "No K730-6W found\n";
        return ExitNoBox;
    }

    printer.Enter(Printer::Phase::Encoder);
    // No supply status between the encoder frames, and position-only readings.
    session.Handle(Engine::ShowPage{Monitor::Page::Other});
    const bool encoder = session.FindEncoder();
    printer.Flush();
    if (!encoder) {
        out << "  No encoder answered\n";
    } else if (options.Rounds > 0) {
        printer.Enter(Printer::Phase::Quiet);
        TimeRounds(session, options.Rounds, out);
    }

    const bool problems = printer.HandshakeProblems();
    out << (problems ? "Handshake had problems\n" : "Handshake ok\n");
    return problems ? ExitProblems : ExitOk;
}

namespace {

constexpr OptionSpec ProbeOptionTable[] = {
    {"rounds", "N", "then time N position requests: round trip and CPU per request"},
};

constexpr CommandSpec ProbeSpec{
    "probe",
    "Finds a K730-6W box among the USB serial ports (or the PORTs given), runs its\n"
    "handshake, reads the encoder's position and prints every command and reply.\n"
    "It keeps the program's timers: a run takes about two seconds.\n",
    ProbeOptionTable,
    "Exit status: 0 box found and every reply as expected, 1 no box found,\n"
    "2 a reply was not as expected, 64 bad usage.\n"};

} // namespace

int ProbeCommand(Words words) {
    Arguments args(ProbeSpec, words);
    if (args.Help())
        return args.ShowHelp();
    ProbeOptions options;
    options.Rounds = static_cast<int>(args.Integer("rounds", 0, 1, 1'000'000));
    if (!args.Error().empty())
        return args.UsageError();
    const int status = RunProbe(SystemEnvironment(args.Ports()), options, std::cout);
    std::cout.flush();
    return status;
}

} // namespace TessoranCli
