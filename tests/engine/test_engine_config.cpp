// The encoder's configuration commands and "Set zero here" against the
// simulated encoder: the frames the box receives, what the encoder makes of
// them, and where a sequence stops.
#include "engine_rig.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace Engine;
using Monitor::Page;
using Strings = std::vector<std::string>;
using State = SetZeroOutcome::State;
const std::string SendError = "Error sending command to the encoder!";

std::shared_ptr<K730Sim::K730Box> Connected(EngineRig& rig, bool multiturn = false,
                                            std::int64_t shaft = 5000) {
    auto box = rig.AddBox("/dev/ttyACM0", multiturn);
    box->Encoder().SetShaftCount(shaft, box->NowUs());
    rig.Start();
    EXPECT_TRUE(rig.Connect());
    rig.ClearReports();
    return box;
}

// The unlock prefix and `bytes`, each byte a position request of its own.
Strings Frames(std::initializer_list<int> bytes, bool multiturn = false) {
    Strings frames;
    const auto add = [&](int b) {
        char frame[16];
        std::snprintf(frame, sizeof frame, "?0%d:%03d", multiturn ? 5 : 3, b);
        frames.emplace_back(frame);
    };
    for (const int b : {0x5E, 0x1B, 0xA7, 0x62})
        add(b);
    for (const int b : bytes)
        add(b);
    return frames;
}

Strings operator+(Strings a, const Strings& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Strings SentSince(const EngineRig& rig, std::size_t from) {
    Strings sent;
    for (std::size_t i = from; i < rig.writes.size(); ++i)
        sent.push_back(rig.writes[i].Bytes);
    return sent;
}

TEST(ConfigCommands, EachByteItsOwnFrameFiftyMsApart) {
    struct Case {
        ConfigCommand Command;
        int Value;
        Strings Expected;
    };
    const Case cases[] = {
        {ConfigCommand::ZeroOffset, 300, Frames({'Z', 0, 0, 0x01, 0x2C})},
        // The last byte is the letter 'a': it travels as a signal level read.
        {ConfigCommand::ZeroOffset, 97, Frames({'Z', 0, 0, 0}) + Strings{"?05:097"}},
        {ConfigCommand::MultiturnPreset, -1, Frames({'M', 0, 0, 0xFF, 0xFF})},
        {ConfigCommand::MultiturnPreset, 32768, Frames({'M', 0, 0, 0x80, 0})},
        {ConfigCommand::MultiturnPreset, -32768, Frames({'M', 0, 0, 0x80, 0})},
        {ConfigCommand::FactoryReset, 0, Frames({'r'})},
        {ConfigCommand::SaveToNvram, 0, Frames({'c'})},
        {ConfigCommand::SelfCalibration, 0, Frames({'A'})},
    };
    EngineRig rig;
    auto box = Connected(rig);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Expected[4] + " " + std::to_string(c.Value));
        const std::size_t from = rig.writes.size();
        rig.Post(SendConfig{c.Command, c.Value});
        EXPECT_EQ(SentSince(rig, from), c.Expected);
        std::vector<std::int64_t> gaps; // after every byte, the last one too
        for (std::size_t i = from + 1; i <= rig.writes.size(); ++i)
            gaps.push_back((i < rig.writes.size() ? rig.writes[i].Ms : rig.NowMs()) -
                           rig.writes[i - 1].Ms);
        EXPECT_EQ(gaps, std::vector<std::int64_t>(c.Expected.size(), 50));
        if (c.Command == ConfigCommand::ZeroOffset) {
            EXPECT_EQ(box->Encoder().ZeroOffset(), c.Value);
        }
    }
    EXPECT_EQ(box->Encoder().ConfigCommandsDone(), std::size(cases));
    EXPECT_TRUE(rig.Messages().empty());
}

TEST(ConfigCommands, AByteThatFailsItsCheckStopsTheCommand) {
    struct Case {
        ConfigCommand Command;
        int Value;
        int FailingFrame;
    };
    // A value byte that reads as 'a' is no signal level read here: its failed
    // reply is not forgiven.
    for (const Case& c :
         {Case{ConfigCommand::SaveToNvram, 0, 3}, Case{ConfigCommand::ZeroOffset, 97, 9}}) {
        EngineRig rig;
        auto box = Connected(rig);
        int frames = 0;
        rig.onWrite = [&](const Written&) {
            box->Faults().CrcCorruptionRate = ++frames == c.FailingFrame ? 1 : 0;
        };
        rig.Post(SendConfig{c.Command, c.Value});
        EXPECT_EQ(frames, c.FailingFrame);
        EXPECT_EQ(rig.Messages(), Strings{SendError});
        EXPECT_EQ(rig.LogLines(), Strings{SendError});
        EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::Read);
    }
}

