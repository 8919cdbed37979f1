#include "encoder/air_gap.h"
#include "encoder/reply_decoder.h"
#include "encoder_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Velor;
using encoder_test::Records;
using encoder_test::ReplyFor;

namespace {
// Decodes for command c and returns what c became.
unsigned char Decode(Records& r, unsigned char c, std::string_view reply) {
    (void)DecodeEncoderReply(r.View(), c, reply);
    return c;
}
} // namespace

TEST(PayloadDecoding, StatusBytesAndSixteenBitReadings) {
    Records r;
    EXPECT_EQ(Decode(r, 'd', "40030A49"), 'd');
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Position.ST_value, 4096u);
    EXPECT_EQ(r.Aux.DetStatus, 10u);

    Decode(r, 'i', "40038AEB");
    EXPECT_EQ(r.Aux.CalStatus, 138u);

    Decode(r, 'T', "400312343F");
    EXPECT_EQ(r.Position.Timestamp, 4660u);

    Decode(r, 't', "4003012C25");
    EXPECT_EQ(r.Aux.Temperature_value, 300);
    Decode(r, 't', "4003FF3848");
    EXPECT_EQ(r.Aux.Temperature_value, -200);

    Decode(r, 's', "4003FFF6BA");
    EXPECT_EQ(r.Aux.Speed_value, -10);
    EXPECT_DOUBLE_EQ(r.Aux.Speed_real, -10.0);
}

TEST(PayloadDecoding, PayloadFollowsTheMultiturnWord) {
    Records r(true);
    r.Signature.RingMagnetSize = 16;
    Decode(r, 'a', ReplyFor(std::string("\x00\x01\x40\x03\x1F\x40", 6)));
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Position.MT_value, 1);
    EXPECT_EQ(r.Aux.SignalLevel, 8000);
    Decode(r, 's', ReplyFor(std::string("\xFF\xFF\x40\x03\x00\x64", 6)));
    EXPECT_EQ(r.Position.MT_value, -1);
    EXPECT_EQ(r.Aux.Speed_value, 100);
}

TEST(PayloadDecoding, FailedCheckDecodesNoPayload) {
    Records r;
    Decode(r, 'd', "40030A49");
    Decode(r, 't', "4003012C25");
    Decode(r, 'v', "400331323334353688");
    EXPECT_EQ(Decode(r, 'd', "40030A4A"), 'd');
    EXPECT_TRUE(r.Position.ErrCRC);
    Decode(r, 't', "4003FF3849");
    Decode(r, 'v', "400331323334353689");
    EXPECT_TRUE(r.Position.ErrCRC);
    EXPECT_EQ(r.Aux.DetStatus, 10u);
    EXPECT_EQ(r.Aux.Temperature_value, 300);
    EXPECT_EQ(r.Signature.SerialNumber, "123456");
}

TEST(PayloadDecoding, SignalLevelEstimatesTheAirGap) {
    Records r;
    r.Signature.RingMagnetSize = 16;
    EXPECT_EQ(Decode(r, 'a', "40031F40A7"), 'a');
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Aux.SignalLevel, 8000);
    EXPECT_NEAR(r.Aux.AirGap, 2.275352, 5e-7);
}

TEST(PayloadDecoding, FailedSignalLevelOrCalibrationReplyIsSkippedNotFailed) {
    Records r;
    r.Signature.RingMagnetSize = 16;
    Decode(r, 'a', "40031F40A7");
    const double gap = r.Aux.AirGap;
    const std::uint32_t count = r.Position.ST_value;

    EXPECT_EQ(Decode(r, 'a', "40031F40A8"), Velor_konstante::Cmd::Skipped);
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Aux.SignalLevel, 0);
    EXPECT_EQ(r.Aux.AirGap, gap);
    EXPECT_EQ(r.Position.ST_value, count);

    Decode(r, 'i', "40038AEB");
    EXPECT_EQ(Decode(r, 'i', ""), Velor_konstante::Cmd::Skipped);
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Aux.CalStatus, 0u);

    // Other commands keep their character and report the failure.
    EXPECT_EQ(Decode(r, 'd', "40030A4A"), 'd');
    EXPECT_TRUE(r.Position.ErrCRC);
}

