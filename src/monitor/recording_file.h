#pragma once
// The position recording file: its name, its lines and a writer that pushes
// every line to the operating system at once, so a crash or a kill loses
// nothing that was written, and through to the disk once a second, so a power
// cut loses at most that second. Whatever stops it, the file ends after a
// whole row. Failures come back as status values with the system's reason. Paths are UTF-8 on every
// system, so a folder named in any language works on Windows too.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace Monitor {

/// Local date and time of the recording's start; month and day from 1.
struct LocalDateTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

/// YYYYMMDDhhmmss, each field zero-padded; fields out of range are clamped
/// so the stamp always has 14 digits.
[[nodiscard]] std::string RecordingTimestamp(const LocalDateTime& t);

/// "POSITION_" + part number + "_" + serial number + "_" + timestamp + ".csv".
[[nodiscard]] std::string RecordingFileName(std::string_view partNumber,
                                            std::string_view serialNumber,
                                            std::string_view timestamp);

/// "INSTALLATION_" + part number + "_" + serial number + "_" + timestamp + ".pdf".
[[nodiscard]] std::string InstallationReportFileName(std::string_view partNumber,
                                                     std::string_view serialNumber,
                                                     std::string_view timestamp);

/// `folder`/`name`, or when a file of that name exists the first free one of
/// `folder`/<stem>_2<ext>, _3, ...: a recording never replaces another. All
/// three in UTF-8.
[[nodiscard]] std::string UnusedRecordingPath(const std::string& folder, const std::string& name);

/// The header's column names; the line ends in ";" CR LF as every row does.
inline constexpr std::string_view RecordingColumnNames = "Time(ms);RX;MT;ST;Error;Warning";

/// The header line, CR LF included.
[[nodiscard]] std::string RecordingHeader();

/// What one data line carries.
struct RecordingRow {
    std::uint32_t TimeMs = 0; ///< since the start of the recording
    std::string RawHex;       ///< the reply as the Position page shows it
    std::int32_t MT = 0;
    std::uint32_t ST = 0;
    bool Error = false;
    bool Warning = false;
};

/// "time;0x<RX>;MT;ST;Error;Warning;" + CR LF, flags as -1 (set) or 0. Bytes of
/// the reply that are not printable ASCII, and ';', become '?': the file stays
/// ASCII and its columns stay where they are, whatever the box sent.
[[nodiscard]] std::string FormatRecordingRow(const RecordingRow& row);

/// Milliseconds from `startMs` to `nowMs` on a 32-bit tick counter that wraps.
[[nodiscard]] constexpr std::uint32_t ElapsedMs(std::uint32_t startMs, std::uint32_t nowMs) {
    return nowMs - startMs;
}

/// The duration rule: a limit above 0 seconds is passed once the elapsed time
/// is greater than it; 0 (or less) means no limit.
[[nodiscard]] bool RecordingLimitPassed(int limitSeconds, std::uint32_t elapsedMs);

/// std::fopen of a UTF-8 path (`mode` as fopen's, e.g. "rb"); on Windows through
/// its UTF-16 name. Null with errno set on failure.
[[nodiscard]] std::FILE* OpenUtf8(const std::string& path, const char* mode);

/// The size in bytes of the file at a UTF-8 path; 0 when it cannot be told.
[[nodiscard]] std::uint64_t FileSizeUtf8(const std::string& path);

/// Outcome of one file operation: Reason holds the system's text on failure.
struct FileStatus {
    bool Ok = true;
    std::string Reason;
};

/// One recording file, open from a successful Open until Close. Every line is
/// flushed to the system as it is written. A write or close that fails closes
/// the file and cuts it back to its last whole line.
class RecordingWriter {
public:
    /// Rows are pushed through to the disk when a row's time is this far past
    /// the last push, and once more at the close.
    static constexpr std::uint32_t SyncEveryMs = 1000;

    RecordingWriter() = default;
    ~RecordingWriter();
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    /// Creates `path` (UTF-8; replacing a file of that name) and writes the header.
    /// A file open before is closed first. On failure nothing stays open.
    [[nodiscard]] FileStatus Open(const std::string& path);
    /// Appends one line; fails when no file is open.
    [[nodiscard]] FileStatus WriteLine(std::string_view line);
    /// Appends the row's line, and pushes the file to the disk when due.
    [[nodiscard]] FileStatus WriteRow(const RecordingRow& row);
    /// Closes the file; closing when nothing is open succeeds.
    [[nodiscard]] FileStatus Close();

    [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }
    [[nodiscard]] const std::string& Path() const { return path_; }

private:
    FileStatus Abandon(int error);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::uintmax_t wholeBytes_ = 0; ///< size of the file up to its last whole line
    std::uint32_t syncedAtMs_ = 0;  ///< the row time of the last push to the disk
};

} // namespace Monitor
