// The soak's own checks must catch what they are there for: a row lost, cut,
// reordered or garbled, a check byte or position word that disagrees, and a
// schedule that would leave a fault kind out of a short run.
#include "encoder/crc.h"
#include "fault_schedule.h"
#include "monitor/recording_file.h"
#include "recording_audit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

namespace fs = std::filesystem;
using namespace Soak;

namespace {

struct TempFile {
    TempFile() {
        std::string pattern = (fs::temp_directory_path() / "tessoran-soak-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        path = (dir / "rec.csv").string();
    }
    ~TempFile() { fs::remove_all(dir); }
    void Write(const std::string& text, bool append = false) const {
        std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
        out << text;
    }
    fs::path dir;
    std::string path;
};

// A reply as the encoder sends it: the bytes, then the inverted CRC-8.
std::string Reply(std::string bytes) {
    bytes.push_back(static_cast<char>(Velor::ReplyCrc(bytes)));
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string hex;
    for (char b : bytes) {
        hex.push_back(Digits[static_cast<unsigned char>(b) >> 4]);
        hex.push_back(Digits[static_cast<unsigned char>(b) & 15]);
    }
    return hex;
}

// A multiturn position reply: turn count, 14-bit angle, flags (active low).
std::string MultiturnReply(std::int16_t turns, std::uint16_t st, bool error, bool warning) {
    const std::uint32_t word =
        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(turns)) << 16) |
        (static_cast<std::uint32_t>(st) << 2) | (error ? 0u : 2u) | (warning ? 0u : 1u);
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>((word >> shift) & 0xFF));
    return Reply(bytes);
}

std::string Row(std::uint32_t time, const std::string& rx, std::int16_t mt, std::uint16_t st,
                bool error, bool warning) {
    return Monitor::FormatRecordingRow({time, rx, mt, st, error, warning});
}

} // namespace

TEST(SoakRecordingRows, TheWritersRowsParseAndOthersDoNot) {
    std::string why;
    const std::string rx = MultiturnReply(-2, 4096, false, true);
    std::string line = Row(1540, rx, -2, 4096, false, true);
    ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
    line.resize(line.size() - 2);
    const auto row = ParseCsvRow(line, why);
    ASSERT_TRUE(row) << why;
    EXPECT_EQ(row->TimeMs, 1540u);
    EXPECT_EQ(row->RawHex, rx);
    EXPECT_EQ(row->MT, -2);
    EXPECT_EQ(row->ST, 4096u);
    EXPECT_FALSE(row->Error);
    EXPECT_TRUE(row->Warning);
    EXPECT_EQ(CompareRow(*row, {rx, -2, 4096, false, true}), "");
    EXPECT_NE(CompareRow(*row, {rx, -2, 4097, false, true}), "");
    EXPECT_NE(CompareRow(*row, {rx, -2, 4096, true, true}), "");

    for (const char* bad : {
             "1540;0x40023A;0;4096;0;-1",    // no closing ';'
             "1540;0x40023A;0;4096;0;-1;;",  // a seventh field
             "1540;0x40023a;0;4096;0;-1;",   // lower-case digit
             "1540;0x40023;0;4096;0;-1;",    // half a byte
             "1540;40023A;0;4096;0;-1;",     // no 0x
             "1540;0x;0;4096;0;-1;",         // no reply at all
             "1540;0x40023A;0;4096;1;-1;",   // a flag that is neither -1 nor 0
             "+1540;0x40023A;0;4096;0;-1;",  // signed time
             "-5;0x40023A;0;4096;0;-1;",     // negative time
             "1540;0x40023A;0;-4096;0;-1;",  // negative angle
             "1540;0x40023A;0;4096;0;-1;\r", // a CR left inside
             "1540 ;0x40023A;0;4096;0;-1;",  // a blank
         })
        EXPECT_FALSE(ParseCsvRow(bad, why)) << bad;
}

TEST(SoakRecordingRows, CheckByteAndPositionWordAreReadIndependently) {
    // The bit-by-bit CRC agrees with the program's table on any reply...
    std::mt19937 rng(7);
    for (int n = 0; n < 500; ++n) {
        std::string bytes(1 + rng() % 12, '\0');
        for (char& b : bytes)
            b = static_cast<char>(rng());
        const std::string hex = Reply(bytes);
        ASSERT_TRUE(RxCheckByteOk(hex)) << hex;
        // ...and refuses every single flipped bit, check byte included.
        for (std::size_t digit = 0; digit < hex.size(); ++digit)
            for (int bit = 0; bit < 4; ++bit) {
                std::string flipped = hex;
                const int v =
                    (flipped[digit] <= '9' ? flipped[digit] - '0' : flipped[digit] - 'A' + 10) ^
                    (1 << bit);
                flipped[digit] = "0123456789ABCDEF"[v];
                ASSERT_FALSE(RxCheckByteOk(flipped)) << flipped;
            }
    }
    EXPECT_FALSE(RxCheckByteOk("FF"));
    EXPECT_FALSE(RxCheckByteOk("4002GA"));

    // The single-turn example of the file format: angle 4096, warning set.
    const auto single = ReadPositionWord("40023A", false);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->ST, 4096u);
    EXPECT_EQ(single->MT, 0);
    EXPECT_FALSE(single->Error);
    EXPECT_TRUE(single->Warning);
    const auto multi = ReadPositionWord(MultiturnReply(-1, 16383, true, false), true);
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->MT, -1);
    EXPECT_EQ(multi->ST, 16383u);
    EXPECT_TRUE(multi->Error);
    EXPECT_FALSE(multi->Warning);
    EXPECT_FALSE(ReadPositionWord("40023A", true)); // too short for a turn count
}

