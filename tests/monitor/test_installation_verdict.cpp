// The installation verdict: each limit, the angular coverage of a turn and
// the words of every reason.
#include "monitor/installation_verdict.h"

#include "encoder/Velor_konstante.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>
#include <random>

using namespace Monitor;

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

InstallationSample Point(double angle, double gap, std::int32_t level, bool err = false,
                         bool warn = false) {
    return {err, warn, angle, level, gap};
}

// Three readings with the error bit, two with the warning bit; the extremes
// come twice, and the first of each is the one a reason names.
InstallationVerdict Bench() {
    InstallationVerdict v;
    for (const InstallationSample& s :
         {Point(10.0, 0.80, 300), Point(37.0, 0.41, 500, false, true), Point(90.0, 0.90, 12, true),
          Point(212.4, 4.72, 400, true, true), Point(300.0, 4.72, 12), Point(333.0, 0.41, 700),
          Point(100.0, NaN, -1), InstallationSample{true, false, 5.0, std::nullopt, NaN}})
        v.Add(s);
    return v;
}
} // namespace

TEST(InstallationVerdict, EachLimitFailsBeyondItsValueAndPassesOnIt) {
    struct Case {
        InstallationLimits Limits;
        std::vector<std::string> Reasons; ///< none: PASS
    };
    const Case cases[] = {
        {{.GapMaxMm = 4.2}, {"air gap 4.72 mm above 4.20 mm at 212.4\u00B0"}},
        {{.GapMaxMm = 4.72}, {}},
        {{.GapMaxMm = 4.715}, {"air gap 4.72 mm above 4.715 mm at 212.4\u00B0"}},
        {{.GapMinMm = 0.5}, {"air gap 0.41 mm below 0.50 mm at 37.0\u00B0"}},
        {{.GapMinMm = 0.41}, {}},
        {{.SignalMin = 20}, {"signal level 12 below 20 at 90.0\u00B0"}},
        {{.SignalMin = 12}, {}},
        {{.MaxErrors = 2}, {"3 readings with the error bit"}},
        {{.MaxErrors = 3}, {}},
        {{.MaxWarnings = 1}, {"2 readings with the warning bit"}},
        {{.MaxWarnings = 2}, {}},
        {{.GapMinMm = 0.5, .GapMaxMm = 4.2, .SignalMin = 12.5, .MaxWarnings = 0, .MaxErrors = 0},
         {"air gap 4.72 mm above 4.20 mm at 212.4\u00B0",
          "air gap 0.41 mm below 0.50 mm at 37.0\u00B0", "signal level 12 below 12.5 at 90.0\u00B0",
          "3 readings with the error bit", "2 readings with the warning bit"}},
    };
    const InstallationVerdict v = Bench();
    for (const Case& c : cases) {
        const VerdictResult r = v.Judge(c.Limits);
        EXPECT_EQ(r.Kind, c.Reasons.empty() ? Verdict::Pass : Verdict::Fail) << r.Reasons.size();
        EXPECT_EQ(r.Reasons, c.Reasons);
        EXPECT_EQ(VerdictLine(r), c.Reasons.empty() ? "PASS" : "FAIL: " + c.Reasons.front());
    }

    const VerdictResult none = v.Judge({});
    EXPECT_EQ(none.Kind, Verdict::NoLimits);
    EXPECT_EQ(VerdictLine(none), "");
    EXPECT_EQ(VerdictName(none.Kind), "");

    InstallationVerdict one;
    one.Add({true, true, 0.0, std::nullopt, NaN});
    EXPECT_EQ(one.Judge({.MaxWarnings = 0, .MaxErrors = 0}).Reasons,
              (std::vector<std::string>{"1 reading with the error bit",
                                        "1 reading with the warning bit"}));
}

TEST(InstallationVerdict, SectorsOfTenDegreesWrappingAtAWholeTurn) {
    struct Case {
        double Angle;
        int Sector; ///< -1: no angle
    };
    const Case cases[] = {{0.0, 0},     {9.999, 0}, {10.0, 1},
                          {359.99, 35}, {360.0, 0}, {725.0, 0},
                          {-0.1, -1},   {NaN, -1},  {std::numeric_limits<double>::infinity(), -1}};
    for (const Case& c : cases) {
        AngularCoverage coverage;
        coverage.Add(c.Angle);
        EXPECT_EQ(coverage.SectorsSeen(), c.Sector < 0 ? 0u : 1u) << c.Angle;
        if (c.Sector >= 0) {
            EXPECT_TRUE(coverage.Seen(static_cast<std::size_t>(c.Sector))) << c.Angle;
        }
    }
}

TEST(InstallationVerdict, FullTurnIsIncompleteUntilEverySectorHadAPointAndAFailureOutranksIt) {
    const InstallationLimits turn{.FullTurn = true};
    InstallationVerdict v;
    EXPECT_EQ(VerdictLine(v.Judge(turn)), "Turn the shaft: 0 of 36 sectors seen");
    for (int sector = 0; sector < 35; ++sector)
        v.Add(Point(sector * 10.0 + 5.0, 0.8, 300));
    v.Add(Point(355.0, NaN, 0)); // no air gap: no point in the last sector
    VerdictResult r = v.Judge(turn);
    EXPECT_EQ(r.Kind, Verdict::Incomplete);
    EXPECT_EQ(r.Reasons, std::vector<std::string>{
                             "Turn the shaft through a whole turn: 35 of 36 sectors seen"});
    EXPECT_EQ(VerdictName(r.Kind), "INCOMPLETE");
    EXPECT_EQ(VerdictLine(r), "Turn the shaft: 35 of 36 sectors seen");
    r = v.Judge({.GapMaxMm = 0.5, .FullTurn = true});
    EXPECT_EQ(r.Kind, Verdict::Fail);
    EXPECT_EQ(r.SectorsSeen, 35u);

    v.Add(Point(719.0, 0.8, 300)); // a second turn's last sector
    EXPECT_EQ(v.Judge(turn).Kind, Verdict::Pass);
    EXPECT_EQ(v.Gaps().Count(), 36u);

    v.Clear();
    EXPECT_EQ(v.Readings(), 0u);
    EXPECT_EQ(v.Gaps().Count(), 0u);
    EXPECT_EQ(v.Judge(turn).SectorsSeen, 0u);
    EXPECT_EQ(v.Judge({.GapMaxMm = 0.5, .MaxErrors = 0}).Kind, Verdict::Pass);
}

