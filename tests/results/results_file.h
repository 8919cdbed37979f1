#pragma once
// A results file of the test's own, and a result with every field set.

#include "results/results_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace ResultsTest {

using namespace Results;
namespace fs = std::filesystem;

class ResultsFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tessoran-results-" + NewResultId());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "results.sqlite").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::unique_ptr<BenchResults> Open() {
        StoreStatus status;
        auto store = OpenSqliteStore(path_, status);
        EXPECT_TRUE(status.Ok) << status.Message;
        return store;
    }
    std::vector<InstallationResult> ReadAll(ResultsStore& store, HistoryQuery q = {}) {
        q.Limit = 0;
        std::vector<InstallationResult> results;
        const StoreStatus status = store.Read(q, results);
        EXPECT_TRUE(status.Ok) << status.Message;
        return results;
    }

    fs::path dir_;
    std::string path_;
};

inline InstallationResult Full(std::string time, std::string serial = "HX0042") {
    InstallationResult r;
    r.Id = NewResultId();
    r.TimeUtc = std::move(time);
    r.Bench = "bench-3";
    r.ProgramVersion = "1.0.0.7";
    r.Source = std::string(SourceReport);
    r.BoxPort = "/dev/ttyACM0";
    r.BoxVersion = "K730-6W V2.03.17";
    r.BoxSerial = "K7-1009";
    r.PartNumber = "VLR-2214";
    r.EncoderSerial = std::move(serial);
    r.Firmware = "3.1";
    r.Multiturn = true;
    r.Limits = {0.5, 1.25, 9000.0, 3, 0, true, 0.3};
    r.Verdict = "FAIL";
    r.Reasons = {"air gap 1.31 mm above 1.25 mm at 91.1°", "signal level 8990 below 9000"};
    r.Readings = 1200;
    r.ErrorReadings = 2;
    r.WarningReadings = 17;
    r.Gap = {400, 0.71, 1.31, 1.02, 0.17};
    r.SectorsSeen = 36;
    r.Sectors = 36;
    r.Runout = Monitor::Runout{1.02, 0.61, 270.5, 0.93};
    r.ReportPath = "/home/tech/INSTALLATION_VLR-2214_HX0042.pdf";
    return r;
}

/// Oldest first: a full result, one with every optional field unset, and one
/// whose text is SQL of both backends, quotes, control bytes and Latin-1.
inline std::vector<InstallationResult> EdgeResults() {
    InstallationResult bare = Full("2026-12-10T10:07:12Z", "HX0043");
    bare.Multiturn.reset();
    bare.Limits = {};
    bare.Runout.reset();
    bare.Reasons.clear();
    bare.Gap = {};
    bare.ReportPath.reset();
    bare.Verdict = "NO LIMITS";
    InstallationResult hostile = Full("2026-12-10T10:07:13Z", "X'; DROP TABLE results; --");
    hostile.PartNumber = "\"pn\";\x01\x1b[2J\tend $1";
    hostile.Firmware = Latin1ToUtf8("fw \xB5\xE9");
    hostile.Reasons = {"a\nb", "'); DELETE FROM tessoran.reasons; DELETE FROM reasons; --"};
    return {Full("2026-12-10T10:07:11Z"), bare, hostile};
}

} // namespace ResultsTest
