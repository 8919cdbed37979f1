#include "encoder/Velor_konstante.h"
#include "encoder/crc.h"
#include "encoder/hex_field.h"
#include "encoder_test_support.h"

#include <gtest/gtest.h>

#include <climits>

using namespace Velor;

TEST(Crc, TableEntriesAndCheckValues) {
    const auto& table = Velor_konstante::Crc8Table;
    EXPECT_EQ(table[0], 0x00);
    EXPECT_EQ(table[1], 0x97);
    EXPECT_EQ(table[2], 0xB9);
    EXPECT_EQ(table[3], 0x2E);
    EXPECT_EQ(table[128], 0xA2);
    EXPECT_EQ(table[255], 0x3C);

    EXPECT_EQ(CalcCrc8("123456789"), 0x94);
    EXPECT_EQ(ReplyCrc("123456789"), 0x6B);
    EXPECT_EQ(HexReplyCrc("313233343536373839"), 0x6B);
    EXPECT_EQ(CalcCrc8(""), 0x00);
    EXPECT_EQ(HexReplyCrc(""), 0xFF);
}

TEST(Crc, TableAgreesWithBitwiseCrcOnEveryByte) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(ReplyCrc(one), encoder_test::BitwiseReplyCrc(one)) << b;
    }
}

TEST(Crc, HexTextPairsFromTheLeft) {
    // A last single digit is the high nibble of a last byte.
    EXPECT_EQ(HexReplyCrc("ABC"), HexReplyCrc("ABC0"));
    EXPECT_NE(HexReplyCrc("ABC"), HexReplyCrc("AB0C"));
    EXPECT_EQ(HexReplyCrc("abc0"), HexReplyCrc("ABC0"));
    // A pair that is not hexadecimal counts as a zero byte.
    EXPECT_EQ(HexReplyCrc("4003ZZ"), HexReplyCrc("400300"));
    EXPECT_EQ(HexReplyCrc("4003"), ReplyCrc(std::string("\x40\x03", 2)));
}

TEST(HexField, DefaultsForEmptyBrokenAndOverlongGroups) {
    EXPECT_EQ(ParseHexDef("", 7), 7);
    EXPECT_EQ(ParseHexDef("1F", 0), 31);
    EXPECT_EQ(ParseHexDef("1f", 0), 31);
    EXPECT_EQ(ParseHexDef("12G4", -1), -1);
    EXPECT_EQ(ParseHexDef(" 12", 5), 5);
    EXPECT_EQ(ParseHexDef("+1", 5), 5);
    EXPECT_EQ(ParseHexDef("123456789", 3), 3);
    EXPECT_EQ(ParseHexDef("FFFF", 0), 0xFFFF);
}

TEST(HexField, EightDigitsAreASigned32BitPattern) {
    EXPECT_EQ(ParseHexDef("FFFFFFFF", 0), -1);
    EXPECT_EQ(ParseHexDef("80000000", 0), INT32_MIN);
    EXPECT_EQ(ParseHexDef("7FFFFFFF", 0), INT32_MAX);
    EXPECT_EQ(ParseHexDef("FFFF4003", 0), -49149);
    // Seven digits are not yet a full pattern.
    EXPECT_EQ(ParseHexDef("FFFFFFF", 0), 0x0FFFFFFF);
}

TEST(HexField, ReaderTakesFieldsAndStaysInBounds) {
    HexReader reader("4003ABC");
    EXPECT_EQ(reader.Take(4, -1), 0x4003);
    EXPECT_EQ(reader.Take(4, -1), 0xABC); // fewer digits at the end
    EXPECT_EQ(reader.Remaining(), 0u);
    EXPECT_EQ(reader.Take(2, 65535), 65535);
    reader.Skip(10);
    EXPECT_EQ(reader.Rest(), "");

    HexReader frame("0000012");
    frame.Skip(4);
    EXPECT_EQ(frame.Rest(), "012");
    frame.Skip(100);
    EXPECT_EQ(frame.Remaining(), 0u);
}