TEST(InstallationVerdict, SamplesFromTheEnginesReadings) {
    namespace Cmd = Velor_konstante::Cmd;
    TEncoderPosition position;
    position.ST_value = 4096;
    position.Resolution_unit = 360.0 / 16384;
    position.WarnBit = true;
    TEncoderAuxData aux;
    aux.SignalLevel = 1234;
    aux.AirGap = 0.75;
    EXPECT_FALSE(InstallationSampleOf(Cmd::Skipped, position, aux));
    const auto level = InstallationSampleOf(Cmd::SignalLevel, position, aux);
    ASSERT_TRUE(level);
    EXPECT_DOUBLE_EQ(level->AngleDeg, 90.0);
    EXPECT_EQ(level->SignalLevel, 1234);
    EXPECT_EQ(level->GapMm, 0.75);
    EXPECT_TRUE(level->WarnBit && !level->ErrBit);
    // Other replies carry the bits but no level: the aux record's is stale.
    const auto other = InstallationSampleOf(Cmd::CalibrationStatus, position, aux);
    ASSERT_TRUE(other);
    EXPECT_FALSE(other->SignalLevel);
    EXPECT_TRUE(std::isnan(other->GapMm));
}

TEST(InstallationVerdict, RunoutIsTheOnceATurnWaveOfTheGap) {
    struct Case {
        const char* Name;
        double G0, A, PhiDeg, Noise;
        double FirstDeg, StepDeg, SpanDeg; ///< points from FirstDeg on, over SpanDeg
        double PhiFound, Explained;        ///< expected; Explained to 0.02
        double PhiTolerance;               ///< the noise's share: some 3 sigma
    };
    const Case cases[] = {
        {"noisy, largest just past 0", 0.8, 0.1, 5.0, 0.01, 0.5, 7.3, 1080, 5.0, 0.98, 2.5},
        {"largest just before 360, start past it", 1.2, 0.02, 355.0, 0.0, 358.0, 2.9, 1080, 355.0,
         1.0, 0.01},
        {"no wave, only noise", 0.8, 0.0, 0.0, 0.01, 0.0, 3.1, 1080, -1, 0.0, 0},
        // Points on a third of the turn only: the terms of the fit no longer cancel.
        {"a third of a turn", 0.8, 0.3, 100.0, 0.0, 30.0, 0.5, 120, 100.0, 1.0, 0.01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0.0, c.Noise > 0 ? c.Noise : 1.0);
        RunoutFit fit;
        for (double deg = c.FirstDeg; deg < c.FirstDeg + c.SpanDeg; deg += c.StepDeg) {
            const double theta = (deg - c.PhiDeg) * std::numbers::pi / 180.0;
            fit.Add(std::fmod(deg, 360.0),
                    c.G0 + c.A * std::cos(theta) + (c.Noise > 0 ? noise(random) : 0.0));
        }
        const auto r = fit.Result();
        ASSERT_TRUE(r);
        EXPECT_NEAR(r->MeanMm, c.G0, 0.002);
        EXPECT_NEAR(r->RunoutMm, 2 * c.A, c.A > 0 ? 0.004 : 0.01);
        if (c.PhiFound >= 0) {
            const double off = std::remainder(r->LargestAtDeg - c.PhiFound, 360.0);
            EXPECT_NEAR(off, 0.0, c.PhiTolerance) << r->LargestAtDeg;
            EXPECT_GE(r->LargestAtDeg, 0.0);
            EXPECT_LT(r->LargestAtDeg, 360.0);
        }
        EXPECT_NEAR(r->Explained, c.Explained, c.A > 0 ? 0.02 : 0.05);
    }
    RunoutFit few; // two points say nothing of a wave
    few.Add(0.0, 0.8);
    few.Add(180.0, 0.9);
    EXPECT_FALSE(few.Result());
}

TEST(InstallationVerdict, RunoutLimitWaitsForTheWholeTurnThenNamesWhereTheGapIsLargest) {
    const InstallationLimits limit{.RunoutMaxMm = 0.3};
    InstallationVerdict v;
    const auto turn = [&](int from, int to) { // 0.8 mm +- 0.45 mm, largest at 270 degrees
        for (int deg = from; deg < to; ++deg)
            v.Add(Point(deg, 0.8 + 0.45 * std::cos((deg - 270.0) * std::numbers::pi / 180), 300));
    };
    turn(0, 350);
    EXPECT_FALSE(v.Runout());
    EXPECT_EQ(v.Judge(limit).Kind, Verdict::Incomplete);
    turn(350, 360);
    EXPECT_EQ(v.Judge(limit).Reasons,
              std::vector<std::string>{"runout 0.90 mm above 0.30 mm, largest gap at 270.0\u00B0"});
    EXPECT_EQ(v.Judge({.RunoutMaxMm = 0.9}).Kind, Verdict::Pass);
}
