// The reading cycle: the schedule of each page, the status lamps, losses and
// recovery, and requests that arrive between ticks.
#include "encoder/crc.h"
#include "engine_rig.h"
#include "scripted_port.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace Engine;
using Monitor::Page;
using Strings = std::vector<std::string>;
const std::string Acm0 = "/dev/ttyACM0";

// A rig reading a simulated single-turn encoder, reports so far dropped.
std::shared_ptr<K730Sim::K730Box> Connected(EngineRig& rig, std::int64_t shaft = 0) {
    auto box = rig.AddBox();
    box->Encoder().SetShaftCount(shaft, box->NowUs());
    rig.Start();
    EXPECT_TRUE(rig.Connect());
    rig.ClearReports();
    return box;
}

// What the next `ticks` ticks sent, a character per write: the encoder
// command of a frame (NUL as '.'), or the box command.
std::string Ticks(EngineRig& rig, int ticks) {
    const std::size_t from = rig.writes.size();
    for (int i = 0; i < ticks; ++i)
        rig.RunNextTick();
    std::string sent;
    for (std::size_t i = from; i < rig.writes.size(); ++i) {
        const std::string& w = rig.writes[i].Bytes;
        const int c = w.starts_with("?") ? std::stoi(w.substr(4)) : -1;
        sent += c < 0 ? w : std::string(1, c == 0 ? '.' : static_cast<char>(c));
    }
    return sent;
}

// The box's text for an encoder reply of these bytes, check byte added.
std::string EncoderReply(std::string_view bytes) {
    std::string text;
    char pair[4];
    for (const unsigned char b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X ", b);
        text += pair;
    }
    std::snprintf(pair, sizeof pair, "%02X", Velor::ReplyCrc(bytes));
    return text + pair + "\r";
}

TEST(ReadingSchedule, EachPageItsCommandsAndTheSupplyStatusOnSystemConfigOnly) {
    EngineRig rig;
    Connected(rig);
    EXPECT_EQ(Ticks(rig, 21), std::string(21, '.') + "e");
    EXPECT_EQ(Ticks(rig, 21), std::string(21, '.') + "e");
    rig.Post(ShowPage{Page::Status});
    EXPECT_EQ(Ticks(rig, 6), "dtsT.d");
    rig.Post(ShowPage{Page::Installation}); // the count carries over
    EXPECT_EQ(Ticks(rig, 3), "a.i");
    rig.Post(ShowPage{Page::Identification});
    EXPECT_EQ(Ticks(rig, 2), "vv");
    rig.Post(ShowPage{Page::Other}); // the 21st good tick comes on this page
    EXPECT_EQ(Ticks(rig, 21), std::string(21, '.'));
    EXPECT_EQ(rig.Reports<Reading>().size(), 21u + 21 + 6 + 3 + 2 + 21);
}

TEST(ReadingStatus, ColourAndLampsLatchedForElevenReplies) {
    EngineRig rig;
    auto box = Connected(rig);
    auto& cond = box->Encoder().Conditions();
    rig.Post(ShowPage{Page::Status});
    const auto lastD = [&] {
        const auto readings = rig.Reports<Reading>();
        const auto d = std::find_if(readings.rbegin(), readings.rend(),
                                    [](const Reading& r) { return r.Command == 'd'; });
        return d == readings.rend() ? Reading{} : *d;
    };
    using C = Colour;
    const C G = C::Grey;

    cond.WarningBit = true;
    cond.DetailedStatus = 0xC2; // signal high and low, acceleration
    rig.RunNextTick();
    EXPECT_EQ(lastD().Status, Monitor::StatusColor::Warning);
    EXPECT_EQ(lastD().DetailedStatusBits, "11000010");
    EXPECT_EQ(lastD().Lamps, (StatusLamps{C::Orange, C::Orange, G, G, G, C::Red, G}));
    cond.WarningBit = false;
    cond.DetailedStatus = 0;
    for (int reply = 2; reply <= 11; ++reply) {
        Ticks(rig, 5);
        EXPECT_EQ(lastD().Status, Monitor::StatusColor::Good);
        EXPECT_EQ(lastD().Lamps, (StatusLamps{C::Navy, C::Navy, G, G, G, C::Red, G})) << reply;
    }
    Ticks(rig, 5);
    EXPECT_EQ(lastD().Lamps, (StatusLamps{G, G, G, G, G, G, G}));
    cond.ErrorBit = true;
    cond.DetailedStatus = 0x80;
    Ticks(rig, 5);
    EXPECT_EQ(lastD().Status, Monitor::StatusColor::Error);
    EXPECT_EQ(lastD().Lamps, (StatusLamps{C::LightRed, G, G, G, G, G, G}));
}

