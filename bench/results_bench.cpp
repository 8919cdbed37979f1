// What keeping results costs: one result added as check and the window add
// it (one transaction each, to a real file), then 1,000,000 results added in
// batches, and then the history of one serial read back through
// `tessoran-cli history --serial`, the way a script asks, and through the
// store itself. Prints the file's size too.
#include "bench_row.h"
#include "results/results_store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace Results;

namespace {

constexpr const char* Bench = "results_bench";
constexpr std::size_t Total = 1'000'000;
constexpr std::size_t Batch = 10'000;
constexpr int Singles = 200;
constexpr int Runs = 7;

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/// The n-th of a line's results: 20,000 encoders, each installed 50 times.
InstallationResult Nth(std::size_t n) {
    InstallationResult r;
    r.Id = NewResultId();
    r.TimeUtc = UtcTimeText(1'780'000'000 + static_cast<std::int64_t>(n) * 30);
    r.Bench = "bench-" + std::to_string(n % 8);
    r.ProgramVersion = TESSORAN_VERSION_TEXT;
    r.Source = std::string(n % 5 == 0 ? SourceReport : SourceCheck);
    r.BoxPort = "/dev/ttyACM0";
    r.BoxVersion = "K730-6W V2.03.17";
    r.BoxSerial = "K7-" + std::to_string(n % 8);
    r.PartNumber = n % 3 == 0 ? "VLR14SPIMT16B050" : "VLR14SPIST16B050";
    r.EncoderSerial = "HX" + std::to_string(n % 20'000);
    r.Firmware = "3.1";
    r.Multiturn = n % 3 == 0;
    r.Limits = {0.5, 1.2, 9000.0, std::nullopt, 0, true};
    r.Verdict = n % 7 == 0 ? "FAIL" : "PASS";
    if (n % 7 == 0)
        r.Reasons = {"air gap 1.23 mm above 1.20 mm at 91.1°"};
    r.Readings = 1400;
    r.Gap = {466, 0.77, 0.83, 0.80, 0.02};
    r.SectorsSeen = r.Sectors = 36;
    if (n % 5 == 0)
        r.ReportPath = "/home/tech/INSTALLATION_" + r.EncoderSerial + ".pdf";
    return r;
}

} // namespace

int main() {
    const fs::path dir =
        fs::temp_directory_path() / ("tessoran-results-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string file = (dir / "results.sqlite").string();
    StoreStatus status;
    auto store = OpenSqliteStore(file, status);
    if (!store) {
        std::fprintf(stderr, "%s\n", status.Message.c_str());
        return 1;
    }

    std::vector<double> single;
    for (int i = 0; i < Singles; ++i) {
        const InstallationResult r = Nth(static_cast<std::size_t>(i));
        const auto start = std::chrono::steady_clock::now();
        if (!store->Add(r)) // one transaction, synced to the disk, as check and the window do
            return 1;
        single.push_back(MsSince(start));
    }
    std::printf("one result added (%d, one transaction each): median %.2f ms, worst %.2f ms\n",
                Singles, Median(single), *std::max_element(single.begin(), single.end()));

    const auto start = std::chrono::steady_clock::now();
    std::vector<InstallationResult> batch;
    for (std::size_t n = Singles; n < Total; n += batch.size()) {
        batch.clear();
        for (std::size_t i = n; i < std::min(Total, n + Batch); ++i)
            batch.push_back(Nth(i));
        if (const StoreStatus added = store->Add(batch); !added) {
            std::fprintf(stderr, "%s\n", added.Message.c_str());
            return 1;
        }
    }
    const double addedS = MsSince(start) / 1000;
    std::printf("%zu results added in batches of %zu: %.1f s\n", Total, Batch, addedS);
    store.reset();
    const double sizeMb = static_cast<double>(fs::file_size(file)) / 1e6;
    std::printf("file: %.1f MB (%.0f bytes a result)\n", sizeMb, sizeMb * 1e6 / Total);

    // One serial's history, as a script asks for it and as the window does.
    store = OpenSqliteStore(file, status, OpenMode::Existing);
    std::vector<double> read, cli;
    std::vector<InstallationResult> found;
    for (int run = 0; run < Runs; ++run) {
        const std::string serial = "HX" + std::to_string(1234 + run);
        auto t = std::chrono::steady_clock::now();
        if (!store->Read({.Serial = serial}, found) || found.size() != 20)
            return 1;
        read.push_back(MsSince(t));
        const std::string command = std::string(TESSORAN_CLI_PATH) + " history --results " + file +
                                    " --serial " + serial + " --json > /dev/null";
        t = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            return 1;
        cli.push_back(MsSince(t));
    }
    std::printf("history of one serial (20 of its 50 results): store %.2f ms, "
                "`tessoran-cli history --serial` %.1f ms (medians of %d)\n",
                Median(read), Median(cli), Runs);
    BenchRow(Bench, "add one result", Median(single), 2, "ms", "< 5");
    BenchRow(Bench, "add 1,000,000 results", addedS, 1, "s");
    BenchRow(Bench, "file size", sizeMb, 1, "MB");
    BenchRow(Bench, "history --serial of 1,000,000", Median(cli), 1, "ms", "<= 100");
    fs::remove_all(dir);
    return 0;
}
