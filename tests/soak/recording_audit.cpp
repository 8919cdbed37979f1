#include "recording_audit.h"

#include <charconv>
#include <fstream>

namespace Soak {
namespace {

bool IsUpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

template <typename T> bool ReadNumber(std::string_view text, T& value) {
    if (text.empty() || text.front() == '+')
        return false;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

bool ReadFlag(std::string_view text, bool& flag) {
    if (text == "-1" || text == "0") {
        flag = text == "-1";
        return true;
    }
    return false;
}

std::vector<std::uint8_t> HexBytes(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(HexValue(hex[i]) * 16 + HexValue(hex[i + 1])));
    return bytes;
}

// Bit by bit on purpose: the program uses a table, this must not share its mistakes.
std::uint8_t Crc8Msb(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    std::uint8_t reg = 0;
    for (std::size_t i = 0; i < count; ++i) {
        reg ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            reg = static_cast<std::uint8_t>((reg & 0x80) ? (reg << 1) ^ 0x97 : reg << 1);
    }
    return reg;
}

std::string AtLine(std::uint64_t line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

} // namespace

std::optional<CsvRow> ParseCsvRow(std::string_view line, std::string& error) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == ';') {
            fields.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    if (start != line.size() || fields.size() != 6) {
        error = "not six fields each ended by ';': \"" + std::string(line) + "\"";
        return std::nullopt;
    }
    CsvRow row;
    const std::string_view rx = fields[1];
    bool ok = ReadNumber(fields[0], row.TimeMs) && rx.size() >= 4 && rx.substr(0, 2) == "0x" &&
              rx.size() % 2 == 0 && ReadNumber(fields[2], row.MT) &&
              ReadNumber(fields[3], row.ST) && ReadFlag(fields[4], row.Error) &&
              ReadFlag(fields[5], row.Warning);
    if (ok) {
        row.RawHex = std::string(rx.substr(2));
        for (char c : row.RawHex)
            ok = ok && IsUpperHex(c);
    }
    if (!ok) {
        error = "malformed row: \"" + std::string(line) + "\"";
        return std::nullopt;
    }
    return row;
}

bool RxCheckByteOk(std::string_view rawHex) {
    if (rawHex.size() < 4 || rawHex.size() % 2 != 0)
        return false;
    for (char c : rawHex)
        if (!IsUpperHex(c))
            return false;
    const std::vector<std::uint8_t> bytes = HexBytes(rawHex);
    return static_cast<std::uint8_t>(~Crc8Msb(bytes, bytes.size() - 1)) == bytes.back();
}

std::optional<PositionWord> ReadPositionWord(std::string_view rawHex, bool multiturn) {
    const std::size_t digits = multiturn ? 8 : 4;
    if (rawHex.size() < digits + 2)
        return std::nullopt;
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        if (!IsUpperHex(rawHex[i]))
            return std::nullopt;
        word = word * 16 + static_cast<std::uint32_t>(HexValue(rawHex[i]));
    }
    PositionWord out;
    out.MT = multiturn ? static_cast<std::int16_t>(static_cast<std::uint16_t>(word >> 16)) : 0;
    out.ST = (word >> 2) & 0x3FFF;
    out.Error = (word & 2) == 0;
    out.Warning = (word & 1) == 0;
    return out;
}

std::string CompareRow(const CsvRow& row, const ExpectedRow& expected) {
    std::string diff;
    auto note = [&diff](const std::string& what, const std::string& file,
                        const std::string& shown) {
        diff += what + " " + file + " (shown " + shown + ") ";
    };
    if (row.RawHex != expected.RawHex)
        note("RX", row.RawHex, expected.RawHex);
    if (row.MT != expected.MT)
        note("MT", std::to_string(row.MT), std::to_string(expected.MT));
    if (row.ST != expected.ST)
        note("ST", std::to_string(row.ST), std::to_string(expected.ST));
    if (row.Error != expected.Error)
        note("Error", row.Error ? "-1" : "0", expected.Error ? "-1" : "0");
    if (row.Warning != expected.Warning)
        note("Warning", row.Warning ? "-1" : "0", expected.Warning ? "-1" : "0");
    return diff;
}

bool LineFollower::Poll(std::vector<std::string>& lines, std::string& error) {
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        error = "cannot open " + path_;
        return false;
    }
    in.seekg(static_cast<std::streamoff>(offset_));
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in.gcount());
        offset_ += got;
        for (std::size_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n') {
                lines.push_back(std::move(partial_));
                partial_.clear();
            } else {
                partial_.push_back(buffer[i]);
            }
        }
    }
    return true;
}

FileAudit AuditRecordingFile(const std::string& path, bool multiturn, bool allowPartialLastLine) {
    FileAudit audit;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        audit.Error = "cannot open " + path;
        return audit;
    }
    std::string line;
    std::uint64_t number = 0;
    bool haveTime = false;
    while (std::getline(in, line)) {
        ++number;
        const bool ended = !in.eof(); // getline stopped at a LF
        audit.Bytes += line.size() + (ended ? 1 : 0);
        if (!ended || line.empty() || line.back() != '\r') {
            if (!ended && allowPartialLastLine && number > 1)
                break; // cut short by a kill: not a row
            audit.Error = AtLine(number, "does not end with CR LF");
            return audit;
        }
        line.pop_back();
        if (number == 1) {
            if (line != CsvHeader) {
                audit.Error = AtLine(number, "header is \"" + line + "\"");
                return audit;
            }
            continue;
        }
        std::string why;
        const std::optional<CsvRow> row = ParseCsvRow(line, why);
        if (!row) {
            audit.Error = AtLine(number, why);
            return audit;
        }
        if (haveTime && row->TimeMs < audit.LastTimeMs) {
            audit.Error = AtLine(number, "time " + std::to_string(row->TimeMs) + " after " +
                                             std::to_string(audit.LastTimeMs));
            return audit;
        }
        if (!haveTime)
            audit.FirstTimeMs = row->TimeMs;
        haveTime = true;
        audit.LastTimeMs = row->TimeMs;
        ++audit.Rows;
        if (!RxCheckByteOk(row->RawHex)) {
            // A failed signal-level or calibration reply is still a row; its
            // other columns are the last good reading's.
            ++audit.FailedCheckRows;
            continue;
        }
        const std::optional<PositionWord> word = ReadPositionWord(row->RawHex, multiturn);
        if (!word || word->MT != row->MT || word->ST != row->ST || word->Error != row->Error ||
            word->Warning != row->Warning) {
            audit.Error =
                AtLine(number, "columns disagree with the position word of RX: \"" + line + "\"");
            return audit;
        }
    }
    if (number == 0) {
        audit.Error = "empty file";
        return audit;
    }
    audit.Ok = true;
    return audit;
}

} // namespace Soak