TEST(ReadingStatus, UnreadableStatusDigitsChangeNoLamp) {
    // Replies that pass their check but end before the status byte.
    const std::string position = EncoderReply("\x40\x03");
    auto script = ScriptedBox();
    script["?03:000"] = position;
    script["?05:084"] = EncoderReply(std::string("\x40\x03\x12\x34", 4));
    script["?05:097"] = EncoderReply(std::string("\x40\x03\x00\x10", 4));
    script["?04:100"] = position;
    script["?04:105"] = position;
    EngineRig rig;
    rig.scripted[Acm0] = script;
    rig.ports = Strings{Acm0};
    rig.Start();
    ASSERT_TRUE(rig.Connect());

    rig.Post(ShowPage{Page::Status});
    EXPECT_EQ(Ticks(rig, 1), "d");
    rig.Post(ShowPage{Page::Installation});
    EXPECT_EQ(Ticks(rig, 3), "a.i");
    const auto readings = rig.Reports<Reading>();
    ASSERT_EQ(readings.size(), 4u);
    EXPECT_EQ(readings[0].DetailedStatusBits, "--------");
    EXPECT_FALSE(readings[0].Lamps);
    EXPECT_EQ(readings[3].Command, 'i');
    EXPECT_FALSE(readings[3].CalLamps);
    EXPECT_EQ(readings[3].Position.ST_value, 4096u);
}

TEST(ReadingLoss, FailedSignalAndCalibrationRepliesAreSkippedUntilTheNulTick) {
    EngineRig rig;
    auto box = Connected(rig);
    rig.Post(ShowPage{Page::Installation});
    ASSERT_EQ(Ticks(rig, 3), "ia.");
    box->SetEncoderAttached(false);
    EXPECT_EQ(Ticks(rig, 2), "ia");
    const auto readings = rig.Reports<Reading>();
    ASSERT_EQ(readings.size(), 5u);
    EXPECT_EQ(readings[3].Command, 255);
    EXPECT_EQ(readings[4].Command, 255);
    EXPECT_TRUE(rig.Reports<Lost>().empty());
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::Read);
    rig.RunNextTick();
    ASSERT_EQ(rig.Reports<Lost>().size(), 1u);
    EXPECT_FALSE(rig.Reports<Lost>()[0].Interface);
    EXPECT_EQ(rig.LogLines().back(), "Encoder disconnected!");
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::SearchEncoder);
}

TEST(ReadingLoss, BoxAndEncoderLostAndFoundAgain) {
    EngineRig rig;
    auto box = Connected(rig);
    box->SetEncoderAttached(false);
    rig.RunNextTick();
    ASSERT_EQ(rig.Reports<Lost>().size(), 1u);
    EXPECT_FALSE(rig.Reports<Lost>()[0].Interface);
    EXPECT_EQ(rig.Reports<Banner>().back().Text, "Encoder disconnected!");
    EXPECT_EQ(rig.LogLines(), Strings{"Encoder disconnected!"});
    ASSERT_EQ(rig.Reports<EncoderConnection>().size(), 1u);
    EXPECT_FALSE(rig.Reports<EncoderConnection>()[0].Connected);
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::SearchEncoder);
    box->SetEncoderAttached(true);
    rig.RunNextTick();
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::Read);

    rig.ClearReports();
    box->Unplug();
    rig.RunNextTick();
    ASSERT_EQ(rig.Reports<Lost>().size(), 1u);
    EXPECT_TRUE(rig.Reports<Lost>()[0].Interface);
    EXPECT_EQ(rig.Reports<Banner>().back().Text, "Interface disconnected!");
    EXPECT_EQ(rig.LogLines(), Strings{"Interface disconnected!"});
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::SearchInterface);
    rig.RunNextTick();
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::SearchInterface);
    box->Plug();
    ASSERT_TRUE(rig.Connect(rig.NowMs() + 5000));
    rig.RunNextTick();
    EXPECT_EQ(rig.Reports<Reading>().size(), 1u);
}

TEST(ReadingRequests, RunBetweenTicks) {
    EngineRig rig;
    auto box = Connected(rig, 4096);
    rig.RunNextTick();

    // A new interval restarts the timer: the next tick one interval later.
    rig.clock->AdvanceMs(30);
    rig.Post(SetReadInterval{500});
    EXPECT_EQ(*rig.DueMs(), rig.NowMs() + 500);
    rig.RunNextTick();
    EXPECT_EQ(*rig.DueMs(), rig.NowMs() + 500);

    // A page change is taken at the next tick; it sends nothing itself.
    const std::size_t writes = rig.writes.size();
    rig.Post(ShowPage{Page::Status});
    EXPECT_EQ(rig.writes.size(), writes);
    EXPECT_EQ(Ticks(rig, 1), "d");

    rig.Post(ShowPage{Page::Other});
    rig.Post(LogCommunication{true});
    rig.ClearReports();
    rig.RunNextTick();
    EXPECT_EQ(rig.LogLines(), Strings{"CMD:\t?03:000\tRX:\t4003AD"});

    // Without an encoder, configuration requests reach nothing.
    box->SetEncoderAttached(false);
    rig.RunNextTick();
    ASSERT_EQ(rig.engine->EnabledCycle(), Cycle::SearchEncoder);
    const std::size_t beforeConfig = rig.writes.size();
    rig.Post(SendConfig{ConfigCommand::SaveToNvram, 0});
    rig.Post(SetZeroHere{});
    EXPECT_EQ(rig.writes.size(), beforeConfig);
    EXPECT_EQ(rig.LogLines().back(), "Command not sent: no encoder is connected.");
    ASSERT_EQ(rig.Reports<SetZeroOutcome>().size(), 1u);
    EXPECT_EQ(rig.Reports<SetZeroOutcome>()[0].Outcome, SetZeroOutcome::State::NotSet);
}

} // namespace
