// The channel between the engine's thread and the window: one wake per batch
// of reports, none after the window has gone, and a window that takes the
// reports from inside the wake itself.
#include "engine/engine_thread.h"

#include <gtest/gtest.h>

namespace {

Engine::Report Line(const char* text) {
    return Engine::LogLine{text};
}

TEST(EngineChannel, WakesOncePerBatchUntilTaken) {
    Engine::EngineChannel channel;
    int wakes = 0;
    channel.SetReportsWaiting([&] { ++wakes; });
    channel.Publish();
    EXPECT_EQ(wakes, 0) << "nothing to take";
    channel.Deliver(Line("a"));
    channel.Publish();
    channel.Deliver(Line("b"));
    channel.Publish();
    EXPECT_EQ(wakes, 1) << "the window has not yet taken the first batch";
    EXPECT_EQ(channel.TakeReports().size(), 2U);
    channel.Deliver(Line("c"));
    channel.Publish();
    EXPECT_EQ(wakes, 2);

    channel.SetReportsWaiting(nullptr);
    (void)channel.TakeReports();
    channel.Deliver(Line("d"));
    channel.Publish();
    EXPECT_EQ(wakes, 2) << "no call reaches a window that has gone";
}

TEST(EngineChannel, TheWakeMayTakeTheReportsAtOnce) {
    // The woken side finds the reports' lock free, even when it takes them
    // before the wake has returned (here: on the engine's own thread).
    auto channel = std::make_shared<Engine::EngineChannel>();
    std::vector<Engine::Report> taken;
    channel->SetReportsWaiting([&] {
        for (Engine::Report& r : channel->TakeReports())
            taken.push_back(std::move(r));
    });
    channel->Deliver(Line("first"));
    channel->Publish();
    channel->Deliver(Line("second"));
    channel->Publish();
    ASSERT_EQ(taken.size(), 2U);
    EXPECT_EQ(std::get<Engine::LogLine>(taken[1]).Text, "second");
}

} // namespace