TEST(SoakRecordingFollower, HandsOutOnlyCompleteLinesAsTheyArrive) {
    TempFile file;
    LineFollower follower(file.path);
    std::vector<std::string> lines;
    std::string error;
    EXPECT_FALSE(follower.Poll(lines, error)); // not there yet
    EXPECT_FALSE(error.empty());

    file.Write("Time(ms);RX;MT;ST;Error;Warning;\r\n12;0x40");
    ASSERT_TRUE(follower.Poll(lines, error));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Time(ms);RX;MT;ST;Error;Warning;\r");
    EXPECT_EQ(follower.PartialBytes(), 7u); // "12;0x40"

    file.Write("023A;0;4096;0;-1;\r\n80;0x4002", true);
    lines.clear();
    ASSERT_TRUE(follower.Poll(lines, error));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "12;0x40023A;0;4096;0;-1;\r");
    lines.clear();
    ASSERT_TRUE(follower.Poll(lines, error)); // nothing new: nothing handed out twice
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(follower.PartialBytes(), 9u); // "80;0x4002"
}

TEST(SoakRecordingFile, AWrittenRecordingPassesAndEachKindOfDamageIsFound) {
    TempFile file;
    const std::string a = MultiturnReply(3, 100, false, false);
    const std::string b = MultiturnReply(3, 200, true, false);
    const std::string failedAux = "0000C0FFEE00"; // check byte wrong
    ASSERT_FALSE(RxCheckByteOk(failedAux));
    {
        Monitor::RecordingWriter writer;
        ASSERT_TRUE(writer.Open(file.path).Ok);
        ASSERT_TRUE(writer.WriteRow({0, a, 3, 100, false, false}).Ok);
        ASSERT_TRUE(writer.WriteRow({70, failedAux, 3, 100, false, false}).Ok);
        ASSERT_TRUE(writer.WriteRow({70, b, 3, 200, true, false}).Ok);
        ASSERT_TRUE(writer.Close().Ok);
    }
    FileAudit audit = AuditRecordingFile(file.path, true);
    ASSERT_TRUE(audit.Ok) << audit.Error;
    EXPECT_EQ(audit.Rows, 3u);
    EXPECT_EQ(audit.FailedCheckRows, 1u);
    EXPECT_EQ(audit.FirstTimeMs, 0u);
    EXPECT_EQ(audit.LastTimeMs, 70u);

    const std::string header = "Time(ms);RX;MT;ST;Error;Warning;\r\n";
    const std::string goodA = Row(10, a, 3, 100, false, false);
    struct Case {
        const char* what;
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"time going back", header + Row(20, a, 3, 100, false, false) + goodA, "line 3"},
        {"LF alone", header + "10;0x" + a + ";3;100;0;0;\n", "line 2"},
        {"columns not those of RX", header + Row(10, a, 3, 101, false, false), "line 2"},
        {"error flag not that of RX", header + Row(10, a, 3, 100, true, false), "line 2"},
        {"header changed", "Time;RX;MT;ST;Error;Warning;\r\n" + goodA, "line 1"},
        {"last row cut short", header + goodA + "20;0x" + a.substr(0, 4), "line 3"},
        {"empty", "", "empty"},
    };
    for (const Case& c : cases) {
        file.Write(c.text);
        audit = AuditRecordingFile(file.path, true);
        EXPECT_FALSE(audit.Ok) << c.what;
        EXPECT_NE(audit.Error.find(c.error), std::string::npos) << c.what << ": " << audit.Error;
    }
    // A kill may leave the last row half written; that row then does not count.
    file.Write(header + goodA + "20;0x" + a.substr(0, 4));
    audit = AuditRecordingFile(file.path, true, true);
    ASSERT_TRUE(audit.Ok) << audit.Error;
    EXPECT_EQ(audit.Rows, 1u);
    // Read as a single-turn recording, the same rows disagree with their RX.
    file.Write(header + goodA);
    EXPECT_FALSE(AuditRecordingFile(file.path, false).Ok);
}

TEST(SoakSchedule, EveryRoundHoldsEveryKindAndASeedRepeatsItsShift) {
    FaultSchedule first(42);
    FaultSchedule again(42);
    FaultSchedule other(43);
    bool differs = false;
    for (int round = 0; round < 20; ++round) {
        std::set<FaultKind> kinds;
        for (int i = 0; i < FaultKindCount; ++i) {
            const FaultStep s = first.Next();
            const FaultStep t = again.Next();
            const FaultStep u = other.Next();
            EXPECT_EQ(s.Kind, t.Kind);
            EXPECT_EQ(s.HoldMs, t.HoldMs);
            EXPECT_EQ(s.CalmMs, t.CalmMs);
            differs = differs || s.Kind != u.Kind || s.HoldMs != u.HoldMs;
            EXPECT_GE(s.HoldMs, FaultSchedule::MinHoldMs);
            EXPECT_LE(s.HoldMs, FaultSchedule::MaxHoldMs);
            EXPECT_GE(s.CalmMs, FaultSchedule::MinCalmMs);
            EXPECT_LE(s.CalmMs, FaultSchedule::MaxCalmMs);
            kinds.insert(s.Kind);
        }
        EXPECT_EQ(kinds.size(), static_cast<std::size_t>(FaultKindCount)) << "round " << round;
    }
    EXPECT_TRUE(differs);
    // A lost box costs both searches; a lost encoder only the second.
    EXPECT_GT(RecoveryBoundMs(Loss::Interface), RecoveryBoundMs(Loss::Encoder) + 1000);
    EXPECT_GT(RecoveryBoundMs(Loss::Encoder), 850 + 400);
}
