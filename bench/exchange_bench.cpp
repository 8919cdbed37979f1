// Round trip of one exchange over a pseudo-terminal: InterfaceCommand against a
// bare poll()/read() loop and a busy-wait loop, on the same pty in the same run.
//
//   exchange_bench [--seconds S] [--request TEXT]
//       against a built-in responder thread, instant and 1 ms late
//   exchange_bench --port PATH [--seconds S] [--request TEXT]
//       against an outside device (the simulator's pty, a box) that answers the
//       request with a CR-ended line
// Exits 1 when a goal of the built-in modes is missed.

#include "bare_exchange.h"
#include "bench_row.h"
#include "serial/Serial_driver.h"
#include "serial/posix/posix_serial_port.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* BuiltInReply = "0A1B2C3D4E5F6071\r";

double ThreadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The device of the built-in modes: answers every request, at once or after a
// delay like a real box's USB round trip.
class Responder {
public:
    Responder(int master, std::size_t requestSize, std::chrono::microseconds delay)
        : thread_([=, this] { Run(master, requestSize, delay); }) {}
    ~Responder() {
        stop_ = true;
        thread_.join();
    }

private:
    void Run(int master, std::size_t requestSize, std::chrono::microseconds delay) {
        std::size_t pending = 0;
        const std::string reply = BuiltInReply;
        while (!stop_) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) {
                continue;
            }
            char buf[256];
            const ssize_t n = ::read(master, buf, sizeof buf);
            pending += n > 0 ? static_cast<std::size_t>(n) : 0;
            for (; pending >= requestSize; pending -= requestSize) {
                if (delay.count() > 0) {
                    std::this_thread::sleep_for(delay);
                }
                if (::write(master, reply.data(), reply.size()) < 0) {
                    return;
                }
            }
        }
    }

    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A busy poll: ask for the queue length without pause until the CR.
bool BusyWaitExchange(int fd, const std::string& request) {
    if (!WriteAll(fd, request)) {
        return false;
    }
    std::string reply;
    const auto deadline = Clock::now() + std::chrono::milliseconds(Serial_driver::ReplyTimeout);
    while (reply.find('\r') == std::string::npos) {
        int waiting = 0;
        if (::ioctl(fd, FIONREAD, &waiting) != 0) {
            return false;
        }
        if (waiting > 0) {
            char buf[256];
            const ssize_t n = ::read(fd, buf, std::min<std::size_t>(sizeof buf, waiting));
            reply.append(buf, static_cast<std::size_t>(n > 0 ? n : 0));
        } else if (Clock::now() > deadline) {
            return false;
        }
    }
    return true;
}

// Totals of one client over all rounds.
struct Figures {
    long done = 0;
    long failed = 0;
    double wall = 0;
    double cpu = 0;

    double PerSecond() const { return wall > 0 ? static_cast<double>(done) / wall : 0; }
    double CpuPercent() const { return wall > 0 ? 100.0 * cpu / wall : 0; }
};

void Measure(Figures& f, double seconds, const std::function<bool()>& exchange) {
    const double cpu0 = ThreadCpuSeconds();
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        (exchange() ? f.done : f.failed) += 1;
    }
    f.wall += std::chrono::duration<double>(Clock::now() - start).count();
    f.cpu += ThreadCpuSeconds() - cpu0;
}

void Print(const char* name, const Figures& f) {
    const double count = static_cast<double>(std::max(1L, f.done + f.failed));
    std::printf("  %-18s %12.0f %14.1f %13.1f %12.1f %8ld\n", name, f.PerSecond(),
                1e6 * f.wall / count, 1e6 * f.cpu / count, f.CpuPercent(), f.failed);
}

struct Result {
    Figures driver, bare, busy;
};

