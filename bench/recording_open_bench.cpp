// What opening a recording for review costs: a 1,000,000-row recording of a
// turning multiturn shaft, written by RecordingWriter into a temporary folder,
// then read back with ReadRecording. Prints the read's wall time (the file is
// in the system's cache, just written), beside a bare fread() of the same file
// as the anchor, and the peak memory the read adds. Linux: memory from /proc.
// With the window built, also the whole open as the window does it: read on
// the review's thread, the points put on the Position chart (1044 x 282,
// offscreen) and the first draw, with the memory that adds.
#include "bench_row.h"
#include "monitor/recording_file.h"
#include "monitor/recording_reader.h"

#ifdef TESSORAN_BENCH_REVIEW
#include "app/recording_review.h"

#include <QApplication>
#include <QEventLoop>
#include <qcustomplot.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t Rows = 1'000'000;
constexpr std::size_t WarningEvery = 10'007;
constexpr std::size_t ErrorEvery = 50'021;
constexpr int Runs = 5;
constexpr const char* Bench = "recording_open_bench";

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// A /proc/self/status figure in kB ("VmRSS", "VmHWM"); 0 when missing.
long StatusKb(const std::string& name) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(name + ":", 0) == 0)
            return std::stol(line.substr(name.size() + 1));
    return 0;
}

// Lets VmHWM start again from the present resident size (Linux 4.0 on).
bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

bool WriteRecording(const std::string& path) {
    Monitor::RecordingWriter writer;
    if (!writer.Open(path).Ok)
        return false;
    // 0.8 degrees a millisecond from three turns below zero; a multiturn reply.
    std::int64_t count = -3 * 16384;
    char hex[16];
    for (std::size_t i = 0; i < Rows; ++i, count += 37) {
        Monitor::RecordingRow row;
        row.TimeMs = static_cast<std::uint32_t>(i);
        row.MT = static_cast<std::int32_t>(count >= 0 ? count / 16384 : (count - 16383) / 16384);
        row.ST = static_cast<std::uint32_t>(count - std::int64_t{row.MT} * 16384);
        row.Warning = i % WarningEvery == WarningEvery - 1;
        row.Error = i % ErrorEvery == ErrorEvery - 1;
        const auto word = (static_cast<std::uint32_t>(row.MT) << 16) | (row.ST << 2) |
                          (row.Error ? 0u : 2u) | (row.Warning ? 0u : 1u);
        std::snprintf(hex, sizeof hex, "%08X%02X", word, static_cast<unsigned>(i & 0xFF));
        row.RawHex = hex;
        if (!writer.WriteRow(row).Ok)
            return false;
    }
    return writer.Close().Ok;
}

double BareReadMs(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::vector<char> buffer(std::size_t{1} << 20);
    while (file && std::fread(buffer.data(), 1, buffer.size(), file) > 0) {
    }
    if (file)
        std::fclose(file);
    return MsSince(start);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

#ifdef TESSORAN_BENCH_REVIEW
struct ReviewFigures {
    double OpenedMs = 0; ///< from the click to the points on the chart
    double DrawnMs = 0;  ///< and drawn once
    double AddedMb = 0;
};

ReviewFigures OpenForReview(const std::string& path) {
    QCustomPlot chart;
    chart.resize(1044, 282);
    chart.yAxis2->setVisible(true);
    chart.yAxis2->setRange(-5, 365); // as the Position chart
    chart.setPlottingHint(QCP::phFastPolylines, true);
    RecordingReview review(&chart);
    QEventLoop loop;
    QObject::connect(&review, &RecordingReview::opened, &loop, &QEventLoop::quit);
    QObject::connect(&review, &RecordingReview::refused, &loop, &QEventLoop::quit);
    ResetPeak();
    const long rssBefore = StatusKb("VmRSS");
    const auto start = std::chrono::steady_clock::now();
    (void)review.Open(QString::fromStdString(path));
    loop.exec();
    ReviewFigures f;
    f.OpenedMs = MsSince(start);
    chart.replot(QCustomPlot::rpImmediateRefresh);
    (void)chart.toPixmap();
    f.DrawnMs = MsSince(start);
    f.AddedMb = static_cast<double>(StatusKb("VmHWM") - rssBefore) * 1024.0 / 1e6;
    if (review.AngleLine() == nullptr || review.AngleLine()->dataCount() != static_cast<int>(Rows))
        f.DrawnMs = -1;
    return f;
}
#endif

} // namespace

