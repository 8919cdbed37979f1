#include "util/Orodja.h"

#include <gtest/gtest.h>

using namespace Orodja;

TEST(IntToBinStr, LowestBitsMostSignificantFirst) {
    EXPECT_EQ(IntToBinStr(8, 5), "00000101");
    EXPECT_EQ(IntToBinStr(4, 31), "1111");
    EXPECT_EQ(IntToBinStr(4, -1), "1111");
    EXPECT_EQ(IntToBinStr(16, -1), "1111111111111111");
    EXPECT_EQ(IntToBinStr(64, INT64_MIN), "1" + std::string(63, '0'));
    EXPECT_EQ(IntToBinStr(70, 1), std::string(69, '0') + "1");
    EXPECT_EQ(IntToBinStr(0, 5), "");
    EXPECT_EQ(IntToBinStr(-3, 5), "");
}

TEST(TextFilters, TrimTakesEveryCodeUpTo32) {
    EXPECT_EQ(Trim(std::string("\x01\t a b \r\n\x1f", 9)), "a b");
    EXPECT_EQ(Trim("\x7f"), "\x7f");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("   "), "");
}

TEST(TextFilters, RemoveSpacesKeepsTabsInside) {
    EXPECT_EQ(RemoveSpaces("  40 03 ad \r"), "4003ad");
    EXPECT_EQ(RemoveSpaces("a\tb c"), "a\tbc");
}

TEST(TextFilters, KeepPrintable) {
    EXPECT_EQ(KeepPrintable(std::string("\tK7\x01" "30 6W\r\n", 11)), "K730 6W");
    EXPECT_EQ(KeepPrintable("caf\xC3\xA9 ok"), "caf ok");
    EXPECT_EQ(KeepPrintable("a\x7f" "b"), "ab");
}

TEST(TextFilters, KeepAlphanumeric) {
    EXPECT_EQ(KeepAlphanumeric("AB-12 c"), "AB12c");
    EXPECT_EQ(KeepAlphanumeric(std::string("\0\x20z", 3)), "z");
    EXPECT_EQ(KeepAlphanumeric("\xC3\xA9"), "");
    EXPECT_EQ(KeepAlphanumeric("/09:@AZ[`az{"), "09AZaz"); // each range to its ends
}

TEST(ZeroPadInt, PadsOnlyForWidthsOneToFour) {
    EXPECT_EQ(ZeroPadInt(7, 3), "007");
    EXPECT_EQ(ZeroPadInt(1234, 3), "1234");
    EXPECT_EQ(ZeroPadInt(7, 4), "0007");
    EXPECT_EQ(ZeroPadInt(7, 5), "7");
    EXPECT_EQ(ZeroPadInt(7, 0), "7");
    EXPECT_EQ(ZeroPadInt(7, -2), "7");
    EXPECT_EQ(ZeroPadInt(-7, 3), "0-7");
}

TEST(StrToIntDef, WholeTextOrDefault) {
    EXPECT_EQ(StrToIntDef("12", 1), 12);
    EXPECT_EQ(StrToIntDef("-5", 1), -5);
    EXPECT_EQ(StrToIntDef("+5", 1), 5);
    EXPECT_EQ(StrToIntDef("", 1), 1);
    EXPECT_EQ(StrToIntDef("1a", 1), 1);
    EXPECT_EQ(StrToIntDef("++1", 1), 1);
    EXPECT_EQ(StrToIntDef("99999999999", 1), 1);
    EXPECT_EQ(StrToIntDef("AB", 0), 0);
}
