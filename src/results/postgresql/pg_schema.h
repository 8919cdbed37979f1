#pragma once
// The server's schema "tessoran", version by version: PgSchemaSteps[v] brings
// version v to v + 1. The same logical tables as the SQLite file.

#include <array>
#include <vector>

namespace Results {

inline constexpr int PgSchemaVersion = 2;
/// pg_advisory_xact_lock key of the schema's creation: "TSRN".
inline constexpr long long SchemaLockKey = 0x5453524E;

inline const std::array<std::vector<const char*>, PgSchemaVersion> PgSchemaSteps = {{
    // 0 -> 1
    {"CREATE TABLE tessoran.results ("
     " id TEXT PRIMARY KEY,"
     " time_utc TEXT NOT NULL,"
     " bench TEXT NOT NULL,"
     " program_version TEXT NOT NULL,"
     " source TEXT NOT NULL,"
     " box_port TEXT NOT NULL, box_version TEXT NOT NULL, box_serial TEXT NOT NULL,"
     " part_number TEXT NOT NULL, encoder_serial TEXT NOT NULL, firmware TEXT NOT NULL,"
     " multiturn INTEGER,"
     " limit_gap_min_mm DOUBLE PRECISION, limit_gap_max_mm DOUBLE PRECISION,"
     " limit_signal_min DOUBLE PRECISION,"
     " limit_max_warnings BIGINT, limit_max_errors BIGINT,"
     " limit_full_turn INTEGER NOT NULL,"
     " verdict TEXT NOT NULL,"
     " readings BIGINT NOT NULL, error_readings BIGINT NOT NULL,"
     " warning_readings BIGINT NOT NULL,"
     " gap_points BIGINT NOT NULL, gap_min_mm DOUBLE PRECISION, gap_max_mm DOUBLE PRECISION,"
     " gap_mean_mm DOUBLE PRECISION, gap_std_dev_mm DOUBLE PRECISION,"
     " sectors_seen BIGINT NOT NULL, sectors BIGINT NOT NULL,"
     " report_path TEXT)",
     "CREATE TABLE tessoran.reasons ("
     " result_id TEXT NOT NULL REFERENCES tessoran.results(id) ON DELETE CASCADE,"
     " position BIGINT NOT NULL,"
     " text TEXT NOT NULL,"
     " PRIMARY KEY (result_id, position))",
     "CREATE INDEX results_by_encoder ON tessoran.results (encoder_serial, part_number)",
     "CREATE INDEX results_by_time ON tessoran.results (time_utc)"},
    // 1 -> 2: the runout limit and the once-a-turn fit.
    {"ALTER TABLE tessoran.results ADD COLUMN limit_runout_max_mm DOUBLE PRECISION,"
     " ADD COLUMN runout_mean_mm DOUBLE PRECISION, ADD COLUMN runout_mm DOUBLE PRECISION,"
     " ADD COLUMN runout_largest_at_deg DOUBLE PRECISION,"
     " ADD COLUMN runout_explained DOUBLE PRECISION"},
}};

} // namespace Results
