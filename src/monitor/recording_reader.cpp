#include "monitor/recording_reader.h"

#include "monitor/recording_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace Monitor {
namespace {

// Large enough that a read costs little per row, small enough to stay cheap.
constexpr std::size_t ChunkBytes = std::size_t{1} << 20;
constexpr std::size_t FieldCount = 6;
constexpr const char* FieldNames[FieldCount] = {"time", "RX", "MT", "ST", "Error", "Warning"};

struct Row {
    std::uint32_t TimeMs = 0;
    std::int32_t MT = 0;
    std::uint32_t ST = 0;
    std::uint8_t Flags = 0;
};

// What ParseRow found wrong: the line's shape, or else the index of the
// first bad field.
enum Fault : int { Good = -1, WrongFieldCount = -2, NoLastSemicolon = -3 };

std::string_view WithoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

bool IsHeader(std::string_view line) {
    line = WithoutCr(line);
    if (line.ends_with(';'))
        line.remove_suffix(1);
    return line == RecordingColumnNames;
}

template <class T> bool ReadNumber(std::string_view field, T& value) {
    const char* end = field.data() + field.size();
    const auto [next, error] = std::from_chars(field.data(), end, value);
    return error == std::errc{} && next == end;
}

// The writer puts any odd byte of the reply as '?', so a good one is printable.
bool IsReply(std::string_view field) {
    if (field.size() < 3 || field[0] != '0' || field[1] != 'x')
        return false;
    return std::all_of(field.begin() + 2, field.end(), [](char ch) {
        const auto byte = static_cast<unsigned char>(ch);
        return byte >= 0x21 && byte <= 0x7E;
    });
}

bool ReadFlag(std::string_view field, std::uint8_t bit, std::uint8_t& flags) {
    if (field == "-1")
        flags |= bit;
    return field == "-1" || field == "0";
}

// `line` without its line end. Splits on ';' in place: no copy per line.
int ParseRow(std::string_view line, Row& row) {
    std::string_view fields[FieldCount];
    const char* at = line.data();
    const char* const end = at + line.size();
    for (std::size_t i = 0; i < FieldCount; ++i) {
        // Fields are a few characters: a plain loop beats a call to memchr.
        const char* semicolon = std::find(at, end, ';');
        if (semicolon == end)
            return i + 1 == FieldCount && at != end ? NoLastSemicolon : WrongFieldCount;
        fields[i] = {at, static_cast<std::size_t>(semicolon - at)};
        at = semicolon + 1;
    }
    if (at != end)
        return WrongFieldCount;
    if (!ReadNumber(fields[0], row.TimeMs))
        return 0;
    if (!IsReply(fields[1]))
        return 1;
    if (!ReadNumber(fields[2], row.MT))
        return 2;
    if (!ReadNumber(fields[3], row.ST))
        return 3;
    if (!ReadFlag(fields[4], RecordingColumns::ErrorFlag, row.Flags))
        return 4;
    if (!ReadFlag(fields[5], RecordingColumns::WarningFlag, row.Flags))
        return 5;
    return Good;
}

// A field as a technician can read it in a note: printable, not too long.
std::string Quoted(std::string_view field) {
    constexpr std::size_t Longest = 16;
    std::string out = "\"";
    for (char ch : field.substr(0, Longest)) {
        const auto byte = static_cast<unsigned char>(ch);
        out += byte >= 0x20 && byte <= 0x7E ? ch : '?';
    }
    out += field.size() > Longest ? "...\"" : "\"";
    return out;
}

std::string FaultReason(std::string_view line, int fault) {
    if (line.empty())
        return "empty line";
    if (fault == NoLastSemicolon)
        return "no ';' after the last field";
    std::size_t fields = static_cast<std::size_t>(std::count(line.begin(), line.end(), ';'));
    if (fault == WrongFieldCount) {
        if (line.back() != ';')
            ++fields;
        return std::to_string(fields) + (fields == 1 ? " field, " : " fields, ") +
               std::to_string(FieldCount) + " expected";
    }
    std::string_view field = line;
    for (int i = 0; i < fault; ++i)
        field.remove_prefix(field.find(';') + 1);
    field = field.substr(0, field.find(';'));
    std::string reason = std::string(FieldNames[fault]) + " " + Quoted(field);
    switch (fault) {
    case 0:
    case 3:
        return reason + " is not a whole number from 0 to 4294967295";
    case 1:
        return reason + " is not 0x followed by the reply";
    case 2:
        return reason + " is not a whole number from -2147483648 to 2147483647";
    default:
        return reason + " is neither -1 nor 0";
    }
}

std::string SystemReason(int error) {
    return error != 0 ? std::strerror(error) : "unknown input/output error";
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

std::uint32_t RecordingContents::DurationMs() const {
    const std::vector<std::uint32_t>& time = Columns.TimeMs;
    if (time.size() < 2 || time.back() < time.front())
        return 0;
    return time.back() - time.front();
}

void RecordingParser::Reserve(std::string_view sample, std::uint64_t totalBytes) {
    const auto lines = static_cast<std::uint64_t>(std::count(sample.begin(), sample.end(), '\n'));
    if (lines < 2 || totalBytes < sample.size())
        return;
    // Rows further on are a little longer as the time gains digits; a margin
    // costs only address space, as pages never written are never mapped in.
    const double rows = static_cast<double>(totalBytes) * static_cast<double>(lines) /
                        static_cast<double>(sample.size());
    const double most = static_cast<double>(std::vector<std::uint32_t>().max_size());
    const auto reserve = static_cast<std::size_t>(std::min(rows * 1.25 + 16, most));
    try {
        RecordingColumns& c = contents_.Columns;
        c.TimeMs.reserve(reserve);
        c.MT.reserve(reserve);
        c.ST.reserve(reserve);
        c.Flags.reserve(reserve);
    } catch (const std::exception&) {
        // A hint only: the columns grow as they fill.
    }
}

bool RecordingParser::Feed(std::string_view piece) {
    sawBytes_ = sawBytes_ || !piece.empty();
    while (!foreign_ && !piece.empty()) {
        const auto* end = static_cast<const char*>(std::memchr(piece.data(), '\n', piece.size()));
        if (end == nullptr) {
            // The start of a line: kept until its end comes, unless already too long.
            if (!tooLong_ && carry_.size() + piece.size() > MaxLineBytes) {
                tooLong_ = true;
                foreign_ = !sawHeader_; // no need to read on to see it is no header
                carry_.clear();
            }
            if (!tooLong_)
                carry_ += piece;
            break;
        }
        const std::string_view part = piece.substr(0, static_cast<std::size_t>(end - piece.data()));
        piece.remove_prefix(part.size() + 1);
        if (tooLong_) {
            TakeLine({}); // stands for the line past the limit
            tooLong_ = false;
        } else if (!carry_.empty()) {
            carry_ += part;
            TakeLine(carry_);
            carry_.clear();
        } else {
            TakeLine(part);
        }
    }
    return !foreign_;
}

void RecordingParser::TakeLine(std::string_view line) {
    ++lines_;
    if (!sawHeader_) {
        TakeHeader(line);
        return;
    }
    // Only the first bad line's reason is shown: the others are not worth a text.
    const bool first = contents_.BadLines == 0;
    if (tooLong_ || line.size() > MaxLineBytes) {
        TakeBadLine(first ? "longer than " + std::to_string(MaxLineBytes) + " characters" : "");
        return;
    }
    line = WithoutCr(line);
    Row row;
    const int fault = ParseRow(line, row);
    if (fault != Good) {
        TakeBadLine(first ? FaultReason(line, fault) : "");
        return;
    }
    RecordingColumns& c = contents_.Columns;
    c.TimeMs.push_back(row.TimeMs);
    c.MT.push_back(row.MT);
    c.ST.push_back(row.ST);
    c.Flags.push_back(row.Flags);
    c.HasTurns = c.HasTurns || row.MT != 0;
    contents_.ErrorRows += (row.Flags & RecordingColumns::ErrorFlag) != 0;
    contents_.WarningRows += (row.Flags & RecordingColumns::WarningFlag) != 0;
}

void RecordingParser::TakeHeader(std::string_view line) {
    if (!tooLong_ && IsHeader(line))
        sawHeader_ = true;
    else
        foreign_ = true;
}

void RecordingParser::TakeBadLine(std::string_view reason) {
    if (contents_.BadLines++ == 0) {
        contents_.FirstBadLine = lines_;
        contents_.FirstBadReason = reason;
    }
}

RecordingReadResult RecordingParser::Finish() {
    // A last line without its line end: cut off, except a header alone.
    if (!foreign_ && (tooLong_ || !carry_.empty())) {
        if (!sawHeader_) {
            foreign_ = tooLong_ || !IsHeader(carry_);
            sawHeader_ = !foreign_;
        } else {
            ++lines_;
            TakeBadLine("cut off: no line end");
        }
        carry_.clear();
        tooLong_ = false;
    }
    if (!sawBytes_)
        return {RecordingReadStatus::NotARecording, "the file is empty", {}};
    if (foreign_ || !sawHeader_)
        return {RecordingReadStatus::NotARecording,
                "its first line is not \"" + std::string(RecordingColumnNames) + ";\"",
                {}};
    return {RecordingReadStatus::Ok, {}, std::move(contents_)};
}

RecordingReadResult ParseRecording(std::string_view text) {
    try {
        RecordingParser parser;
        parser.Reserve(text.substr(0, ChunkBytes), text.size());
        parser.Feed(text);
        return parser.Finish();
    } catch (const std::bad_alloc&) {
        return {RecordingReadStatus::CannotOpen, "not enough memory for its rows", {}};
    }
}

RecordingReadResult ReadRecording(const std::string& path) {
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(OpenUtf8(path, "rb"));
    if (!file)
        return {RecordingReadStatus::CannotOpen, SystemReason(errno), {}};
    // Our buffer is the only one: stdio's own would copy every byte once more.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    try {
        std::vector<char> buffer(ChunkBytes);
        RecordingParser parser;
        for (bool first = true;; first = false) {
            errno = 0;
            const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
            if (std::ferror(file.get()))
                return {RecordingReadStatus::CannotOpen, SystemReason(errno), {}};
            const std::string_view chunk(buffer.data(), got);
            if (first)
                parser.Reserve(chunk, FileSizeUtf8(path));
            if (got == 0 || !parser.Feed(chunk))
                break;
        }
        return parser.Finish();
    } catch (const std::bad_alloc&) {
        return {RecordingReadStatus::CannotOpen, "not enough memory for its rows", {}};
    }
}

} // namespace Monitor
