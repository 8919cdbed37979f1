#pragma once
// A pseudo-terminal whose master side plays the device in the serial tests.

#include <chrono>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

class PtyDevice {
public:
    PtyDevice() {
        char name[256] = {};
        ok_ = ::openpty(&master_, &slave_, name, nullptr, nullptr) == 0;
        slaveName_ = name;
    }
    ~PtyDevice() {
        CloseMaster();
        if (slave_ >= 0) {
            ::close(slave_);
        }
    }
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    bool Ok() const { return ok_; }
    /// The path the code under test opens.
    const std::string& SlaveName() const { return slaveName_; }
    /// A descriptor of the slave side kept by the test, to inspect its settings.
    int SlaveFd() const { return slave_; }

    bool Send(std::string_view bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    /// Everything the port under test wrote within `waitMs` of quiet.
    std::string Received(int waitMs = 50) {
        std::string got;
        pollfd p{master_, POLLIN, 0};
        while (::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN) != 0) {
            char buf[256];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }

    /// The device unplugged: the slave side is hung up from now on.
    void CloseMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

private:
    int master_ = -1;
    int slave_ = -1;
    bool ok_ = false;
    std::string slaveName_;
};

inline long long MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}
