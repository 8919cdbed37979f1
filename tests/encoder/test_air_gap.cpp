#include "encoder/air_gap.h"

#include <gtest/gtest.h>

#include <cmath>

using Velor::AirGapMm;

namespace {
constexpr double Tol = 5e-7; // the examples are rounded to six decimals
}

TEST(AirGap, PolynomialCurvesForSmallMagnets) {
    EXPECT_NEAR(AirGapMm(12, 1000), 9.743772, Tol);
    EXPECT_NEAR(AirGapMm(12, 3000), 4.872706, Tol);
    EXPECT_NEAR(AirGapMm(12, 5000), 2.395854, Tol);
    EXPECT_NEAR(AirGapMm(12, 6000), 0.633139, Tol);
    EXPECT_NEAR(AirGapMm(12, 0), 14.499254, Tol);
    EXPECT_NEAR(AirGapMm(12, -1), 14.505068, Tol);
    EXPECT_NEAR(AirGapMm(16, 3000), 5.946392, Tol);
    EXPECT_NEAR(AirGapMm(16, 5000), 4.262128, Tol);
    EXPECT_NEAR(AirGapMm(16, 8000), 2.275352, Tol);
}

TEST(AirGap, LogarithmicCurvesAndSize30Thresholds) {
    EXPECT_NEAR(AirGapMm(22, 1000), 9.112314, Tol);
    EXPECT_NEAR(AirGapMm(22, 5000), 5.338182, Tol);
    EXPECT_NEAR(AirGapMm(22, 20000), 2.087322, Tol);
    EXPECT_NEAR(AirGapMm(30, 650), 6.431063, Tol);
    EXPECT_NEAR(AirGapMm(30, 651), 6.357872, Tol);
    EXPECT_NEAR(AirGapMm(30, 7400), 2.130840, Tol);
    EXPECT_NEAR(AirGapMm(30, 7401), 2.527783, Tol);
    EXPECT_NEAR(AirGapMm(30, 20000), 0.786090, Tol);
    EXPECT_NEAR(AirGapMm(30, 1), 24.45, Tol);
}

TEST(AirGap, NoValueWhereTheLogarithmIsUndefined) {
    for (int size : {22, 30})
        for (int level : {0, -1, -65535})
            EXPECT_TRUE(std::isnan(AirGapMm(size, level))) << size << " " << level;
}

TEST(AirGap, UnknownSizesGiveZero) {
    for (int size : {0, 14, 11, 13, 31, -12, 1000})
        for (int level : {-1, 0, 1000, 65535})
            EXPECT_EQ(AirGapMm(size, level), 0.0) << size << " " << level;
}

TEST(AirGap, EstimateWritesTheRecord) {
    TEncoderSignature signature;
    TEncoderAuxData aux;
    signature.RingMagnetSize = 22;
    aux.SignalLevel = 5000;
    Velor::EstimateAirGap(signature, aux);
    EXPECT_NEAR(aux.AirGap, 5.338182, Tol);
    aux.SignalLevel = 0;
    Velor::EstimateAirGap(signature, aux);
    EXPECT_TRUE(std::isnan(aux.AirGap));
}
