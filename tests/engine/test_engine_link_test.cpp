// The link test against the simulated box: its counts and recommendation for a
// clean, a long and a hopeless cable and a box that misses replies, the clock
// restored afterwards, a stop, a box that stops answering, and its refusals.
#include "engine_rig.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace Engine;
using End = LinkTestEnded::End;

// Runs ticks until the link test has ended; its report.
LinkTestEnded RunToEnd(EngineRig& rig) {
    for (int i = 0; i < 2000 && rig.Reports<LinkTestEnded>().empty(); ++i)
        rig.RunNextTick();
    const auto ended = rig.Reports<LinkTestEnded>();
    return ended.empty() ? LinkTestEnded{End::Refused, {}} : ended.front();
}

bool Logged(const EngineRig& rig, const std::string& line) {
    const auto lines = rig.LogLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(LinkTest, CountsEachClockAndRecommendsTheFastestBelowEveryFailure) {
    struct Case {
        const char* Name;
        double CableMetres;
        int SilentClock;  ///< at this clock every 40th position frame goes unanswered
        int ClockBefore;  ///< item index selected before the test; -1: the handshake's
        int FirstFailing; ///< 0: none
        int Recommended;
        const char* Last; ///< the log's recommendation
    };
    const Case cases[] = {
        {"clean cable", 0, 0, 7, 0, 8, "Recommended: 8 = 12 MHz"},
        {"10 m: failures from clock 7 up", 10, 0, -1, 7, 6, "Recommended: 6 =  3 MHz"},
        {"400 m: failures at every clock", 400, 0, -1, 1, 0,
         "The link fails at every clock: check the wiring and the supply."},
        {"time-outs at clock 3", 0, 3, -1, 3, 2, "Recommended: 2 = 188 kHz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EngineRig rig;
        auto box = rig.AddBox();
        int frames = 0;
        rig.onWrite = [&](const Written& w) {
            box->Faults().Silent = box->ClockIndex() == c.SilentClock && w.Bytes.starts_with("?") &&
                                   ++frames % 40 == 0;
        };
        rig.Start();
        ASSERT_TRUE(rig.Connect());
        box->Faults().CableMetres = c.CableMetres; // found at a short one
        if (c.ClockBefore >= 0)
            rig.Post(SetSpiClock{c.ClockBefore});
        rig.ClearReports();
        rig.Post(RunLinkTest{200});
        const LinkTestEnded ended = RunToEnd(rig);

        EXPECT_EQ(ended.Outcome, End::Finished);
        ASSERT_EQ(ended.Result.Clocks.size(), 8u);
        for (const Monitor::ClockTally& t : ended.Result.Clocks) {
            SCOPED_TRACE(t.Clock);
            EXPECT_EQ(t.Readings, 200);
            const bool failing = c.FirstFailing != 0 && t.Clock >= c.FirstFailing &&
                                 (c.SilentClock == 0 || t.Clock == c.SilentClock);
            EXPECT_EQ(t.Failed(), failing);
            EXPECT_EQ(t.Timeouts, t.Clock == c.SilentClock ? 5 : 0);
        }
        EXPECT_EQ(ended.Result.Recommended, c.Recommended);
        EXPECT_TRUE(Logged(rig, c.Last));
        // The clock in use before, and reading again, with no loss handling.
        EXPECT_EQ(box->ClockIndex(), c.ClockBefore >= 0 ? c.ClockBefore + 1 : 5);
        EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::Read);
        EXPECT_TRUE(rig.Reports<Lost>().empty());
        EXPECT_FALSE(Logged(rig, "Encoder disconnected!"));
        EXPECT_EQ(rig.Reports<LinkTestProgress>().back().Clock, 8);
    }
}

TEST(LinkTest, AStopOrASilentBoxEndsIt) {
    { // The user's stop: the clock before is selected again, no recommendation.
        EngineRig rig;
        auto box = rig.AddBox();
        rig.Start();
        ASSERT_TRUE(rig.Connect());
        rig.Post(RunLinkTest{200});
        for (int i = 0; i < 25; ++i) // 20 readings a tick: into clock 3
            rig.RunNextTick();
        rig.Post(StopLinkTest{});
        const LinkTestEnded ended = RunToEnd(rig);
        EXPECT_EQ(ended.Outcome, End::Stopped);
        EXPECT_EQ(ended.Result.Clocks.size(), 3u);
        EXPECT_EQ(ended.Result.Recommended, 0);
        EXPECT_EQ(box->ClockIndex(), 5);
        EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::Read);
    }
    { // The box falls silent at clock 4: five time-outs, then the loss handling.
        EngineRig rig;
        auto box = rig.AddBox();
        rig.onWrite = [&](const Written& w) {
            box->Faults().Silent |= box->ClockIndex() == 4 && w.Bytes.starts_with("?");
        };
        rig.Start();
        ASSERT_TRUE(rig.Connect());
        rig.Post(RunLinkTest{200});
        const LinkTestEnded ended = RunToEnd(rig);
        EXPECT_EQ(ended.Outcome, End::NoAnswer);
        ASSERT_EQ(ended.Result.Clocks.size(), 4u);
        EXPECT_EQ(ended.Result.Clocks.back().Timeouts, 5);
        EXPECT_TRUE(Logged(rig, "Link test stopped: the box does not answer"));
        EXPECT_TRUE(Logged(rig, "Interface disconnected!"));
        EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::SearchInterface);
    }
}

TEST(LinkTest, RefusedWithoutAnEncoderAndItHoldsOffOtherExchanges) {
    EngineRig rig;
    auto box = rig.AddBox();
    box->SetEncoderAttached(false);
    rig.Start();
    rig.RunUntil(3000);
    rig.Post(RunLinkTest{200});
    EXPECT_EQ(RunToEnd(rig).Outcome, End::Refused);
    EXPECT_TRUE(Logged(rig, "Link test: no encoder is being read"));

    box->SetEncoderAttached(true);
    ASSERT_TRUE(rig.Connect());
    rig.ClearReports();
    rig.Post(RunLinkTest{200});
    rig.RunNextTick();
    const std::size_t writes = rig.writes.size();
    rig.Post(SetSupply{false});
    rig.Post(SetSpiClock{2}); // kept as the clock to end at
    EXPECT_EQ(rig.writes.size(), writes);
    EXPECT_TRUE(Logged(rig, "Link test running: stop it or wait for its end, then try again"));
    EXPECT_EQ(RunToEnd(rig).Outcome, End::Finished);
    EXPECT_EQ(box->ClockIndex(), 3);

    // A recording would miss the readings the test takes.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "tessoran-link-test-recording";
    std::filesystem::create_directories(folder);
    rig.Post(StartRecording{folder.string(), 0});
    rig.ClearReports();
    rig.Post(RunLinkTest{200});
    EXPECT_EQ(RunToEnd(rig).Outcome, End::Refused);
    EXPECT_TRUE(Logged(rig, "Link test: stop the recording first"));
    rig.Post(StopRecording{});
    std::filesystem::remove_all(folder);
}

} // namespace
