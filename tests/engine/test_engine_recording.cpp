// Position recording: the file holds one row per good reading, the duration
// rule, names that never collide, a file that cannot be made, and the gap
// while the encoder is lost.
#include "engine_rig.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <sys/resource.h>
#endif
#ifdef __linux__
#include <sys/mount.h>
#endif

namespace {

using namespace Engine;
namespace fs = std::filesystem;
using Monitor::Page;

const std::string Header = "Time(ms);RX;MT;ST;Error;Warning;\r\n";
const std::string Name = "POSITION_VLR14SPIST16B050_V24017_20240131142530";

// A folder of its own for each test, removed afterwards.
struct Folder {
    Folder()
        : Path(fs::temp_directory_path() /
               ("tessoran-rec-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))) {
        fs::remove_all(Path);
        fs::create_directories(Path);
    }
    ~Folder() { fs::remove_all(Path); }
    fs::path Path;
};

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A rig reading a single-turn encoder at count 4096, reports so far dropped.
std::shared_ptr<K730Sim::K730Box> Connected(EngineRig& rig) {
    auto box = rig.AddBox();
    box->Encoder().SetShaftCount(4096, box->NowUs());
    rig.Start();
    EXPECT_TRUE(rig.Connect());
    rig.ClearReports();
    return box;
}

// The rows the file should hold: one per reading, at the times reported.
std::string Rows(const EngineRig& rig) {
    const auto readings = rig.Reports<Reading>();
    const auto rows = rig.Reports<RecordingRow>();
    std::string text;
    for (std::size_t i = 0; i < rows.size() && i < readings.size(); ++i) {
        const TEncoderPosition& p = readings[i].Position;
        text += std::to_string(rows[i].ElapsedMs) + ";0x" + readings[i].RawHex + ";" +
                std::to_string(p.MT_value) + ";" + std::to_string(p.ST_value) + ";" +
                (p.ErrBit ? "-1" : "0") + ";" + (p.WarnBit ? "-1" : "0") + ";\r\n";
    }
    return text;
}

TEST(Recording, OneRowPerGoodReadingTimedFromTheStart) {
    Folder dir;
    EngineRig rig;
    auto box = Connected(rig);
    box->Encoder().Conditions().WarningBit = true;
    // Replies of several lengths, and a signal level reply that fails its
    // check: its row shows that reply beside the last good position.
    rig.Post(ShowPage{Page::Installation});
    bool corrupted = false;
    rig.onWrite = [&](const Written& w) {
        const bool corrupt = !corrupted && w.Bytes == "?05:097";
        corrupted = corrupted || corrupt;
        box->Faults().CrcCorruptionRate = corrupt ? 1 : 0;
    };
    rig.clock->AdvanceMs(30); // into the reading interval
    const std::int64_t start = rig.NowMs();
    rig.Post(StartRecording{dir.Path.string(), 0});
    const auto paths = rig.Reports<RecordingPath>();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].Path, (dir.Path / (Name + ".csv")).string());

    const std::size_t from = rig.writes.size();
    for (int tick = 0; tick < 7; ++tick)
        rig.RunNextTick();
    rig.Post(StopRecording{});
    rig.RunNextTick(); // no row after the stop

    const auto rows = rig.Reports<RecordingRow>();
    ASSERT_EQ(rows.size(), 7u);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].ElapsedMs, rig.writes[from + i].Ms - start);
    EXPECT_EQ(rows[0].ElapsedMs, 70u); // the start restarted the reading timer
    EXPECT_EQ(FileText(paths[0].Path), Header + Rows(rig));
    EXPECT_NE(Rows(rig).find(";0;4096;0;-1;"), std::string::npos);
    EXPECT_EQ(rig.Reports<Reading>()[1].Command, 255);
    ASSERT_EQ(rig.Reports<RecordingEnded>().size(), 1u);
    EXPECT_FALSE(rig.Reports<RecordingEnded>()[0].Failed);
}

TEST(Recording, TheRowPastTheLimitIsWrittenThenTheRecordingEnds) {
    Folder dir;
    EngineRig rig;
    Connected(rig);
    rig.Post(StartRecording{dir.Path.string(), 0});
    rig.RunUntil(rig.NowMs() + 1500); // no limit
    EXPECT_TRUE(rig.Reports<RecordingEnded>().empty());
    rig.Post(SetRecordingDuration{1}); // taken at the next row
    rig.RunNextTick();
    rig.RunNextTick();
    const auto rows = rig.Reports<RecordingRow>();
    ASSERT_GE(rows.size(), 2u);
    EXPECT_GT(rows.back().ElapsedMs, 1500u);
    EXPECT_EQ(rig.Reports<Reading>().size(), rows.size() + 1);
    ASSERT_EQ(rig.Reports<RecordingEnded>().size(), 1u);
    EXPECT_FALSE(rig.Reports<RecordingEnded>()[0].Failed);
    EXPECT_EQ(FileText(rig.Reports<RecordingPath>()[0].Path), Header + Rows(rig));
}