TEST(SetZeroHere, ClearsTheOffsetReadsOnceSetsItAndSaves) {
    for (const bool multiturn : {false, true}) {
        SCOPED_TRACE(multiturn ? "multiturn" : "single-turn");
        EngineRig rig;
        auto box = Connected(rig, multiturn, 3 * 16384 + 5000);
        rig.Post(SendConfig{ConfigCommand::ZeroOffset, 1234}); // not to be read under
        const std::size_t from = rig.writes.size();
        rig.Post(SetZeroHere{});

        const Strings presetZero = multiturn ? Frames({'M', 0, 0, 0, 0}, true) : Strings{};
        EXPECT_EQ(SentSince(rig, from), presetZero + Frames({'Z', 0, 0, 0, 0}, multiturn) +
                                            Strings{multiturn ? "?05:000" : "?03:000"} +
                                            Frames({'Z', 0, 0, 0x13, 0x88}, multiturn) +
                                            Frames({'c'}, multiturn) + presetZero);
        const auto outcomes = rig.Reports<SetZeroOutcome>();
        ASSERT_EQ(outcomes.size(), 2u);
        EXPECT_EQ(outcomes[0].Outcome, State::InProgress);
        EXPECT_EQ(outcomes[0].Text, "...Function in progress...");
        EXPECT_EQ(outcomes[1].Outcome, State::Done);
        EXPECT_EQ(outcomes[1].Text, "Encoder pos: 5000 set as a zero position.");
        EXPECT_EQ(outcomes[1].ZeroOffset, 5000);
        EXPECT_EQ(outcomes[1].MultiturnValue, 0);
        EXPECT_TRUE(rig.Messages().empty());

        // The new zero holds, and comes back with the power.
        for (int pass = 0; pass < 2; ++pass) {
            rig.RunNextTick();
            const Reading r = rig.Reports<Reading>().back();
            EXPECT_EQ(r.Position.ST_value, 0u);
            EXPECT_EQ(r.Position.MT_value, 0);
            box->PowerCycleEncoder();
        }
    }
}

TEST(SetZeroHere, RefusedWhileTheErrorBitIsSet) {
    EngineRig rig;
    auto box = Connected(rig);
    box->Encoder().Conditions().ErrorBit = true;
    rig.RunNextTick();
    const std::size_t from = rig.writes.size();
    rig.Post(SetZeroHere{});
    EXPECT_EQ(rig.writes.size(), from);
    EXPECT_EQ(rig.Messages(), Strings{"Unable to set zero position. Error bit is set."});
    const SetZeroOutcome outcome = rig.Reports<SetZeroOutcome>().back();
    EXPECT_EQ(outcome.Outcome, State::Refused);
    EXPECT_FALSE(outcome.ZeroOffset || outcome.MultiturnValue);
}

TEST(SetZeroHere, StopsAtACommandThatFailed) {
    EngineRig rig;
    auto box = Connected(rig);
    box->SetEncoderAttached(false);
    const std::size_t from = rig.writes.size();
    rig.Post(SetZeroHere{});
    EXPECT_EQ(rig.writes.size(), from + 1);
    EXPECT_EQ(rig.Messages(), Strings{SendError});
    EXPECT_EQ(rig.Reports<SetZeroOutcome>().back().Outcome, State::NotSet);
}

TEST(SetZeroHere, TakesNoZeroFromAReadingThatFailedItsCheck) {
    EngineRig rig;
    auto box = Connected(rig);
    rig.Post(ShowPage{Page::Installation}); // the reading asks for the calibration status
    rig.onWrite = [&](const Written& w) {
        box->Faults().CrcCorruptionRate = w.Bytes == "?04:105" ? 1 : 0;
    };
    const std::size_t from = rig.writes.size();
    rig.Post(SetZeroHere{});
    EXPECT_EQ(SentSince(rig, from), Frames({'Z', 0, 0, 0, 0}) + Strings{"?04:105"});
    const SetZeroOutcome outcome = rig.Reports<SetZeroOutcome>().back();
    EXPECT_EQ(outcome.Outcome, State::NotSet);
    EXPECT_EQ(outcome.ZeroOffset, 0); // what the encoder has now
    EXPECT_EQ(box->Encoder().ConfigCommandsDone(), 1u);
    EXPECT_EQ(box->Encoder().Stored(), K730Sim::StoredSettings{});
}

} // namespace
