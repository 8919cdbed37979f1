#include "monitor/reading_cycle.h"
#include "util/number_format.h"

#include <gtest/gtest.h>
#include <string>

using namespace Monitor;

namespace {
std::string Commands(Page page, std::uint8_t& lastCmd, int ticks) {
    std::string out;
    for (int i = 0; i < ticks; ++i) {
        unsigned char c = NextCommand(page, lastCmd);
        out += c ? static_cast<char>(c) : '0';
    }
    return out;
}
} // namespace

TEST(Schedule, EachPageGetsItsCommandsInTurn) {
    std::uint8_t last = 0;
    EXPECT_EQ(Commands(Page::Status, last, 11), "dtsT0dtsT0d");
    last = 0;
    EXPECT_EQ(Commands(Page::Installation, last, 7), "ia0ia0i");
    last = 3;
    EXPECT_EQ(Commands(Page::Identification, last, 3), "vvv");
    EXPECT_EQ(Commands(Page::Other, last, 2), "00");
    EXPECT_EQ(last, 3) << "other pages leave the counter alone";
}

TEST(Schedule, CountCarriesOverBetweenStatusAndInstallation) {
    std::uint8_t last = 0;
    EXPECT_EQ(Commands(Page::Status, last, 2), "dt");
    // 3 has no meaning on Installation: one position tick, then the sequence restarts.
    EXPECT_EQ(Commands(Page::Installation, last, 3), "0ia");
    EXPECT_EQ(Commands(Page::Status, last, 3), "s"
                                               "T"
                                               "0");
    last = 1;
    EXPECT_EQ(Commands(Page::Other, last, 1), "0");
    EXPECT_EQ(Commands(Page::Installation, last, 1), "a");
}

TEST(StatusColour, ErrorBeatsWarning) {
    EXPECT_EQ(StatusOf(true, true), StatusColor::Error);
    EXPECT_EQ(StatusOf(true, false), StatusColor::Error);
    EXPECT_EQ(StatusOf(false, true), StatusColor::Warning);
    EXPECT_EQ(StatusOf(false, false), StatusColor::Good);
}

TEST(StatusLatch, ABitStaysUntilTheEleventhReply) {
    std::uint8_t bits = 0;
    std::uint16_t count = 0;
    StatusLatch latch{bits, count};
    EXPECT_EQ(latch.Add(0x02), 0x02);
    for (int i = 2; i <= 10; ++i)
        EXPECT_EQ(latch.Add(0x00), 0x02) << "reply " << i;
    EXPECT_EQ(latch.Add(0x80), 0x82) << "the 11th reply still shows the latch";
    EXPECT_EQ(bits, 0) << "and clears it right after";
    EXPECT_EQ(count, 0);
    EXPECT_EQ(latch.Add(0x00), 0x00);
}

TEST(StatusLatch, AnUnreadableStatusChangesNothing) {
    std::uint8_t bits = 0x10;
    std::uint16_t count = 4;
    EXPECT_EQ((StatusLatch{bits, count}.Add(0xFFFF)), 0x10);
    EXPECT_EQ(bits, 0x10);
    EXPECT_EQ(count, 4);
}

TEST(SupplyStatus, EveryTwentyFirstGoodTick) {
    std::uint16_t counter = 0;
    int due = 0;
    for (int i = 1; i <= 63; ++i)
        if (SupplyStatusDue(counter)) {
            ++due;
            EXPECT_EQ(i % 21, 0);
        }
    EXPECT_EQ(due, 3);
}

TEST(FormatFixed, SignificantDigitsThenExactDecimals) {
    using Orodja::FormatFixed;
    EXPECT_EQ(FormatFixed(123.4564, 12, 3), "123.456");
    EXPECT_EQ(FormatFixed(90.0, 12, 3), "90.000");
    EXPECT_EQ(FormatFixed(-270.0, 12, 3), "-270.000");
    EXPECT_EQ(FormatFixed(23.45, 4, 1), "23.5");
    EXPECT_EQ(FormatFixed(-1.0, 4, 1), "-1.0");
    EXPECT_EQ(FormatFixed(3276.7, 4, 1), "3277.0");
    EXPECT_EQ(FormatFixed(0.847, 5, 2), "0.85");
    EXPECT_EQ(FormatFixed(-0.004, 5, 2), "0.00");
    EXPECT_EQ(FormatFixed(0.71249, 5, 3), "0.712");
    EXPECT_EQ(FormatFixed(123456.0, 4, 1).find('E') != std::string::npos, true);
}
