#include "interface/handshake.h"

#include <gtest/gtest.h>

using namespace K730;

TEST(Handshake, IdentificationNeedsSuccessAndTheExactPrefix) {
    EXPECT_TRUE(IsIdentification(0, "K730-6W"));
    EXPECT_TRUE(IsIdentification(0, "K730-6W, 3.1.07 SPI\r"));
    EXPECT_FALSE(IsIdentification(-1, "K730-6W"));
    EXPECT_FALSE(IsIdentification(0, " K730-6W"));
    EXPECT_FALSE(IsIdentification(0, "K730-6"));
    EXPECT_FALSE(IsIdentification(0, "k730-6w"));
}

TEST(Handshake, FirmwareRevisionIsDecimalOrZero) {
    EXPECT_EQ(ParseFirmwareRevision("12\r\n"), 12);
    EXPECT_EQ(ParseFirmwareRevision(" 1 2 \r"), 12); // blanks go before the number is read
    EXPECT_EQ(ParseFirmwareRevision("rev12\r"), 0);
    EXPECT_EQ(ParseFirmwareRevision(""), 0);
}

TEST(Handshake, VersionTextTakesCharactersTenToFourteen) {
    EXPECT_EQ(VersionText("K730-6W, 3.1.07 SPI", 12), "3.1.0.12");
    EXPECT_EQ(VersionText("K730-6W, 3.1", 5), "3.1.5");
    EXPECT_EQ(VersionText("K730-6W", 7), ".7");     // shorter than ten characters
    EXPECT_EQ(VersionText("K730-6W, ", 7), ".7");   // exactly nine
    EXPECT_EQ(VersionText("K730-6W, 3", 4), "3.4"); // exactly ten
}

TEST(Handshake, RefusalIsErrorInAnyCase) {
    EXPECT_TRUE(IsRefusal("ERROR\r"));
    EXPECT_TRUE(IsRefusal("cmd eRrOr 3"));
    EXPECT_FALSE(IsRefusal("ERR OR"));
    EXPECT_FALSE(IsRefusal(""));
}

TEST(Handshake, ClockCommandsFollowTheItemIndex) {
    EXPECT_EQ(ClockCommand(0), "M1");
    EXPECT_EQ(ClockCommand(4), "M5");
    EXPECT_EQ(ClockCommand(7), "M8");
}
