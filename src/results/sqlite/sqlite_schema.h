#pragma once
// The results file's schema, version by version: SchemaSteps[v] brings a file
// of version v to v + 1. docs/results.md describes the tables.

#include <array>
#include <vector>

namespace Results {

/// PRAGMA application_id of a Tessoran results file: "TSRN".
inline constexpr int SchemaApplicationId = 0x5453524E;
inline constexpr int SchemaVersion = 3;

inline const std::array<std::vector<const char*>, SchemaVersion> SchemaSteps = {{
    // 0 -> 1
    {"CREATE TABLE results ("
     " id TEXT PRIMARY KEY NOT NULL,"
     " time_utc TEXT NOT NULL,"
     " bench TEXT NOT NULL,"
     " program_version TEXT NOT NULL,"
     " source TEXT NOT NULL,"
     " box_port TEXT NOT NULL, box_version TEXT NOT NULL, box_serial TEXT NOT NULL,"
     " part_number TEXT NOT NULL, encoder_serial TEXT NOT NULL, firmware TEXT NOT NULL,"
     " multiturn INTEGER,"
     " limit_gap_min_mm REAL, limit_gap_max_mm REAL, limit_signal_min REAL,"
     " limit_max_warnings INTEGER, limit_max_errors INTEGER,"
     " limit_full_turn INTEGER NOT NULL,"
     " verdict TEXT NOT NULL,"
     " readings INTEGER NOT NULL, error_readings INTEGER NOT NULL,"
     " warning_readings INTEGER NOT NULL,"
     " gap_points INTEGER NOT NULL, gap_min_mm REAL, gap_max_mm REAL, gap_mean_mm REAL,"
     " gap_std_dev_mm REAL,"
     " sectors_seen INTEGER NOT NULL, sectors INTEGER NOT NULL,"
     " report_path TEXT)",
     "CREATE TABLE reasons ("
     " result_id TEXT NOT NULL REFERENCES results(id) ON DELETE CASCADE,"
     " position INTEGER NOT NULL,"
     " text TEXT NOT NULL,"
     " PRIMARY KEY (result_id, position))",
     "CREATE INDEX results_by_encoder ON results (encoder_serial, part_number)",
     "CREATE INDEX results_by_time ON results (time_utc)"},
    // 1 -> 2: the results a server has not had yet.
    {"CREATE TABLE waiting ("
     " result_id TEXT NOT NULL REFERENCES results(id) ON DELETE CASCADE,"
     " server TEXT NOT NULL,"
     " PRIMARY KEY (result_id, server))"},
    // 2 -> 3: the runout limit and the once-a-turn fit.
    {"ALTER TABLE results ADD COLUMN limit_runout_max_mm REAL",
     "ALTER TABLE results ADD COLUMN runout_mean_mm REAL",
     "ALTER TABLE results ADD COLUMN runout_mm REAL",
     "ALTER TABLE results ADD COLUMN runout_largest_at_deg REAL",
     "ALTER TABLE results ADD COLUMN runout_explained REAL"},
}};

} // namespace Results
