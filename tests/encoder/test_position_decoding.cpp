#include "encoder/reply_decoder.h"
#include "encoder_test_support.h"

#include <gtest/gtest.h>

using namespace Velor;
using encoder_test::Records;

namespace {
PositionTexts Decode(Records& r, std::string_view reply, unsigned char c = 0) {
    return DecodeEncoderReply(r.View(), c, reply);
}
} // namespace

TEST(PositionDecoding, SingleTurnWordAndTexts) {
    Records r;
    PositionTexts texts = Decode(r, "4003AD");
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Position.ST_value, 4096u);
    EXPECT_EQ(r.Position.MT_value, 0);
    EXPECT_EQ(r.Position.MTST_value, 4096);
    EXPECT_FALSE(r.Position.ErrBit);
    EXPECT_FALSE(r.Position.WarnBit);
    EXPECT_DOUBLE_EQ(r.Position.Position_unit, 90.0);
    EXPECT_TRUE(texts.Touched);
    EXPECT_EQ(texts.RawHex, "4003AD");
    EXPECT_EQ(texts.RawBin, "01000000000000 11 10101101");
    EXPECT_EQ(texts.Decoded, "Singleturn: 4096\r\nError: False\r\nWarning: False");

    texts = Decode(r, "0000FF");
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Position.ST_value, 0u);
    EXPECT_TRUE(r.Position.ErrBit);
    EXPECT_TRUE(r.Position.WarnBit);
    EXPECT_EQ(texts.RawBin, "00000000000000 00 11111111");
    EXPECT_EQ(texts.Decoded, "Singleturn: 0\r\nError: True\r\nWarning: True");

    // Top count, only the warning active.
    texts = Decode(r, encoder_test::ReplyFor(std::string("\xFF\xFE", 2)));
    EXPECT_EQ(r.Position.ST_value, 16383u);
    EXPECT_FALSE(r.Position.ErrBit);
    EXPECT_TRUE(r.Position.WarnBit);
    EXPECT_DOUBLE_EQ(r.Position.Position_unit, 16383 * 360.0 / 16384);
}

TEST(PositionDecoding, MultiturnWordIsSignedTurnsAndCount) {
    Records r(true);
    PositionTexts texts = Decode(r, "00014003CA");
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Position.MT_value, 1);
    EXPECT_EQ(r.Position.ST_value, 4096u);
    EXPECT_EQ(r.Position.MTST_value, 20480);
    EXPECT_DOUBLE_EQ(r.Position.Position_unit, 450.0);
    EXPECT_EQ(texts.RawBin, "0000000000000001 01000000000000 11 11001010");
    EXPECT_EQ(texts.Decoded, "Multiturn: 1\r\nSingleturn: 4096\r\nError: False\r\nWarning: False");

    texts = Decode(r, "FFFF400343");
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Position.MT_value, -1);
    EXPECT_EQ(r.Position.ST_value, 4096u);
    EXPECT_EQ(r.Position.MTST_value, -12288);
    EXPECT_DOUBLE_EQ(r.Position.Position_unit, -270.0);
    EXPECT_EQ(texts.RawBin, "1111111111111111 01000000000000 11 01000011");
    EXPECT_EQ(texts.Decoded, "Multiturn: -1\r\nSingleturn: 4096\r\nError: False\r\nWarning: False");

    // Most negative turn count, error active.
    Decode(r, encoder_test::ReplyFor(std::string("\x80\x00\x00\x01", 4)));
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Position.MT_value, -32768);
    EXPECT_EQ(r.Position.ST_value, 0u);
    EXPECT_EQ(r.Position.MTST_value, -32768LL * 16384);
    EXPECT_TRUE(r.Position.ErrBit);
    EXPECT_FALSE(r.Position.WarnBit);
}

TEST(PositionDecoding, FailedCheckChangesNoPositionField) {
    for (bool multiturn : {false, true}) {
        Records r(multiturn);
        Decode(r, multiturn ? "FFFF400343" : "4003AD");
        const TEncoderPosition before = r.Position;

        for (std::string_view bad : {"4003AE", "FFFF400344", "", "A", "AD", "4003A", "XYZ"}) {
            PositionTexts texts = Decode(r, bad);
            EXPECT_TRUE(r.Position.ErrCRC) << bad;
            EXPECT_TRUE(texts.Touched);
            EXPECT_EQ(texts.RawHex, bad);
            EXPECT_EQ(texts.RawBin, "");
            EXPECT_FALSE(texts.Decoded.has_value());
            EXPECT_EQ(r.Position.MT_value, before.MT_value);
            EXPECT_EQ(r.Position.ST_value, before.ST_value);
            EXPECT_EQ(r.Position.MTST_value, before.MTST_value);
            EXPECT_EQ(r.Position.ErrBit, before.ErrBit);
            EXPECT_EQ(r.Position.WarnBit, before.WarnBit);
            EXPECT_EQ(r.Position.Position_unit, before.Position_unit);
        }
    }
}

TEST(PositionDecoding, OnlyWholeHexBytesCanPassTheCheck) {
    Records r;
    // Both would match their last byte once the stray characters read as 0.
    Decode(r, "XXXXFF");
    EXPECT_TRUE(r.Position.ErrCRC);
    Decode(r, "0FF");
    EXPECT_TRUE(r.Position.ErrCRC);
    // Lower case is still hexadecimal.
    Decode(r, "4003ad");
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Position.ST_value, 4096u);
}

TEST(PositionDecoding, ReplyWithoutAPositionWordReadsTheWordsDefault) {
    // "FF" is the check byte of no bytes at all: the word is missing.
    Records single;
    Decode(single, "4003AD");
    Decode(single, "FF");
    EXPECT_FALSE(single.Position.ErrCRC);
    EXPECT_EQ(single.Position.ST_value, 0u);
    EXPECT_TRUE(single.Position.ErrBit);
    EXPECT_TRUE(single.Position.WarnBit);

    Records multi(true);
    Decode(multi, "FF");
    EXPECT_FALSE(multi.Position.ErrCRC);
    EXPECT_EQ(multi.Position.MT_value, -1);
    EXPECT_EQ(multi.Position.MTST_value, -1);
}

TEST(PositionDecoding, IdentificationFramesLeaveCheckAndTextsAlone) {
    Records r;
    r.Position.ErrCRC = true;
    unsigned char c = 'f';
    PositionTexts texts = DecodeEncoderReply(r.View(), c, "000001020304D2");
    EXPECT_TRUE(r.Position.ErrCRC);
    EXPECT_FALSE(texts.Touched);
    EXPECT_EQ(c, 'f');

    r.Position.ErrCRC = false;
    c = 'p';
    texts = DecodeEncoderReply(r.View(), c, "");
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_FALSE(texts.Touched);
}
