#pragma once
// The reference loops of the benches: a raw descriptor and one exchange with
// nothing but write(), poll() and read(), to set the program's figures against.

#include "serial/Serial_driver.h"

#include <string>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

inline int OpenRaw(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios t{};
    if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        ::tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

inline bool WriteAll(int fd, std::string_view bytes) {
    return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

/// Sends `request` and reads until a CR has come; false on a failure or time-out.
inline bool BarePollExchange(int fd, std::string_view request) {
    if (!WriteAll(fd, request))
        return false;
    std::string reply;
    while (reply.find('\r') == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        char buf[256];
        ssize_t n = 0;
        if (::poll(&p, 1, Serial_driver::ReplyTimeout) <= 0 ||
            (n = ::read(fd, buf, sizeof buf)) <= 0)
            return false;
        reply.append(buf, static_cast<std::size_t>(n));
    }
    return true;
}
