// The recording file: name, lines byte for byte, and the writer's failures.
#include "monitor/recording_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>

namespace fs = std::filesystem;
using namespace Monitor;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TempFolder {
    TempFolder() {
        // A fresh folder of our own (Windows has no mkdtemp).
        for (unsigned n = std::random_device{}();; ++n) {
            path = fs::temp_directory_path() / ("tessoran-rec-" + std::to_string(n));
            if (fs::create_directory(path))
                break;
        }
    }
    ~TempFolder() { fs::remove_all(path); }
    fs::path path;
};

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

fs::path FromUtf8(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

const RecordingRow Row{1540, "40023A", 0, 4096, false, true};

} // namespace

TEST(RecordingFormat, NameLinesAndTime) {
    EXPECT_EQ(
        RecordingFileName("VLR14SPIST16B050", "V24017", RecordingTimestamp({2025, 3, 4, 5, 6, 7})),
        "POSITION_VLR14SPIST16B050_V24017_20250304050607.csv");
    // No encoder identified yet: three underscores in a row.
    EXPECT_EQ(RecordingFileName("", "", "20240131142530"), "POSITION___20240131142530.csv");
    EXPECT_EQ(InstallationReportFileName("VLR14SPIST16B050", "V24017", "20250304050607"),
              "INSTALLATION_VLR14SPIST16B050_V24017_20250304050607.pdf");
    // A leap second or a bad field keeps the stamp at 14 digits.
    EXPECT_EQ(RecordingTimestamp({2016, 12, 31, 23, 59, 60}), "20161231235959");

    EXPECT_EQ(RecordingHeader(), "Time(ms);RX;MT;ST;Error;Warning;\r\n");
    EXPECT_EQ(FormatRecordingRow(Row), "1540;0x40023A;0;4096;0;-1;\r\n");
    EXPECT_EQ(FormatRecordingRow({4294967295u, "FFFF400000AB", -32768, 16383, true, false}),
              "4294967295;0xFFFF400000AB;-32768;16383;-1;0;\r\n");
    // A box's error text or line noise adds no column and stays ASCII.
    EXPECT_EQ(FormatRecordingRow({7, "AB;C\xC3\xA9 \r\n", 1, 2, false, false}),
              "7;0xAB?C?????;1;2;0;0;\r\n");

    EXPECT_EQ(ElapsedMs(0xFFFFFF00u, 0x100u), 0x200u); // across the counter's wrap
    EXPECT_FALSE(RecordingLimitPassed(20, 20000));
    EXPECT_TRUE(RecordingLimitPassed(20, 20001));
    EXPECT_TRUE(RecordingLimitPassed(10000, 10000001));
    EXPECT_FALSE(RecordingLimitPassed(0, 4294967295u));
}

TEST(RecordingWriter, EveryLineIsWithTheSystemAtOnceAndAStartReplaces) {
    TempFolder folder;
    const fs::path path = folder.path / "r.csv";
    RecordingWriter writer;
    ASSERT_TRUE(writer.Open(Utf8(path)).Ok);
    ASSERT_TRUE(writer.WriteRow(Row).Ok);
    // Readable from outside before the close: nothing waits in a buffer.
    EXPECT_EQ(ReadAll(path), RecordingHeader() + FormatRecordingRow(Row));
    ASSERT_TRUE(writer.Close().Ok);
    EXPECT_TRUE(writer.Close().Ok);
    ASSERT_TRUE(writer.Open(Utf8(path)).Ok);
    EXPECT_EQ(ReadAll(path), RecordingHeader());
}

TEST(RecordingWriter, FailuresCarryTheSystemsReasonAndLeaveNothingOpen) {
    TempFolder folder;
    RecordingWriter writer;
    FileStatus missing = writer.Open(Utf8(folder.path / "gone" / "x.csv"));
    EXPECT_FALSE(missing.Ok);
    EXPECT_EQ(missing.Reason, std::strerror(ENOENT));
    if (fs::is_directory("/sys/kernel")) { // not writable even for root
        EXPECT_EQ(writer.Open("/sys/x.csv").Reason, std::strerror(EACCES));
    }
    if (fs::exists("/dev/full")) { // the header is the first write
        FileStatus full = writer.Open("/dev/full");
        EXPECT_FALSE(full.Ok);
        EXPECT_EQ(full.Reason, std::strerror(ENOSPC));
    }
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(writer.WriteRow(Row).Ok);
}

TEST(RecordingWriter, AFolderNamedOutsideAsciiTakesTheRecordingsByTheirUtf8Paths) {
    TempFolder temp;
    const fs::path dir = temp.path / fs::path(u8"Meßdaten-ü");
    ASSERT_TRUE(fs::create_directory(dir));
    const std::string folder = Utf8(dir);
    const std::string name = "POSITION_VLR14_V24017_20250304050607.csv";

    const std::string first = UnusedRecordingPath(folder, name);
    EXPECT_EQ(FromUtf8(first), dir / name);
    RecordingWriter writer;
    ASSERT_TRUE(writer.Open(first).Ok);
    ASSERT_TRUE(writer.WriteRow(Row).Ok);
    ASSERT_TRUE(writer.Close().Ok);

    // The second in the same second gets a name of its own, in the same folder.
    const std::string second = UnusedRecordingPath(folder, name);
    EXPECT_EQ(FromUtf8(second), dir / "POSITION_VLR14_V24017_20250304050607_2.csv");
    ASSERT_TRUE(writer.Open(second).Ok);
    ASSERT_TRUE(writer.Close().Ok);

    EXPECT_EQ(ReadAll(FromUtf8(first)), RecordingHeader() + FormatRecordingRow(Row));
    EXPECT_EQ(ReadAll(FromUtf8(second)), RecordingHeader());
    std::set<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        files.insert(entry.path().filename());
    EXPECT_EQ(files, (std::set<fs::path>{name, FromUtf8(second).filename()}));
}
