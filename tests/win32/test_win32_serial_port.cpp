// The Win32 serial port under InterfaceCommand, against k730-sim on a wine COM
// port: opening, the reply rules, time-outs, bytes left for the next exchange,
// and a box that is unplugged.

#include "serial/Serial_driver.h"
#include "sim_fixture.h"

#include <gtest/gtest.h>

#include <chrono>

#include <windows.h>

namespace {

using namespace Serial_driver;
using Clock = std::chrono::steady_clock;

constexpr std::string_view IdentLine = "K730-6W  V2.03 USB-SPI interface\r";

class Win32SerialPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Win32Fixture::ResetSim());
        port_ = Win32Fixture::OpenSimPort();
        ASSERT_NE(port_, nullptr);
    }
    // Other programs (tessoran-cli's tests) meet the simulator as it starts.
    void TearDown() override { EXPECT_TRUE(Win32Fixture::ResetSim()); }

    int Ask(std::string_view command, std::uint32_t expected, std::string& reply) {
        return InterfaceCommand(port_.get(), command, expected, reply);
    }

    std::unique_ptr<SerialPort> port_;
};

TEST(Win32SerialPortOpen, OpenFailuresAreClassified) {
    ASSERT_TRUE(Win32Fixture::ResetSim());
    auto opener = MakeSystemPortOpener();
    OpenError error = OpenError::Other;
    EXPECT_NE(opener->Open(Win32Fixture::SimPort(), error), nullptr);
    EXPECT_EQ(error, OpenError::None);

    error = OpenError::None;
    EXPECT_EQ(opener->Open(Win32Fixture::AbsentPort(), error), nullptr);
    EXPECT_EQ(error, OpenError::NotFound);

    // A COM name that leads to something other than a serial device is refused.
    const std::string filePort = Win32Fixture::Env("TESSORAN_WIN_FILE_PORT");
    ASSERT_FALSE(filePort.empty());
    error = OpenError::None;
    EXPECT_EQ(opener->Open(filePort, error), nullptr);
    EXPECT_EQ(error, OpenError::Other);

    // Held by another program (wine enforces the share mode on files, not on
    // its serial devices; Windows' serial drivers refuse a second open).
    const std::wstring path = L"\\\\.\\" + std::wstring(filePort.begin(), filePort.end());
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    error = OpenError::None;
    EXPECT_EQ(opener->Open(filePort, error), nullptr);
    EXPECT_EQ(error, OpenError::Busy);
    CloseHandle(held);
}

TEST_F(Win32SerialPort, LineRuleEndsAtTheCrAndKeepsWhatCameWithIt) {
    std::string reply = "old";
    EXPECT_EQ(Ask("o", 0, reply), StatusOk);
    EXPECT_EQ(reply, "17\r");

    ASSERT_TRUE(Win32Fixture::SimCommand("extra on"));
    EXPECT_EQ(Ask("o", 0, reply), StatusOk);
    EXPECT_EQ(reply, "17\r\n");

    // In pieces: the exchange waits for the piece with the CR.
    ASSERT_TRUE(Win32Fixture::SimCommand("extra off\nsplit 4"));
    EXPECT_EQ(Ask("v", 0, reply), StatusOk);
    EXPECT_EQ(reply, IdentLine);
}

TEST_F(Win32SerialPort, CountRuleTakesEverythingQueuedAndLeavesTheRest) {
    // The identification comes in one piece: all of it, though 7 bytes complete it.
    std::string reply;
    EXPECT_EQ(Ask("v", 7, reply), StatusOk);
    EXPECT_EQ(reply, IdentLine);

    // In pieces, the exchange may end before the line is through; what it leaves
    // starts the next reply, and nothing is lost or reordered.
    ASSERT_TRUE(Win32Fixture::SimCommand("split 4"));
    std::string identification;
    ASSERT_EQ(Ask("v", 7, identification), StatusOk);
    EXPECT_GE(identification.size(), 7u);
    EXPECT_EQ(IdentLine.substr(0, identification.size()), identification);
    std::string next;
    ASSERT_EQ(Ask("o", 0, next), StatusOk);
    const std::string both = identification + next;
    ASSERT_EQ(both.substr(0, IdentLine.size()), IdentLine);
    const std::string after = both.substr(IdentLine.size());
    EXPECT_TRUE(after.empty() || after == "17\r") << after;
}

TEST_F(Win32SerialPort, TimeOutKeepsPartialReplyAndLateBytesStartTheNextOne) {
    // Twenty bytes are never complete: the exchange times out with what came.
    std::string reply;
    const auto start = Clock::now();
    EXPECT_EQ(Ask("o", 20, reply), StatusTimeout);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(ReplyTimeout));
    EXPECT_EQ(reply, "17\r");

    // A reply later than the time-out waits in the queue for the next exchange.
    ASSERT_TRUE(Win32Fixture::SimCommand("slow 600"));
    EXPECT_EQ(Ask("r", 0, reply), StatusTimeout);
    EXPECT_EQ(reply, "");
    ASSERT_TRUE(Win32Fixture::SimCommand("slow 0"));
    Sleep(400); // past the 600 ms the simulator holds the reply back
    EXPECT_EQ(Ask("o", 0, reply), StatusOk);
    EXPECT_EQ(reply.substr(0, 8), "0420317\r");
}

TEST_F(Win32SerialPort, SilentBoxAndEmptyCommand) {
    ASSERT_TRUE(Win32Fixture::SimCommand("silent on"));
    std::string reply = "old";
    EXPECT_EQ(Ask("o", 0, reply), StatusTimeout);
    EXPECT_EQ(reply, "");
    // Nothing is written, yet the exchange empties the reply and waits.
    reply = "old";
    EXPECT_EQ(Ask("", 0, reply), StatusTimeout);
    EXPECT_EQ(reply, "");
}

TEST_F(Win32SerialPort, UnpluggedBoxFailsAtOnceAndComesBackOnANewOpen) {
    std::string reply;
    ASSERT_EQ(Ask("o", 0, reply), StatusOk);
    ASSERT_TRUE(Win32Fixture::SimCommand("unplug"));
    // A failure other than the time-out: the port is gone, not slow.
    const int status = Ask("o", 0, reply);
    EXPECT_LT(status, 0);
    EXPECT_NE(status, StatusTimeout);

    OpenError error = OpenError::None;
    EXPECT_EQ(MakeSystemPortOpener()->Open(Win32Fixture::SimPort(), error), nullptr);
    EXPECT_EQ(error, OpenError::NotFound);

    ASSERT_TRUE(Win32Fixture::SimCommand("plug"));
    port_ = Win32Fixture::OpenSimPort();
    ASSERT_NE(port_, nullptr);
    EXPECT_EQ(Ask("o", 0, reply), StatusOk);
    EXPECT_EQ(reply, "17\r");
}

} // namespace
