#include "results/installation_result.h"

#include "results/results_platform.h"

#include <chrono>
#include <cstdio>
#include <random>

namespace Results {

std::string StoredVerdictName(Monitor::Verdict verdict) {
    return verdict == Monitor::Verdict::NoLimits ? "NO LIMITS"
                                                 : std::string(Monitor::VerdictName(verdict));
}

InstallationResult NewResult(std::string_view source, const ResultDevices& devices,
                             const Monitor::InstallationLimits& limits,
                             const Monitor::InstallationVerdict& verdict) {
    const Monitor::VerdictResult judged = verdict.Judge(limits);
    InstallationResult r;
    r.Id = NewResultId();
    r.TimeUtc = UtcTimeText(std::chrono::duration_cast<std::chrono::seconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count());
    r.Bench = BenchName();
    r.ProgramVersion = TESSORAN_VERSION_TEXT;
    r.Source = source;
    r.BoxPort = devices.BoxPort; // a path or a port's name: already text
    r.BoxVersion = Latin1ToUtf8(devices.BoxVersion);
    r.BoxSerial = Latin1ToUtf8(devices.BoxSerial);
    r.PartNumber = Latin1ToUtf8(devices.PartNumber);
    r.EncoderSerial = Latin1ToUtf8(devices.EncoderSerial);
    r.Firmware = Latin1ToUtf8(devices.Firmware);
    r.Multiturn = devices.Multiturn;
    r.Limits = limits;
    r.Verdict = StoredVerdictName(judged.Kind);
    r.Reasons = judged.Reasons;
    r.Readings = verdict.Readings();
    r.ErrorReadings = verdict.ErrorReadings();
    r.WarningReadings = verdict.WarningReadings();
    const Monitor::GapStatistics& gaps = verdict.Gaps();
    r.Gap.Points = gaps.Count();
    if (gaps.Count() > 0) {
        r.Gap.MinMm = gaps.Min();
        r.Gap.MaxMm = gaps.Max();
        r.Gap.MeanMm = gaps.Mean();
        r.Gap.StdDevMm = gaps.StdDev();
    }
    r.SectorsSeen = judged.SectorsSeen;
    r.Sectors = Monitor::CoverageSectors;
    r.Runout = verdict.Runout();
    return r;
}

std::string NewResultId() {
    std::random_device entropy;
    std::uniform_int_distribution<unsigned> byte(0, 255);
    unsigned char b[16];
    for (unsigned char& x : b)
        x = static_cast<unsigned char>(byte(entropy));
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40); // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80); // RFC 4122 variant
    char text[37];
    std::snprintf(text, sizeof text,
                  "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return text;
}

std::string UtcTimeText(std::int64_t secondsSinceEpoch) {
    using namespace std::chrono;
    const sys_seconds t{seconds(secondsSinceEpoch)};
    const sys_days day = floor<days>(t);
    const year_month_day date{day};
    const hh_mm_ss clock{t - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()));
    return text;
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            text.push_back(c);
        } else {
            text.push_back(static_cast<char>(0xC0 | (u >> 6)));
            text.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
    }
    return text;
}

} // namespace Results
