#include "pty_endpoint.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <pty.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace K730Sim {

bool PtyEndpoint::Open(std::string& error) {
    Close();
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B115200);
    cfsetospeed(&raw, B115200);
    raw.c_cflag |= CLOCAL | CREAD;
    if (openpty(&master_, &slave_, nullptr, &raw, nullptr) != 0) {
        error = std::string("openpty: ") + std::strerror(errno);
        master_ = slave_ = -1;
        return false;
    }
    char name[256] = {};
    if (ttyname_r(slave_, name, sizeof name) != 0) {
        error = std::string("ttyname: ") + std::strerror(errno);
        Close();
        return false;
    }
    slavePath_ = name;
    for (int fd : {master_, slave_})
        (void)fcntl(fd, F_SETFD, FD_CLOEXEC);
    (void)fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    // Without the watch the simulator still works; it only keeps stale replies
    // queued for the next program that opens the port.
    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ >= 0 &&
        inotify_add_watch(watch_, slavePath_.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        close(watch_);
        watch_ = -1;
    }
    return true;
}

void PtyEndpoint::Close() {
    for (int* fd : {&watch_, &slave_, &master_}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
    slavePath_.clear();
}

bool PtyEndpoint::TakeClientClosed() {
    if (watch_ < 0)
        return false;
    bool closed = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(watch_, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE))
                closed = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (closed && slave_ >= 0)
        (void)tcflush(slave_, TCIFLUSH);
    return closed;
}

bool LinkKeeper::PointAt(const std::string& target, std::string& error) {
    const std::string temp = path_ + ".new" + std::to_string(getpid());
    (void)unlink(temp.c_str());
    if (symlink(target.c_str(), temp.c_str()) != 0 || rename(temp.c_str(), path_.c_str()) != 0) {
        error = "cannot link " + path_ + ": " + std::strerror(errno);
        (void)unlink(temp.c_str());
        return false;
    }
    made_ = true;
    return true;
}

void LinkKeeper::Remove() {
    if (made_)
        (void)unlink(path_.c_str());
    made_ = false;
}

} // namespace K730Sim
