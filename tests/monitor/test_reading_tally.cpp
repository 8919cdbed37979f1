// The counts and last values behind the installation report.
#include "monitor/reading_tally.h"

#include "encoder/Velor_konstante.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using Monitor::ReadingTally;
namespace Cmd = Velor_konstante::Cmd;

namespace {
struct Records {
    TEncoderPosition Position;
    TEncoderAuxData Aux;
};

void Add(ReadingTally& tally, unsigned char command, const Records& r) {
    tally.Add(command, r.Position, r.Aux);
}

std::size_t FlagCount(const ReadingTally& tally, std::string_view name) {
    for (std::size_t i = 0; i < Monitor::DetailedStatusFlags.size(); ++i)
        if (Monitor::DetailedStatusFlags[i].Name == name)
            return tally.FlagCount(i);
    ADD_FAILURE() << "no flag " << name;
    return 0;
}
} // namespace

TEST(ReadingTally, CountsEachReadingsBitsOnce) {
    ReadingTally t;
    Records r;
    Add(t, Cmd::Position, r);
    r.Position.WarnBit = true;
    Add(t, Cmd::Position, r);
    Add(t, Cmd::SignalLevel, r); // an auxiliary reply carries the bits too
    r.Position.ErrBit = true;
    Add(t, Cmd::Temperature, r);
    // A skipped reply repeats the last position: not a reading of its own.
    Add(t, Cmd::Skipped, r);
    EXPECT_EQ(t.Readings(), 4u);
    EXPECT_EQ(t.WarningReadings(), 3u);
    EXPECT_EQ(t.ErrorReadings(), 1u);
}

TEST(ReadingTally, DetailedStatusFlagsOnlyFromReadableStatusReplies) {
    ReadingTally t;
    Records r;
    r.Aux.DetStatus = 0x40 | 0x10;
    Add(t, Cmd::DetailedStatus, r);
    // The record keeps the byte; replies to other commands do not count it again.
    Add(t, Cmd::Position, r);
    Add(t, Cmd::Temperature, r);
    r.Aux.DetStatus = 0x40 | 0x04;
    Add(t, Cmd::DetailedStatus, r);
    r.Aux.DetStatus = 65535; // digits that were not hexadecimal
    Add(t, Cmd::DetailedStatus, r);
    r.Aux.DetStatus = 0;
    Add(t, Cmd::DetailedStatus, r);
    EXPECT_EQ(t.StatusReadings(), 3u);
    EXPECT_EQ(FlagCount(t, "Signal low"), 2u);
    EXPECT_EQ(FlagCount(t, "Speed"), 1u);
    EXPECT_EQ(FlagCount(t, "Bit 2"), 1u);
    EXPECT_EQ(FlagCount(t, "Signal high"), 0u);
    EXPECT_EQ(FlagCount(t, "Safety comparison"), 0u);
}

TEST(ReadingTally, LastValueOfEachQuantityFromItsOwnReply) {
    ReadingTally t;
    Records r;
    EXPECT_FALSE(t.PositionDeg() || t.TemperatureC() || t.SpeedRpm() || t.SignalLevel() ||
                 t.AirGapMm());
    r.Position.Position_unit = 123.5;
    r.Aux.Temperature_value = 285;
    r.Aux.Speed_value = -123;
    Add(t, Cmd::Position, r); // the aux record's stale fields are not readings
    EXPECT_EQ(t.PositionDeg(), 123.5);
    EXPECT_FALSE(t.TemperatureC() || t.SpeedRpm() || t.SignalLevel());
    Add(t, Cmd::Temperature, r);
    Add(t, Cmd::Speed, r);
    EXPECT_DOUBLE_EQ(*t.TemperatureC(), 28.5);
    EXPECT_DOUBLE_EQ(*t.SpeedRpm(), -12.3);
    r.Aux.SignalLevel = 0;
    r.Aux.AirGap = std::numeric_limits<double>::quiet_NaN();
    Add(t, Cmd::SignalLevel, r);
    EXPECT_EQ(t.SignalLevel(), 0);
    ASSERT_TRUE(t.AirGapMm());
    EXPECT_TRUE(std::isnan(*t.AirGapMm()));

    t.Clear();
    EXPECT_EQ(t.Readings(), 0u);
    EXPECT_FALSE(t.PositionDeg() || t.TemperatureC() || t.AirGapMm());
}
