#include "monitor/gap_statistics.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using Monitor::GapStatistics;

namespace {
GapStatistics Of(std::initializer_list<double> gaps) {
    GapStatistics s;
    for (double g : gaps)
        s.Add(g);
    return s;
}
} // namespace

TEST(GapStatistics, TwentyPointsAreTooFewTwentyOneAreEnough) {
    GapStatistics s;
    for (int i = 0; i < 20; ++i)
        s.Add(0.8);
    EXPECT_EQ(s.Count(), 20u);
    EXPECT_FALSE(s.Enough());
    s.Add(0.8);
    EXPECT_TRUE(s.Enough());
}

TEST(GapStatistics, KnownValuesInAnyOrder) {
    const GapStatistics a = Of({0.9, 0.712, 1.25, 0.8, 0.75});
    EXPECT_FLOAT_EQ(a.Min(), 0.712f);
    EXPECT_FLOAT_EQ(a.Max(), 1.25f);
    EXPECT_FLOAT_EQ(a.Mean(), (0.9f + 0.712f + 1.25f + 0.8f + 0.75f) / 5.0f);
    const GapStatistics b = Of({1.25, 0.75, 0.8, 0.712, 0.9});
    EXPECT_EQ(b.Min(), a.Min());
    EXPECT_EQ(b.Max(), a.Max());
    EXPECT_FLOAT_EQ(b.Mean(), a.Mean());
}

TEST(GapStatistics, ValuesAreTakenInSinglePrecision) {
    // 0.1 has no exact float; the figures are those of the float, not the double.
    const GapStatistics s = Of({0.1});
    EXPECT_EQ(s.Min(), 0.1f);
    EXPECT_EQ(s.Max(), 0.1f);
    EXPECT_NE(static_cast<double>(s.Min()), 0.1);
    EXPECT_EQ(s.Mean(), 0.1f);
}

TEST(GapStatistics, GapsWithoutValueAreSkipped) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const GapStatistics s = Of({nan, 0.6, nan, 1.0});
    EXPECT_EQ(s.Count(), 2u);
    EXPECT_FLOAT_EQ(s.Min(), 0.6f);
    EXPECT_FLOAT_EQ(s.Max(), 1.0f);
    EXPECT_FLOAT_EQ(s.Mean(), 0.8f);
}

TEST(GapStatistics, LongRecordingsKeepAnAccurateMean) {
    // About four hours of plotting. A float running sum would stop adding 0.8
    // exactly past 2^17 and report a mean near 0.798.
    GapStatistics s;
    for (int i = 0; i < 200'000; ++i)
        s.Add(i % 2 ? 0.7 : 0.9);
    EXPECT_NEAR(s.Mean(), 0.8f, 1e-6f);
    EXPECT_FLOAT_EQ(s.Min(), 0.7f);
    EXPECT_FLOAT_EQ(s.Max(), 0.9f);
}

TEST(GapStatistics, StandardDeviationOfThePointsThemselves) {
    EXPECT_EQ(GapStatistics{}.StdDev(), 0.0f);
    EXPECT_EQ(Of({0.8}).StdDev(), 0.0f);
    // Mean 5, squared deviations summing to 32 over 8 points: 2, not the n-1 figure.
    EXPECT_FLOAT_EQ(Of({2, 4, 4, 4, 5, 5, 7, 9}).StdDev(), 2.0f);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FLOAT_EQ(Of({nan, 1.0, 3.0, nan}).StdDev(), 1.0f);
}

TEST(GapStatistics, TinySpreadOnALargeGapSurvives) {
    // 10 mm +- 0.001 mm: a sum of squares in float would lose the spread.
    GapStatistics s;
    for (int i = 0; i < 10000; ++i)
        s.Add(i % 2 == 0 ? 10.001 : 9.999);
    EXPECT_NEAR(s.StdDev(), 0.001, 1e-5);
}
