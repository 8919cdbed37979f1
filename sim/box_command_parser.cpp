#include "box_command_parser.h"

namespace K730Sim {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

enum class Verdict { NeedMore, Complete, Invalid };

struct Classified {
    Verdict verdict = Verdict::NeedMore;
    BoxCommand command;
    std::size_t consumed = 0; ///< for Invalid: bytes that belong to the bad command
};

Classified Done(BoxOp op, int arg = 0, unsigned char byte = 0) {
    return {Verdict::Complete, BoxCommand{op, arg, byte, {}}, 0};
}

// The bytes up to `at` were a bad command; the byte at `at` starts afresh.
Classified BadAt(std::size_t at) {
    return {Verdict::Invalid, {}, at};
}

Classified ClassifyExchange(std::string_view t) {
    std::size_t i = 1;
    int n = 0;
    while (i < t.size() && IsDigit(t[i])) {
        if (i > 3)
            return BadAt(i);
        n = n * 10 + (t[i] - '0');
        ++i;
    }
    if (i == t.size())
        return {};
    if (t[i] != ':' || i < 3)
        return BadAt(i);
    const std::size_t digits = t.size() - i - 1;
    for (std::size_t k = i + 1; k < t.size(); ++k)
        if (!IsDigit(t[k]))
            return BadAt(k);
    if (digits < 3)
        return {};
    const int c = (t[i + 1] - '0') * 100 + (t[i + 2] - '0') * 10 + (t[i + 3] - '0');
    if (c > 255 || n < 1 || n > BoxCommandParser::MaxExchangeBytes)
        return BadAt(t.size());
    return Done(BoxOp::SpiExchange, n, static_cast<unsigned char>(c));
}

// Checks each byte against a pattern: 'd' is any digit, others are literal.
Classified ClassifyPattern(std::string_view t, std::string_view pattern, BoxOp op, int arg = 0) {
    for (std::size_t k = 1; k < t.size(); ++k) {
        const char want = pattern[k];
        if (want == 'd' ? !IsDigit(t[k]) : t[k] != want)
            return BadAt(k);
    }
    return t.size() == pattern.size() ? Done(op, arg) : Classified{};
}

Classified Classify(std::string_view t) {
    switch (t[0]) {
    case 'v':
        return Done(BoxOp::Identify);
    case 'o':
        return Done(BoxOp::FirmwareRevision);
    case 'r':
        return Done(BoxOp::SerialNumber);
    case 'm':
        return Done(BoxOp::ClockQuery);
    case 'n':
        return Done(BoxOp::SupplyOn);
    case 'f':
        return Done(BoxOp::SupplyOff);
    case 'e':
        return Done(BoxOp::SupplyStatus);
    case 'C':
        return ClassifyPattern(t, "Cp", BoxOp::Protocol);
    case 'G':
        return ClassifyPattern(t, "Gd:d", BoxOp::SpiSetup);
    case 'D':
        return ClassifyPattern(t, "Dddd", BoxOp::SpiSetup);
    case 'M':
        if (t.size() < 2)
            return {};
        if (t[1] < '1' || t[1] > '8')
            return BadAt(1);
        return Done(BoxOp::ClockSelect, t[1] - '0');
    case 'V':
        if (t.size() < 2)
            return {};
        if (t[1] != '5' && t[1] != '3')
            return BadAt(1);
        return Done(BoxOp::Voltage, t[1] - '0');
    case '?':
        return ClassifyExchange(t);
    default:
        return BadAt(1);
    }
}

// Line ends and blanks between commands come from people typing; skip them.
bool IsFiller(char c) {
    return c == '\r' || c == '\n' || c == ' ' || c == '\t';
}

} // namespace

void BoxCommandParser::FeedByte(char byte, std::vector<BoxCommand>& out) {
    if (partial_.empty() && IsFiller(byte))
        return;
    partial_.push_back(byte);
    const Classified c = Classify(partial_);
    switch (c.verdict) {
    case Verdict::NeedMore:
        return;
    case Verdict::Complete:
        out.push_back(c.command);
        out.back().Text = std::move(partial_);
        partial_.clear();
        return;
    case Verdict::Invalid: {
        out.push_back(BoxCommand{BoxOp::Invalid, 0, 0, partial_.substr(0, c.consumed)});
        const std::string rest = partial_.substr(c.consumed);
        partial_.clear();
        for (char b : rest)
            FeedByte(b, out);
        return;
    }
    }
}

void BoxCommandParser::Feed(std::string_view bytes, std::int64_t nowUs,
                            std::vector<BoxCommand>& out) {
    if (bytes.empty())
        return;
    if (auto expired = Expire(nowUs))
        out.push_back(std::move(*expired));
    for (char b : bytes)
        FeedByte(b, out);
    lastByteUs_ = nowUs;
}

std::optional<BoxCommand> BoxCommandParser::Expire(std::int64_t nowUs) {
    const auto deadline = DeadlineUs();
    if (!deadline || nowUs < *deadline)
        return std::nullopt;
    BoxCommand dropped{BoxOp::Invalid, 0, 0, std::move(partial_)};
    partial_.clear();
    return dropped;
}

std::optional<std::int64_t> BoxCommandParser::DeadlineUs() const {
    if (partial_.empty())
        return std::nullopt;
    return lastByteUs_ + PartialTimeoutUs;
}

} // namespace K730Sim