// The clients take turns in short rounds, so that load from elsewhere on the
// machine falls on all of them alike.
Result RunClients(const std::string& path, const std::string& request, double seconds) {
    constexpr int Rounds = 5;
    Result r;
    Serial_driver::OpenError error{};
    for (int round = 0; round < Rounds; ++round) {
        {
            auto port = Serial_driver::PosixSerialPort::Open(path, error);
            if (!port || !port->ApplySettings()) {
                std::printf("  cannot open %s\n", path.c_str());
                return r;
            }
            std::string reply;
            Measure(r.driver, seconds / Rounds, [&] {
                return Serial_driver::InterfaceCommand(port.get(), request, 0, reply) == 0;
            });
        }
        const int fd = OpenRaw(path);
        Measure(r.bare, seconds / Rounds, [&] { return BarePollExchange(fd, request); });
        Measure(r.busy, seconds / Rounds, [&] { return BusyWaitExchange(fd, request); });
        ::close(fd);
    }
    std::printf("  %-18s %12s %14s %13s %12s %8s\n", "client", "exchanges/s", "wall us/exch",
                "cpu us/exch", "cpu % wall", "failed");
    Print("InterfaceCommand", r.driver);
    Print("bare poll/read", r.bare);
    Print("busy-wait", r.busy);
    return r;
}

void Verdict(const char* what, bool met) {
    std::printf("  %s: %s\n", what, met ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    std::string port;
    std::string request = "e";
    double seconds = 2.0;
    bool usable = argc % 2 == 1;
    for (int i = 1; usable && i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--port") {
            port = argv[i + 1];
        } else if (option == "--seconds") {
            seconds = std::atof(argv[i + 1]);
        } else if (option == "--request") {
            request = argv[i + 1];
        } else {
            usable = false;
        }
    }
    if (!usable || seconds <= 0 || request.empty()) {
        std::fprintf(stderr, "usage: %s [--port PATH] [--seconds S] [--request TEXT]\n", argv[0]);
        return 2;
    }

    if (!port.empty()) {
        std::printf("external device on %s, request \"%s\", %.1f s per client\n", port.c_str(),
                    request.c_str(), seconds);
        RunClients(port, request, seconds);
        return 0;
    }

    int master = -1;
    int slave = -1; // kept open so the master never sees a hang-up between clients
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    Result instant;
    double ratio = 0;
    {
        std::printf("instant responder on %s, request \"%s\", %.1f s per client\n", name,
                    request.c_str(), seconds);
        Responder responder(master, request.size(), std::chrono::microseconds(0));
        instant = RunClients(name, request, seconds);
        ratio = instant.bare.PerSecond() > 0 ? instant.driver.PerSecond() / instant.bare.PerSecond()
                                             : 0;
        std::printf("  InterfaceCommand / bare loop: %.2f (goal >= 0.80)\n", ratio);
        Verdict("throughput goal", ratio >= 0.8);
    }
    Result late;
    {
        std::printf("\nresponder answering 1 ms after the request, %.1f s per client\n", seconds);
        Responder responder(master, request.size(), std::chrono::microseconds(1000));
        late = RunClients(name, request, seconds);
        std::printf("  InterfaceCommand CPU: %.1f%% of wall (goal < 5%%; busy-wait %.1f%%)\n",
                    late.driver.CpuPercent(), late.busy.CpuPercent());
        Verdict("CPU goal", late.driver.CpuPercent() < 5.0);
    }
    const char* bench = "exchange_bench";
    BenchRow(bench, "InterfaceCommand, instant reply", instant.driver.PerSecond(), 0, "exch/s");
    BenchRow(bench, "  anchor: bare poll()/read() loop", instant.bare.PerSecond(), 0, "exch/s");
    BenchRow(bench, "  anchor: busy-wait loop", instant.busy.PerSecond(), 0, "exch/s");
    BenchRow(bench, "  InterfaceCommand / bare loop", ratio, 2, "", ">= 0.80");
    BenchRow(bench, "InterfaceCommand CPU, reply 1 ms late", late.driver.CpuPercent(), 1, "% wall",
             "< 5");
    BenchRow(bench, "  anchor: bare poll()/read() loop CPU", late.bare.CpuPercent(), 1, "% wall");
    BenchRow(bench, "  anchor: busy-wait loop CPU", late.busy.CpuPercent(), 1, "% wall");
    const bool allMet = ratio >= 0.8 && late.driver.CpuPercent() < 5.0;
    ::close(slave);
    ::close(master);
    return allMet ? 0 : 1;
}
