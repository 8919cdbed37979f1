// tessoran-cli linktest: the link between box and encoder tried at each SPI
// clock, and the clock it carries (the engine's link test).

#include "cli_options.h"
#include "cli_session.h"
#include "exit_status.h"
#include "json_line.h"
#include "stop_signal.h"
#include "subcommands.h"

#include <cstdio>
#include <iostream>

namespace TessoranCli {
namespace {

constexpr OptionSpec LinkTestOptionTable[] = {
    {"readings", "N", "position readings at each clock, 1 to 100000 (200)"},
    {"json", "", "one JSON object instead of text"},
};

constexpr CommandSpec LinkTestSpec{
    "linktest",
    "Tries the SPI link between the box and the encoder at each of the box's eight\n"
    "clocks, from 1 = 94 kHz to 8 = 12 MHz: N position readings one after another,\n"
    "counting the replies that failed their check and the exchanges that timed\n"
    "out. Recommends the clock one step below the slowest clock with a failure\n"
    "(8 when none failed). The clock in use before is selected again afterwards.\n"
    "Ctrl+C stops the test early.\n",
    LinkTestOptionTable,
    "Exit status: 0 the test ran (also when stopped early), 1 no box or no encoder\n"
    "found, or the box stopped answering, 64 bad usage.\n"};

const char* EndText(Engine::LinkTestEnded::End end) {
    switch (end) {
    case Engine::LinkTestEnded::End::Stopped:
        return "stopped";
    case Engine::LinkTestEnded::End::NoAnswer:
        return "no answer";
    case Engine::LinkTestEnded::End::Refused:
        return "refused";
    case Engine::LinkTestEnded::End::Finished:
        break;
    }
    return "finished";
}

Json JsonOf(const Engine::LinkTestEnded& ended, const BoxIdentification& box,
            const TEncoderSignature& encoder) {
    Json j;
    j["ended"] = EndText(ended.Outcome);
    Json clocks = Json::array();
    for (const Monitor::ClockTally& t : ended.Result.Clocks)
        clocks.push_back({{"index", t.Clock},
                          {"text", Monitor::ClockText(t.Clock)},
                          {"readings", t.Readings},
                          {"crc_failed", t.CrcFailed},
                          {"timeouts", t.Timeouts}});
    j["clocks"] = std::move(clocks);
    const int best = ended.Result.Recommended;
    j["recommended"] =
        best == 0 ? Json(nullptr) : Json{{"index", best}, {"text", Monitor::ClockText(best)}};
    j["box"] = {{"port", box.Port}, {"version", box.BoxVersion}, {"serial", box.BoxSerial}};
    j["encoder"] = {{"part_number", encoder.PartNumber},
                    {"serial", encoder.SerialNumber},
                    {"firmware", encoder.FWverStr}};
    return j;
}

void PrintText(const Engine::LinkTestEnded& ended, std::ostream& out) {
    out << "CLOCK         READINGS  CRC FAILED  TIMED OUT\n";
    for (const Monitor::ClockTally& t : ended.Result.Clocks) {
        char line[96];
        std::snprintf(line, sizeof line, "%-12s  %8d  %10d  %9d\n",
                      Monitor::ClockText(t.Clock).c_str(), t.Readings, t.CrcFailed, t.Timeouts);
        out << line;
    }
    out << Monitor::RecommendationText(ended.Result) << '\n';
}

} // namespace

int LinkTestCommand(Words words) {
    Arguments args(LinkTestSpec, words);
    if (args.Help())
        return args.ShowHelp();
    const int readings = static_cast<int>(args.Integer("readings", 200, 1, 100000));
    if (!args.Error().empty())
        return args.UsageError();

    CatchStopSignals();
    Diagnostics diagnostics(std::cerr);
    BoxIdentification box;
    std::optional<Engine::LinkTestEnded> ended;
    Session session(SystemEnvironment(args.Ports()), [&](const Engine::Report& report) {
        diagnostics.Report(report);
        box.Take(report);
        if (const auto* end = std::get_if<Engine::LinkTestEnded>(&report))
            ended = *end;
    });
    if (const int status = session.Connect(Monitor::Page::SystemConfig, 70, std::cerr);
        status != ExitOk) {
        StopDone();
        return status;
    }
    session.Handle(Engine::RunLinkTest{readings});
    bool stopAsked = false;
    // Its ticks are due at once; a stop request is handed to the test, which
    // then selects the clock in use before.
    while (!ended && session.Engine().RunDue())
        if (StopRequested() && !stopAsked) {
            session.Handle(Engine::StopLinkTest{});
            stopAsked = true;
        }
    StopDone();
    if (!ended || ended->Outcome == Engine::LinkTestEnded::End::Refused)
        return ExitNoBox;
    if (args.Flag("json"))
        WriteJsonLine(std::cout, JsonOf(*ended, box, session.Engine().Signature()));
    else
        PrintText(*ended, std::cout);
    return ended->Outcome == Engine::LinkTestEnded::End::NoAnswer ? ExitNoBox : ExitOk;
}

} // namespace TessoranCli
