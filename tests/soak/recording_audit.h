#pragma once
// Reading a position recording back the way a user's spreadsheet would: the
// exact header and row format, the check byte and position word of each RX,
// rows as they reach the disk while the program runs, and a whole-file pass.
// Written apart from the program's own writer and decoder, so a fault in
// either shows up here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Soak {

/// The header line without its line end.
inline constexpr std::string_view CsvHeader = "Time(ms);RX;MT;ST;Error;Warning;";

struct CsvRow {
    std::uint32_t TimeMs = 0;
    std::string RawHex; ///< without the "0x"
    std::int32_t MT = 0;
    std::uint32_t ST = 0;
    bool Error = false;
    bool Warning = false;
};

/// One data line without its CR LF: "time;0xHEX;MT;ST;E;W;" with decimal
/// numbers, upper-case hex digits in whole bytes, flags -1 or 0. Empty with
/// `error` set when the line is anything else.
[[nodiscard]] std::optional<CsvRow> ParseCsvRow(std::string_view line, std::string& error);

/// The inverted CRC-8 (0x97, MSB first) of the reply's bytes matches its last byte.
[[nodiscard]] bool RxCheckByteOk(std::string_view rawHex);

/// Position word of a reply read back from its hex digits: the leading 16 bits
/// (single-turn) or 32 bits (multiturn). Flags are active low in the word.
struct PositionWord {
    std::int32_t MT = 0;
    std::uint32_t ST = 0;
    bool Error = false;
    bool Warning = false;
};
[[nodiscard]] std::optional<PositionWord> ReadPositionWord(std::string_view rawHex, bool multiturn);

/// What the window showed for a tick that should have become a row.
struct ExpectedRow {
    std::string RawHex;
    std::int32_t MT = 0;
    std::uint32_t ST = 0;
    bool Error = false;
    bool Warning = false;
};

/// Empty when the row carries what the tick showed, else what differs.
[[nodiscard]] std::string CompareRow(const CsvRow& row, const ExpectedRow& expected);

/// Lines appended to a growing file since the last call. Only complete lines
/// (ended by LF) are handed out; a line still being written waits.
class LineFollower {
public:
    explicit LineFollower(std::string path) : path_(std::move(path)) {}
    /// Appends the new complete lines, LF removed (the CR stays). False when
    /// the file cannot be read, with `error` set.
    bool Poll(std::vector<std::string>& lines, std::string& error);
    [[nodiscard]] std::uint64_t Offset() const { return offset_; }
    [[nodiscard]] std::size_t PartialBytes() const { return partial_.size(); }

private:
    std::string path_;
    std::uint64_t offset_ = 0;
    std::string partial_;
};

/// A whole recording read from disk in one pass, without keeping its rows.
struct FileAudit {
    bool Ok = false;
    std::string Error; ///< the first problem, with its line number
    std::uint64_t Rows = 0;
    std::uint64_t FailedCheckRows = 0; ///< rows whose RX fails its check byte
    std::uint32_t FirstTimeMs = 0;
    std::uint32_t LastTimeMs = 0;
    std::uint64_t Bytes = 0;
};

/// Header, every row's format and CR LF, non-decreasing times, and the
/// position word of every row whose RX passes its check (MT only for a
/// multiturn encoder). `allowPartialLastLine`: a kill may cut the last line
/// short; it is then not counted.
[[nodiscard]] FileAudit AuditRecordingFile(const std::string& path, bool multiturn,
                                           bool allowPartialLastLine = false);

} // namespace Soak
