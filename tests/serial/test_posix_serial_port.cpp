// Opening and configuring a real tty (the slave side of a pty).

#include "pty_device.h"
#include "serial/Serial_driver.h"
#include "serial/posix/posix_serial_port.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <termios.h>
#include <thread>

using namespace Serial_driver;

namespace {

TEST(PosixSerialPort, OpenIsExclusiveUntilClosed) {
    // Tests run as root, which TIOCEXCL does not stop: this is the flock at work.
    PtyDevice device;
    ASSERT_TRUE(device.Ok());
    OpenError error = OpenError::Other;
    auto first = PosixSerialPort::Open(device.SlaveName(), error);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(error, OpenError::None);

    auto second = MakeSystemPortOpener()->Open(device.SlaveName(), error);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(error, OpenError::Busy);

    first.reset();
    auto third = PosixSerialPort::Open(device.SlaveName(), error);
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(error, OpenError::None);
}

TEST(PosixSerialPort, BytesQueuedBeforeTheOpenAreNoReply) {
    // A pty keeps what its device side wrote while no program had it open (a
    // reply that came after the last program's time-out); a USB port starts
    // empty. Such bytes must not pass for the answer to the next command.
    PtyDevice device;
    ASSERT_TRUE(device.Ok());
    termios raw{};
    ASSERT_EQ(::tcgetattr(device.SlaveFd(), &raw), 0);
    ::cfmakeraw(&raw);
    ASSERT_EQ(::tcsetattr(device.SlaveFd(), TCSANOW, &raw), 0);
    ASSERT_TRUE(device.Send("K730-6W  V2.03 USB-SPI interface\r"));

    OpenError error = OpenError::Other;
    auto port = PosixSerialPort::Open(device.SlaveName(), error);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->SaveSettings());
    ASSERT_TRUE(port->ApplySettings());
    std::string reply;
    EXPECT_EQ(InterfaceCommand(port.get(), "v", 7, reply), StatusTimeout);
    EXPECT_EQ(reply, "");
    EXPECT_EQ(device.Received(), "v");

    // What the device sends once the port is open is the reply, as always.
    ASSERT_TRUE(device.Send("K730-6W  V2.03 USB-SPI interface\r"));
    EXPECT_EQ(InterfaceCommand(port.get(), "", 7, reply), StatusOk);
    EXPECT_EQ(reply.substr(0, 7), "K730-6W");
}

TEST(PosixSerialPort, OpenFailuresAreClassified) {
    OpenError error = OpenError::None;
    EXPECT_EQ(PosixSerialPort::Open("/dev/tessoran-no-such-port", error), nullptr);
    EXPECT_EQ(error, OpenError::NotFound);

    // A path that is not a terminal (a wrong TESSORAN_PORTS entry) is refused.
    char path[] = "/tmp/tessoran-not-a-tty-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    error = OpenError::None;
    EXPECT_EQ(PosixSerialPort::Open(path, error), nullptr);
    EXPECT_EQ(error, OpenError::Other);
    std::remove(path);
}

TEST(PosixSerialPort, ApplyMakesTheLineRawAndRestorePutsItBack) {
    PtyDevice device;
    ASSERT_TRUE(device.Ok());
    termios before{};
    ASSERT_EQ(::tcgetattr(device.SlaveFd(), &before), 0);
    ASSERT_NE(before.c_lflag & ICANON, 0u) << "a new pty starts cooked";

    OpenError error = OpenError::Other;
    auto port = PosixSerialPort::Open(device.SlaveName(), error);
    ASSERT_NE(port, nullptr);
    EXPECT_FALSE(port->RestoreSettings()) << "nothing saved yet";
    ASSERT_TRUE(port->SaveSettings());
    ASSERT_TRUE(port->ApplySettings());

    termios applied{};
    ASSERT_EQ(::tcgetattr(device.SlaveFd(), &applied), 0);
    EXPECT_EQ(::cfgetispeed(&applied), static_cast<speed_t>(B115200));
    EXPECT_EQ(::cfgetospeed(&applied), static_cast<speed_t>(B115200));
    EXPECT_EQ(applied.c_cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(applied.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(applied.c_iflag & (ICRNL | IXON), 0u);

    // Raw: the CR that ends every reply arrives as CR, at once.
    std::string reply;
    ASSERT_TRUE(device.Send("OK\r"));
    EXPECT_EQ(InterfaceCommand(port.get(), "e", 0, reply), StatusOk);
    EXPECT_EQ(reply, "OK\r");

    ASSERT_TRUE(port->RestoreSettings());
    termios restored{};
    ASSERT_EQ(::tcgetattr(device.SlaveFd(), &restored), 0);
    EXPECT_EQ(restored.c_lflag, before.c_lflag);
    EXPECT_EQ(restored.c_iflag, before.c_iflag);
    EXPECT_EQ(restored.c_cflag, before.c_cflag);
    EXPECT_EQ(::cfgetispeed(&restored), ::cfgetispeed(&before));
}

TEST(PosixSerialPort, WriteSendsEverythingOrGivesUpAndAnUnpluggedLineIsAnError) {
    PtyDevice device;
    ASSERT_TRUE(device.Ok());
    OpenError error = OpenError::Other;
    auto port = PosixSerialPort::Open(device.SlaveName(), error);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->ApplySettings());

    // Far more than the tty buffers hold: only whole if partial writes are resumed.
    std::string big(256 * 1024, 'x');
    big.back() = 'y';
    std::string received;
    std::thread reader([&] { received = device.Received(500); });
    EXPECT_EQ(port->Write(big), 0);
    reader.join();
    EXPECT_EQ(received, big);

    // Nobody reads the device side: the write ends with an error, not a hang.
    EXPECT_EQ(port->Write(big), -ETIMEDOUT);

    // Unplugged: an error on reading and waiting, not silence.
    std::string got;
    EXPECT_EQ(port->Read(16, got), 0) << "nothing queued yet";
    device.CloseMaster();
    EXPECT_EQ(port->WaitReadable(1000), WaitResult::HungUp);
    EXPECT_LT(port->Read(16, got), 0);
    EXPECT_EQ(got, "");
}

} // namespace
