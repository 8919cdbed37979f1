// The exchange's rules on a scripted port with a virtual clock: exact time-out
// boundary, hang-up and error handling, no busy polling.

#include "serial/Serial_driver.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>

using namespace Serial_driver;

namespace {

class ScriptedPort : public SerialPort {
public:
    std::map<std::int64_t, std::string> arrivals; ///< virtual ms -> bytes
    std::int64_t hangUpAt = -1;
    std::int64_t failAt = -1; ///< from then on BytesWaiting fails, as on a dead port
    int waits = 0;

    int Write(std::string_view) override { return 0; }
    int BytesWaiting() override {
        Deliver();
        return Failed() ? -EIO : static_cast<int>(queue_.size());
    }
    int Read(std::size_t count, std::string& out) override {
        const std::size_t n = std::min(count, queue_.size());
        out += queue_.substr(0, n);
        queue_.erase(0, n);
        return static_cast<int>(n);
    }
    WaitResult WaitReadable(int timeoutMs) override {
        ++waits;
        Deliver();
        const std::int64_t limit = now_ + timeoutMs;
        while (queue_.empty() && !HungUp() && !Failed() && now_ < limit) {
            ++now_;
            Deliver();
        }
        return HungUp()
                   ? WaitResult::HungUp
                   : (queue_.empty() && !Failed() ? WaitResult::TimedOut : WaitResult::Readable);
    }
    std::int64_t NowMs() override { return now_; }
    bool SaveSettings() override { return true; }
    bool ApplySettings() override { return true; }
    bool RestoreSettings() override { return true; }

private:
    bool HungUp() const { return hangUpAt >= 0 && now_ >= hangUpAt; }
    bool Failed() const { return failAt >= 0 && now_ >= failAt; }
    void Deliver() {
        while (!arrivals.empty() && arrivals.begin()->first <= now_) {
            queue_ += arrivals.begin()->second;
            arrivals.erase(arrivals.begin());
        }
    }
    std::int64_t now_ = 1000;
    std::string queue_;
};

TEST(InterfaceCommandRules, TimeOutFiresInTheFirstPassPast400Ms) {
    std::string reply;
    ScriptedPort justInTime;
    justInTime.arrivals = {{1000 + 100, "O"}, {1000 + 401, "K\r"}};
    EXPECT_EQ(InterfaceCommand(&justInTime, "o", 0, reply), StatusOk);
    EXPECT_EQ(reply, "OK\r");

    ScriptedPort tooLate;
    tooLate.arrivals = {{1000 + 100, "O"}, {1000 + 402, "K\r"}};
    EXPECT_EQ(InterfaceCommand(&tooLate, "o", 0, reply), StatusTimeout);
    EXPECT_EQ(reply, "O");
    EXPECT_EQ(tooLate.NowMs(), 1000 + 401);
    EXPECT_EQ(tooLate.arrivals.size(), 1u) << "the late bytes stay for the next exchange";
    // Sleeps between arrivals instead of polling.
    EXPECT_LE(tooLate.waits, 3);
}

TEST(InterfaceCommandRules, HangUpKeepsWhatWasQueued) {
    std::string reply;
    ScriptedPort complete;
    complete.arrivals = {{1000 + 20, "OK\r"}};
    complete.hangUpAt = 1000 + 20;
    EXPECT_EQ(InterfaceCommand(&complete, "o", 0, reply), StatusOk);
    EXPECT_EQ(reply, "OK\r");

    ScriptedPort partial;
    partial.arrivals = {{1000 + 20, "K730"}};
    partial.hangUpAt = 1000 + 30;
    EXPECT_EQ(InterfaceCommand(&partial, "v", 7, reply), -EIO);
    EXPECT_EQ(reply, "K730");
    EXPECT_EQ(partial.NowMs(), 1000 + 30);
}

TEST(InterfaceCommandRules, PortErrorEndsTheExchangeAtOnce) {
    ScriptedPort port;
    port.arrivals = {{1000, "AB"}};
    port.failAt = 1000 + 10;
    std::string reply;
    EXPECT_EQ(InterfaceCommand(&port, "v", 7, reply), -EIO);
    EXPECT_EQ(reply, "AB");
    EXPECT_EQ(port.NowMs(), 1000 + 10);
}

TEST(InterfaceCommandRules, AnOverlongLineIsDroppedToItsEndWithinBounds) {
    struct Case {
        const char* Name;
        std::map<std::int64_t, std::string> Arrivals;
        std::size_t LeftQueued; ///< bytes a later exchange still finds
        std::int64_t EndsAtMs;
    };
    const std::string longLine = std::string(40'000, 'x') + "\r";
    const Case cases[] = {
        // Dropped through its CR, in one go; the next line is the next reply's.
        {"to its CR", {{1000, longLine}}, 0, 1000},
        // The line goes quiet without a CR: dropped once it has been quiet.
        {"to its silence", {{1000, std::string(2000, 'x')}}, 0, 1000 + DropQuietMs},
        // A flood that never ends: no more than the byte bound is taken.
        {"a flood",
         {{1000, std::string(std::size_t{4} << 20, 'x')}},
         (std::size_t{4} << 20) - MaxReplyBytes - MaxDropBytes,
         1000},
        // A slow trickle: no longer than the time bound; what comes at the bound stays.
        {"a trickle", {}, MaxReplyBytes, 1000 + MaxDropMs},
    };
    for (const Case& c : cases) {
        ScriptedPort port;
        port.arrivals = c.Arrivals;
        if (c.Arrivals.empty())
            for (std::int64_t ms = 1000; ms < 3000; ms += 10)
                port.arrivals[ms] = std::string(MaxReplyBytes, 'x');
        std::string reply;
        EXPECT_EQ(InterfaceCommand(&port, "e", 0, reply), StatusTimeout) << c.Name;
        EXPECT_EQ(reply, std::string(MaxReplyBytes, 'x')) << c.Name;
        EXPECT_EQ(port.NowMs(), c.EndsAtMs) << c.Name;
        EXPECT_EQ(port.BytesWaiting(), static_cast<int>(c.LeftQueued)) << c.Name;
    }
}

} // namespace
