// The recording file: name, lines byte for byte, the writer's failures, and
// the reader on good, damaged and foreign files.
#include "monitor/recording_file.h"
#include "monitor/recording_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <vector>

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

TEST(RecordingReader, ReadsBackWhatTheWriterWroteAcrossReadChunks) {
    const std::vector<RecordingRow> table = {
        {0, "FFFD0000AB", -3, 0, false, false},
        {1, "FFFD00952E", -3, 37, false, true},
        {2, "FFFF400000AB", -32768, 16383, true, false},
        {1, "0000FFFD10", 0, 16383, true, true}, // back in time: kept in file order
        {4294967295u, "AB;C\xC3\xA9", 2147483647, 4294967295u, false, false},
    };
    TempFolder folder;
    const fs::path file = folder.path / fs::path(u8"Meßdaten.csv");
    RecordingWriter writer;
    ASSERT_TRUE(writer.Open(Utf8(file)).Ok);
    RecordingColumns expected;
    constexpr std::uint32_t Filler = 50'000; // over 1 MiB: the reader's chunks split rows
    for (std::uint32_t i = 0; i < table.size() + Filler; ++i) {
        const RecordingRow row =
            i < table.size() ? table[i] : RecordingRow{i, "40023A", 0, i % 16384, false, false};
        ASSERT_TRUE(writer.WriteRow(row).Ok);
        expected.TimeMs.push_back(row.TimeMs);
        expected.MT.push_back(row.MT);
        expected.ST.push_back(row.ST);
        expected.Flags.push_back((row.Error ? RecordingColumns::ErrorFlag : 0) |
                                 (row.Warning ? RecordingColumns::WarningFlag : 0));
    }
    ASSERT_TRUE(writer.Close().Ok);

    const RecordingReadResult read = ReadRecording(Utf8(file));
    ASSERT_EQ(read.Status, RecordingReadStatus::Ok);
    const RecordingContents& c = read.Contents;
    EXPECT_EQ(c.Columns.TimeMs, expected.TimeMs);
    EXPECT_EQ(c.Columns.MT, expected.MT);
    EXPECT_EQ(c.Columns.ST, expected.ST);
    EXPECT_EQ(c.Columns.Flags, expected.Flags);
    EXPECT_TRUE(c.Columns.HasTurns);
    EXPECT_EQ(c.BadLines, 0u);
    EXPECT_EQ(c.ErrorRows, 2u);
    EXPECT_EQ(c.WarningRows, 2u);
    EXPECT_EQ(c.DurationMs(), table.size() + Filler - 1);
    EXPECT_EQ(ParseRecording(ReadAll(file)).Contents.Columns.TimeMs, expected.TimeMs);
}

TEST(RecordingReader, DamagedFilesOpenWithTheirGoodRowsAndNameTheFirstBadLine) {
    const std::string h = RecordingHeader();
    const std::string a = "1;0x40023A;0;4096;0;-1;\r\n";
    const std::string b = "2;0xFFFD00952E;-3;37;-1;0;\r\n";
    struct Case {
        std::string text;
        std::size_t bad, firstBad;
        std::string reason;
        bool turns;
        std::vector<std::uint32_t> times;
    };
    const std::string timeReason = "time \"x1\" is not a whole number from 0 to 4294967295";
    const std::string mtReason = "MT \"2147483648\" is not a whole number from -2147483648 to "
                                 "2147483647";
    const std::string longRow = "2;0x" + std::string(5000, 'A') + ";0;1;0;0;\r\n";
    const Case cases[] = {
        {h + a + b + "3;0xFFFD01", 1, 4, "cut off: no line end", true, {1, 2}},
        {h + a + "7;0x40023A;0;4096;0;\r\n" + b, 1, 3, "5 fields, 6 expected", true, {1, 2}},
        {h + "x1;0x4;0;1;0;0;\r\n1;4;0;1;0;0;\r\n\r\n" + a, 3, 2, timeReason, false, {1}},
        {h + "1;0x;0;1;0;0;\r\n" + a,
         1,
         2,
         "RX \"0x\" is not 0x followed by the reply",
         false,
         {1}},
        {h + "1;0x4;2147483648;1;0;0;\r\n", 1, 2, mtReason, false, {}},
        {h + "1;0x4;0;1;1;0;\r\n", 1, 2, "Error \"1\" is neither -1 nor 0", false, {}},
        {h + "1;0x4;0;1;0;-1\r\n", 1, 2, "no ';' after the last field", false, {}},
        {h + a + longRow + b, 1, 3, "longer than 4096 characters", true, {1, 2}},
        // LF only, the header without its last ';'.
        {"Time(ms);RX;MT;ST;Error;Warning\n1;0x40023A;0;4096;0;-1;\n", 0, 0, "", false, {1}},
        {"Time(ms);RX;MT;ST;Error;Warning;", 0, 0, "", false, {}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.text.substr(0, 120));
        const RecordingReadResult r = ParseRecording(t.text);
        ASSERT_EQ(r.Status, RecordingReadStatus::Ok);
        EXPECT_EQ(r.Contents.Columns.TimeMs, t.times);
        EXPECT_EQ(r.Contents.BadLines, t.bad);
        EXPECT_EQ(r.Contents.FirstBadLine, t.firstBad);
        EXPECT_EQ(r.Contents.FirstBadReason, t.reason);
        EXPECT_EQ(r.Contents.Columns.HasTurns, t.turns);
    }
}

TEST(RecordingReader, RefusesWhatIsNotARecording) {
    const std::string notHeader = "its first line is not \"Time(ms);RX;MT;ST;Error;Warning;\"";
    TempFolder folder;
    const std::pair<std::string, std::string> cases[] = {
        {"", "the file is empty"},
        {"Date;Value\r\n2025-03-04;12.5\r\n", notHeader},
        {"Time(ms);RX;MT\r\n1;0x40023A;0;\r\n", notHeader},
        {"Time(ms);RX;MT;ST;Error;Warning;;\r\n", notHeader},
    };
    for (const auto& [text, reason] : cases) {
        std::ofstream(folder.path / "f.csv", std::ios::binary) << text;
        const RecordingReadResult r = ReadRecording(Utf8(folder.path / "f.csv"));
        EXPECT_EQ(r.Status, RecordingReadStatus::NotARecording) << text;
        EXPECT_EQ(r.Reason, reason);
        EXPECT_EQ(r.Contents.Columns.Rows(), 0u);
    }
    const RecordingReadResult missing = ReadRecording(Utf8(folder.path / "gone.csv"));
    EXPECT_EQ(missing.Status, RecordingReadStatus::CannotOpen);
    EXPECT_EQ(missing.Reason, std::strerror(ENOENT));
}
