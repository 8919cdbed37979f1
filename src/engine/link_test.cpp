// The link test: position readings at each SPI clock in turn, as fast as the
// box answers, counting the replies that fail their check and the exchanges
// that time out. Reading pauses meanwhile; a failed reply here is a count,
// not a lost encoder. Its ticks run a batch each, so a stop request or a page
// change is taken between batches.
#include "engine/monitor_engine.h"

#include "encoder/Velor_konstante.h"
#include "encoder/encoder_transfer.h"
#include "serial/Serial_driver.h"

#include <algorithm>

namespace Engine {
namespace {

/// Readings per tick: short enough that a stop is taken within a moment.
constexpr int BatchReadings = 20;
/// A box that lets this many exchanges in a row time out has stopped
/// answering; waiting out every reading at 400 ms each would keep the user
/// a minute and more.
constexpr int SilentAfterTimeouts = 5;

} // namespace

bool MonitorEngine::RefusedDuringLinkTest(const Request& request) {
    if (!linkTest_)
        return false;
    if (const auto* clock = std::get_if<SetSpiClock>(&request)) {
        // The user's choice is the clock the test leaves the box at.
        clockItemIndex_ = std::clamp(clock->ItemIndex, 0, 7);
        return true;
    }
    const bool exchanges = std::holds_alternative<SetSupply>(request) ||
                           std::holds_alternative<Engine::SendConfig>(request) ||
                           std::holds_alternative<Engine::SetZeroHere>(request) ||
                           std::holds_alternative<Engine::StartRecording>(request) ||
                           std::holds_alternative<RunLinkTest>(request);
    if (exchanges)
        Log("Link test running: stop it or wait for its end, then try again");
    return exchanges;
}

void MonitorEngine::StartLinkTest(const RunLinkTest& request) {
    const char* refusal = nullptr;
    if (!connected_ || (enabled_ != Cycle::Read))
        refusal = "Link test: no encoder is being read";
    else if (ShraniFajl.IsOpen())
        refusal = "Link test: stop the recording first";
    if (refusal) {
        Log(refusal);
        Emit(LinkTestEnded{LinkTestEnded::End::Refused, {}});
        return;
    }
    linkTest_ = LinkTestRun{};
    linkTest_->Readings = std::clamp(request.Readings, 1, 100000);
    std::string line = "Link test: reading paused, ";
    line += std::to_string(linkTest_->Readings);
    line += " readings at each of the 8 clocks";
    Log(std::move(line));
    Disable();
    Enable(Cycle::LinkTest);
}

void MonitorEngine::LinkTestTick() {
    LinkTestRun& run = *linkTest_;
    std::vector<Monitor::ClockTally>& clocks = run.Result.Clocks;
    if (run.StopAsked) {
        EndLinkTest(LinkTestEnded::End::Stopped);
        return;
    }
    if (clocks.empty() || clocks.back().Readings == run.Readings) {
        if (static_cast<int>(clocks.size()) == Monitor::SpiClocks) {
            EndLinkTest(LinkTestEnded::End::Finished);
            return;
        }
        const int clock = static_cast<int>(clocks.size()) + 1;
        if (!SelectClockQuietly(clock)) {
            EndLinkTest(LinkTestEnded::End::NoAnswer);
            return;
        }
        clocks.push_back({clock, 0, 0, 0});
        run.TimeoutsInRow = 0;
    }
    Monitor::ClockTally& tally = clocks.back();
    // The test's own records: what the pages show stays the last reading's.
    TEncoderPosition position = EncoderPosition;
    TEncoderAuxData aux = EncoderAuxData;
    for (int i = 0; i < BatchReadings && tally.Readings < run.Readings; ++i) {
        unsigned char c = Velor_konstante::Cmd::Position;
        (void)Velor::EncoderTransferCore(
            [this](std::string_view frame, std::string& reply) { return Exchange(frame, reply); },
            {EncoderSignature, position, aux}, c);
        ++tally.Readings;
        if (position.ErrComm == Serial_driver::StatusTimeout) {
            ++tally.Timeouts;
            if (++run.TimeoutsInRow >= SilentAfterTimeouts) {
                EndLinkTest(LinkTestEnded::End::NoAnswer);
                return;
            }
            continue;
        }
        if (position.ErrComm != Serial_driver::StatusOk) { // the port itself failed
            EndLinkTest(LinkTestEnded::End::NoAnswer);
            return;
        }
        run.TimeoutsInRow = 0;
        if (position.ErrCRC)
            ++tally.CrcFailed;
    }
    Emit(LinkTestProgress{tally.Clock, tally.Readings});
}

void MonitorEngine::EndLinkTest(LinkTestEnded::End outcome) {
    LinkTestEnded ended{outcome, std::move(linkTest_->Result)};
    linkTest_.reset();
    ended.Result.Recommended = Monitor::RecommendedClock(ended.Result.Clocks);
    // The clock in use before, if the box still answers.
    if (outcome != LinkTestEnded::End::NoAnswer && !SelectClockQuietly(clockItemIndex_ + 1))
        ended.Outcome = outcome = LinkTestEnded::End::NoAnswer;
    Disable();
    switch (outcome) {
    case LinkTestEnded::End::NoAnswer:
        Log("Link test stopped: the box does not answer");
        LoseInterface();
        break;
    case LinkTestEnded::End::Stopped:
        Log("Link test stopped: reading again");
        Enable(Cycle::Read);
        break;
    default:
        Log("Link test finished: reading again");
        Log(Monitor::RecommendationText(ended.Result));
        Enable(Cycle::Read);
        break;
    }
    Emit(std::move(ended));
}

} // namespace Engine
