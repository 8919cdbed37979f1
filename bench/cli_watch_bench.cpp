// tessoran-cli watch --json --interval 1 against k730-sim, as a script on a
// pipe reads it: readings a second, and the CPU the program and the simulator
// spend meanwhile (from the moment the first line came, so the search is left
// out). Then, as the anchor, the least any program on this schedule must do,
// on the same port of the same simulator: one position exchange, one line
// out, sleep to the next millisecond. On a virtual machine whose wake-ups
// come late the anchor itself falls short of 1000/s; the ratio says what the
// program adds.
//
//   cli_watch_bench [--seconds S]
// Exits 1 when a goal is missed: >= 900 readings/s at <= 10 % of a core.

#include "bare_exchange.h"
#include "bench_row.h"
#include "encoder/Velor_konstante.h"
#include "encoder/framing.h"
#include "process_cpu.h"
#include "sim_process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Readings a second of the bare loop on `port`; negative when an exchange failed.
double BareLoopRate(const std::string& port, double seconds) {
    const int fd = OpenRaw(port);
    const int out = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (fd < 0 || out < 0) {
        for (const int open : {fd, out})
            if (open >= 0)
                ::close(open);
        return -1;
    }
    // The simulated encoder is a single-turn one.
    const std::string position = Velor::EncoderFrame(Velor_konstante::Cmd::Position, false);
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    long readings = 0;
    bool ok = true;
    while (ok && std::chrono::steady_clock::now() < end) {
        ok = BarePollExchange(fd, position);
        char line[96];
        const int len =
            std::snprintf(line, sizeof line, "{\"t_ms\":%ld,\"raw\":\"0003D1\"}\n", readings);
        ok = ok && ::write(out, line, static_cast<std::size_t>(len)) == len;
        ++readings;
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const long long next = (now.tv_sec * 1000LL + now.tv_nsec / 1'000'000) + 1;
        const timespec due{static_cast<time_t>(next / 1000),
                           static_cast<long>(next % 1000) * 1'000'000};
        ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(fd);
    ::close(out);
    return ok ? static_cast<double>(readings) / wall : -1;
}

} // namespace

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    double seconds = 10;
    if (argc == 3 && std::string(argv[1]) == "--seconds")
        seconds = std::atof(argv[2]);

    SimProcess sim;
    if (!sim.Start({K730_SIM_PATH})) {
        std::fprintf(stderr, "cannot start %s\n", K730_SIM_PATH);
        return 1;
    }
    const std::string port = sim.ReadLine();
    SimProcess cli;
    if (!cli.Start({TESSORAN_CLI_PATH, "watch", "--json", "--interval", "1", port}) ||
        !cli.ReadLine(15000).starts_with("{\"t_ms\":0,")) {
        std::fprintf(stderr, "tessoran-cli watch did not read %s\n", port.c_str());
        return 1;
    }

    const double cliCpu0 = ProcessCpuSeconds(cli.Pid());
    const double simCpu0 = ProcessCpuSeconds(sim.Pid());
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    long lines = 0;
    long malformed = 0;
    while (Clock::now() < end) {
        const std::string line = cli.ReadLine(2000);
        if (line.empty())
            break;
        ++lines;
        malformed += line.starts_with("{\"t_ms\":") && line.ends_with("}") ? 0 : 1;
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cliCpu = 100.0 * (ProcessCpuSeconds(cli.Pid()) - cliCpu0) / wall;
    const double simCpu = 100.0 * (ProcessCpuSeconds(sim.Pid()) - simCpu0) / wall;
    const int status = cli.Terminate(SIGINT);
    const double rate = static_cast<double>(lines) / wall;
    const double bare = BareLoopRate(port, seconds);
    const double ratio = bare > 0 ? rate / bare : 0;

    std::printf("tessoran-cli watch --json --interval 1 on %s for %.1f s\n"
                "  %ld lines (%ld malformed): %.0f readings/s\n"
                "  CPU: tessoran-cli %.1f %% of a core, k730-sim %.1f %%\n"
                "  exit status after Ctrl+C: %d\n"
                "  anchor, the bare loop on the same port: %.0f readings/s; ratio %.2f\n",
                port.c_str(), wall, lines, malformed, rate, cliCpu, simCpu, status, bare, ratio);
    const bool met = rate >= 900 && cliCpu <= 10 && malformed == 0 && status == 0;
    std::printf("  goals (>= 900 readings/s, <= 10 %% CPU): %s\n", met ? "met" : "MISSED");

    const char* bench = "cli_watch_bench";
    BenchRow(bench, "watch --json --interval 1", rate, 0, "readings/s", ">= 900");
    BenchRow(bench, "  anchor: bare loop, same schedule", bare, 0, "readings/s");
    BenchRow(bench, "  tessoran-cli / bare loop", ratio, 2, "", ">= 0.95");
    BenchRow(bench, "  tessoran-cli CPU", cliCpu, 1, "% core", "<= 10");
    BenchRow(bench, "  k730-sim CPU", simCpu, 1, "% core");
    BenchRow(bench, "  malformed lines", static_cast<double>(malformed), 0, "", "<= 0");
    return met ? 0 : 1;
}
