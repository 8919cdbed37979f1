#pragma once
// The simulated K730-6W box with a Velor encoder behind it: bytes in, bytes out.
// Replies are scheduled on the clock the box is given; a transport (the pty
// server or the in-process serial port) takes them when they are due.

#include "box_command_parser.h"
#include "box_faults.h"
#include "sim_clock.h"
#include "velor_encoder.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace K730Sim {

class K730Box {
public:
    static constexpr std::int64_t SplitGapUs = 1000;
    static constexpr int DefaultClockIndex = 6; ///< "M6", 3 MHz, after power-up

    explicit K730Box(std::shared_ptr<Clock> clock, std::uint64_t seed = 1);

    [[nodiscard]] Clock& GetClock() { return *clock_; }
    [[nodiscard]] std::int64_t NowUs() const { return clock_->NowUs(); }
    [[nodiscard]] VelorEncoder& Encoder() { return encoder_; }
    [[nodiscard]] BoxIdentity& Identity() { return identity_; }
    [[nodiscard]] BoxFaults& Faults() { return faults_; }
    [[nodiscard]] const SimStats& Stats() const { return stats_; }
    /// One line of "name=value" counters.
    [[nodiscard]] std::string StatsLine() const;
    void SetSeed(std::uint64_t seed) { rng_.seed(seed); }

    /// The world around the box.
    void SetEncoderAttached(bool attached);
    [[nodiscard]] bool EncoderAttached() const { return encoderAttached_; }
    void SetSupply(bool on);
    [[nodiscard]] bool SupplyOn() const { return supplyOn_; }
    void PowerCycleEncoder();
    /// Unplug drops everything in flight and the encoder's power; every port
    /// opened before it stays dead. Plug powers the box up afresh.
    void Unplug();
    void Plug();
    [[nodiscard]] bool Plugged() const { return plugged_; }
    /// Changes at every unplug: a port knows by it that its device is gone.
    [[nodiscard]] std::uint64_t Generation() const { return generation_; }
    [[nodiscard]] int ClockIndex() const { return clockIndex_; }

    /// Transport side. Receive takes bytes at the clock's present time.
    void Receive(std::string_view bytes);
    /// Runs what is due by now (a partial command going idle).
    void Service();
    /// The next write that is due by now, if any (one write per call).
    [[nodiscard]] std::optional<std::string> TakeChunk();
    /// When something next happens (output due, a partial command expiring).
    [[nodiscard]] std::optional<std::int64_t> NextEventUs() const;
    /// The host closed the port: what was on its way is lost, as on a real port.
    void DropPending();
    /// A transport could not deliver `count` bytes of a chunk (nobody reading).
    void NoteUndelivered(std::size_t count) { stats_.DroppedBytes += count; }

private:
    struct Chunk {
        std::int64_t DueUs;
        std::string Bytes;
    };

    void Handle(const BoxCommand& command);
    void HandleExchange(int length, unsigned char byte);
    [[nodiscard]] std::string SupplyText();
    void Emit(std::string reply, bool splittable);
    void UpdateEncoderPower();
    void PowerUp();

    std::shared_ptr<Clock> clock_;
    std::mt19937_64 rng_;
    VelorEncoder encoder_;
    BoxIdentity identity_;
    BoxFaults faults_;
    SimStats stats_;
    BoxCommandParser parser_;
    std::deque<Chunk> chunks_;
    std::int64_t lastDueUs_ = 0;
    bool plugged_ = true;
    std::uint64_t generation_ = 0;
    bool encoderAttached_ = true;
    bool supplyOn_ = true;
    int clockIndex_ = DefaultClockIndex;
    int voltage_ = 5;
};

} // namespace K730Sim
