// tessoran-cli history: the results kept, newest first, as columns or JSON
// Lines, narrowed to a serial, a part number or a first day.

#include "cli_options.h"
#include "exit_status.h"
#include "json_line.h"
#include "results/line_store.h"
#include "results_option.h"
#include "subcommands.h"

#include <cstdio>
#include <iostream>
#include <regex>

namespace TessoranCli {
namespace {

constexpr OptionSpec HistoryOptionTable[] = {
    ResultsOption,
    {"serial", "S", "only the encoder with serial number S"},
    {"part", "P", "only encoders of part number P"},
    {"since", "YYYY-MM-DD", "only results from that day on (UTC)"},
    {"limit", "N", "at most N results (20); 0: all"},
    {"json", "", "one JSON object per result (JSON Lines)"},
};

constexpr CommandSpec HistorySpec{
    "history",
    "Lists the installation results kept in the results file, or on the results\n"
    "server, newest first: one per 'tessoran-cli check' and per installation\n"
    "report saved in the window. Against a server, the results that waited on\n"
    "this bench are sent first, and standard error says how many still wait.\n"
    "As columns: the time (UTC), part number, serial, verdict, the air gap's\n"
    "minimum, maximum and mean in mm, and the first reason. With --json each\n"
    "line has the fields of 'check --json' and the result's id, time, bench,\n"
    "program_version, source and report (the PDF's path, or null).\n",
    HistoryOptionTable, "Exit status: 0, 64 bad usage, 74 the results file cannot be read.\n"};

std::string Figure(const std::optional<double>& mm) {
    if (!mm)
        return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%.3f", RoundedMm(*mm));
    return text;
}

void PrintColumns(const std::vector<Results::InstallationResult>& results, std::ostream& out) {
    std::vector<std::vector<std::string>> rows{
        {"TIME", "PART", "SERIAL", "VERDICT", "GAP MIN", "GAP MAX", "GAP MEAN", "REASON"}};
    for (const Results::InstallationResult& r : results)
        rows.push_back({r.TimeUtc, r.PartNumber, r.EncoderSerial, r.Verdict, Figure(r.Gap.MinMm),
                        Figure(r.Gap.MaxMm), Figure(r.Gap.MeanMm),
                        r.Reasons.empty() ? std::string() : r.Reasons.front()});
    std::vector<std::size_t> width(rows.front().size(), 0);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            width[c] = std::max(width[c], row[c].size());
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += row[c] + (c + 1 < row.size() ? std::string(width[c] - row[c].size() + 2, ' ')
                                                 : std::string());
        out << line << '\n';
    }
    out.flush();
}

} // namespace

int HistoryCommand(Words words) {
    Arguments args(HistorySpec, words);
    if (args.Help())
        return args.ShowHelp();
    Results::HistoryQuery query;
    if (const std::string serial = args.Text("serial", ""); !serial.empty())
        query.Serial = serial;
    if (const std::string part = args.Text("part", ""); !part.empty())
        query.Part = part;
    const std::string since = args.Text("since", "");
    query.Limit = static_cast<std::size_t>(args.Integer("limit", 20, 0, 1'000'000'000));
    if (!args.Error().empty())
        return args.UsageError();
    if (!since.empty()) {
        if (!std::regex_match(since,
                              std::regex(R"(\d{4}-(0[1-9]|1[0-2])-(0[1-9]|[12]\d|3[01]))"))) {
            std::cerr << "tessoran-cli history: --since takes a day as YYYY-MM-DD, not " << since
                      << "\nTry 'tessoran-cli history --help'.\n";
            return ExitUsage;
        }
        query.SinceUtc = since + "T00:00:00Z";
    }
    if (!args.Ports().empty()) {
        std::cerr << "tessoran-cli history: reads no port (" << args.Ports().front()
                  << ")\nTry 'tessoran-cli history --help'.\n";
        return ExitUsage;
    }
    const std::optional<std::string> file = ResultsFile(args);
    if (!file) {
        std::cerr << "tessoran-cli history: no results file (--results none)\n";
        return ExitUsage;
    }

    Results::StoreStatus status;
    const auto store = OpenNamedStore(*file, status, Results::OpenMode::Existing);
    std::vector<Results::InstallationResult> results;
    if (store)
        status = store->Read(query, results);
    if (auto* line = dynamic_cast<Results::LineStore*>(store.get()))
        std::cerr << line->WaitingCount() << " results waiting on this bench for " << line->Name()
                  << '\n';
    if (!status) {
        std::cerr << status.Message << '\n';
        return ExitFileError;
    }
    if (!store)
        std::cerr << "No results kept yet in " << *file << '\n';
    if (args.Flag("json")) {
        for (const Results::InstallationResult& r : results)
            WriteJsonLine(std::cout, ResultJson(r, true));
    } else if (!results.empty()) {
        PrintColumns(results, std::cout);
    }
    return ExitOk;
}

} // namespace TessoranCli