TEST(Recording, TwoRecordingsInOneSecondKeepBothFiles) {
    Folder dir;
    EngineRig rig;
    Connected(rig);
    for (int recording = 0; recording < 2; ++recording) {
        rig.Post(StartRecording{dir.Path.string(), 0});
        rig.RunNextTick();
        rig.Post(StopRecording{});
    }
    const auto paths = rig.Reports<RecordingPath>();
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0].Path, (dir.Path / (Name + ".csv")).string());
    EXPECT_EQ(paths[1].Path, (dir.Path / (Name + "_2.csv")).string());
    for (const RecordingPath& p : paths) {
        const std::string text = FileText(p.Path);
        EXPECT_TRUE(text.starts_with(Header));
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2); // the header and one row
    }
}

TEST(Recording, AStartThatCannotCreateTheFileEndsItAndReadingGoesOn) {
    Folder dir;
    EngineRig rig;
    Connected(rig);
    rig.Post(StartRecording{(dir.Path / "gone").string(), 20});
    ASSERT_EQ(rig.Reports<RecordingEnded>().size(), 1u);
    EXPECT_TRUE(rig.Reports<RecordingEnded>()[0].Failed);
    ASSERT_EQ(rig.Messages().size(), 1u);
    const std::string text = rig.Messages()[0];
    EXPECT_NE(text.find(rig.Reports<RecordingPath>()[0].Path), std::string::npos) << text;
    EXPECT_NE(text.find(std::strerror(ENOENT)), std::string::npos) << text;
    EXPECT_EQ(rig.LogLines(), std::vector<std::string>{text});

    rig.RunNextTick();
    rig.Post(StopRecording{}); // nothing open: nothing more to say
    EXPECT_EQ(rig.Reports<Reading>().size(), 1u);
    EXPECT_TRUE(rig.Reports<RecordingRow>().empty());
    EXPECT_EQ(rig.Reports<RecordingEnded>().size(), 1u);
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::Read);
}

#ifndef _WIN32
TEST(Recording, AFailedWriteEndsTheRecordingAndReadingGoesOn) {
    Folder dir;
    EngineRig rig;
    Connected(rig);
    rig.Post(StartRecording{dir.Path.string(), 0});
    rig.RunNextTick();
    const std::string path = rig.Reports<RecordingPath>()[0].Path;
    const std::string kept = FileText(path);
    {
        // The file may grow by part of a row only; SIGXFSZ would end the process.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit full = saved;
        full.rlim_cur = kept.size() + 7;
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &full);
        rig.RunNextTick();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    }
    ASSERT_EQ(rig.Messages().size(), 1u);
    const std::string text = rig.Messages()[0];
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find(std::strerror(EFBIG)), std::string::npos) << text;
    ASSERT_EQ(rig.Reports<RecordingEnded>().size(), 1u);
    EXPECT_TRUE(rig.Reports<RecordingEnded>()[0].Failed);

    rig.RunNextTick();
    EXPECT_EQ(rig.Reports<Reading>().size(), 3u);
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::Read);
    EXPECT_EQ(FileText(path), kept);
}
#endif

#ifdef __linux__
TEST(Recording, AFullDiskEndsTheRecordingAfterAWholeRowAndReadingGoesOn) {
    Folder dir;
    if (::mount("tessoran", dir.Path.c_str(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "a small tmpfs cannot be mounted here: " << std::strerror(errno);
    const std::unique_ptr<const char, int (*)(const char*)> unmount(dir.Path.c_str(), ::umount);
    EngineRig rig;
    Connected(rig);
    rig.Post(StartRecording{dir.Path.string(), 0});
    for (int tick = 0; tick < 5000 && rig.Reports<RecordingEnded>().empty(); ++tick)
        rig.RunNextTick();
    ASSERT_EQ(rig.Messages().size(), 1u);
    EXPECT_NE(rig.Messages()[0].find(std::strerror(ENOSPC)), std::string::npos);
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::Read);
    // Every row but the one that did not fit, each whole.
    std::string rows = Header + Rows(rig);
    rows.erase(rows.rfind("\r\n", rows.size() - 3) + 2);
    EXPECT_GT(rows.size(), 4000u);
    EXPECT_EQ(FileText(rig.Reports<RecordingPath>()[0].Path), rows);
}
#endif

TEST(Recording, RowsPauseWhileTheEncoderIsLostAndResumeWithLaterTimes) {
    Folder dir;
    EngineRig rig;
    auto box = Connected(rig);
    rig.Post(StartRecording{dir.Path.string(), 0});
    rig.RunNextTick();
    box->SetEncoderAttached(false);
    rig.RunNextTick(); // lost
    rig.RunNextTick(); // searched in vain
    box->SetEncoderAttached(true);
    rig.RunNextTick(); // found
    rig.RunNextTick();

    const auto rows = rig.Reports<RecordingRow>();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_GT(rows[1].ElapsedMs, rows[0].ElapsedMs + 2 * MonitorEngine::SearchEncoderMs);
    EXPECT_EQ(rig.Reports<Reading>().size(), 2u);
    EXPECT_TRUE(rig.Reports<RecordingEnded>().empty());
    EXPECT_EQ(FileText(rig.Reports<RecordingPath>()[0].Path), Header + Rows(rig));
}

} // namespace
