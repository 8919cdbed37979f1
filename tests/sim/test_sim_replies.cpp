// The encoder's replies as the program receives and decodes them.

#include "encoder/air_gap.h"
#include "encoder/crc.h"
#include "magnet_curves.h"
#include "sim_rig.h"

#include <cmath>

namespace {

namespace Cmd = Velor_konstante::Cmd;
using K730Sim::EncoderKind;

TEST(SimReplies, ReproducesTheDocumentedExamples) {
    SimRig rig;
    auto& enc = rig.Encoder();
    auto& cond = enc.Conditions();
    enc.SetShaftCount(4096, rig.Now());
    EXPECT_EQ(rig.Reply("?03:000"), "40 03 AD\r");

    enc.Identity().SerialNumber = "123456";
    EXPECT_EQ(rig.EncoderHex(Cmd::SerialNumber, false), "400331323334353688");
    rig.Control("firmware 1.2.3.1234");
    EXPECT_EQ(rig.EncoderHex(Cmd::Firmware, false), "000001020304D2");
    cond.TemperatureTenths = 300;
    EXPECT_EQ(rig.EncoderHex(Cmd::Temperature, false), "4003012C25");
    cond.DetailedStatus = 0x0A;
    EXPECT_EQ(rig.EncoderHex(Cmd::DetailedStatus, false), "40030A49");
    cond.GapWobbleMm = 0;
    cond.GapMm = K730Sim::GapAtLevel(16, 8000);
    EXPECT_EQ(rig.EncoderHex(Cmd::SignalLevel, false), "40031F40A7");

    // The timestamp runs in microseconds from power-on (t = 0 here).
    rig.clock->AdvanceUs(0x1234 - rig.Now());
    EXPECT_EQ(rig.EncoderHex(Cmd::Timestamp, false), "400312343F");

    // A self-calibration that fails stops after three passes: finished, failed,
    // counter 2.
    cond.Calibration = K730Sim::CalibrationOutcome::Failed;
    for (char b : Velor_konstante::EncoderUnlockPrefix)
        (void)rig.EncoderHex(static_cast<unsigned char>(b), false);
    (void)rig.EncoderHex('A', false);
    rig.clock->AdvanceMs(1600);
    EXPECT_EQ(rig.EncoderHex(Cmd::CalibrationStatus, false), "40038AEB");

    rig.Control("speed -1");
    EXPECT_EQ(rig.EncoderHex(Cmd::Speed, false), "4003FFF6BA");

    SimRig multi;
    multi.Control("kind multi");
    multi.Encoder().SetShaftCount(16384 + 4096, multi.Now());
    EXPECT_EQ(multi.EncoderHex(Cmd::Position, true), "00014003CA");
}

// Every layout through the program's own path (frame, exchange, clean, decode)
// gives back what the model holds, for both kinds, with the shaft turning.
void CheckEveryLayout(EncoderKind kind) {
    SCOPED_TRACE(kind == EncoderKind::Multiturn ? "multiturn" : "single-turn");
    SimRig rig;
    auto& enc = rig.Encoder();
    enc.Identity().Kind = kind;
    rig.signature.Multiturn = kind == EncoderKind::Multiturn;
    enc.SetShaftCount(-3 * 16384 + 1234, rig.Now());
    rig.Control("speed 37.5");
    enc.Conditions().DetailedStatus = 0x91;
    enc.Conditions().TemperatureDriftTenths = 6;
    rig.Control("warning on");

    for (int step = 0; step < 40; ++step) {
        rig.clock->AdvanceUs(12'345 + step * 1'001);
        const std::int64_t t = rig.Now();
        rig.Transfer(Cmd::Position);
        ASSERT_EQ(rig.position.ErrComm, 0);
        ASSERT_FALSE(rig.position.ErrCRC);
        EXPECT_EQ(rig.position.ST_value, enc.SingleTurnCount(t));
        EXPECT_EQ(rig.position.MT_value, rig.signature.Multiturn ? enc.TurnCount(t) : 0);
        EXPECT_FALSE(rig.position.ErrBit);
        EXPECT_TRUE(rig.position.WarnBit);

        rig.Transfer(Cmd::Timestamp);
        EXPECT_EQ(rig.position.Timestamp, enc.Timestamp(t));
        rig.Transfer(Cmd::Temperature);
        EXPECT_EQ(rig.aux.Temperature_value, enc.TemperatureTenths(t));
        rig.Transfer(Cmd::Speed);
        EXPECT_EQ(rig.aux.Speed_value, 375);
        EXPECT_EQ(rig.Transfer(Cmd::SignalLevel), Cmd::SignalLevel);
        EXPECT_EQ(rig.aux.SignalLevel, enc.SignalLevel(t));
        EXPECT_NEAR(rig.aux.AirGap, enc.GapMm(t), 0.002);
        rig.Transfer(Cmd::DetailedStatus);
        EXPECT_EQ(rig.aux.DetStatus, 0x91u);
        EXPECT_EQ(rig.Transfer(Cmd::CalibrationStatus), Cmd::CalibrationStatus);
        EXPECT_EQ(rig.aux.CalStatus, 0u);
        ASSERT_FALSE(rig.position.ErrCRC);
    }
    rig.Transfer(Cmd::SerialNumber);
    EXPECT_EQ(rig.signature.SerialNumber, "V24017");
    rig.Transfer(Cmd::PartNumber);
    EXPECT_EQ(rig.signature.PartNumber, "VLR14SPIST16B050");
    rig.Transfer(Cmd::Firmware);
    EXPECT_EQ(rig.signature.FWverStr, "2.1.4.1187");
    // 37.5 RPM for the time that passed, from count -3*16384+1234.
    const double turned = 37.5 / 60e6 * 16384 * static_cast<double>(rig.Now());
    EXPECT_NEAR(static_cast<double>(enc.ShaftCount(rig.Now())), -3 * 16384 + 1234 + turned, 1.0);
}

TEST(SimReplies, EveryLayoutDecodesToTheModelsValues) {
    CheckEveryLayout(EncoderKind::SingleTurn);
    CheckEveryLayout(EncoderKind::Multiturn);
}

TEST(SimReplies, FramingForTheOtherKindFailsTheCheck) {
    SimRig single;
    single.Encoder().SetShaftCount(4096, single.Now());
    single.signature.Multiturn = true;
    single.Transfer(Cmd::Position);
    EXPECT_EQ(single.position.ErrComm, 0);
    EXPECT_TRUE(single.position.ErrCRC);
    // The encoder's real reply, then MISO idling high.
    EXPECT_EQ(single.EncoderHex(Cmd::Position, true), "4003ADFFFF");

    SimRig multi;
    multi.Control("kind multi");
    multi.Encoder().SetShaftCount(16384 + 4096, multi.Now());
    multi.Transfer(Cmd::Position);
    EXPECT_TRUE(multi.position.ErrCRC);
    EXPECT_EQ(multi.EncoderHex(Cmd::Position, false), "000140");
    multi.signature.Multiturn = true;
    multi.Transfer(Cmd::Position);
    EXPECT_FALSE(multi.position.ErrCRC);
    EXPECT_EQ(multi.position.MTST_value, 16384 + 4096);
}

TEST(SimReplies, NoPoweredEncoderReadsAllOnesAndFailsBothFramings) {
    for (const char* condition : {"supply off", "encoder off"}) {
        SCOPED_TRACE(condition);
        SimRig rig;
        rig.Control(condition);
        EXPECT_EQ(rig.Reply("?03:000"), "FF FF FF\r");
        EXPECT_EQ(rig.Reply("?05:000"), "FF FF FF FF FF\r");
        for (bool multiturn : {false, true}) {
            rig.signature.Multiturn = multiturn;
            rig.position.ErrCRC = false;
            rig.Transfer(Cmd::Position);
            EXPECT_EQ(rig.position.ErrComm, 0);
            EXPECT_TRUE(rig.position.ErrCRC) << "multiturn " << multiturn;
        }
        EXPECT_EQ(rig.Transfer(Cmd::SignalLevel), Cmd::Skipped);
    }
}

TEST(SimReplies, ErrorAndWarningBitsAreActiveLow) {
    SimRig rig;
    rig.Encoder().SetShaftCount(0, rig.Now());
    rig.Control("error on");
    rig.Control("warning on");
    EXPECT_EQ(rig.EncoderHex(Cmd::Position, false), "0000FF");
    rig.Transfer(Cmd::Position);
    EXPECT_TRUE(rig.position.ErrBit);
    EXPECT_TRUE(rig.position.WarnBit);
    rig.Control("error off");
    rig.Transfer(Cmd::Position);
    EXPECT_FALSE(rig.position.ErrBit);
    EXPECT_TRUE(rig.position.WarnBit);
}

// The air-gap chart plots the estimate over the angle: it must come out as the
// set gap with its variation over one turn, for every magnet size.
TEST(SimReplies, SignalLevelDrawsTheSetGapOverATurn) {
    for (int size : {12, 16, 22, 30}) {
        SCOPED_TRACE(size);
        SimRig rig;
        rig.Control("magnet " + std::to_string(size));
        rig.Control(size == 12 ? "gap 2.0" : "gap 1.2");
        rig.Control("wobble 0.04");
        rig.Transfer(Cmd::PartNumber);
        ASSERT_EQ(rig.signature.PartNumber.substr(10, 2), std::to_string(size));
        rig.signature.RingMagnetSize = size;
        const double gap = size == 12 ? 2.0 : 1.2;
        double lowest = 1e9;
        double highest = -1e9;
        for (int count = 0; count < 16384; count += 512) {
            rig.Encoder().SetShaftCount(count, rig.Now());
            rig.Transfer(Cmd::SignalLevel);
            lowest = std::min(lowest, rig.aux.AirGap);
            highest = std::max(highest, rig.aux.AirGap);
            if (count == 4096) {
                EXPECT_NEAR(rig.aux.AirGap, gap + 0.04, 0.005);
            }
            if (count == 12288) {
                EXPECT_NEAR(rig.aux.AirGap, gap - 0.04, 0.005);
            }
        }
        EXPECT_NEAR(lowest, gap - 0.04, 0.005);
        EXPECT_NEAR(highest, gap + 0.04, 0.005);
    }
}

} // namespace
