#pragma once
// A position recording read back for review: time, turns, single-turn count
// and status of every row in columns, the raw reply left out. Broken rows are
// skipped and counted, so a file cut short by a crash or a full disk still
// opens with all its good rows. Any bytes are safe.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Monitor {

/// One row as the review needs it; the raw reply is not kept (memory).
struct RecordingColumns {
    static constexpr std::uint8_t ErrorFlag = 1u << 0;
    static constexpr std::uint8_t WarningFlag = 1u << 1;

    std::vector<std::uint32_t> TimeMs;
    std::vector<std::int32_t> MT;
    std::vector<std::uint32_t> ST;
    std::vector<std::uint8_t> Flags; ///< ErrorFlag | WarningFlag
    bool HasTurns = false;           ///< a row has a turn count other than 0 (multiturn)

    [[nodiscard]] std::size_t Rows() const { return TimeMs.size(); }
};

struct RecordingContents {
    RecordingColumns Columns;
    std::size_t BadLines = 0;     ///< lines skipped (broken rows, a cut-off last line)
    std::size_t FirstBadLine = 0; ///< 1-based, the header is line 1; 0 if none
    std::string FirstBadReason;   ///< short English reason, e.g. "5 fields, 6 expected"
    std::size_t ErrorRows = 0;
    std::size_t WarningRows = 0;

    /// Last time - first time; 0 with fewer than 2 rows or when the last is earlier.
    [[nodiscard]] std::uint32_t DurationMs() const;
};

enum class RecordingReadStatus { Ok, CannotOpen, NotARecording };

struct RecordingReadResult {
    RecordingReadStatus Status = RecordingReadStatus::Ok;
    std::string Reason; ///< why not Ok: the system's text, or what the first line lacks
    RecordingContents Contents;
};

/// Parses the whole text of a file (for tests and the fuzz target).
[[nodiscard]] RecordingReadResult ParseRecording(std::string_view text);

/// Reads a file by UTF-8 path in chunks of a fixed size: the file's text is
/// never held in memory as a whole.
[[nodiscard]] RecordingReadResult ReadRecording(const std::string& path);

/// What both of the above use: a recording's text taken in pieces of any
/// size, split anywhere. A line longer than MaxLineBytes is a bad line.
class RecordingParser {
public:
    static constexpr std::size_t MaxLineBytes = 4096;

    /// Reserves the columns for a file of `totalBytes`, judged by the lines of
    /// `sample`, the file's start. Only a hint: it may do nothing.
    void Reserve(std::string_view sample, std::uint64_t totalBytes);
    /// Takes the next piece. False once the text is known not to be a
    /// recording: the rest need not be read.
    bool Feed(std::string_view piece);
    /// The result once the last piece is in; call once.
    [[nodiscard]] RecordingReadResult Finish();

private:
    void TakeLine(std::string_view line);
    void TakeHeader(std::string_view line);
    void TakeBadLine(std::string_view reason);

    RecordingContents contents_;
    std::string carry_;      // the start of a line split between pieces
    bool tooLong_ = false;   // the current line is past MaxLineBytes: skipped to its end
    bool sawBytes_ = false;  // an empty file is no recording
    bool sawHeader_ = false; // the first line was the header
    bool foreign_ = false;   // the first line was something else
    std::size_t lines_ = 0;  // complete lines taken, the header included
};

} // namespace Monitor
