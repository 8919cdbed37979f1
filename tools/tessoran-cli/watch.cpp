// tessoran-cli watch: one line per reading, aligned columns for a person or
// JSON Lines for a program, with the reading schedule of the window's page
// that shows the values asked for.

#include "cli_options.h"
#include "cli_session.h"
#include "encoder/Velor_konstante.h"
#include "exit_status.h"
#include "json_line.h"
#include "stop_signal.h"
#include "subcommands.h"

#include <array>
#include <charconv>
#include <cmath>
#include <iostream>

namespace TessoranCli {
namespace {

constexpr OptionSpec WatchOptionTable[] = {
    IntervalOption,
    UntilStoppedOption,
    {"values", "WHAT", "position (default), status or installation"},
    {"json", "", "one JSON object per reading (JSON Lines)"},
};

constexpr CommandSpec WatchSpec{
    "watch",
    "Reads the encoder as the window does and prints one line per reading, each\n"
    "flushed at once, until S seconds have passed or Ctrl+C. --values chooses the\n"
    "reading schedule of the window's page for them: position (Position page,\n"
    "position only), status (Status page: detailed status, temperature, speed,\n"
    "timestamp) or installation (Installation page: calibration status, signal\n"
    "level and air gap). Each line carries what its reply carried:\n"
    "  t_ms (since the first reading), raw (the reply's hex), crc_ok, error,\n"
    "  warning, mt, st, position_deg; then temperature_c, speed_rpm, timestamp,\n"
    "  detailed_status, calibration_status, signal_level or air_gap_mm.\n"
    "A value the reply held as no number is null in JSON and - in a column.\n",
    WatchOptionTable,
    "Exit status: 0 read until the end, 1 no box or no encoder found, 64 bad usage.\n"};

struct Column {
    std::string_view Name;
    int Width;
    int Decimals; ///< of a number that is not whole
};

constexpr Column PositionColumns[] = {{"t_ms", 8, 0},  {"raw", 12, 0},         {"crc_ok", 6, 0},
                                      {"error", 5, 0}, {"warning", 7, 0},      {"mt", 6, 0},
                                      {"st", 5, 0},    {"position_deg", 12, 3}};
constexpr Column StatusColumns[] = {
    {"detailed_status", 15, 0}, {"temperature_c", 13, 1}, {"speed_rpm", 9, 1}, {"timestamp", 9, 0}};
constexpr Column InstallationColumns[] = {
    {"calibration_status", 18, 0}, {"signal_level", 12, 0}, {"air_gap_mm", 10, 3}};

struct ValueSet {
    std::string_view Name;
    Monitor::Page Page;
    std::span<const Column> Extra;
};

constexpr ValueSet ValueSets[] = {
    {"position", Monitor::Page::Other, {}},
    {"status", Monitor::Page::Status, StatusColumns},
    {"installation", Monitor::Page::Installation, InstallationColumns}};
constexpr auto ValueNames = [] {
    std::array<std::string_view, std::size(ValueSets)> names{};
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = ValueSets[i].Name;
    return names;
}();

Json ReadingObject(const Engine::Reading& r, std::int64_t tMs) {
    namespace Cmd = Velor_konstante::Cmd;
    const auto valueOrNull = [](bool readable, auto value) {
        return readable ? Json(value) : Json(nullptr);
    };
    Json j;
    j["t_ms"] = tMs;
    j["raw"] = r.RawHex;
    // A failed auxiliary reply is skipped; the position is the last good one.
    j["crc_ok"] = r.Command != Cmd::Skipped;
    j["error"] = r.Position.ErrBit;
    j["warning"] = r.Position.WarnBit;
    j["mt"] = r.Position.MT_value;
    j["st"] = r.Position.ST_value;
    j["position_deg"] = r.Position.Position_unit;
    switch (r.Command) {
    case Cmd::DetailedStatus:
        j["detailed_status"] = valueOrNull(r.Aux.DetStatus <= 0xFF, r.Aux.DetStatus);
        break;
    case Cmd::Temperature:
        j["temperature_c"] = r.Aux.Temperature_value / 10.0;
        break;
    case Cmd::Speed:
        j["speed_rpm"] = r.Aux.Speed_value / 10.0;
        break;
    case Cmd::Timestamp:
        j["timestamp"] = r.Position.Timestamp;
        break;
    case Cmd::CalibrationStatus:
        j["calibration_status"] = valueOrNull(r.Aux.CalStatus <= 0xFF, r.Aux.CalStatus);
        break;
    case Cmd::SignalLevel:
        j["signal_level"] = valueOrNull(r.Aux.SignalLevel >= 0, r.Aux.SignalLevel);
        j["air_gap_mm"] = valueOrNull(!std::isnan(r.Aux.AirGap), RoundedMm(r.Aux.AirGap));
        break;
    default:
        break;
    }
    return j;
}

std::string Cell(const Json& j, const Column& column) {
    const auto it = j.find(column.Name);
    if (it == j.end() || it->is_null())
        return "-";
    if (it->is_boolean())
        return it->get<bool>() ? "1" : "0";
    if (it->is_string())
        return it->get<std::string>();
    if (!it->is_number_float())
        return it->dump();
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, it->get<double>(),
                                   std::chars_format::fixed, column.Decimals);
    return std::string(text, end.ptr);
}

class ReadingPrinter {
public:
    ReadingPrinter(const ValueSet& values, bool json, std::ostream& out)
        : values_(values), json_(json), out_(out) {}

