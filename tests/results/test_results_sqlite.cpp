// The results store against real SQLite files: every field back as it went
// in, device text that looks like SQL, the history's filters, files that are
// not ours, two writers at once and a writer killed mid-way.
#include "results/results_location.h"
#include "results/results_store.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace Results;
namespace fs = std::filesystem;

namespace {

class ResultsFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tessoran-results-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "results.sqlite").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::unique_ptr<ResultsStore> Open() {
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

InstallationResult Full(std::string time, std::string serial = "HX0042") {
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
    r.Limits = {0.5, 1.25, 9000.0, 3, 0, true};
    r.Verdict = "FAIL";
    r.Reasons = {"air gap 1.31 mm above 1.25 mm at 91.1°", "signal level 8990 below 9000"};
    r.Readings = 1200;
    r.ErrorReadings = 2;
    r.WarningReadings = 17;
    r.Gap = {400, 0.71, 1.31, 1.02, 0.17};
    r.SectorsSeen = 36;
    r.Sectors = 36;
    r.ReportPath = "/home/tech/INSTALLATION_VLR-2214_HX0042.pdf";
    return r;
}

} // namespace

TEST_F(ResultsFile, EveryFieldComesBackAsItWentIn) {
    InstallationResult bare = Full("2026-12-10T10:07:12Z", "HX0043");
    bare.Multiturn.reset();
    bare.Limits = {};
    bare.Reasons.clear();
    bare.Gap = {};
    bare.ReportPath.reset();
    bare.Verdict = "NO LIMITS";
    // Text that is SQL, quotes, control bytes and Latin-1 letters: data, bound.
    InstallationResult hostile = Full("2026-12-10T10:07:13Z", "X'; DROP TABLE results; --");
    hostile.PartNumber = "\"pn\";\x01\x1b[2J\tend";
    hostile.Firmware = Latin1ToUtf8("fw \xB5\xE9");
    hostile.Reasons = {"a\nb", "'); DELETE FROM reasons; --"};
    const InstallationResult first = Full("2026-12-10T10:07:11Z");
    {
        auto store = Open();
        ASSERT_TRUE(store);
        for (const InstallationResult* r :
             std::initializer_list<const InstallationResult*>{&first, &bare, &hostile})
            ASSERT_TRUE(store->Add(*r).Ok);
    }
    auto store = Open(); // from the file, not from a cache
    const auto back = ReadAll(*store);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0], hostile); // newest first
    EXPECT_EQ(back[1], bare);
    EXPECT_EQ(back[2], first);
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

TEST_F(ResultsFile, TwoWritersAtOnceBothLand) {
    constexpr int Each = 150;
    ASSERT_TRUE(Open()); // made once, so neither child's open is a first one
    pid_t children[2];
    for (pid_t& child : children) {
        child = fork();
        if (child == 0) {
            StoreStatus status;
            auto store = OpenSqliteStore(path_, status);
            const std::string serial = std::to_string(getpid());
            int added = 0;
            for (int i = 0; store && i < Each; ++i)
                added += store->Add(Full("2026-12-10T10:00:00Z", serial)).Ok;
            _exit(added == Each ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(ReadAll(*Open()).size(), 2u * Each);
}

TEST_F(ResultsFile, AWriterKilledMidWayLeavesEveryResultItFinished) {
    int done[2];
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(done[0]);
        StoreStatus status;
        auto store = OpenSqliteStore(path_, status);
        for (;;) {
            InstallationResult r = Full("2026-12-10T10:00:00Z");
            if (store && store->Add(r).Ok)
                (void)!write(done[1], r.Id.data(), r.Id.size()); // 36 bytes each
        }
    }
    close(done[1]);
    std::string finished;
    char id[36];
    while (finished.size() < 36 * 40 && read(done[0], id, sizeof id) == sizeof id)
        finished.append(id, sizeof id);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(done[0]);

    {
        SQLite::Database db(path_, SQLite::OPEN_READONLY);
        EXPECT_EQ(db.execAndGet("PRAGMA integrity_check").getString(), "ok");
    }
    const auto kept = ReadAll(*Open());
    for (std::size_t at = 0; at < finished.size(); at += 36) {
        const std::string want = finished.substr(at, 36);
        EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [&](const InstallationResult& r) {
            return r.Id == want;
        })) << want;
    }
    for (const InstallationResult& r : kept)
        EXPECT_EQ(r.Reasons.size(), 2u) << "a result is whole or not there";
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
