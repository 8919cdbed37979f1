// Whatever reaches the simulated box over its port - a program's frames, a
// person typing, line noise - is answered or ignored, and every answer is a
// complete printable line. The first byte picks faults; after it, each control
// byte says how many bytes to send next and how much time passes.

#include "k730_box.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

void Drain(K730Sim::K730Box& box, std::string& out) {
    box.Service();
    while (auto chunk = box.TakeChunk()) {
        Check(!chunk->empty());
        out += *chunk;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    auto clock = std::make_shared<K730Sim::ManualClock>();
    K730Sim::K730Box box(clock);
    const std::uint8_t faults = data[0];
    if (faults & 0x01)
        box.Encoder().Identity().Kind = K730Sim::EncoderKind::Multiturn;
    box.Faults().ExtraBytes = faults & 0x02;
    box.SetSupply(!(faults & 0x04));
    box.Faults().SetupError = faults & 0x08;
    box.SetEncoderAttached(!(faults & 0x10));
    box.Faults().SplitPieces = 1 + ((faults >> 5) & 0x03);
    box.Faults().CrcCorruptionRate = (faults & 0x80) ? 0.5 : 0.0;
    box.Encoder().SetSpeedRpm(123.4, 0);

    std::string out;
    std::size_t i = 1;
    while (i < size) {
        const std::uint8_t control = data[i++];
        const std::size_t length = std::min<std::size_t>((control & 0x0F) + 1, size - i);
        box.Receive(std::string_view(reinterpret_cast<const char*>(data + i), length));
        i += length;
        clock->AdvanceMs((control >> 4) * 16);
        Drain(box, out);
    }
    // Let everything pending come out; nothing may stay scheduled.
    for (int guard = 0; guard < 1000; ++guard) {
        const auto next = box.NextEventUs();
        if (!next)
            break;
        clock->WaitUntilUs(*next);
        Drain(box, out);
    }
    Check(!box.NextEventUs().has_value());

    // Every reply is a whole line of printable text ended by CR (and LF when the
    // extra-bytes fault is on).
    Check(out.empty() || out.back() == (box.Faults().ExtraBytes ? '\n' : '\r'));
    for (char c : out) {
        const auto b = static_cast<unsigned char>(c);
        Check(c == '\r' || c == '\n' || (b >= 0x20 && b < 0x7F));
    }
    // No input byte can make more than one reply, and no reply is longer than a
    // 64-byte exchange in hex.
    Check(out.size() <= (size + 1) * (64 * 3 + 1));
    return 0;
}