    void Print(const Engine::Reading& reading, std::int64_t nowMs) {
        if (!firstMs_)
            firstMs_ = nowMs;
        const Json j = ReadingObject(reading, nowMs - *firstMs_);
        if (json_) {
            WriteJsonLine(out_, j);
            return;
        }
        if (!headerDone_) {
            Row([](const Column& c) { return std::string(c.Name); });
            headerDone_ = true;
        }
        Row([&j](const Column& c) { return Cell(j, c); });
    }

private:
    template <typename Text> void Row(Text text) {
        std::string line;
        const auto add = [&](const Column& c) {
            const std::string cell = text(c);
            const std::size_t pad = static_cast<std::size_t>(c.Width);
            // The reply's hex reads from the left, numbers from the right.
            if (c.Name == "raw")
                line += cell + std::string(pad > cell.size() ? pad - cell.size() : 0, ' ') + " ";
            else
                line += std::string(pad > cell.size() ? pad - cell.size() : 0, ' ') + cell + " ";
        };
        for (const Column& c : PositionColumns)
            add(c);
        for (const Column& c : values_.Extra)
            add(c);
        line.pop_back();
        out_ << line << std::endl;
    }

    const ValueSet& values_;
    bool json_;
    std::ostream& out_;
    std::optional<std::int64_t> firstMs_;
    bool headerDone_ = false;
};

} // namespace

int WatchCommand(Words words) {
    Arguments args(WatchSpec, words);
    if (args.Help())
        return args.ShowHelp();
    const int interval = args.IntervalMs();
    const std::int64_t seconds = args.SecondsUntilStopped();
    const ValueSet& set = ValueSets[args.Choice("values", ValueNames)];
    if (!args.Error().empty())
        return args.UsageError();

    CatchStopSignals();
    Engine::Environment env = SystemEnvironment(args.Ports());
    const std::shared_ptr<Engine::Clock> clock = env.Clock;
    Diagnostics diagnostics(std::cerr);
    ReadingPrinter printer(set, args.Flag("json"), std::cout);
    Session session(std::move(env), [&](const Engine::Report& report) {
        diagnostics.Report(report);
        if (const auto* reading = std::get_if<Engine::Reading>(&report))
            printer.Print(*reading, clock->NowMs());
    });
    const int status = session.Connect(set.Page, interval, std::cerr);
    if (status == ExitOk)
        session.Run(seconds * 1000);
    StopDone();
    return status;
}

} // namespace TessoranCli
