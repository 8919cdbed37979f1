#include "serial/posix/posix_serial_port.h"

#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace Serial_driver {
namespace {

OpenError OpenErrorFromErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return OpenError::PermissionDenied;
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return OpenError::NotFound;
    case EBUSY:
    case EWOULDBLOCK:
        return OpenError::Busy;
    default:
        return OpenError::Other;
    }
}

constexpr short HangUpEvents = POLLHUP | POLLERR | POLLNVAL;

} // namespace

std::unique_ptr<PosixSerialPort> PosixSerialPort::Open(const std::string& path, OpenError& error) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = OpenErrorFromErrno(errno);
        return nullptr;
    }
    // TIOCEXCL keeps other programs out but not root; the advisory lock is what
    // two copies of this program (or a root one) respect.
    if (::ioctl(fd, TIOCEXCL) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        ::close(fd);
        error = reason == EWOULDBLOCK ? OpenError::Busy : OpenError::Other;
        return nullptr;
    }
    // A USB port starts empty; a pty keeps what its device side wrote while no
    // program had it open, such as a reply that came after the last time-out,
    // which the next command would otherwise take for its own reply.
    (void)::tcflush(fd, TCIFLUSH);
    error = OpenError::None;
    return std::unique_ptr<PosixSerialPort>(new PosixSerialPort(fd));
}

PosixSerialPort::~PosixSerialPort() {
    // The exclusive flag stays on the tty while any other descriptor keeps it
    // open; it belongs to this open only.
    (void)::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
}

int PosixSerialPort::Write(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0) {
            return -EIO;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return -errno;
        }
        // Output queue full: wait for room, but not forever on a stalled line.
        pollfd p{fd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, WriteStallMs);
        if (ready < 0 && errno != EINTR) {
            return -errno;
        }
        if (ready == 0) {
            return -ETIMEDOUT;
        }
        if (ready > 0 && (p.revents & HangUpEvents) != 0) {
            return -EIO;
        }
    }
    return 0;
}

int PosixSerialPort::BytesWaiting() {
    int count = 0;
    if (::ioctl(fd_, FIONREAD, &count) != 0) {
        return -errno;
    }
    return count;
}

int PosixSerialPort::Read(std::size_t count, std::string& out) {
    if (count == 0) {
        return 0;
    }
    const std::size_t old = out.size();
    out.resize(old + count);
    ssize_t n = -1;
    do {
        n = ::read(fd_, out.data() + old, count);
    } while (n < 0 && errno == EINTR);
    const int reason = errno;
    out.resize(old + static_cast<std::size_t>(n > 0 ? n : 0));
    if (n < 0) {
        return reason == EAGAIN || reason == EWOULDBLOCK ? 0 : -reason;
    }
    // A raw tty with VMIN=0 also returns 0 when nothing is queued; only a
    // hung-up one is an error.
    if (n == 0 && IsHungUp()) {
        return -EIO;
    }
    return static_cast<int>(n);
}

WaitResult PosixSerialPort::WaitReadable(int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int ready = ::poll(&p, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            // poll itself failed: waiting again would only spin.
            return WaitResult::HungUp;
        }
        if (ready == 0) {
            return WaitResult::TimedOut;
        }
        return (p.revents & HangUpEvents) != 0 ? WaitResult::HungUp : WaitResult::Readable;
    }
}

bool PosixSerialPort::IsHungUp() const {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & HangUpEvents) != 0;
}

bool PosixSerialPort::SaveSettings() {
    haveSaved_ = ::tcgetattr(fd_, &saved_) == 0;
    return haveSaved_;
}

bool PosixSerialPort::ApplySettings() {
    termios t{};
    if (haveSaved_) {
        t = saved_;
    } else if (::tcgetattr(fd_, &t) != 0) {
        return false;
    }
    // Raw mode matters: a cooked tty would turn the reply's CR into LF.
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, B115200) != 0 || ::cfsetospeed(&t, B115200) != 0) {
        return false;
    }
    return ::tcsetattr(fd_, TCSANOW, &t) == 0;
}

bool PosixSerialPort::RestoreSettings() {
    return haveSaved_ && ::tcsetattr(fd_, TCSANOW, &saved_) == 0;
}

} // namespace Serial_driver
