#include "monitor/recording_file.h"

#include "monitor/file_sync.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace Monitor {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view LineEnd = ";\r\n";

void AppendPadded(std::string& out, int value, int width, int lowest, int highest) {
    std::string digits = std::to_string(std::clamp(value, lowest, highest));
    if (static_cast<int>(digits.size()) < width)
        out.append(static_cast<std::size_t>(width) - digits.size(), '0');
    out += digits;
}

FileStatus Failure(int error) {
    // Some stdio failures leave errno alone; still give the user a reason.
    return {false, error != 0 ? std::strerror(error) : "unknown input/output error"};
}

// Through char8_t, std::filesystem takes and gives UTF-8 on every system (on
// Windows it converts to and from UTF-16, never through the ANSI code page).
// Not UTF-8 at all: a filesystem_error on Windows.
fs::path FromUtf8(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ToUtf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

} // namespace

std::string RecordingTimestamp(const LocalDateTime& t) {
    std::string out;
    AppendPadded(out, t.Year, 4, 0, 9999);
    AppendPadded(out, t.Month, 2, 1, 12);
    AppendPadded(out, t.Day, 2, 1, 31);
    AppendPadded(out, t.Hour, 2, 0, 23);
    AppendPadded(out, t.Minute, 2, 0, 59);
    AppendPadded(out, t.Second, 2, 0, 59); // a leap second reads as :59
    return out;
}

namespace {
std::string StampedName(std::string_view kind, std::string_view partNumber,
                        std::string_view serialNumber, std::string_view timestamp,
                        std::string_view extension) {
    std::string name(kind);
    name += '_';
    name += partNumber;
    name += '_';
    name += serialNumber;
    name += '_';
    name += timestamp;
    name += extension;
    return name;
}
} // namespace

std::string RecordingFileName(std::string_view partNumber, std::string_view serialNumber,
                              std::string_view timestamp) {
    return StampedName("POSITION", partNumber, serialNumber, timestamp, ".csv");
}

std::string InstallationReportFileName(std::string_view partNumber, std::string_view serialNumber,
                                       std::string_view timestamp) {
    return StampedName("INSTALLATION", partNumber, serialNumber, timestamp, ".pdf");
}

std::string UnusedRecordingPath(const std::string& folder, const std::string& name) {
    try {
        const fs::path first = FromUtf8(folder) / FromUtf8(name);
        std::error_code error;
        if (!fs::exists(first, error))
            return ToUtf8(first);
        const std::string stem = ToUtf8(first.stem());
        const std::string extension = ToUtf8(first.extension());
        for (int n = 2;; ++n) {
            const fs::path candidate =
                first.parent_path() / FromUtf8(stem + "_" + std::to_string(n) + extension);
            if (!fs::exists(candidate, error))
                return ToUtf8(candidate);
        }
    } catch (const fs::filesystem_error&) {
        return folder + "/" + name; // opening it names the fault
    }
}

std::string RecordingHeader() {
    return std::string(RecordingColumnNames) + std::string(LineEnd);
}

std::string FormatRecordingRow(const RecordingRow& row) {
    std::string rx = row.RawHex;
    for (char& ch : rx) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x21 || byte > 0x7E || ch == ';')
            ch = '?';
    }
    std::string line = std::to_string(row.TimeMs);
    line += ";0x";
    line += rx;
    line += ';';
    line += std::to_string(row.MT);
    line += ';';
    line += std::to_string(row.ST);
    line += row.Error ? ";-1" : ";0";
    line += row.Warning ? ";-1" : ";0";
    line += LineEnd;
    return line;
}

bool RecordingLimitPassed(int limitSeconds, std::uint32_t elapsedMs) {
    return limitSeconds > 0 &&
           std::uint64_t{elapsedMs} > static_cast<std::uint64_t>(limitSeconds) * 1000u;
}

std::FILE* OpenUtf8(const std::string& path, const char* mode) {
#ifdef _WIN32
    // A narrow path would go through the ANSI code page: open the UTF-16 one.
    try {
        const std::wstring wideMode(mode, mode + std::strlen(mode));
        return _wfopen(FromUtf8(path).c_str(), wideMode.c_str());
    } catch (const fs::filesystem_error&) {
        errno = EILSEQ;
        return nullptr;
    }
#else
    return std::fopen(path.c_str(), mode);
#endif
}

std::uint64_t FileSizeUtf8(const std::string& path) {
    try {
        std::error_code error;
        const std::uintmax_t size = fs::file_size(FromUtf8(path), error);
        return error ? 0 : size;
    } catch (const fs::filesystem_error&) {
        return 0;
    }
}

RecordingWriter::~RecordingWriter() {
    (void)Close();
}

FileStatus RecordingWriter::Open(const std::string& path) {
    if (file_)
        (void)Close();
    path_ = path;
    wholeBytes_ = 0;
    syncedAtMs_ = 0;
    errno = 0;
    // Binary mode: the line ends are written as they stand on every system.
    file_ = OpenUtf8(path, "wb");
    if (!file_)
        return Failure(errno);
    return WriteLine(RecordingHeader());
}

FileStatus RecordingWriter::WriteLine(std::string_view line) {
    if (!file_)
        return {false, "the file is not open"};
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size())
        return Abandon(errno);
    // Straight to the system: what is written survives a crash of the program.
    if (std::fflush(file_) != 0)
        return Abandon(errno);
    wholeBytes_ += line.size();
    return {};
}

FileStatus RecordingWriter::WriteRow(const RecordingRow& row) {
    FileStatus written = WriteLine(FormatRecordingRow(row));
    if (written.Ok && row.TimeMs - syncedAtMs_ >= SyncEveryMs) {
        syncedAtMs_ = row.TimeMs;
        if (const int error = SyncToDisk(file_); error != 0)
            return Abandon(error);
    }
    return written;
}

FileStatus RecordingWriter::Close() {
    if (!file_)
        return {};
    const int syncError = SyncToDisk(file_);
    std::FILE* file = file_;
    file_ = nullptr; // closed even when the close reports an error
    errno = 0;
    if (std::fclose(file) != 0)
        return Abandon(errno);
    return syncError == 0 ? FileStatus{} : Abandon(syncError);
}

FileStatus RecordingWriter::Abandon(int error) {
    if (file_) {
        std::fclose(file_); // the first failure is the one worth reporting
        file_ = nullptr;
    }
    // A full disk can take part of a line: the file still ends after a whole
    // one. Best effort: a device file, say, cannot be cut, and needs no cut.
    try {
        std::error_code ignored;
        const fs::path path = FromUtf8(path_);
        if (fs::is_regular_file(path, ignored) && fs::file_size(path, ignored) != wholeBytes_)
            fs::resize_file(path, wholeBytes_, ignored);
    } catch (const fs::filesystem_error&) {
    }
    return Failure(error);
}

} // namespace Monitor
