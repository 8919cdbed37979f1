// The box as the program talks to it: commands, partial input, faults, unplug.

#include "control_commands.h"
#include "sim_rig.h"
#include "util/Orodja.h"

#include <cerrno>

namespace {

namespace Cmd = Velor_konstante::Cmd;
using Serial_driver::StatusOk;
using Serial_driver::StatusTimeout;

// Everything the box sends by now, write by write.
std::vector<std::string> Drain(K730Sim::K730Box& box) {
    std::vector<std::string> writes;
    box.Service();
    while (auto chunk = box.TakeChunk())
        writes.push_back(*chunk);
    return writes;
}

std::string Joined(const std::vector<std::string>& writes) {
    std::string all;
    for (const auto& w : writes)
        all += w;
    return all;
}

TEST(SimBox, AnswersTheHandshakeAndSettingsCommands) {
    SimRig rig;
    std::string id;
    ASSERT_EQ(rig.Ask("v", id, 7), StatusOk);
    // Sent in one piece: the 7-byte read already holds the whole line.
    EXPECT_EQ(id, "K730-6W  V2.03 USB-SPI interface\r");
    EXPECT_EQ(Orodja::KeepPrintable(id).substr(9, 5), "V2.03");
    EXPECT_EQ(rig.Reply("o"), "17\r");
    EXPECT_EQ(rig.Reply("r"), "0420317\r");
    for (const char* setup : {"Cp", "G0:1", "D055"})
        EXPECT_EQ(rig.Reply(setup), "OK\r") << setup;
    EXPECT_EQ(rig.Reply("M8"), "OK\r");
    EXPECT_EQ(rig.Reply("m"), "12 MHz\r");
    EXPECT_EQ(rig.Reply("M5"), "OK\r");
    EXPECT_EQ(rig.Reply("m"), "1.5 MHz\r");
    EXPECT_EQ(rig.Reply("V5"), "V5\r");
    EXPECT_EQ(rig.Reply("f"), "OFF\r");
    EXPECT_EQ(rig.Reply("e"), "5.0V OFF 0mA\r");
    EXPECT_EQ(rig.Reply("n"), "ON\r");
    const std::string supply = rig.Reply("e");
    EXPECT_EQ(supply.substr(0, 8), "5.0V ON ");
    EXPECT_NE(supply.find("mA\r"), std::string::npos);
    rig.Control("encoder off");
    EXPECT_EQ(rig.Reply("e"), "5.0V ON 0mA\r");
}

TEST(SimBox, UnknownOrMalformedInputGetsAnErrorLine) {
    SimRig rig;
    auto& box = *rig.box;
    struct Case {
        const char* input;
        int errors;
    };
    for (Case c : {Case{"x", 1}, Case{"?99:000", 1}, Case{"?03:256", 1}, Case{"?00:000", 1},
                   Case{"M9", 2}, Case{"V7", 2}, Case{"G0x1", 3}, Case{"?5:000", 5}}) {
        box.Receive(c.input);
        const std::string out = Joined(Drain(box));
        int errors = 0;
        for (std::size_t at = 0; (at = out.find("ERROR\r", at)) != std::string::npos; ++at)
            ++errors;
        EXPECT_EQ(errors, c.errors) << c.input;
        EXPECT_EQ(out.size(), 6u * static_cast<std::size_t>(c.errors)) << c.input;
    }
    // A bad byte does not swallow the command that follows it, and line ends
    // and blanks typed between commands are skipped.
    box.Receive("Cv");
    EXPECT_EQ(Joined(Drain(box)), "ERROR\rK730-6W  V2.03 USB-SPI interface\r");
    box.Receive("\r\n o\r\n");
    EXPECT_EQ(Joined(Drain(box)), "17\r");
    // Three-digit lengths are allowed; the encoder's reply is padded with FF.
    box.Receive("?010:000");
    EXPECT_EQ(Joined(Drain(box)).substr(9), "FF FF FF FF FF FF FF\r");
}

TEST(SimBox, PartialCommandsWaitForTheirRestThenExpire) {
    SimRig rig;
    auto& box = *rig.box;
    rig.Encoder().SetShaftCount(4096, rig.Now());
    box.Receive("?03:");
    rig.clock->AdvanceMs(60);
    EXPECT_TRUE(Drain(box).empty());
    box.Receive("000");
    EXPECT_EQ(Joined(Drain(box)), "40 03 AD\r");

    // An unfinished frame is dropped with an error after 100 ms of quiet.
    const std::int64_t start = rig.Now();
    std::string reply;
    EXPECT_EQ(rig.Ask("?03:0", reply), StatusOk);
    EXPECT_EQ(reply, "ERROR\r");
    EXPECT_EQ(rig.Now() - start, K730Sim::BoxCommandParser::PartialTimeoutUs);
    EXPECT_EQ(box.Stats().PartialTimeouts, 1u);

    // Bytes after a long pause start a new command.
    box.Receive("G0");
    rig.clock->AdvanceMs(150);
    box.Receive(":1");
    EXPECT_EQ(Joined(Drain(box)), "ERROR\rERROR\rERROR\r");
}

TEST(SimBox, SilentAndSlowBoxesCostOnlySimulatedTime) {
    SimRig rig;
    rig.Control("silent on");
    std::string reply = "old";
    std::int64_t start = rig.Now();
    EXPECT_EQ(rig.Ask("v", reply, 7), StatusTimeout);
    EXPECT_EQ(reply, "");
    EXPECT_GT(rig.Now() - start, 400'000);
    EXPECT_LT(rig.Now() - start, 403'000);
    EXPECT_EQ(rig.box->Stats().Unanswered, 1u);
    rig.Control("silent off");

    rig.Control("slow 150");
    start = rig.Now();
    EXPECT_EQ(rig.Reply("o"), "17\r");
    EXPECT_EQ(rig.Now() - start, 150'000);

    // Too slow: the late reply becomes the start of the next exchange's reply.
    rig.Control("slow 500");
    EXPECT_EQ(rig.Ask("v", reply, 7), StatusTimeout);
    EXPECT_EQ(rig.Ask("o", reply), StatusOk);
    EXPECT_EQ(reply.substr(0, 7), "K730-6W");
    rig.Control("slow 0");
    rig.clock->AdvanceMs(1000);
    EXPECT_EQ(rig.Reply("r"), "17\r0420317\r");
}

TEST(SimBox, InProcessPortAlsoRunsOnTheRealClock) {
    K730Sim::SimPortOpener opener(std::make_shared<K730Sim::SteadyClock>());
    auto box = opener.AddBox("real");
    ASSERT_TRUE(K730Sim::RunControlCommand(*box, "slow 20").Ok);
    ASSERT_TRUE(K730Sim::RunControlCommand(*box, "split 3").Ok);
    Serial_driver::OpenError error{};
    auto port = opener.Open("real", error);
    ASSERT_NE(port, nullptr);
    std::string reply;
    EXPECT_EQ(Serial_driver::InterfaceCommand(port.get(), "?03:000", 0, reply), StatusOk);
    EXPECT_EQ(reply.size(), 9u);
    EXPECT_EQ(reply.back(), '\r');
}

TEST(SimBox, SplitExtraAndSetupErrorFaults) {
    SimRig rig;
    auto& box = *rig.box;
    rig.Control("kind multi");
    rig.Control("split 4");
    box.Receive("?05:000");
    std::vector<std::string> writes;
    for (int ms = 0; ms < 5; ++ms) {
        for (auto& w : Drain(box))
            writes.push_back(w);
        rig.clock->AdvanceMs(1);
    }
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(Joined(writes).substr(0, 12), "00 00 00 03 ");
    rig.Control("split 1");
    box.Receive("?05:000");
    EXPECT_EQ(Drain(box), std::vector<std::string>{Joined(writes)});
    rig.Control("split 4");
    // The program still gets the whole reply.
    rig.signature.Multiturn = true;
    rig.Transfer(Cmd::Position);
    EXPECT_EQ(rig.position.ErrComm, 0);
    EXPECT_FALSE(rig.position.ErrCRC);
    // The identification stays in one piece.
    box.Receive("v");
    EXPECT_EQ(Drain(box).size(), 1u);
    rig.Control("split 1");

    rig.Control("extra on");
    EXPECT_EQ(rig.Reply("Cp"), "OK\r\n");
    rig.Control("extra off");

    rig.Control("seterror on");
    for (const char* setup : {"Cp", "G0:1", "D055"})
        EXPECT_EQ(rig.Reply(setup), "ERROR\r") << setup;
    EXPECT_EQ(rig.Reply("m"), "3 MHz\r");
}

TEST(SimBox, CrcCorruptionFollowsItsRateAndSeed) {
    auto failures = [](const char* rate, std::vector<int>& which) {
        SimRig rig;
        rig.Control("seed 7");
        rig.Control(std::string("crc ") + rate);
        int failed = 0;
        for (int i = 0; i < 400; ++i) {
            rig.clock->AdvanceMs(3);
            rig.Transfer(Cmd::Position);
            if (rig.position.ErrCRC) {
                ++failed;
                which.push_back(i);
            }
        }
        EXPECT_EQ(rig.box->Stats().CorruptedReplies, static_cast<std::uint64_t>(failed));
        EXPECT_EQ(rig.box->Stats().GoodPositionReplies, 400u - static_cast<std::uint64_t>(failed));
        return failed;
    };
    std::vector<int> first, second, all;
    EXPECT_EQ(failures("1", all), 400);
    const int some = failures("0.2", first);
    EXPECT_GT(some, 40);
    EXPECT_LT(some, 120);
    (void)failures("0.2", second);
    EXPECT_EQ(first, second);
}

TEST(SimBox, UnplugHangsUpTheOpenPortAndReplugGivesANewOne) {
    SimRig rig;
    Serial_driver::OpenError error{};
    EXPECT_EQ(rig.opener.Open("sim0", error), nullptr);
    EXPECT_EQ(error, Serial_driver::OpenError::Busy);
    EXPECT_EQ(rig.opener.Open("nothing", error), nullptr);
    EXPECT_EQ(error, Serial_driver::OpenError::NotFound);
    rig.Control("supply off");

    rig.Control("unplug");
    std::string reply = "kept";
    EXPECT_LT(rig.Ask("v", reply, 7), 0);
    EXPECT_EQ(reply, "kept");
    EXPECT_EQ(rig.port->WaitReadable(100), Serial_driver::WaitResult::HungUp);
    EXPECT_EQ(rig.port->BytesWaiting(), -EIO);
    EXPECT_FALSE(rig.port->ApplySettings());
    EXPECT_EQ(rig.opener.Open("sim0", error), nullptr);
    EXPECT_EQ(error, Serial_driver::OpenError::NotFound);
    EXPECT_TRUE(rig.opener.PluggedNames().empty());

    rig.Control("plug");
    EXPECT_EQ(rig.opener.PluggedNames(), std::vector<std::string>{"sim0"});
    EXPECT_LT(rig.Ask("v", reply, 7), 0) << "the old port stays dead";
    auto fresh = rig.opener.Open("sim0", error);
    ASSERT_NE(fresh, nullptr);
    ASSERT_EQ(Serial_driver::InterfaceCommand(fresh.get(), "?03:000", 0, reply), StatusOk);
    EXPECT_NE(reply, "FF FF FF\r") << "a box powers up with the supply on";
    rig.port.reset();
    EXPECT_EQ(rig.opener.Open("sim0", error), nullptr) << "the new port is still open";
}

TEST(SimBox, StatsCountAnsweredAndGoodPositionFrames) {
    SimRig rig;
    rig.clock->AdvanceMs(5);
    for (int i = 0; i < 3; ++i) {
        rig.Transfer(Cmd::Position);
        rig.clock->AdvanceMs(1);
    }
    rig.Transfer(Cmd::SignalLevel);
    (void)rig.Reply("?05:000");
    (void)rig.Reply("e");
    const auto& s = rig.box->Stats();
    EXPECT_EQ(s.SpiExchanges, 5u);
    EXPECT_EQ(s.PositionFrames, 4u);
    EXPECT_EQ(s.GoodPositionReplies, 3u);
    EXPECT_EQ(s.GoodEncoderReplies, 4u);
    EXPECT_EQ(s.Replies, 6u);
    EXPECT_NE(rig.box->StatsLine().find("position_frames=4 good_position_replies=3"),
              std::string::npos);
    EXPECT_EQ(s.FirstInputUs, 5000u) << "the first byte's time, not a later one's";
}

TEST(SimBox, ControlLanguageRefusesWhatItCannotDo) {
    SimRig rig;
    for (const char* bad : {"frobnicate", "error maybe", "status 1FF", "speed fast", "crc 1.5",
                            "split 0", "kind dual", "firmware 1.2.3", "serial 1234567", "magnet 7",
                            "error on now", "unplug now"}) {
        const auto outcome = K730Sim::RunControlCommand(*rig.box, bad);
        EXPECT_FALSE(outcome.Ok) << bad;
        EXPECT_FALSE(outcome.Message.empty()) << bad;
    }
    EXPECT_EQ(K730Sim::RunControlCommand(*rig.box, "quit").Action, K730Sim::ControlAction::Quit);
    EXPECT_EQ(K730Sim::RunControlCommand(*rig.box, "stats").Action, K730Sim::ControlAction::Stats);
    EXPECT_TRUE(K730Sim::RunControlCommand(*rig.box, "  # a comment").Ok);
    rig.Control("magnet 22");
    rig.Control("kind multi");
    EXPECT_EQ(rig.Encoder().Identity().PartNumber, "VLR14SPIMT22B050");
    EXPECT_EQ(rig.Encoder().MagnetSize(), 22);
}

} // namespace
