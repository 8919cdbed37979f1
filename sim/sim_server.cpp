#include "sim_server.h"

#include "control_commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <poll.h>
#include <unistd.h>

namespace K730Sim {

SimServer::SimServer(std::shared_ptr<K730Box> box, ServerOptions options)
    : box_(std::move(box)), options_(std::move(options)) {
    if (!options_.LinkPath.empty())
        link_.emplace(options_.LinkPath);
}

// Follows the box's cable: a pty while it is plugged in, none while it is not.
bool SimServer::SyncPlug() {
    if (box_->Plugged() == pty_.IsOpen())
        return true;
    std::string error;
    if (!box_->Plugged()) {
        if (link_)
            link_->Remove();
        pty_.Close();
        std::fprintf(stderr, "k730-sim: unplugged\n");
        return true;
    }
    if (!pty_.Open(error) || (link_ && !link_->PointAt(pty_.SlavePath(), error))) {
        std::fprintf(stderr, "k730-sim: %s\n", error.c_str());
        return false;
    }
    std::fprintf(stderr, "k730-sim: plugged in at %s\n", pty_.SlavePath().c_str());
    return true;
}

void SimServer::ReadMaster() {
    char buffer[4096];
    // Bounded, so a program that never stops writing cannot starve stdin.
    for (int reads = 0; reads < 16; ++reads) {
        const ssize_t got = read(pty_.Master(), buffer, sizeof buffer);
        if (got <= 0)
            return;
        box_->Receive(std::string_view(buffer, static_cast<std::size_t>(got)));
    }
}

void SimServer::RunLine(const std::string& line) {
    const ControlOutcome outcome = RunControlCommand(*box_, line);
    if (!outcome.Ok) {
        std::fprintf(stderr, "k730-sim: %s\n", outcome.Message.c_str());
        return;
    }
    // At once, so a command read after this one already sees the new pty.
    if (!SyncPlug()) {
        exitStatus_ = 1;
        quit_ = true;
    }
    switch (outcome.Action) {
    case ControlAction::Stats:
        std::printf("stats: %s\n", box_->StatsLine().c_str());
        std::fflush(stdout);
        break;
    case ControlAction::Help:
        std::printf("%s", std::string(ControlCommandHelp()).c_str());
        std::fflush(stdout);
        break;
    case ControlAction::Quit:
        quit_ = true;
        break;
    case ControlAction::None:
        break;
    }
}

void SimServer::ReadInput() {
    char buffer[1024];
    const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (got <= 0) {
        // The demo runs us with stdin from /dev/null: keep serving.
        inputOpen_ = false;
        if (!inputLine_.empty())
            RunLine(inputLine_);
        inputLine_.clear();
        return;
    }
    inputLine_.append(buffer, static_cast<std::size_t>(got));
    std::size_t end;
    while (!quit_ && (end = inputLine_.find('\n')) != std::string::npos) {
        const std::string line = inputLine_.substr(0, end);
        inputLine_.erase(0, end + 1);
        RunLine(line);
    }
}

void SimServer::WriteDue() {
    box_->Service();
    while (auto chunk = box_->TakeChunk()) {
        if (!pty_.IsOpen())
            continue;
        // One write per chunk, so a split reply really arrives in pieces. A full
        // queue means nobody reads: the bytes are lost, as on a real line.
        const ssize_t put = write(pty_.Master(), chunk->data(), chunk->size());
        const std::size_t done = put > 0 ? static_cast<std::size_t>(put) : 0;
        if (done < chunk->size())
            box_->NoteUndelivered(chunk->size() - done);
    }
}

int SimServer::PollTimeoutMs() const {
    const auto next = box_->NextEventUs();
    if (!next)
        return -1;
    const std::int64_t waitUs = *next - box_->NowUs();
    if (waitUs <= 0)
        return 0;
    return static_cast<int>(std::min<std::int64_t>((waitUs + 999) / 1000, 60'000));
}

int SimServer::Run(int stopFd) {
    if (!SyncPlug())
        return 1;
    std::printf("%s\n", pty_.SlavePath().c_str());
    std::fflush(stdout);

    while (!quit_) {
        pollfd fds[4];
        nfds_t count = 0;
        fds[count++] = {stopFd, POLLIN, 0};
        const nfds_t inputAt = inputOpen_ ? count++ : 0;
        if (inputOpen_)
            fds[inputAt] = {STDIN_FILENO, POLLIN, 0};
        const nfds_t watchAt = pty_.CloseWatch() >= 0 ? count++ : 0;
        if (watchAt)
            fds[watchAt] = {pty_.CloseWatch(), POLLIN, 0};
        const nfds_t masterAt = pty_.IsOpen() ? count++ : 0;
        if (masterAt)
            fds[masterAt] = {pty_.Master(), POLLIN, 0};

        if (poll(fds, count, PollTimeoutMs()) < 0 && errno != EINTR) {
            std::fprintf(stderr, "k730-sim: poll: %s\n", std::strerror(errno));
            return 1;
        }
        if (fds[0].revents)
            break;
        // Close notices first: a reply still on its way to a program that has
        // gone must not reach the next one.
        if (watchAt && fds[watchAt].revents && pty_.TakeClientClosed())
            box_->DropPending();
        if (masterAt && fds[masterAt].revents)
            ReadMaster();
        if (inputAt && fds[inputAt].revents)
            ReadInput();
        WriteDue();
    }
    if (link_)
        link_->Remove();
    if (options_.PrintStatsOnExit) {
        std::printf("stats: %s\n", box_->StatsLine().c_str());
        std::fflush(stdout);
    }
    return exitStatus_;
}

} // namespace K730Sim
