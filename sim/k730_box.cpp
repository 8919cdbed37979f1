#include "k730_box.h"

#include "cable_model.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <vector>

namespace K730Sim {
namespace {

constexpr std::array<const char*, 8> ClockNames = {"94 kHz",  "188 kHz", "375 kHz", "750 kHz",
                                                   "1.5 MHz", "3 MHz",   "6 MHz",   "12 MHz"};

std::string HexPairs(std::string_view bytes) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out.push_back(' ');
        const auto b = static_cast<unsigned char>(bytes[i]);
        out.push_back(Digits[b >> 4]);
        out.push_back(Digits[b & 0x0F]);
    }
    return out;
}

} // namespace

K730Box::K730Box(std::shared_ptr<Clock> clock, std::uint64_t seed)
    : clock_(std::move(clock)), rng_(seed) {
    PowerUp();
}

void K730Box::PowerUp() {
    clockIndex_ = DefaultClockIndex;
    voltage_ = 5;
    supplyOn_ = true;
    parser_.Clear();
    UpdateEncoderPower();
}

void K730Box::UpdateEncoderPower() {
    const bool want = plugged_ && supplyOn_ && encoderAttached_;
    if (want && !encoder_.Powered())
        encoder_.PowerOn(NowUs());
    else if (!want && encoder_.Powered())
        encoder_.PowerOff();
}

void K730Box::SetEncoderAttached(bool attached) {
    encoderAttached_ = attached;
    UpdateEncoderPower();
}

void K730Box::SetSupply(bool on) {
    supplyOn_ = on;
    UpdateEncoderPower();
}

void K730Box::PowerCycleEncoder() {
    encoder_.PowerOff();
    UpdateEncoderPower();
}

void K730Box::Unplug() {
    if (!plugged_)
        return;
    plugged_ = false;
    ++generation_;
    DropPending();
    UpdateEncoderPower();
}

void K730Box::Plug() {
    if (plugged_)
        return;
    plugged_ = true;
    PowerUp();
}

void K730Box::DropPending() {
    for (const Chunk& c : chunks_)
        stats_.DroppedBytes += c.Bytes.size();
    chunks_.clear();
    parser_.Clear();
}

void K730Box::Receive(std::string_view bytes) {
    if (!plugged_)
        return;
    if (stats_.FirstInputUs == 0 && !bytes.empty())
        stats_.FirstInputUs = static_cast<std::uint64_t>(NowUs());
    stats_.BytesReceived += bytes.size();
    std::vector<BoxCommand> commands;
    parser_.Feed(bytes, NowUs(), commands);
    for (const BoxCommand& c : commands) {
        // A hung box takes the bytes in and does nothing with them.
        if (faults_.Silent)
            ++stats_.Unanswered;
        else
            Handle(c);
    }
}

void K730Box::Service() {
    if (!plugged_)
        return;
    if (auto expired = parser_.Expire(NowUs())) {
        ++stats_.PartialTimeouts;
        if (faults_.Silent)
            ++stats_.Unanswered;
        else
            Handle(*expired);
    }
}

std::optional<std::string> K730Box::TakeChunk() {
    if (chunks_.empty() || chunks_.front().DueUs > NowUs())
        return std::nullopt;
    std::string bytes = std::move(chunks_.front().Bytes);
    chunks_.pop_front();
    stats_.BytesSent += bytes.size();
    return bytes;
}

std::optional<std::int64_t> K730Box::NextEventUs() const {
    std::optional<std::int64_t> next = parser_.DeadlineUs();
    if (!chunks_.empty() && (!next || chunks_.front().DueUs < *next))
        next = chunks_.front().DueUs;
    return next;
}

void K730Box::Emit(std::string reply, bool splittable) {
    ++stats_.Replies;
    if (faults_.ExtraBytes)
        reply.push_back('\n');
    const std::int64_t due =
        std::max(NowUs() + std::int64_t{std::max(faults_.SlowMs, 0)} * 1000, lastDueUs_);
    const std::size_t pieces =
        splittable
            ? std::clamp<std::size_t>(static_cast<std::size_t>(std::max(faults_.SplitPieces, 1)), 1,
                                      reply.size())
            : 1;
    const std::size_t base = reply.size() / pieces;
    const std::size_t longer = reply.size() % pieces;
    std::size_t at = 0;
    for (std::size_t i = 0; i < pieces; ++i) {
        const std::size_t len = base + (i < longer ? 1 : 0);
        chunks_.push_back({due + static_cast<std::int64_t>(i) * SplitGapUs, reply.substr(at, len)});
        at += len;
    }
    lastDueUs_ = chunks_.back().DueUs;
}

