#include "control_commands.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <sstream>
#include <vector>

namespace K730Sim {
namespace {

constexpr std::string_view Help =
    R"(  unplug | plug            pull the box's USB cable / plug it in again
  encoder on|off           attach or remove the encoder
  supply on|off            switch the encoder supply (as the box's n / f)
  power-cycle              switch the encoder off and on (keeps only saved settings)
  error on|off             encoder error bit
  warning on|off           encoder warning bit
  status HEX               detailed status byte, e.g. 0A
  speed RPM                shaft speed, may be 0 or negative
  position COUNT           put the shaft at this total count (turns*16384 + angle)
  gap MM                   mean air gap
  wobble MM                air-gap variation over one turn
  temperature TENTHS       temperature in tenths of a degree C
  magnet 12|16|22|30       ring magnet size (part number characters 11-12)
  kind single|multi        single-turn or multiturn encoder
  serial TEXT              encoder serial number (6 characters)
  part TEXT                encoder part number (16 characters)
  firmware A.B.C.D         encoder firmware version
  calibration finished|failed|timeout   how the next self-calibration ends
  crc RATE                 share of SPI replies with a flipped bit, 0..1
  cable METRES             the encoder's cable: the faster the clock above what its
                           length carries (30 MHz*m / METRES), the more replies
                           with a broken check byte (0.1 * (clock / that)^2, <= 0.9)
  seed N                   seed of the fault generator
  slow MS                  hold every reply back this long
  split N                  send replies in N writes, 1 ms apart
  extra on|off             a line feed after every CR
  silent on|off            the box answers nothing
  seterror on|off          ERROR to Cp, G0:1 and D055
  long-serial BYTES        the box's serial-number reply padded to BYTES (0: as it is)
  stats                    print the counters
  help                     this list
  quit                     stop
)";

ControlOutcome Fail(std::string message) {
    return {false, std::move(message), ControlAction::None};
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

template <typename T> bool Parse(std::string_view text, T& value, int base = 10) {
    const char* end = text.data() + text.size();
    std::from_chars_result r;
    if constexpr (std::is_floating_point_v<T>)
        r = std::from_chars(text.data(), end, value);
    else
        r = std::from_chars(text.data(), end, value, base);
    return r.ec == std::errc() && r.ptr == end;
}

bool ParseSwitch(std::string_view text, bool& on) {
    if (text == "on" || text == "1") {
        on = true;
        return true;
    }
    if (text == "off" || text == "0") {
        on = false;
        return true;
    }
    return false;
}

bool ParseFirmware(std::string_view text, EncoderIdentity& id) {
    unsigned parts[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::size_t dot = i < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos || !Parse(text.substr(0, dot), parts[i]))
            return false;
        text.remove_prefix(i < 3 ? dot + 1 : dot);
    }
    if (parts[0] > 255 || parts[1] > 255 || parts[2] > 255 || parts[3] > 65535)
        return false;
    id.FwMajor = static_cast<std::uint8_t>(parts[0]);
    id.FwMinor = static_cast<std::uint8_t>(parts[1]);
    id.FwThird = static_cast<std::uint8_t>(parts[2]);
    id.FwFourth = static_cast<std::uint16_t>(parts[3]);
    return true;
}

// The part number says what kind of encoder it is in characters 9-10 ("ST"/"MT").
void SetKind(EncoderIdentity& id, EncoderKind kind) {
    id.Kind = kind;
    std::string& pn = id.PartNumber;
    if (pn.size() >= 10 && (pn.compare(8, 2, "ST") == 0 || pn.compare(8, 2, "MT") == 0))
        pn.replace(8, 2, kind == EncoderKind::Multiturn ? "MT" : "ST");
}

bool IsSwitch(std::string_view name) {
    for (std::string_view s :
         {"encoder", "supply", "error", "warning", "extra", "silent", "seterror"})
        if (name == s)
            return true;
    return false;
}

ControlOutcome RunSwitch(K730Box& box, std::string_view name, bool on) {
    auto& cond = box.Encoder().Conditions();
    auto& faults = box.Faults();
    if (name == "encoder")
        box.SetEncoderAttached(on);
    else if (name == "supply")
        box.SetSupply(on);
    else if (name == "error")
        cond.ErrorBit = on;
    else if (name == "warning")
        cond.WarningBit = on;
    else if (name == "extra")
        faults.ExtraBytes = on;
    else if (name == "silent")
        faults.Silent = on;
    else if (name == "seterror")
        faults.SetupError = on;
    return {};
}

ControlOutcome RunWithValue(K730Box& box, std::string_view name, std::string_view arg) {
    VelorEncoder& enc = box.Encoder();
    auto& cond = enc.Conditions();
    auto& faults = box.Faults();
    const std::int64_t now = box.NowUs();
    const std::string bad = "bad value for " + std::string(name) + ": " + std::string(arg);
    double d = 0;
    std::int64_t i = 0;
    if (name == "status") {
        unsigned v = 0;
        if (!Parse(arg, v, 16) || v > 0xFF)
            return Fail(bad);
        cond.DetailedStatus = static_cast<std::uint8_t>(v);
    } else if (name == "cable") {
        if (!Parse(arg, d) || !std::isfinite(d) || d < 0 || d > 100000)
            return Fail(bad);
        faults.CableMetres = d;
    } else if (name == "speed" || name == "gap" || name == "wobble" || name == "crc") {
        if (!Parse(arg, d) || !std::isfinite(d))
            return Fail(bad);
        if (name == "speed")
            enc.SetSpeedRpm(d, now);
        else if (name == "gap")
            cond.GapMm = d;
        else if (name == "wobble")
            cond.GapWobbleMm = d;
        else if (d < 0 || d > 1)
            return Fail(bad);
        else
            faults.CrcCorruptionRate = d;
    } else if (name == "position") {
        if (!Parse(arg, i))
            return Fail(bad);
        enc.SetShaftCount(i, now);
    } else if (name == "temperature") {
        if (!Parse(arg, i) || i < -32768 || i > 32767)
            return Fail(bad);
        cond.TemperatureTenths = static_cast<std::int16_t>(i);
    } else if (name == "magnet") {
        if (!Parse(arg, i) || i < 10 || i > 99)
            return Fail(bad);
        std::string& pn = enc.Identity().PartNumber;
        if (pn.size() < 12)
            pn.resize(12, '0');
        pn.replace(10, 2, std::to_string(i));
    } else if (name == "kind") {
        if (arg != "single" && arg != "multi")
            return Fail(bad);
        SetKind(enc.Identity(), arg == "multi" ? EncoderKind::Multiturn : EncoderKind::SingleTurn);
    } else if (name == "serial" || name == "part") {
        if (arg.size() > (name == "serial" ? 6u : 16u))
            return Fail(bad);
        (name == "serial" ? enc.Identity().SerialNumber : enc.Identity().PartNumber) = arg;
    } else if (name == "firmware") {
        if (!ParseFirmware(arg, enc.Identity()))
            return Fail(bad);
    } else if (name == "calibration") {
        if (arg == "finished")
            cond.Calibration = CalibrationOutcome::Finished;
        else if (arg == "failed")
            cond.Calibration = CalibrationOutcome::Failed;
        else if (arg == "timeout")
            cond.Calibration = CalibrationOutcome::Timeout;
        else
            return Fail(bad);
    } else if (name == "seed") {
        std::uint64_t seed = 0;
        if (!Parse(arg, seed))
            return Fail(bad);
        box.SetSeed(seed);
    } else if (name == "long-serial") {
        if (!Parse(arg, i) || i < 0 || i > (1 << 24))
            return Fail(bad);
        faults.LongSerialBytes = static_cast<std::size_t>(i);
    } else if (name == "slow" || name == "split") {
        if (!Parse(arg, i) || i < (name == "slow" ? 0 : 1) || i > 60000)
            return Fail(bad);
        (name == "slow" ? faults.SlowMs : faults.SplitPieces) = static_cast<int>(i);
    } else {
        bool on = false;
        if (!IsSwitch(name))
            return Fail("unknown command: " + std::string(name));
        if (!ParseSwitch(arg, on))
            return Fail(bad);
        return RunSwitch(box, name, on);
    }
    return {};
}

} // namespace

ControlOutcome RunControlCommand(K730Box& box, std::string_view line) {
    const std::vector<std::string_view> words = Words(line);
    if (words.empty() || words[0].front() == '#')
        return {};
    const std::string_view name = words[0];
    if (words.size() == 1) {
        if (name == "unplug")
            box.Unplug();
        else if (name == "plug")
            box.Plug();
        else if (name == "power-cycle")
            box.PowerCycleEncoder();
        else if (name == "stats")
            return {true, {}, ControlAction::Stats};
        else if (name == "help")
            return {true, {}, ControlAction::Help};
        else if (name == "quit")
            return {true, {}, ControlAction::Quit};
        else
            return Fail("unknown command or missing value: " + std::string(name));
        return {};
    }
    if (words.size() != 2)
        return Fail("too many words: " + std::string(line));
    return RunWithValue(box, name, words[1]);
}

std::string_view ControlCommandHelp() {
    return Help;
}

} // namespace K730Sim
