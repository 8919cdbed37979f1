// InterfaceCommand against a device played on the master side of a pty.

#include "pty_device.h"
#include "serial/Serial_driver.h"
#include "serial/posix/posix_serial_port.h"

#include <gtest/gtest.h>

#include <thread>

using namespace Serial_driver;
using Clock = std::chrono::steady_clock;

namespace {

class SerialTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.Ok());
        OpenError error = OpenError::Other;
        port = MakeSystemPortOpener()->Open(device.SlaveName(), error);
        ASSERT_NE(port, nullptr);
        ASSERT_EQ(error, OpenError::None);
        ASSERT_TRUE(port->SaveSettings());
        ASSERT_TRUE(port->ApplySettings());
    }

    // Sends `bytes` from the device after `delayMs`, while the exchange waits.
    std::thread SendLater(int delayMs, std::string bytes) {
        return std::thread([this, delayMs, bytes] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            EXPECT_TRUE(device.Send(bytes));
        });
    }

    PtyDevice device;
    std::unique_ptr<SerialPort> port;
};

TEST_F(SerialTransferTest, LineReplies) {
    std::string reply = "old";
    ASSERT_TRUE(device.Send("OK\r\n"));
    EXPECT_EQ(InterfaceCommand(port.get(), "o", 0, reply), StatusOk);
    EXPECT_EQ(reply, "OK\r\n");
    EXPECT_EQ(device.Received(), "o");

    // Split over two writes: the first alone does not complete the reply.
    std::thread later = SendLater(30, "K\r");
    ASSERT_TRUE(device.Send("O"));
    EXPECT_EQ(InterfaceCommand(port.get(), "r", 0, reply), StatusOk);
    later.join();
    EXPECT_EQ(reply, "OK\r");
}

TEST_F(SerialTransferTest, SilentOrShortReplyTimesOutKeepingBytes) {
    std::string reply;
    ASSERT_TRUE(device.Send("ABCDEFGHIJKLMNOPQRST"));
    const auto start = Clock::now();
    EXPECT_EQ(InterfaceCommand(port.get(), "e", 0, reply), StatusTimeout);
    const auto elapsed = MsSince(start);
    EXPECT_GE(elapsed, ReplyTimeout);
    EXPECT_LT(elapsed, 3000);
    EXPECT_EQ(reply, "ABCDEFGHIJKLMNOPQRST");

    ASSERT_TRUE(device.Send("K730-"));
    EXPECT_EQ(InterfaceCommand(port.get(), "v", 7, reply), StatusTimeout);
    EXPECT_EQ(reply, "K730-");
}

TEST_F(SerialTransferTest, CountRuleTakesEverythingQueued) {
    std::string reply;
    ASSERT_TRUE(device.Send("K730-6W 12"));
    EXPECT_EQ(InterfaceCommand(port.get(), "v", 7, reply), StatusOk);
    EXPECT_EQ(reply, "K730-6W 12");
}

TEST_F(SerialTransferTest, LateBytesStartTheNextReply) {
    // The rest of the identification line comes after the seventh byte; it must
    // neither be lost nor dropped between exchanges.
    std::thread tail = SendLater(40, " 1.2\r");
    ASSERT_TRUE(device.Send("K730-6W"));
    std::string first;
    std::string second;
    EXPECT_EQ(InterfaceCommand(port.get(), "v", 7, first), StatusOk);
    tail.join();
    EXPECT_EQ(InterfaceCommand(port.get(), "o", 0, second), StatusOk);
    EXPECT_EQ(first.substr(0, 7), "K730-6W");
    EXPECT_EQ(first + second, "K730-6W 1.2\r");
    EXPECT_EQ(device.Received(), "vo");
}

TEST_F(SerialTransferTest, EmptyCommandWritesNothingButWaits) {
    std::string reply = "stale";
    std::thread later = SendLater(30, "X\r");
    EXPECT_EQ(InterfaceCommand(port.get(), "", 0, reply), StatusOk);
    later.join();
    EXPECT_EQ(reply, "X\r");
    EXPECT_EQ(device.Received(), "");

    const auto start = Clock::now();
    EXPECT_EQ(InterfaceCommand(port.get(), "", 0, reply), StatusTimeout);
    EXPECT_GE(MsSince(start), ReplyTimeout);
    EXPECT_EQ(reply, "");
}

TEST(SerialTransfer, NullPortLeavesReplyUntouched) {
    std::string reply = "abc";
    EXPECT_EQ(InterfaceCommand(nullptr, "v", 7, reply), StatusNoPort);
    EXPECT_EQ(reply, "abc");
}

TEST_F(SerialTransferTest, UnpluggedDeviceFailsAtOnce) {
    // Unplugged while the exchange waits: no waiting out the time-out.
    std::string reply;
    std::thread unplug([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        device.CloseMaster();
    });
    auto start = Clock::now();
    const int status = InterfaceCommand(port.get(), "?", 0, reply);
    unplug.join();
    EXPECT_LT(status, 0);
    EXPECT_NE(status, StatusTimeout);
    EXPECT_LT(MsSince(start), ReplyTimeout);

    // Every later exchange fails just as fast, and the failed write leaves the
    // caller's reply as it was.
    reply = "keep";
    start = Clock::now();
    EXPECT_LT(InterfaceCommand(port.get(), "?", 0, reply), StatusTimeout);
    EXPECT_LT(MsSince(start), ReplyTimeout);
    EXPECT_EQ(reply, "keep");
}

} // namespace