int main(int argc, char** argv) {
#ifdef TESSORAN_BENCH_REVIEW
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    (void)argc;
    (void)argv;
#endif
    const fs::path folder =
        fs::temp_directory_path() / ("tessoran-open-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string path = (folder / "POSITION_BENCH.csv").string();

    auto start = std::chrono::steady_clock::now();
    if (!WriteRecording(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        fs::remove_all(folder);
        return 1;
    }
    const double fileMb = static_cast<double>(fs::file_size(path)) / 1e6;
    std::printf("Wrote %zu rows (%.1f MB) with RecordingWriter in %.0f ms\n", Rows, fileMb,
                MsSince(start));

    // The first read also gives the memory: peak resident size over the
    // resident size before it.
    const bool peakReset = ResetPeak();
    const long rssBefore = StatusKb("VmRSS");
    start = std::chrono::steady_clock::now();
    Monitor::RecordingReadResult result = Monitor::ReadRecording(path);
    std::vector<double> readMs{MsSince(start)};
    const double addedMb = static_cast<double>(StatusKb("VmHWM") - rssBefore) * 1024.0 / 1e6;

    const Monitor::RecordingContents& c = result.Contents;
    const Monitor::RecordingColumns& col = c.Columns;
    const bool right = result.Status == Monitor::RecordingReadStatus::Ok && col.Rows() == Rows &&
                       c.BadLines == 0 && col.HasTurns && c.WarningRows == Rows / WarningEvery &&
                       c.ErrorRows == Rows / ErrorEvery && c.DurationMs() == Rows - 1;
    const double heldBytes = static_cast<double>(col.TimeMs.capacity() * 4 + col.MT.capacity() * 4 +
                                                 col.ST.capacity() * 4 + col.Flags.capacity());
    result = {};

    for (int i = 1; i < Runs; ++i) {
        start = std::chrono::steady_clock::now();
        const Monitor::RecordingReadResult again = Monitor::ReadRecording(path);
        readMs.push_back(MsSince(start));
    }
    std::vector<double> bareMs;
    for (int i = 0; i < Runs; ++i)
        bareMs.push_back(BareReadMs(path));
#ifdef TESSORAN_BENCH_REVIEW
    const ReviewFigures review = OpenForReview(path);
#endif
    fs::remove_all(folder);

    if (!right) {
        std::fprintf(stderr, "the recording did not read back as written\n");
        return 1;
    }
    const double median = Median(readMs);
    std::printf("ReadRecording, %zu rows, %d runs: first %.1f ms, median %.1f ms (%.0f MB/s)\n",
                Rows, Runs, readMs.front(), median, fileMb / median * 1000.0);
    std::printf("  anchor: fread() of the same file, median %.1f ms\n", Median(bareMs));
    std::printf("  columns reserved: %.1f bytes a row (%.1f MB of address space)\n",
                heldBytes / static_cast<double>(Rows), heldBytes / 1e6);
    std::printf("  peak memory added by the first read: %.1f MB%s\n", addedMb,
                peakReset ? "" : " (peak could not be reset: an upper bound)");

    BenchRow(Bench, "open 1,000,000 rows (median)", median, 1, "ms", "<= 1000");
    BenchRow(Bench, "  anchor: fread() of the file", Median(bareMs), 1, "ms");
    BenchRow(Bench, "  peak memory added", addedMb, 1, "MB", "<= 100");
#ifdef TESSORAN_BENCH_REVIEW
    if (review.DrawnMs < 0) {
        std::fprintf(stderr, "the review did not show every row\n");
        return 1;
    }
    std::printf("Review on the chart: points in %.0f ms, drawn after %.0f ms, peak memory added "
                "%.1f MB\n",
                review.OpenedMs, review.DrawnMs, review.AddedMb);
    BenchRow(Bench, "review: open and draw 1,000,000 rows", review.DrawnMs, 0, "ms", "<= 1000");
    BenchRow(Bench, "  review: peak memory added", review.AddedMb, 1, "MB", "<= 100");
    return median <= 1000 && review.DrawnMs <= 1000 && review.AddedMb <= 100 ? 0 : 2;
#else
    return 0;
#endif
}
