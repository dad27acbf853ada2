// Graph axis ticks: nice steps over ordinary, negative, zero-width and hostile ranges, the
// label texts, labels kept apart along a given length, and the padded range of a graph
// fitted to its data.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "document/AxisTicks.h"

using zel::AxisTicks;
using zel::ComputeTicks;

namespace {

std::vector<std::string> Labels(const AxisTicks& ticks) {
    std::vector<std::string> labels;
    for (int i = 0; i < ticks.count; ++i) labels.push_back(zel::TickLabel(ticks, i));
    return labels;
}

// The step is 1, 2 or 5 times a power of ten.
bool IsNice(double step) {
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    for (const double nice : {1.0, 2.0, 5.0})
        if (std::fabs(mantissa - nice) < 1e-9) return true;
    return false;
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();

}  // namespace

TEST(AxisTicks, NiceStepRoundsUpToOneTwoOrFive) {
    EXPECT_DOUBLE_EQ(zel::NiceStep(1.0), 1.0);
    EXPECT_DOUBLE_EQ(zel::NiceStep(1.3), 2.0);
    EXPECT_DOUBLE_EQ(zel::NiceStep(2.5), 5.0);
    EXPECT_DOUBLE_EQ(zel::NiceStep(7.0), 10.0);
    EXPECT_DOUBLE_EQ(zel::NiceStep(0.03), 0.05);
    EXPECT_DOUBLE_EQ(zel::NiceStep(1000.0), 1000.0);
    EXPECT_DOUBLE_EQ(zel::NiceStep(0.001), 0.001);
    for (const double bad : {0.0, -1.0, kInf, kNaN, kMax}) EXPECT_EQ(zel::NiceStep(bad), 0.0) << bad;
}

TEST(AxisTicks, ProfileRangesGetRoundLabels) {
    const AxisTicks full = ComputeTicks(0, 1024, 5);
    EXPECT_DOUBLE_EQ(full.step, 500.0);
    EXPECT_EQ(Labels(full), (std::vector<std::string>{"0", "500", "1000"}));

    const AxisTicks positions = ComputeTicks(0, 7.3, 10);
    EXPECT_DOUBLE_EQ(positions.step, 1.0);
    EXPECT_EQ(positions.count, 8);

    const AxisTicks fine = ComputeTicks(0.1, 0.5, 4);
    EXPECT_DOUBLE_EQ(fine.step, 0.1);
    EXPECT_EQ(Labels(fine), (std::vector<std::string>{"0.1", "0.2", "0.3", "0.4", "0.5"}));
}

TEST(AxisTicks, EveryTickLiesInTheRangeAndTheCountStaysBounded) {
    const std::vector<std::pair<double, double>> ranges{
        {0, 1},     {-3, 3},  {-1000, -999}, {12.5, 4096}, {1e-9, 3e-9}, {0, 65536 * 1.5},
        {-1e6, 1e9}, {3, 3.0000001}, {-5e-300, 5e-300}};
    for (const auto& [low, high] : ranges) {
        for (const int intervals : {1, 2, 5, 10, 37}) {
            const AxisTicks ticks = ComputeTicks(low, high, intervals);
            ASSERT_GE(ticks.count, 1) << low << " .. " << high;
            EXPECT_LE(ticks.count, intervals + 1) << low << " .. " << high;
            EXPECT_TRUE(IsNice(ticks.step)) << ticks.step;
            // Ends may be met within a rounding error of the step.
            EXPECT_GE(ticks.At(0), low - 1e-6 * ticks.step);
            EXPECT_LE(ticks.At(ticks.count - 1), high + 1e-6 * ticks.step);
        }
    }
}

TEST(AxisTicks, NegativeRangesAndReversedEndsWork) {
    const AxisTicks negative = ComputeTicks(-20, -5, 3);
    EXPECT_EQ(Labels(negative), (std::vector<std::string>{"-20", "-15", "-10", "-5"}));
    const AxisTicks reversed = ComputeTicks(10, -10, 4);
    EXPECT_EQ(Labels(reversed), (std::vector<std::string>{"-10", "-5", "0", "5", "10"}));
}

TEST(AxisTicks, ZeroIsNeverMinusZero) {
    const AxisTicks ticks = ComputeTicks(-0.3, 0.3, 6);
    for (const std::string& label : Labels(ticks)) EXPECT_NE(label, "-0.0");
    EXPECT_EQ(Labels(ticks), (std::vector<std::string>{"-0.3", "-0.2", "-0.1", "0.0", "0.1", "0.2", "0.3"}));
}

TEST(AxisTicks, ZeroWidthRangeHasTheOneTick) {
    const AxisTicks flat = ComputeTicks(512, 512, 5);
    ASSERT_EQ(flat.count, 1);
    EXPECT_EQ(zel::TickLabel(flat, 0), "512");
    EXPECT_EQ(zel::TickLabel(ComputeTicks(3.14159, 3.14159, 5), 0), "3.142");  // enough digits to say which
    const AxisTicks zero = ComputeTicks(0, 0, 5);
    ASSERT_EQ(zero.count, 1);
    EXPECT_EQ(zel::TickLabel(zero, 0), "0");
}

TEST(AxisTicks, MinimumStepKeepsIntegerValuesOnIntegers) {
    const AxisTicks ticks = ComputeTicks(510, 514, 20, 1.0);
    EXPECT_DOUBLE_EQ(ticks.step, 1.0);
    EXPECT_EQ(Labels(ticks), (std::vector<std::string>{"510", "511", "512", "513", "514"}));
    // A range holding no multiple of the smallest step has no ticks rather than a false one.
    EXPECT_EQ(ComputeTicks(510.2, 510.8, 5, 1.0).count, 0);
}

TEST(AxisTicks, HostileRangesEndQuicklyWithFewOrNoTicks) {
    // Not finite: nothing to show.
    EXPECT_EQ(ComputeTicks(kNaN, 1, 5).count, 0);
    EXPECT_EQ(ComputeTicks(0, kInf, 5).count, 0);
    EXPECT_EQ(ComputeTicks(-kInf, kInf, 5).count, 0);
    // The whole double range: high - low overflows, yet the ticks are ordinary.
    const AxisTicks huge = ComputeTicks(-kMax, kMax, 10);
    EXPECT_GE(huge.count, 3);
    EXPECT_LE(huge.count, 11);
    EXPECT_TRUE(huge.exponent);
    EXPECT_EQ(zel::TickLabel(huge, huge.count / 2), "0.0e+00");
    // Far more intervals asked than can be read are clamped.
    EXPECT_LE(ComputeTicks(0, 1e12, 1 << 30).count, zel::kMaxTickIntervals + 1);
    // A range too narrow for its magnitude: one tick, not 2^52 of them.
    const AxisTicks narrow = ComputeTicks(1e300, std::nextafter(1e300, kInf), 10);
    EXPECT_EQ(narrow.count, 1);
    // Denormal widths.
    EXPECT_LE(ComputeTicks(0, 5e-324, 10).count, 11);
    // Huge labels switch to exponent notation instead of 300 digits.
    const AxisTicks big = ComputeTicks(0, 3e12, 3);
    EXPECT_EQ(Labels(big), (std::vector<std::string>{"0e+00", "1e+12", "2e+12", "3e+12"}));
}

TEST(AxisTicks, LabelsThatFitDoNotTouch) {
    // 7 pixels a character, labels at least 6 pixels apart.
    const auto width = [](const std::string& label) { return 7.0 * static_cast<double>(label.size()); };
    for (const double length : {40.0, 120.0, 300.0, 900.0}) {
        const AxisTicks ticks = zel::TicksThatFit(0, 65536, 1.0, length, 6.0, width);
        ASSERT_GE(ticks.count, 1);
        if (ticks.count < 2) continue;
        double widest = 0;
        for (const std::string& label : Labels(ticks)) widest = std::max(widest, width(label));
        const double spacing = length * ticks.step / 65536.0;
        EXPECT_GE(spacing, widest + 6.0) << length;
    }
    // With room, it uses it: many ticks along a long axis.
    EXPECT_GE(zel::TicksThatFit(0, 100, 0, 2000, 6, width).count, 11);
    // No room at all still ends, with one interval at most.
    EXPECT_LE(zel::TicksThatFit(0, 100, 0, 0, 6, width).count, 2);
    EXPECT_LE(zel::TicksThatFit(0, 100, 0, kNaN, 6, width).count, 2);
}

TEST(AxisTicks, PaddedRangeWidensAndNeverCollapses) {
    const zel::ValueRange padded = zel::PaddedRange(100, 300, 0.05, 1);
    EXPECT_DOUBLE_EQ(padded.low, 90);
    EXPECT_DOUBLE_EQ(padded.high, 310);
    const zel::ValueRange flat = zel::PaddedRange(512, 512, 0.05, 1);
    EXPECT_DOUBLE_EQ(flat.low, 511);
    EXPECT_DOUBLE_EQ(flat.high, 513);
    const zel::ValueRange swapped = zel::PaddedRange(10, 0, 0, 1);
    EXPECT_DOUBLE_EQ(swapped.low, -1);
    EXPECT_DOUBLE_EQ(swapped.high, 11);
    const zel::ValueRange bad = zel::PaddedRange(kNaN, 3, 0.05, 1);
    EXPECT_LT(bad.low, bad.high);
}
