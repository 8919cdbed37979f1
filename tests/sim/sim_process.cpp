#include "sim_process.h"

#include <chrono>
#include <csignal>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

SimProcess::~SimProcess() {
    if (pid_ > 0 && Terminate() < 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : {in_, out_, err_})
        if (fd >= 0)
            close(fd);
}

bool SimProcess::Start(const std::vector<std::string>& args) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC))
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
    if (rc != 0)
        pid_ = -1;
    return rc == 0;
}

void SimProcess::Command(const std::string& line) {
    const std::string text = line + "\n";
    (void)!write(in_, text.data(), text.size());
}

void SimProcess::CloseInput() {
    if (in_ >= 0)
        close(in_);
    in_ = -1;
}

std::string SimProcess::ReadLineFrom(int fd, std::string& buffer, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const auto end = buffer.find('\n'); end != std::string::npos) {
            std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            return "";
        char chunk[512];
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0)
            return "";
        buffer.append(chunk, static_cast<std::size_t>(got));
    }
}

std::string SimProcess::ReadLine(int timeoutMs) {
    return ReadLineFrom(out_, outBuffer_, timeoutMs);
}

std::vector<std::string> SimProcess::ReadAllLines(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd p{out_, POLLIN, 0};
        char chunk[4096];
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        const ssize_t got = read(out_, chunk, sizeof chunk);
        if (got <= 0)
            break;
        outBuffer_.append(chunk, static_cast<std::size_t>(got));
    }
    std::vector<std::string> lines;
    std::istringstream in(outBuffer_);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    outBuffer_.clear();
    return lines;
}

std::string SimProcess::ReadErrorLine(int timeoutMs) {
    return ReadLineFrom(err_, errBuffer_, timeoutMs);
}

std::string SimProcess::Sync() {
    Command("stats");
    for (;;) {
        std::string line = ReadLine();
        if (line.empty() || line.rfind("stats: ", 0) == 0)
            return line;
    }
}

int SimProcess::Terminate(int signal) {
    if (pid_ <= 0)
        return -1;
    kill(pid_, signal);
    return Wait();
}

int SimProcess::Wait(int timeoutMs) {
    for (int i = 0; pid_ > 0 && i < timeoutMs / 10; ++i) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}
