// The figures of a run and the checks that need the whole of it: the file
// read back from disk, rows against ticks against the simulator's counters,
// memory after the first minutes.
#include "soak_run.h"

#include <QPlainTextEdit>
#include <QTextDocument>
#include <cstdio>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
#else
constexpr bool Sanitized = false;
#endif

// Memory that may come on top of what grows by design once the first
// minutes are over (allocator arenas, font and glyph caches). What grows by
// design is priced at twice what it was measured to cost here: about 30 bytes
// per log character (the text document's blocks, ~700 bytes a line) and 35
// per air-gap point (line and scatter graph).
constexpr long FlatSlackKb = 16 * 1024;
constexpr double LogBytesPerChar = 60;
constexpr double GapBytesPerPoint = 70;
constexpr double WarmUpMinutes = 5;

double PerHour(double amount, qint64 ms) {
    return ms > 0 ? amount * 3600000.0 / static_cast<double>(ms) : 0;
}

} // namespace

bool SoakRun::Report() {
    const qint64 wallMs = Now();
    std::map<std::string, std::uint64_t> statsAtEnd;
    if (options_.AttachLink.isEmpty())
        statsAtEnd = sim_.Stats();

    std::printf("== soak: seed %llu, %.1f min planned, %.1f min wall, %s encoder ==\n",
                static_cast<unsigned long long>(options_.Seed), options_.Minutes,
                static_cast<double>(wallMs) / 60000.0,
                options_.Multiturn ? "multiturn" : "single-turn");

    std::printf("faults            injected recovered  iface-lost  enc-lost  max-ms  mean-ms  "
                "bound-ms\n");
    int injected = 0;
    int recovered = 0;
    for (int i = 0; i < Soak::FaultKindCount; ++i) {
        const auto kind = static_cast<Soak::FaultKind>(i);
        const KindFigures& k = kinds_[static_cast<std::size_t>(i)];
        injected += k.Injected;
        recovered += k.Recovered;
        std::printf("  %-17s %6d %9d %11d %9d %7lld %8lld %9d\n",
                    std::string(Soak::TraitsOf(kind).Name).c_str(), k.Injected, k.Recovered,
                    k.InterfaceLosses, k.EncoderLosses, static_cast<long long>(k.MaxRecoveryMs),
                    static_cast<long long>(k.Recovered ? k.TotalRecoveryMs / k.Recovered : 0),
                    Soak::RecoveryBoundMs(Soak::TraitsOf(kind).Effect));
    }
    std::printf("  total             %6d %9d\n", injected, recovered);
    if (recovered != injected)
        Fail(std::to_string(injected - recovered) + " faults without a recovery");
    std::printf("log while recording: %d \"Interface disconnected!\", %d \"Encoder "
                "disconnected!\"; searches that found the box %d, the encoder %d (and %d that "
                "searched on)\n",
                logInterfaceLost_, logEncoderLost_, interfaceFound_, encoderFound_, encoderMisses_);
    // The search tells the kinds apart by the reply length alone: a reply cut
    // to the other kind's length passes its 8-bit check about once in 256.
    std::printf("encoder kind misread by a search: %d times, %llu readings taken meanwhile\n",
                wrongKindFound_, static_cast<unsigned long long>(wrongKindRows_));

    // The file as a spreadsheet would read it, against the ticks that wrote it.
    const Soak::FileAudit audit = Soak::AuditRecordingFile(csvPath_, options_.Multiturn);
    std::printf("recording %s: %llu bytes\n", csvPath_.c_str(),
                static_cast<unsigned long long>(audit.Bytes));
    std::printf("rows: %llu in the file, %llu good reading ticks (%llu position-only, %llu with "
                "a failed signal-level/calibration reply), %llu rows failing their check byte, "
                "last time %u ms\n",
                static_cast<unsigned long long>(audit.Rows),
                static_cast<unsigned long long>(goodTicks_),
                static_cast<unsigned long long>(goodNulTicks_),
                static_cast<unsigned long long>(failedAuxTicks_),
                static_cast<unsigned long long>(audit.FailedCheckRows), audit.LastTimeMs);
    if (csvPath_.empty())
        Fail("no recording was made");
    else if (!audit.Ok)
        Fail("recording file: " + audit.Error);
    if (audit.Rows != goodTicks_)
        Fail("the file holds " + std::to_string(audit.Rows) + " rows for " +
             std::to_string(goodTicks_) + " good ticks");
    if (audit.FailedCheckRows != failedAuxTicks_)
        Fail(std::to_string(audit.FailedCheckRows) + " rows fail their check byte, " +
             std::to_string(failedAuxTicks_) + " ticks had a failed auxiliary reply");
    if (goodTicks_ > 0 && audit.LastTimeMs > wallMs - recordingStartMs_)
        Fail("the last row's time is beyond the recording's length");

    if (!statsAtStart_.empty() && !statsAtEnd.empty()) {
        auto delta = [&](const char* name) {
            return static_cast<long long>(statsAtEnd[name] - statsAtStart_[name]);
        };
        const long long goodPosition = delta("good_position_replies");
        const long long goodEncoder = delta("good_encoder_replies");
        std::printf("simulator while recording: %lld position frames, %lld good position "
                    "replies, %lld good encoder replies, %lld corrupted, %lld dropped bytes\n",
                    delta("position_frames"), goodPosition, goodEncoder, delta("corrupted"),
                    delta("dropped_bytes"));
        // Every good reply went to a reading tick or to a search: one position
        // and one timestamp reply in each search that found the encoder (none
        // when it misread the kind), then serial number, part number and
        // firmware; at most one position reply in a search that failed later
        // on. Or it was lost with the box, and each such loss leads to one
        // more interface search that finds it.
        const auto nul = static_cast<long long>(goodNulTicks_);
        const auto auxGood = static_cast<long long>(goodTicks_ - failedAuxTicks_);
        const long long found = encoderFound_ - wrongKindFound_;
        const long long lowPosition = nul + found;
        const long long highPosition = nul + encoderFound_ + encoderMisses_ + interfaceFound_;
        const long long lowEncoder = auxGood + 2 * found;
        const long long highEncoder =
            auxGood + 5LL * encoderFound_ + encoderMisses_ + interfaceFound_;
        std::printf("cross-check: good position replies %lld in [%lld, %lld], good encoder "
                    "replies %lld in [%lld, %lld]\n",
                    goodPosition, lowPosition, highPosition, goodEncoder, lowEncoder, highEncoder);
        if (goodPosition < lowPosition || goodPosition > highPosition || goodEncoder < lowEncoder ||
            goodEncoder > highEncoder)
            Fail("the program's good ticks do not match the simulator's good replies");
    } else if (options_.AttachLink.isEmpty()) {
        Fail("k730-sim gave no counters");
    }

    if (!samples_.empty()) {
        const Sample& first = samples_.front();
        const Sample& last = samples_.back();
        const qint64 warmAt = static_cast<qint64>(
            std::min(WarmUpMinutes, options_.Minutes * 0.4) * 60000.0 + first.Ms);
        const Sample* warm = &last;
        for (const Sample& s : samples_)
            if (s.Ms >= warmAt) {
                warm = &s;
                break;
            }
        const qint64 span = last.Ms - warm->Ms;
        const double logPerHour =
            PerHour(static_cast<double>(last.LogChars - warm->LogChars), span);
        const double gapPerHour = PerHour(last.GapPoints - warm->GapPoints, span);
        const double rssPerHour = PerHour(static_cast<double>(last.RssKb - warm->RssKb), span);
        std::printf("memory (VmRSS): start %.1f MB at %.1f min, %.1f MB at %.1f min, end %.1f MB "
                    "at %.1f min; after warm-up %+.1f MB/h\n",
                    first.RssKb / 1024.0, first.Ms / 60000.0, warm->RssKb / 1024.0,
                    warm->Ms / 60000.0, last.RssKb / 1024.0, last.Ms / 60000.0,
                    rssPerHour / 1024.0);
        std::printf("growing by design: log %lld -> %lld characters (%.0f/h), air-gap chart %d "
                    "-> %d points (%.0f/h)\n",
                    static_cast<long long>(first.LogChars), static_cast<long long>(last.LogChars),
                    logPerHour, first.GapPoints, last.GapPoints, gapPerHour);
        const double allowedKb =
            FlatSlackKb + (static_cast<double>(last.LogChars - warm->LogChars) * LogBytesPerChar +
                           (last.GapPoints - warm->GapPoints) * GapBytesPerPoint) /
                              1024.0;
        const long grownKb = last.RssKb - warm->RssKb;
        if (Sanitized)
            std::printf("memory: not judged under AddressSanitizer (its quarantine grows)\n");
        else if (span < 60000)
            std::printf("memory: run too short to judge after the first minutes\n");
        else if (static_cast<double>(grownKb) > allowedKb)
            Fail("memory grew " + std::to_string(grownKb / 1024) + " MB after the first " +
                 "minutes; at most " + std::to_string(static_cast<long>(allowedKb / 1024)) +
                 " MB is explained by the log and the air-gap chart");
        else
            std::printf("memory: grew %.1f MB after warm-up, allowance %.1f MB: flat\n",
                        grownKb / 1024.0, allowedKb / 1024.0);
    }
    std::printf("liveness: longest stretch without events %lld ms (limit %d), %d stretches over "
                "1 s\n",
                static_cast<long long>(maxStallMs_), Soak::LongestBusyMs, stallsOverSecond_);
    std::printf("message boxes: %zu\n", boxes_->Texts.size());
    for (const QString& text : boxes_->Texts)
        std::printf("  %s\n", qPrintable(text));
    if (!boxes_->Texts.empty())
        Fail(std::to_string(boxes_->Texts.size()) + " message boxes");

    std::printf("failures: %d\n", failureCount_);
    for (const std::string& f : failures_)
        std::printf("  %s\n", f.c_str());
    if (failureCount_ != 0 && tempDir_) {
        // The recording and the simulator's messages, for whoever looks into it.
        tempDir_->setAutoRemove(false);
        std::printf("kept for inspection: %s\n", qPrintable(folder_));
    }
    std::printf("result: %s\n", failureCount_ == 0 ? "PASS" : "FAIL");
    std::fflush(stdout);
    return failureCount_ == 0;
}
