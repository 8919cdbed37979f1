#pragma once
// What both backends share: the results table's columns in the order they
// are bound and read, and a database library's exception made a status.

#include "results/results_store.h"

#include <cctype>
#include <exception>
#include <functional>
#include <string>

namespace Results {

inline constexpr const char* ResultColumns =
    "id, time_utc, bench, program_version, source, box_port, box_version, box_serial, "
    "part_number, encoder_serial, firmware, multiturn, limit_gap_min_mm, limit_gap_max_mm, "
    "limit_signal_min, limit_max_warnings, limit_max_errors, limit_full_turn, verdict, "
    "readings, error_readings, warning_readings, gap_points, gap_min_mm, gap_max_mm, "
    "gap_mean_mm, gap_std_dev_mm, sectors_seen, sectors, report_path, limit_runout_max_mm, "
    "runout_mean_mm, runout_mm, runout_largest_at_deg, runout_explained";

/// The runout's figures in the order of their columns.
inline constexpr double Monitor::Runout::*RunoutFigures[] = {
    &Monitor::Runout::MeanMm, &Monitor::Runout::RunoutMm, &Monitor::Runout::LargestAtDeg,
    &Monitor::Runout::Explained};

/// A library's reason, without the line end libpq puts after its messages.
inline std::string ReasonOf(const std::exception& e) {
    std::string why = e.what();
    while (!why.empty() && std::isspace(static_cast<unsigned char>(why.back())))
        why.pop_back();
    return why;
}

/// `work`'s outcome: a failure says `what`, the store and the library's reason.
inline StoreStatus Guarded(const char* what, const std::string& store,
                           const std::function<void()>& work) {
    try {
        work();
        return {};
    } catch (const std::exception& e) {
        return StoreStatus::Failed(what + store + ": " + ReasonOf(e));
    }
}

} // namespace Results
