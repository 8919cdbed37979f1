// ParseRecording on any text, and the same text fed to RecordingParser in
// pieces split anywhere, as ReadRecording's chunks split it: where a piece
// ends never changes what is read.
#include "monitor/recording_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace Monitor;

namespace {

bool Same(const RecordingReadResult& a, const RecordingReadResult& b) {
    const RecordingContents& x = a.Contents;
    const RecordingContents& y = b.Contents;
    return a.Status == b.Status && a.Reason == b.Reason && x.Columns.TimeMs == y.Columns.TimeMs &&
           x.Columns.MT == y.Columns.MT && x.Columns.ST == y.Columns.ST &&
           x.Columns.Flags == y.Columns.Flags && x.Columns.HasTurns == y.Columns.HasTurns &&
           x.BadLines == y.BadLines && x.FirstBadLine == y.FirstBadLine &&
           x.FirstBadReason == y.FirstBadReason && x.ErrorRows == y.ErrorRows &&
           x.WarningRows == y.WarningRows;
}

// What every result must satisfy, whatever the text.
void Check(std::string_view text, const RecordingReadResult& result) {
    const RecordingContents& c = result.Contents;
    const RecordingColumns& col = c.Columns;
    if (result.Status != RecordingReadStatus::Ok) {
        if (result.Reason.empty() || col.Rows() != 0 || c.BadLines != 0)
            __builtin_trap();
        return;
    }
    if (text.substr(0, 31) != "Time(ms);RX;MT;ST;Error;Warning" || !result.Reason.empty())
        __builtin_trap();
    // Every line after the header is a row or a bad line; a final line end ends
    // the last line and starts none.
    const auto ends = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    const std::size_t lines = ends + (text.back() == '\n' ? 0 : 1);
    if (col.Rows() + c.BadLines + 1 != lines)
        __builtin_trap();
    if (col.MT.size() != col.Rows() || col.ST.size() != col.Rows() ||
        col.Flags.size() != col.Rows())
        __builtin_trap();
    if ((c.BadLines == 0) != (c.FirstBadLine == 0) ||
        (c.BadLines == 0) != c.FirstBadReason.empty() || c.FirstBadLine == 1 ||
        c.FirstBadLine > lines)
        __builtin_trap();
    std::size_t errors = 0;
    std::size_t warnings = 0;
    for (std::uint8_t flags : col.Flags) {
        if (flags > (RecordingColumns::ErrorFlag | RecordingColumns::WarningFlag))
            __builtin_trap();
        errors += (flags & RecordingColumns::ErrorFlag) != 0;
        warnings += (flags & RecordingColumns::WarningFlag) != 0;
    }
    const bool turns = std::any_of(col.MT.begin(), col.MT.end(), [](auto mt) { return mt != 0; });
    if (errors != c.ErrorRows || warnings != c.WarningRows || turns != col.HasTurns)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const RecordingReadResult whole = ParseRecording(text);
    Check(text, whole);

    // Piece sizes of 1 to 64 bytes, taken from the text itself.
    RecordingParser parser;
    std::string_view rest = text;
    for (std::size_t i = 0; !rest.empty(); ++i) {
        const std::size_t n = std::min<std::size_t>(rest.size(), 1u + data[i % size] % 64u);
        if (!parser.Feed(rest.substr(0, n)))
            break;
        rest.remove_prefix(n);
    }
    if (!Same(whole, parser.Finish()))
        __builtin_trap();
    return 0;
}
