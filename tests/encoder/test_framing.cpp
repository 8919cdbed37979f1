#include "encoder/config_commands.h"
#include "encoder/framing.h"

#include <gtest/gtest.h>

using namespace Velor;

TEST(Framing, SingleTurnFrames) {
    EXPECT_EQ(EncoderFrame(0, false), "?03:000");
    EXPECT_EQ(EncoderFrame('T', false), "?05:084");
    EXPECT_EQ(EncoderFrame('a', false), "?05:097");
    EXPECT_EQ(EncoderFrame('s', false), "?05:115");
    EXPECT_EQ(EncoderFrame('t', false), "?05:116");
    EXPECT_EQ(EncoderFrame('d', false), "?04:100");
    EXPECT_EQ(EncoderFrame('i', false), "?04:105");
    EXPECT_EQ(EncoderFrame('v', false), "?09:118");
    EXPECT_EQ(EncoderFrame('p', false), "?18:112");
    EXPECT_EQ(EncoderFrame('f', false), "?07:102");
    EXPECT_EQ(EncoderFrame(255, false), "?03:255");
    EXPECT_EQ(EncoderFrame('Z', false), "?03:090");
}

TEST(Framing, MultiturnFramesAddTheTurnCountExceptIdentification) {
    EXPECT_EQ(EncoderFrame(0, true), "?05:000");
    EXPECT_EQ(EncoderFrame('T', true), "?07:084");
    EXPECT_EQ(EncoderFrame('a', true), "?07:097");
    EXPECT_EQ(EncoderFrame('s', true), "?07:115");
    EXPECT_EQ(EncoderFrame('t', true), "?07:116");
    EXPECT_EQ(EncoderFrame('d', true), "?06:100");
    EXPECT_EQ(EncoderFrame('i', true), "?06:105");
    EXPECT_EQ(EncoderFrame('v', true), "?11:118");
    EXPECT_EQ(EncoderFrame('p', true), "?18:112");
    EXPECT_EQ(EncoderFrame('f', true), "?07:102");
    EXPECT_EQ(EncoderFrame(255, true), "?05:255");
}

TEST(Framing, EveryOtherByteIsAPositionRequest) {
    for (int c = 0; c < 256; ++c) {
        if (std::string_view("Tastdivfp").find(static_cast<char>(c)) != std::string_view::npos)
            continue;
        EXPECT_EQ(ReplyLength(static_cast<unsigned char>(c), false), 3) << c;
        EXPECT_EQ(ReplyLength(static_cast<unsigned char>(c), true), 5) << c;
    }
}

TEST(Framing, ZeroPadNumber) {
    EXPECT_EQ(ZeroPadNumber(5, 2), "05");
    EXPECT_EQ(ZeroPadNumber(123, 2), "123");
    EXPECT_EQ(ZeroPadNumber(7, 0), "7");
    EXPECT_EQ(ZeroPadNumber(7, 7), "7");
    EXPECT_EQ(ZeroPadNumber(7, 6), "000007");
    EXPECT_EQ(ZeroPadNumber(0, 3), "000");
    EXPECT_EQ(ZeroPadNumber(7, -1), "7");
}

TEST(Framing, CleanReplyJoinsAndUpperCasesHexPairs) {
    EXPECT_EQ(CleanReply(" 40 03 ad \r\n"), "4003AD");
    EXPECT_EQ(CleanReply("40031f40a7\r"), "40031F40A7");
    EXPECT_EQ(CleanReply("\r"), "");
    EXPECT_EQ(CleanReply(""), "");
}

TEST(ConfigCommands, PrefixLetterAndValueField) {
    const std::string prefix("\x5E\x1B\xA7\x62", 4);
    EXPECT_EQ(ConfigCommand('r'), prefix + "r");
    EXPECT_EQ(ConfigCommand('c'), prefix + "c");
    EXPECT_EQ(ConfigCommand('A'), prefix + "A");

    EXPECT_EQ(ConfigCommandWithValue('Z', 300), prefix + std::string("\x5A\x00\x00\x01\x2C", 5));
    EXPECT_EQ(ConfigCommandWithValue('Z', 0), prefix + std::string("\x5A\x00\x00\x00\x00", 5));
    EXPECT_EQ(ConfigCommandWithValue('M', -1), prefix + std::string("M\x00\x00\xFF\xFF", 5));
    EXPECT_EQ(ConfigCommandWithValue('M', 32768), prefix + std::string("M\x00\x00\x80\x00", 5));
    EXPECT_EQ(ConfigCommandWithValue('M', -32768), prefix + std::string("M\x00\x00\x80\x00", 5));
    EXPECT_EQ(ConfigCommandWithValue('Z', 16383), prefix + std::string("Z\x00\x00\x3F\xFF", 5));
    // Only the low 16 bits travel.
    EXPECT_EQ(ConfigCommandWithValue('Z', 0x12345), prefix + std::string("Z\x00\x00\x23\x45", 5));
}
