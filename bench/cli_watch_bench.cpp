// tessoran-cli watch --json --interval 1 against k730-sim, as a script on a
// pipe reads it: readings a second, and the CPU the program and the simulator
// spend meanwhile (from the moment the first line came, so the search is left
// out).
//
//   cli_watch_bench [--seconds S]
// Exits 1 when a goal is missed: >= 900 readings/s at <= 10 % of a core.

#include "bench_row.h"
#include "process_cpu.h"
#include "sim_process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

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

    std::printf("tessoran-cli watch --json --interval 1 on %s for %.1f s\n"
                "  %ld lines (%ld malformed): %.0f readings/s\n"
                "  CPU: tessoran-cli %.1f %% of a core, k730-sim %.1f %%\n"
                "  exit status after Ctrl+C: %d\n",
                port.c_str(), wall, lines, malformed, rate, cliCpu, simCpu, status);
    const bool met = rate >= 900 && cliCpu <= 10 && malformed == 0 && status == 0;
    std::printf("  goals (>= 900 readings/s, <= 10 %% CPU): %s\n", met ? "met" : "MISSED");

    const char* bench = "cli_watch_bench";
    BenchRow(bench, "watch --json --interval 1", rate, 0, "readings/s", ">= 900");
    BenchRow(bench, "  tessoran-cli CPU", cliCpu, 1, "% core", "<= 10");
    BenchRow(bench, "  k730-sim CPU", simCpu, 1, "% core");
    BenchRow(bench, "  malformed lines", static_cast<double>(malformed), 0, "", "<= 0");
    return met ? 0 : 1;
}