std::string K730Box::SupplyText() {
    const char* volts = voltage_ == 3 ? "3.3V" : "5.0V";
    if (!supplyOn_)
        return std::string(volts) + " OFF 0mA";
    // A powered encoder draws a few tens of mA, with some ripple.
    const int milliamps =
        encoderAttached_ ? 36 + static_cast<int>(std::uniform_int_distribution<>(0, 4)(rng_)) : 0;
    return std::string(volts) + " ON " + std::to_string(milliamps) + "mA";
}

void K730Box::Handle(const BoxCommand& command) {
    ++stats_.Commands;
    switch (command.Op) {
    case BoxOp::Identify:
        // The identification goes out in one piece, so a 7-byte read sees it whole.
        Emit(identity_.IdentLine + "\r", false);
        return;
    case BoxOp::FirmwareRevision:
        Emit(identity_.FirmwareRevision + "\r", true);
        return;
    case BoxOp::SerialNumber: {
        std::string serial = identity_.SerialNumber;
        if (faults_.LongSerialBytes > serial.size() + 1)
            serial.resize(faults_.LongSerialBytes - 1, '0');
        Emit(serial + "\r", true);
        return;
    }
    case BoxOp::ClockQuery:
        Emit(std::string(ClockNames[static_cast<std::size_t>(clockIndex_ - 1)]) + "\r", true);
        return;
    case BoxOp::SupplyOn:
        SetSupply(true);
        Emit("ON\r", true);
        return;
    case BoxOp::SupplyOff:
        SetSupply(false);
        Emit("OFF\r", true);
        return;
    case BoxOp::SupplyStatus:
        Emit(SupplyText() + "\r", true);
        return;
    case BoxOp::Protocol:
    case BoxOp::SpiSetup:
        if (faults_.SetupError) {
            ++stats_.ErrorReplies;
            Emit("ERROR\r", true);
        } else {
            Emit("OK\r", true);
        }
        return;
    case BoxOp::ClockSelect:
        clockIndex_ = command.Arg;
        Emit("OK\r", true);
        return;
    case BoxOp::Voltage:
        voltage_ = command.Arg;
        Emit(command.Text + "\r", true);
        return;
    case BoxOp::SpiExchange:
        HandleExchange(command.Arg, command.Byte);
        return;
    case BoxOp::Invalid:
        ++stats_.ErrorReplies;
        Emit("ERROR\r", true);
        return;
    }
}

void K730Box::HandleExchange(int length, unsigned char byte) {
    ++stats_.SpiExchanges;
    std::string bytes;
    if (encoder_.Powered())
        bytes = encoder_.Respond(byte, NowUs());
    bool good = encoder_.Powered() && bytes.size() == static_cast<std::size_t>(length);
    // MISO idles high: bytes past the encoder's reply, or all of them without a
    // powered encoder, read as FF.
    bytes.resize(static_cast<std::size_t>(length), '\xFF');
    if (faults_.CrcCorruptionRate > 0 &&
        std::bernoulli_distribution(std::min(faults_.CrcCorruptionRate, 1.0))(rng_)) {
        const auto at = std::uniform_int_distribution<std::size_t>(0, bytes.size() - 1)(rng_);
        const auto bit = std::uniform_int_distribution<int>(0, 7)(rng_);
        bytes[at] = static_cast<char>(bytes[at] ^ (1 << bit));
        ++stats_.CorruptedReplies;
        good = false;
    } else if (const double share = CableErrorShare(faults_.CableMetres, clockIndex_);
               share > 0 && !bytes.empty() && std::bernoulli_distribution(share)(rng_)) {
        const auto flip = std::uniform_int_distribution<int>(1, 255)(rng_);
        bytes.back() = static_cast<char>(bytes.back() ^ flip);
        ++stats_.CorruptedReplies;
        good = false;
    }
    if (good)
        ++stats_.GoodEncoderReplies;
    if (byte == 0) {
        ++stats_.PositionFrames;
        if (good)
            ++stats_.GoodPositionReplies;
    }
    Emit(HexPairs(bytes) + "\r", true);
}

std::string K730Box::StatsLine() const {
    std::ostringstream out;
    out << "bytes_in=" << stats_.BytesReceived << " bytes_out=" << stats_.BytesSent
        << " commands=" << stats_.Commands << " replies=" << stats_.Replies
        << " error_replies=" << stats_.ErrorReplies
        << " partial_timeouts=" << stats_.PartialTimeouts
        << " spi_exchanges=" << stats_.SpiExchanges << " position_frames=" << stats_.PositionFrames
        << " good_position_replies=" << stats_.GoodPositionReplies
        << " good_encoder_replies=" << stats_.GoodEncoderReplies
        << " corrupted=" << stats_.CorruptedReplies << " unanswered=" << stats_.Unanswered
        << " dropped_bytes=" << stats_.DroppedBytes
        << " config_commands=" << encoder_.ConfigCommandsDone()
        << " first_input_us=" << stats_.FirstInputUs;
    return out.str();
}

} // namespace K730Sim
