#include "monitor/recording_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace Monitor {
namespace {

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

std::string RecordingFileName(std::string_view partNumber, std::string_view serialNumber,
                              std::string_view timestamp) {
    std::string name = "POSITION_";
    name += partNumber;
    name += '_';
    name += serialNumber;
    name += '_';
    name += timestamp;
    name += ".csv";
    return name;
}

std::string UnusedRecordingPath(const std::string& folder, const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path first = fs::path(folder) / name;
    std::error_code error;
    if (!fs::exists(first, error))
        return first.string();
    const fs::path stem = first.stem();
    const fs::path extension = first.extension();
    for (int n = 2;; ++n) {
        fs::path candidate = first;
        candidate.replace_filename(stem.string() + "_" + std::to_string(n) + extension.string());
        if (!fs::exists(candidate, error))
            return candidate.string();
    }
}

std::string RecordingHeader() {
    return std::string("Time(ms);RX;MT;ST;Error;Warning") + std::string(LineEnd);
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

RecordingWriter::~RecordingWriter() {
    if (file_)
        std::fclose(file_);
}

FileStatus RecordingWriter::Open(const std::string& path) {
    if (file_)
        (void)Close();
    path_ = path;
    errno = 0;
    // Binary mode: the line ends are written as they stand on every system.
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
        return Failure(errno);
    FileStatus header = WriteLine(RecordingHeader());
    if (!header.Ok) {
        std::fclose(file_);
        file_ = nullptr;
    }
    return header;
}

FileStatus RecordingWriter::WriteLine(std::string_view line) {
    if (!file_)
        return {false, "the file is not open"};
    errno = 0;
    const std::size_t written = std::fwrite(line.data(), 1, line.size(), file_);
    if (written != line.size())
        return Failure(errno);
    // Straight to the system: what is written survives a crash of the program.
    if (std::fflush(file_) != 0)
        return Failure(errno);
    return {};
}

FileStatus RecordingWriter::Close() {
    if (!file_)
        return {};
    std::FILE* file = file_;
    file_ = nullptr; // closed even when the close reports an error
    errno = 0;
    if (std::fclose(file) != 0)
        return Failure(errno);
    return {};
}

} // namespace Monitor
