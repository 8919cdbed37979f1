#include "encoder/config_commands.h"
#include "encoder/encoder_transfer.h"
#include "encoder_test_support.h"
#include "serial/Serial_driver.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

using namespace Velor;
using encoder_test::Records;

namespace {

// A box that answers each written frame with what `answer` returns for it,
// queued at once. Its clock jumps on every look so a silent box times out
// without real waiting.
class FakeBox : public Serial_driver::SerialPort {
public:
    std::function<std::string(const std::string&)> answer;
    std::vector<std::string> frames;
    int writeStatus = 0;

    int Write(std::string_view bytes) override {
        if (writeStatus != 0)
            return writeStatus;
        frames.emplace_back(bytes);
        if (answer)
            queued_ += answer(frames.back());
        return 0;
    }
    int BytesWaiting() override { return static_cast<int>(queued_.size()); }
    int Read(std::size_t count, std::string& out) override {
        const std::string got = queued_.substr(0, count);
        queued_.erase(0, got.size());
        out += got;
        return static_cast<int>(got.size());
    }
    Serial_driver::WaitResult WaitReadable(int timeoutMs) override {
        if (!queued_.empty())
            return Serial_driver::WaitResult::Readable;
        now_ += timeoutMs;
        return Serial_driver::WaitResult::TimedOut;
    }
    std::int64_t NowMs() override { return now_ += 10; }
    bool SaveSettings() override { return true; }
    bool ApplySettings() override { return true; }
    bool RestoreSettings() override { return true; }

private:
    std::string queued_;
    std::int64_t now_ = 0;
};

// A position reply with both flags inactive and payload bytes 01, as wide as
// the frame asks.
std::string GoodReplyFor(const std::string& frame) {
    const int n = std::stoi(frame.substr(1, 2));
    std::string bytes(static_cast<std::size_t>(n - 1), '\x01');
    bytes[0] = '\x40';
    bytes[1] = '\x03';
    std::string reply = " ";
    reply += encoder_test::ReplyFor(bytes);
    reply += "\r\n";
    return reply;
}

} // namespace

TEST(EncoderTransfer, FramesSendsCleansAndDecodes) {
    FakeBox box;
    box.answer = [](const std::string&) { return " 40 03 1f 40 a7 \r\n"; };
    Records r;
    unsigned char c = 'a';
    TransferTrace trace = EncoderTransferCore(&box, r.View(), c);
    ASSERT_EQ(box.frames.size(), 1u);
    EXPECT_EQ(box.frames[0], "?05:097");
    EXPECT_EQ(trace.Frame, "?05:097");
    EXPECT_EQ(r.Position.ErrComm, 0);
    EXPECT_EQ(trace.CleanedReply, "40031F40A7");
    EXPECT_EQ(trace.Texts.RawHex, "40031F40A7");
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Aux.SignalLevel, 8000);
    EXPECT_EQ(c, 'a');

    r.Signature.Multiturn = true;
    box.answer = [](const std::string&) { return "FFFF400343\r"; };
    c = 0;
    trace = EncoderTransferCore(&box, r.View(), c);
    EXPECT_EQ(box.frames.back(), "?05:000");
    EXPECT_EQ(r.Position.MT_value, -1);
}

TEST(EncoderTransfer, CorruptSignalLevelComesBackAsSkipped) {
    FakeBox box;
    box.answer = [](const std::string&) { return "40031F40A8\r"; };
    Records r;
    unsigned char c = 'a';
    (void)EncoderTransferCore(&box, r.View(), c);
    EXPECT_EQ(c, Velor_konstante::Cmd::Skipped);
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Aux.SignalLevel, 0);
}

