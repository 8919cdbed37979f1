#include "results_option.h"

#include "results/line_store.h"
#include "results/results_location.h"

#include <iostream>

namespace TessoranCli {
namespace {
template <typename T> Json OrNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json Mm(const std::optional<double>& mm) {
    return mm ? Json(RoundedMm(*mm)) : Json(nullptr);
}
} // namespace

std::optional<std::string> ResultsFile(const Arguments& args) {
    const std::string named = args.Text("results", "");
    return Results::ResultsLocation(named.empty() ? std::nullopt : std::optional(named),
                                    Results::EnvironmentValue("TESSORAN_RESULTS"));
}

std::unique_ptr<Results::ResultsStore>
OpenNamedStore(const std::string& location, Results::StoreStatus& status, Results::OpenMode mode) {
    return Results::OpenResultsStore(location, Results::DefaultResultsFile().value_or(""), status,
                                     mode);
}

void KeepResult(const Arguments& args, const Results::InstallationResult& result) {
    const std::optional<std::string> location = ResultsFile(args);
    if (!location)
        return;
    Results::StoreStatus status;
    const auto store = OpenNamedStore(*location, status, Results::OpenMode::Create);
    if (store)
        status = store->Add(result);
    if (!status)
        std::cerr << "Result not kept: " << status.Message << std::endl;
    else if (!status.Message.empty()) // kept on the bench, the server out of reach
        std::cerr << status.Message << std::endl;
}

Json ResultJson(const Results::InstallationResult& r, bool stored) {
    Json j;
    if (stored) {
        j["id"] = r.Id;
        j["time"] = r.TimeUtc;
        j["bench"] = r.Bench;
        j["program_version"] = r.ProgramVersion;
        j["source"] = r.Source;
        j["report"] = OrNull(r.ReportPath);
    }
    // check has always said nothing for a check without limits.
    j["verdict"] = !stored && r.Verdict == Results::StoredVerdictName(Monitor::Verdict::NoLimits)
                       ? std::string()
                       : r.Verdict;
    j["reasons"] = r.Reasons;
    j["readings"] = r.Readings;
    j["error_readings"] = r.ErrorReadings;
    j["warning_readings"] = r.WarningReadings;
    j["air_gap"] = {{"points", r.Gap.Points},
                    {"min_mm", Mm(r.Gap.MinMm)},
                    {"max_mm", Mm(r.Gap.MaxMm)},
                    {"mean_mm", Mm(r.Gap.MeanMm)},
                    {"std_dev_mm", Mm(r.Gap.StdDevMm)}};
    j["coverage"] = {{"sectors_seen", r.SectorsSeen}, {"sectors", r.Sectors}};
    j["runout"] = r.Runout
                      ? Json{{"mean_mm", RoundedMm(r.Runout->MeanMm)},
                             {"runout_mm", RoundedMm(r.Runout->RunoutMm)},
                             {"largest_at_deg", Monitor::RoundedDeg(r.Runout->LargestAtDeg, 1)},
                             {"explained", std::round(r.Runout->Explained * 1000) / 1000}}
                      : Json(nullptr);
    const Monitor::InstallationLimits& l = r.Limits;
    j["limits"] = {{"gap_min_mm", OrNull(l.GapMinMm)},      {"gap_max_mm", OrNull(l.GapMaxMm)},
                   {"signal_min", OrNull(l.SignalMin)},     {"max_warnings", OrNull(l.MaxWarnings)},
                   {"max_errors", OrNull(l.MaxErrors)},     {"full_turn", l.FullTurn},
                   {"runout_max_mm", OrNull(l.RunoutMaxMm)}};
    j["box"] = {{"port", r.BoxPort}, {"version", r.BoxVersion}, {"serial", r.BoxSerial}};
    j["encoder"] = {{"part_number", r.PartNumber},
                    {"serial", r.EncoderSerial},
                    {"firmware", r.Firmware},
                    {"multiturn", OrNull(r.Multiturn)}};
    return j;
}

} // namespace TessoranCli
