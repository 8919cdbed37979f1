// tessoran-cli check: reads the installation values with the Installation
// page's schedule while the technician turns the shaft, then judges them with
// the verdict the window shows (Monitor::InstallationVerdict).

#include "cli_options.h"
#include "cli_session.h"
#include "exit_status.h"
#include "json_line.h"
#include "monitor/installation_verdict.h"
#include "results_option.h"
#include "stop_signal.h"
#include "subcommands.h"

#include <iostream>
#include <sstream>

namespace TessoranCli {
namespace {

constexpr OptionSpec CheckOptionTable[] = {
    IntervalOption,
    {"seconds", "S", "read for S seconds (10); Ctrl+C judges what was read"},
    {"gap-min", "MM", "smallest air gap allowed"},
    {"gap-max", "MM", "largest air gap allowed"},
    {"signal-min", "LEVEL", "lowest signal level allowed"},
    {"max-warnings", "N", "readings with the warning bit allowed"},
    {"max-errors", "N", "readings with the error bit allowed (0)"},
    {"full-turn", "", "INCOMPLETE until each 10-degree sector had an air-gap point"},
    {"runout-max", "MM", "largest runout allowed (judged once the turn is whole)"},
    {"json", "", "one JSON object instead of text"},
    ResultsOption,
};

constexpr CommandSpec CheckSpec{
    "check",
    "Reads the signal level and air gap (the Installation page's readings) for S\n"
    "seconds while the shaft is turned, then prints the verdict against the\n"
    "limits: PASS, FAIL with every reason, or INCOMPLETE. Also the air-gap\n"
    "statistics (points, minimum, maximum, mean, standard deviation), the angular\n"
    "coverage (how many of the 36 sectors of 10 degrees had an air-gap point), the\n"
    "runout once the turn is whole (the once-a-turn wave of the gap: peak to peak,\n"
    "and where the gap is largest) and the box and encoder. A limit left out is\n"
    "not checked. Air gaps and the runout are judged to 0.01 mm, as the window\n"
    "shows them. The result is kept in the results file\n"
    "(see 'tessoran-cli history').\n",
    CheckOptionTable,
    "Exit status: 0 PASS, 3 FAIL, 4 INCOMPLETE, 1 no box or no encoder found,\n"
    "2 a reply the program faults (a setting the box refused), 64 bad usage.\n"};

std::string LimitsText(const Monitor::InstallationLimits& limits) {
    std::ostringstream text;
    const auto item = [&text](std::string_view label, const auto& value, std::string_view unit) {
        if (value)
            text << (text.tellp() > 0 ? ", " : "") << label << ' ' << *value << unit;
    };
    item("air gap min", limits.GapMinMm, " mm");
    item("air gap max", limits.GapMaxMm, " mm");
    item("signal level min", limits.SignalMin, "");
    item("max warnings", limits.MaxWarnings, "");
    item("max errors", limits.MaxErrors, "");
    item("runout max", limits.RunoutMaxMm, " mm");
    if (limits.FullTurn)
        text << (text.tellp() > 0 ? ", " : "") << "a whole turn";
    return text.tellp() > 0 ? text.str() : "none";
}

// The figures as JSON has them, written for a person.
void PrintText(const Json& j, const Monitor::InstallationLimits& limits, std::ostream& out) {
    const auto text = [](const Json& value) {
        return value.is_string() ? value.get<std::string>() : value.dump();
    };
    const Json& box = j["box"];
    const Json& encoder = j["encoder"];
    const Json& gap = j["air_gap"];
    out << "Box:       " << text(box["version"]) << ", serial " << text(box["serial"]) << ", on "
        << text(box["port"]) << '\n'
        << "Encoder:   " << text(encoder["part_number"]) << ", serial " << text(encoder["serial"])
        << ", firmware " << text(encoder["firmware"])
        << (encoder["multiturn"].get<bool>() ? ", multiturn" : ", single-turn") << '\n'
        << "Readings:  " << text(j["readings"]) << ", " << text(j["error_readings"])
        << " with the error bit, " << text(j["warning_readings"]) << " with the warning bit\n"
        << "Air gap:   " << text(gap["points"]) << " points";
    if (gap["points"].get<std::size_t>() > 0) {
        char figures[160];
        std::snprintf(figures, sizeof figures,
                      ", min %.3f mm, max %.3f mm, mean %.3f mm, std dev %.3f mm",
                      gap["min_mm"].get<double>(), gap["max_mm"].get<double>(),
                      gap["mean_mm"].get<double>(), gap["std_dev_mm"].get<double>());
        out << figures;
    }
    out << "\nCoverage:  " << text(j["coverage"]["sectors_seen"]) << " of "
        << text(j["coverage"]["sectors"]) << " sectors of 10\xC2\xB0\n";
    if (const Json& runout = j["runout"]; !runout.is_null())
        out << "Runout:    "
            << Monitor::RunoutLine(
                   {runout["mean_mm"].get<double>(), runout["runout_mm"].get<double>(),
                    runout["largest_at_deg"].get<double>(), runout["explained"].get<double>()})
            << '\n';
    out << "Limits:    " << LimitsText(limits) << '\n'
        << "Verdict:   " << text(j["verdict"]) << '\n';
    for (const Json& reason : j["reasons"])
        out << "  " << text(reason) << '\n';
    out.flush();
}

int ExitStatusOf(Monitor::Verdict verdict) {
    switch (verdict) {
    case Monitor::Verdict::Fail:
        return ExitFail;
    case Monitor::Verdict::Incomplete:
        return ExitIncomplete;
    default:
        return ExitOk;
    }
}

} // namespace

int CheckCommand(Words words) {
    Arguments args(CheckSpec, words);
    if (args.Help())
        return args.ShowHelp();
    const int interval = args.IntervalMs();
    const std::int64_t seconds = args.Integer("seconds", 10, 1, 100'000'000);
    Monitor::InstallationLimits limits;
    limits.GapMinMm = args.Number("gap-min", 0.0);
    limits.GapMaxMm = args.Number("gap-max", 0.0);
    limits.SignalMin = args.Number("signal-min", 0.0);
    limits.MaxWarnings = args.Count("max-warnings");
    limits.MaxErrors = args.Count("max-errors").value_or(0);
    limits.FullTurn = args.Flag("full-turn");
    limits.RunoutMaxMm = args.Number("runout-max", 0.0);
    if (!args.Error().empty())
        return args.UsageError();

    CatchStopSignals();
    Diagnostics diagnostics(std::cerr);
    BoxIdentification box;
    Monitor::InstallationVerdict verdict;
    Session session(SystemEnvironment(args.Ports()), [&](const Engine::Report& report) {
        diagnostics.Report(report);
        box.Take(report);
        if (const auto* r = std::get_if<Engine::Reading>(&report))
            if (const auto sample = Monitor::InstallationSampleOf(r->Command, r->Position, r->Aux))
                verdict.Add(*sample);
    });
    int status = session.Connect(Monitor::Page::Installation, interval, std::cerr);
    if (status == ExitOk && session.HandshakeFaulted()) {
        std::cerr << "The box refused a setting: no verdict" << std::endl;
        status = ExitProblems;
    }
    if (status != ExitOk) {
        StopDone();
        return status;
    }
    session.Run(seconds * 1000);

    const TEncoderSignature& encoder = session.Engine().Signature();
    const Results::InstallationResult result =
        Results::NewResult(Results::SourceCheck,
                           {box.Port, box.BoxVersion, box.BoxSerial, encoder.PartNumber,
                            encoder.SerialNumber, encoder.FWverStr, encoder.Multiturn},
                           limits, verdict);
    const Json report = ResultJson(result, false);
    if (args.Flag("json"))
        WriteJsonLine(std::cout, report);
    else
        PrintText(report, limits, std::cout);
    KeepResult(args, result);
    StopDone();
    return ExitStatusOf(verdict.Judge(limits).Kind);
}

} // namespace TessoranCli