TEST(PayloadDecoding, SerialNumberKeepsLettersAndDigits) {
    Records r;
    Decode(r, 'v', "400331323334353688");
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Signature.SerialNumber, "123456");

    Decode(r, 'v',
           ReplyFor(std::string("\x40\x03"
                                "A\x00"
                                "B C-",
                                8)));
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Signature.SerialNumber, "ABC");
}

TEST(PayloadDecoding, ShortReplyGivesDefaultsNotItsCheckByte) {
    // "4003AD" passes its check but carries no payload.
    Records r;
    r.Signature.RingMagnetSize = 30;
    Decode(r, 'd', "4003AD");
    EXPECT_FALSE(r.Position.ErrCRC);
    EXPECT_EQ(r.Aux.DetStatus, 65535u);
    Decode(r, 'i', "4003AD");
    EXPECT_EQ(r.Aux.CalStatus, 65535u);
    Decode(r, 'T', "4003AD");
    EXPECT_EQ(r.Position.Timestamp, 65535u);
    Decode(r, 't', "4003AD");
    EXPECT_EQ(r.Aux.Temperature_value, -1);
    Decode(r, 's', "4003AD");
    EXPECT_EQ(r.Aux.Speed_value, -1);
    Decode(r, 'a', "4003AD");
    EXPECT_EQ(r.Aux.SignalLevel, -1);
    EXPECT_TRUE(std::isnan(r.Aux.AirGap));
    Decode(r, 'v', "4003AD");
    EXPECT_EQ(r.Signature.SerialNumber, ""); // six blanks

    // Half a payload is read as far as it goes.
    Decode(r, 't', ReplyFor(std::string("\x40\x03\x12", 3)));
    EXPECT_EQ(r.Aux.Temperature_value, 0x12);
}

TEST(IdentificationFrames, FirmwareVersion) {
    Records r;
    Decode(r, 'f', "000001020304D2");
    EXPECT_EQ(r.Signature.FWverMajor, 1u);
    EXPECT_EQ(r.Signature.FWverMinor, 2u);
    EXPECT_EQ(r.Signature.FWverComm, 3u);
    EXPECT_EQ(r.Signature.FWverSVN, 1234u);
    EXPECT_EQ(r.Signature.FWverStr, "1.2.3.1234");

    Decode(r, 'f', "0000010203");
    EXPECT_EQ(r.Signature.FWverStr, "1.2.3.0");
    Decode(r, 'f', "00");
    EXPECT_EQ(r.Signature.FWverStr, "0.0.0.0");
    Decode(r, 'f', "0000FFXX0A");
    EXPECT_EQ(r.Signature.FWverStr, "255.0.10.0");
}

TEST(IdentificationFrames, PartNumber) {
    Records r;
    Decode(r, 'p', "0000" + encoder_test::Hex("VL1234567830AB  "));
    EXPECT_EQ(r.Signature.PartNumber, "VL1234567830AB");

    // Shortened frame, odd last digit ignored, non-hex pair dropped.
    Decode(r, 'p', "0000" + encoder_test::Hex("VL12") + "ZZ" + encoder_test::Hex("3") + "4");
    EXPECT_EQ(r.Signature.PartNumber, "VL123");
    Decode(r, 'p', "000");
    EXPECT_EQ(r.Signature.PartNumber, "");
    // The first two bytes are no part of it, whatever they hold.
    Decode(r, 'p', encoder_test::Hex("AB") + encoder_test::Hex("VL12"));
    EXPECT_EQ(r.Signature.PartNumber, "VL12");
}