TEST(EncoderTransfer, FailedExchangeDecodesNothing) {
    Records r;
    r.Position.ErrCRC = true;
    r.Position.ST_value = 77;

    FakeBox silent;
    unsigned char c = 0;
    TransferTrace trace = EncoderTransferCore(&silent, r.View(), c);
    EXPECT_EQ(r.Position.ErrComm, Serial_driver::StatusTimeout);
    EXPECT_EQ(trace.Frame, "?03:000");
    EXPECT_EQ(trace.CleanedReply, "");
    EXPECT_FALSE(trace.Texts.Touched);
    EXPECT_TRUE(r.Position.ErrCRC); // the previous verdict stays
    EXPECT_EQ(r.Position.ST_value, 77u);

    // A reply without its CR is incomplete however good its digits are.
    FakeBox noCr;
    noCr.answer = [](const std::string&) { return "4003AD"; };
    r.Position.ErrCRC = false;
    (void)EncoderTransferCore(&noCr, r.View(), c);
    EXPECT_EQ(r.Position.ErrComm, Serial_driver::StatusTimeout);
    EXPECT_EQ(r.Position.ST_value, 77u);

    FakeBox unplugged;
    unplugged.writeStatus = -5;
    (void)EncoderTransferCore(&unplugged, r.View(), c);
    EXPECT_EQ(r.Position.ErrComm, -5);

    trace = EncoderTransferCore(nullptr, r.View(), c);
    EXPECT_EQ(r.Position.ErrComm, Serial_driver::StatusNoPort);
    EXPECT_EQ(trace.Frame, "?03:000");
}

TEST(SendEncoderCommandBytes, OneTransferAndOneWaitPerByte) {
    std::string sent;
    std::vector<int> sleeps;
    auto sleep = [&](int ms) { sleeps.push_back(ms); };

    EXPECT_TRUE(SendEncoderCommandBytes(
        "", [&](unsigned char b) { return sent.push_back(static_cast<char>(b)), false; }, sleep));
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(sleeps.empty());

    const std::string reset = ConfigCommand('r');
    EXPECT_TRUE(SendEncoderCommandBytes(
        reset, [&](unsigned char b) { return sent.push_back(static_cast<char>(b)), false; },
        sleep));
    EXPECT_EQ(sent, reset);
    EXPECT_EQ(sleeps, std::vector<int>(5, 50)); // the last byte waits too
}

TEST(SendEncoderCommandBytes, StopsAtTheFirstFailedByte) {
    std::string sent;
    int sleeps = 0;
    const std::string zero = ConfigCommandWithValue('Z', 300);
    EXPECT_FALSE(SendEncoderCommandBytes(
        zero,
        [&](unsigned char b) {
            sent.push_back(static_cast<char>(b));
            return sent.size() == 3;
        },
        [&](int) { ++sleeps; }));
    EXPECT_EQ(sent, zero.substr(0, 3));
    EXPECT_EQ(sleeps, 2);
}

TEST(SendEncoderCommandBytes, ThroughTheBoxEachByteIsFramedAsItsReadCommand) {
    FakeBox box;
    box.answer = GoodReplyFor;
    Records r;
    auto transfer = [&](unsigned char b) {
        (void)EncoderTransferCore(&box, r.View(), b);
        return TransferFailed(r.Position);
    };
    // The last value byte 0x61 is 'a' and travels as a signal-level read.
    EXPECT_TRUE(SendEncoderCommandBytes(ConfigCommandWithValue('Z', 97), transfer, [](int) {}));
    const std::vector<std::string> expected{"?03:094", "?03:027", "?03:167", "?03:098", "?03:090",
                                            "?03:000", "?03:000", "?03:000", "?05:097"};
    EXPECT_EQ(box.frames, expected);
    EXPECT_EQ(r.Aux.SignalLevel, 0x0101); // decoded as a signal-level reply
}

TEST(SendEncoderCommandBytes, LostBoxStopsTheSequence) {
    // The check verdict of an earlier reply must not make a dead link look good.
    FakeBox box;
    box.writeStatus = -5;
    Records r;
    r.Position.ErrCRC = false;
    auto transfer = [&](unsigned char b) {
        (void)EncoderTransferCore(&box, r.View(), b);
        return TransferFailed(r.Position);
    };
    int sleeps = 0;
    EXPECT_FALSE(SendEncoderCommandBytes(ConfigCommand('c'), transfer, [&](int) { ++sleeps; }));
    EXPECT_EQ(sleeps, 0);

    FakeBox garbled;
    garbled.answer = [](const std::string&) { return "ERROR\r"; };
    auto garbledTransfer = [&](unsigned char b) {
        (void)EncoderTransferCore(&garbled, r.View(), b);
        return TransferFailed(r.Position);
    };
    EXPECT_FALSE(SendEncoderCommandBytes(ConfigCommand('c'), garbledTransfer, [](int) {}));
    EXPECT_EQ(garbled.frames.size(), 1u);
}
