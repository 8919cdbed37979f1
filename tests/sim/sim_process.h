#pragma once
// Runs k730-sim as a child process with pipes on its standard streams.

#include <csignal>
#include <string>
#include <vector>

#include <sys/types.h>

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    /// Starts the simulator with `args`; false when it cannot be started.
    bool Start(const std::vector<std::string>& args);
    /// Sends one line to its standard input.
    void Command(const std::string& line);
    /// Closes its standard input.
    void CloseInput();
    /// The next line of standard output (without the newline); "" on time-out.
    std::string ReadLine(int timeoutMs = 5000);
    /// Every line of standard output until it closes or `timeoutMs` passes.
    std::vector<std::string> ReadAllLines(int timeoutMs = 20000);
    /// The next line of standard error; "" on time-out.
    std::string ReadErrorLine(int timeoutMs = 5000);
    /// Runs "stats" and waits for its line: every command sent before is done.
    std::string Sync();
    /// Sends `signal` and returns the exit status, or -1 when it did not stop.
    int Terminate(int signal = SIGTERM);
    /// Waits for the process to end by itself: its exit status, or -1 when it
    /// was still running after `timeoutMs`.
    int Wait(int timeoutMs = 5000);
    [[nodiscard]] pid_t Pid() const { return pid_; }

private:
    static std::string ReadLineFrom(int fd, std::string& buffer, int timeoutMs);

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string outBuffer_;
    std::string errBuffer_;
};
