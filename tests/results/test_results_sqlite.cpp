// The results store against real SQLite files: every field back as it went
// in, device text that looks like SQL, the history's filters, files that are
// not ours.
#include "results/results_location.h"
#include "results/sqlite/sqlite_schema.h"
#include "results_file.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <fstream>
#include <sstream>

using namespace ResultsTest;

TEST_F(ResultsFile, EveryFieldComesBackAsItWentIn) {
    const std::vector<InstallationResult> sent = EdgeResults();
    {
        auto store = Open();
        ASSERT_TRUE(store);
        for (const InstallationResult& r : sent)
            ASSERT_TRUE(store->Add(r).Ok);
    }
    const auto back = ReadAll(*Open()); // from the file, not from a cache
    EXPECT_EQ(back, std::vector<InstallationResult>(sent.rbegin(), sent.rend())); // newest first
    EXPECT_EQ(back[0].Firmware, "fw µé");
}

TEST_F(ResultsFile, HistoryIsNarrowedByItsQuery) {
    auto store = Open();
    ASSERT_TRUE(store);
    for (const auto& [time, serial, part] :
         {std::tuple{"2026-12-01T08:00:00Z", "HX0042", "VLR-2214"},
          std::tuple{"2026-12-09T23:59:59Z", "HX0042", "VLR-2214"},
          std::tuple{"2026-12-10T07:00:00Z", "HX0051", "VLR-2214"},
          std::tuple{"2026-12-10T09:00:00Z", "HX0052", "VLR-3020"}}) {
        InstallationResult r = Full(time, serial);
        r.PartNumber = part;
        ASSERT_TRUE(store->Add(r).Ok);
    }
    const auto times = [&](HistoryQuery q) {
        std::vector<InstallationResult> results;
        EXPECT_TRUE(store->Read(q, results).Ok);
        std::vector<std::string> t;
        for (const auto& r : results)
            t.push_back(r.TimeUtc.substr(8, 5));
        return t;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(times({}), (V{"10T09", "10T07", "09T23", "01T08"}));
    EXPECT_EQ(times({.Limit = 2}), (V{"10T09", "10T07"}));
    EXPECT_EQ(times({.Serial = "HX0042"}), (V{"09T23", "01T08"}));
    EXPECT_EQ(times({.Serial = "HX004"}), V{}); // exactly
    EXPECT_EQ(times({.Part = "VLR-3020"}), V{"10T09"});
    EXPECT_EQ(times({.SerialOrPart = "005"}), (V{"10T09", "10T07"}));
    EXPECT_EQ(times({.SerialOrPart = "3020"}), V{"10T09"});
    EXPECT_EQ(times({.SerialOrPart = "%"}), V{}); // no wildcard
    EXPECT_EQ(times({.SinceUtc = "2026-12-10T00:00:00Z"}), (V{"10T09", "10T07"}));
}

TEST_F(ResultsFile, AFileThatIsNotOursOrNewerIsRefusedAndLeftAsItIs) {
    const auto bytes = [this] {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    };
    const auto refused = [&](const std::string& says) {
        const std::string before = bytes();
        StoreStatus status;
        EXPECT_FALSE(OpenSqliteStore(path_, status));
        EXPECT_NE(status.Message.find(path_), std::string::npos) << status.Message;
        EXPECT_NE(status.Message.find(says), std::string::npos) << status.Message;
        EXPECT_EQ(bytes(), before);
        EXPECT_FALSE(fs::exists(path_ + "-wal"));
    };
    std::ofstream(path_) << "Time(ms);RX;MT;ST;Error;Warning\n1;0x1;0;1;0;0\n";
    refused("could not be opened");
    fs::remove(path_);
    {
        SQLite::Database other(path_, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        other.exec("CREATE TABLE parts (pn TEXT)");
    }
    refused("is not a Tessoran results database");
    fs::remove(path_);
    (void)Open(); // ours, then from a newer program
    {
        SQLite::Database newer(path_, SQLite::OPEN_READWRITE);
        newer.exec("PRAGMA journal_mode = DELETE");
        newer.exec("PRAGMA user_version = 7");
    }
    refused("newer Tessoran (schema 7");
}

TEST(ResultsLocation, AnOptionBeatsTheEnvironmentAndNoneKeepsNothing) {
    const std::optional<std::string> unset;
    EXPECT_EQ(ResultsLocation(std::string("a.sqlite"), std::string("b.sqlite")), "a.sqlite");
    EXPECT_EQ(ResultsLocation(std::string(""), std::string("b.sqlite")), "b.sqlite");
    EXPECT_EQ(ResultsLocation(unset, std::string("b.sqlite")), "b.sqlite");
    EXPECT_EQ(ResultsLocation(std::string("none"), std::string("b.sqlite")), std::nullopt);
    EXPECT_EQ(ResultsLocation(unset, std::string("none")), std::nullopt);
    EXPECT_EQ(ResultsLocation(unset, unset), DefaultResultsFile());
    EXPECT_EQ(UtcTimeText(1796897232), "2026-12-10T10:07:12Z");
    const std::string id = NewResultId();
    EXPECT_EQ(id.size(), 36u);
    EXPECT_EQ(id[14], '4');
    EXPECT_NE(id, NewResultId());
}

TEST_F(ResultsFile, AFileOfTheFirstSchemaIsBroughtUpToDateWithItsResults) {
    {
        SQLite::Database v1(path_, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        for (const char* statement : SchemaSteps[0])
            v1.exec(statement);
        v1.exec("PRAGMA application_id = " + std::to_string(SchemaApplicationId));
        v1.exec("PRAGMA user_version = 1");
        v1.exec("INSERT INTO results (id, time_utc, bench, program_version, source, box_port, "
                "box_version, box_serial, part_number, encoder_serial, firmware, limit_full_turn, "
                "verdict, readings, error_readings, warning_readings, gap_points, sectors_seen, "
                "sectors) VALUES ('old', '2026-11-02T08:00:00Z', 'b', '1.0.0.7', 'check', '', '', "
                "'', 'VLR', 'HX1', '', 0, 'PASS', 1, 0, 0, 0, 0, 36)");
    }
    auto store = Open();
    ASSERT_TRUE(store);
    const InstallationResult waiting = Full("2026-12-10T10:00:00Z");
    ASSERT_TRUE(store->AddWaiting(waiting, "postgresql://line@db/r").Ok);
    std::vector<InstallationResult> unsent;
    ASSERT_TRUE(store->Waiting("postgresql://line@db/r", unsent).Ok);
    EXPECT_EQ(unsent, std::vector<InstallationResult>{waiting});
    EXPECT_EQ(ReadAll(*store).back().Id, "old");
    SQLite::Database db(path_, SQLite::OPEN_READONLY);
    EXPECT_EQ(db.execAndGet("PRAGMA user_version").getInt(), SchemaVersion);
}
