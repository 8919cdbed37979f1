// Position exchanges per second over a pseudo-terminal against k730-sim, with
// the CPU each side spends per exchange, and the simulator's CPU while idle.
//
//   sim_exchange_bench [--sim PATH] [--seconds S] [--idle-seconds S]
// Exits 1 when a goal is missed: >= 10000 exchanges/s, idle simulator < 1% CPU.

#include "bench_row.h"
#include "process_cpu.h"
#include "serial/Serial_driver.h"
#include "serial/posix/posix_serial_port.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double OwnCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Simulator {
    pid_t pid = -1;
    int input = -1;
    std::string path;

    bool Start(const std::string& binary) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argv{const_cast<char*>(binary.c_str()), nullptr};
        const int rc = ::posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        input = in[1];
        if (rc != 0)
            return false;
        char c;
        pollfd p{out[0], POLLIN, 0};
        while (::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            path.push_back(c);
        ::close(out[0]);
        return !path.empty();
    }
    void Command(const std::string& line) {
        const std::string text = line + "\n";
        (void)!::write(input, text.data(), text.size());
    }
    ~Simulator() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        if (input >= 0)
            ::close(input);
    }
};

struct Rate {
    double perSecond = 0;
    double programCpuUs = 0;
    long failed = 0;
    [[nodiscard]] bool Met() const { return perSecond >= 10000 && failed == 0; }
};

Rate Run(Simulator& sim, Serial_driver::SerialPort& port, const char* name, const char* frame,
         std::size_t replySize, double seconds) {
    long count = 0;
    long failed = 0;
    std::string reply;
    const double ownCpu0 = OwnCpuSeconds();
    const double simCpu0 = ProcessCpuSeconds(sim.pid);
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        for (int i = 0; i < 100; ++i, ++count)
            if (Serial_driver::InterfaceCommand(&port, frame, 0, reply) != 0 ||
                reply.size() != replySize)
                ++failed;
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double ownCpu = OwnCpuSeconds() - ownCpu0;
    const double simCpu = ProcessCpuSeconds(sim.pid) - simCpu0;
    const double rate = static_cast<double>(count) / wall;
    std::printf("  %-12s %10.0f %12.1f %16.1f %14.1f %8ld\n", name, rate, 1e6 * wall / count,
                1e6 * ownCpu / count, 1e6 * simCpu / count, failed);
    return {rate, 1e6 * ownCpu / count, failed};
}

} // namespace

int main(int argc, char** argv) {
    std::string binary = K730_SIM_PATH;
    double seconds = 3;
    double idleSeconds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--sim")
            binary = argv[i + 1];
        else if (option == "--seconds")
            seconds = std::atof(argv[i + 1]);
        else if (option == "--idle-seconds")
            idleSeconds = std::atof(argv[i + 1]);
    }
    Simulator sim;
    if (!sim.Start(binary)) {
        std::fprintf(stderr, "cannot start %s\n", binary.c_str());
        return 1;
    }
    Serial_driver::OpenError error{};
    auto port = Serial_driver::PosixSerialPort::Open(sim.path, error);
    if (!port || !port->ApplySettings()) {
        std::fprintf(stderr, "cannot open %s\n", sim.path.c_str());
        return 1;
    }

    const double idle0 = ProcessCpuSeconds(sim.pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
    const double idlePercent = 100.0 * (ProcessCpuSeconds(sim.pid) - idle0) / idleSeconds;
    std::printf("k730-sim on %s\n  idle for %.1f s with the port open: %.2f%% CPU (goal < 1%%)\n\n",
                sim.path.c_str(), idleSeconds, idlePercent);

    std::printf("  %-12s %10s %12s %16s %14s %8s\n", "frame", "exch/s", "wall us/ex",
                "program cpu us/ex", "sim cpu us/ex", "failed");
    const Rate single = Run(sim, *port, "?03:000", "?03:000", 9, seconds);
    sim.Command("kind multi");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const Rate multi = Run(sim, *port, "?05:000", "?05:000", 15, seconds);
    const bool met = single.Met() && multi.Met() && idlePercent < 1.0;
    std::printf("\n  goals (>= 10000 exchanges/s, idle < 1%% CPU): %s\n", met ? "met" : "MISSED");

    const char* bench = "sim_exchange_bench";
    BenchRow(bench, "?03:000 exchanges (single-turn)", single.perSecond, 0, "exch/s", ">= 10000");
    BenchRow(bench, "?05:000 exchanges (multiturn)", multi.perSecond, 0, "exch/s", ">= 10000");
    BenchRow(bench, "  program CPU per ?05:000", multi.programCpuUs, 1, "us");
    BenchRow(bench, "  failed exchanges", static_cast<double>(single.failed + multi.failed), 0, "",
             "<= 0");
    BenchRow(bench, "k730-sim idle, port open", idlePercent, 2, "% core", "< 1");
    return met ? 0 : 1;
}
