// Where a profile's samples lie along its line: one step of the longer axis apart, in
// pixels and in the calibrated unit, whatever the line's direction or the pixel size.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "document/ProfilePositions.h"

using zel::Calibration;
using zel::PositionsAlong;
using zel::ProfileLine;

TEST(ProfilePositions, AxisAlignedLinesHaveSamplesOnePixelApart) {
    for (const ProfileLine line : {ProfileLine{10, 5, 90, 5}, ProfileLine{3, 70, 3, 20}}) {
        const auto positions = PositionsAlong(line, {});
        EXPECT_DOUBLE_EQ(positions.pixelSpacing, 1.0);
        EXPECT_DOUBLE_EQ(positions.Pixels(7), 7.0);
        EXPECT_FALSE(positions.Calibrated());
        EXPECT_DOUBLE_EQ(positions.InUnit(7), 7.0);  // pixels again
    }
}

TEST(ProfilePositions, SlantedLinesSpreadTheirSamplesOverTheirLength) {
    // 30 steps along x cover 50 pixels of line: sample i is i * 50 / 30 from the start.
    const auto slanted = PositionsAlong({0, 0, -30, 40}, {});
    EXPECT_DOUBLE_EQ(slanted.pixelSpacing, 50.0 / 40.0);
    EXPECT_DOUBLE_EQ(slanted.Pixels(40), 50.0);  // the end point (one past the last sample)
    const auto diagonal = PositionsAlong({5, 5, 25, 25}, {});
    EXPECT_DOUBLE_EQ(diagonal.pixelSpacing, std::sqrt(2.0));
}

TEST(ProfilePositions, CalibratedPositionsUseThePixelSize) {
    const Calibration microns{0.5, "um"};
    const auto positions = PositionsAlong({0, 0, 0, 100}, microns);
    EXPECT_TRUE(positions.Calibrated());
    EXPECT_DOUBLE_EQ(positions.InUnit(10), 5.0);
    EXPECT_DOUBLE_EQ(positions.Pixels(10), 10.0);
    EXPECT_DOUBLE_EQ(positions.UnitSpacing(), 0.5);
}

TEST(ProfilePositions, UnitDecimalsResolveATenthOfTheSpacing) {
    EXPECT_EQ(PositionsAlong({0, 0, 100, 0}, Calibration{2.5, "um"}).UnitDecimals(), 1);   // 2.5 um apart
    EXPECT_EQ(PositionsAlong({0, 0, 100, 0}, Calibration{0.5, "um"}).UnitDecimals(), 2);   // 0.5 um apart
    EXPECT_EQ(PositionsAlong({0, 0, 100, 0}, Calibration{650, "nm"}).UnitDecimals(), 0);
    EXPECT_EQ(PositionsAlong({0, 0, 100, 0}, Calibration{2.5e-6, "m"}).UnitDecimals(), 7);
    EXPECT_EQ(PositionsAlong({0, 0, 100, 0}, Calibration{1e-30, "m"}).UnitDecimals(), 9);  // capped
}

TEST(ProfilePositions, DegenerateLinesAndPixelSizesStayFinite) {
    EXPECT_DOUBLE_EQ(PositionsAlong({4, 4, 4, 4}, {}).pixelSpacing, 1.0);  // a point: no step
    const auto extreme = PositionsAlong({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {});
    EXPECT_NEAR(extreme.pixelSpacing, std::sqrt(2.0), 1e-12);
    // A pixel size whose lengths overflow or vanish is not used.
    const double huge = std::numeric_limits<double>::max();
    EXPECT_FALSE(PositionsAlong({0, 0, 10, 10}, Calibration{huge, "m"}).Calibrated());
    EXPECT_FALSE(PositionsAlong({0, 0, 10, 0}, Calibration{-1.0, "m"}).Calibrated());
    EXPECT_GT(PositionsAlong({0, 0, 10, 10}, Calibration{huge, "m"}).UnitSpacing(), 0.0);
}
