// The profile graph's data: the fixed and data-driven vertical ranges, the horizontal
// extent following the series, refused indices and empty series.

#include <gtest/gtest.h>

#include <vector>

#include "view/ProfileSeries.h"

using zel::gui::ProfileSeriesSet;

namespace {

int Append(ProfileSeriesSet& set, int bits, const std::vector<int16_t>& values) {
    return set.SetSeries(-1, bits, values.data(), static_cast<int>(values.size()));
}

}  // namespace

TEST(ProfileSeries, FixedBitsGiveTheSampleRangeWhateverTheValues) {
    const std::vector<int16_t> values{-300, 5, 2000, 17};
    for (const auto& [bits, top] : {std::pair{10, 1024}, std::pair{12, 4096}, std::pair{8, 256}}) {
        ProfileSeriesSet set;
        ASSERT_EQ(Append(set, bits, values), 0);
        EXPECT_EQ(set.autoScale, 0);
        EXPECT_EQ(set.fixedBits, bits);
        EXPECT_EQ(set.yMin, 0) << bits;
        EXPECT_EQ(set.yMax, top) << bits;
        EXPECT_EQ(set.xMax, 4);
    }
    ProfileSeriesSet wide;  // more bits than an int can shift stay at 2^30
    Append(wide, 40, values);
    EXPECT_EQ(wide.yMax, 1 << 30);
}

TEST(ProfileSeries, FewerThanTwoBitsScaleToTheData) {
    for (const int bits : {1, 0, -4}) {
        ProfileSeriesSet set;
        Append(set, 10, {1, 2, 3});  // a fixed range first: the data's range replaces it
        ASSERT_EQ(set.SetSeries(0, bits, std::vector<int16_t>{-7, 300, -32768, 32767, 12}.data(), 5), 0);
        EXPECT_EQ(set.autoScale, 1) << bits;
        EXPECT_EQ(set.yMin, -32768) << bits;
        EXPECT_EQ(set.yMax, 32767) << bits;
        const auto* series = set.Series(0);
        ASSERT_NE(series, nullptr);
        EXPECT_EQ(series->minValue, -32768);
        EXPECT_EQ(series->maxValue, 32767);
        EXPECT_EQ(series->visible, 1);
        EXPECT_EQ(series->color, 0);
    }
}

TEST(ProfileSeries, ReplacingTheOnlySeriesFollowsItsLengthAndValues) {
    ProfileSeriesSet set;
    Append(set, 0, std::vector<int16_t>(50, 9));
    ASSERT_EQ(set.xMax, 50);
    const std::vector<int16_t> shorter{4, 6, 5};
    ASSERT_EQ(set.SetSeries(0, 0, shorter.data(), 3), 0);
    EXPECT_EQ(set.seriesCount, 1);
    EXPECT_EQ(set.xMax, 3);
    EXPECT_EQ(set.yMin, 4);
    EXPECT_EQ(set.yMax, 6);
    EXPECT_EQ(set.Series(0)->values, shorter);  // a copy, not the caller's buffer
}

TEST(ProfileSeries, AnIndexBeyondTheSlotsChangesNothing) {
    ProfileSeriesSet set;
    const std::vector<int16_t> values{1, 2, 3};
    EXPECT_EQ(set.SetSeries(0, 10, values.data(), 3), -1);  // no slots yet
    EXPECT_EQ(set.seriesCount, 0);
    EXPECT_EQ(set.autoScale, 0);
    EXPECT_EQ(set.fixedBits, 0);

    Append(set, 0, values);
    EXPECT_EQ(set.SetSeries(1, 12, values.data(), 3), -1);
    EXPECT_EQ(set.seriesCount, 1);
    EXPECT_EQ(set.autoScale, 1);  // the refused 12 bits did not switch to a fixed range
    EXPECT_EQ(set.fixedBits, 0);
    EXPECT_EQ(set.yMax, 3);
    EXPECT_EQ(set.xMax, 3);
}

TEST(ProfileSeries, EmptySeriesAreStoredWithoutValues) {
    const int16_t one = 5;
    struct Case {
        const int16_t* values;
        int count;
    };
    for (const auto& [values, count] : {Case{&one, 0}, Case{nullptr, 0}, Case{nullptr, 8}, Case{&one, -3}}) {
        ProfileSeriesSet set;
        ASSERT_EQ(set.SetSeries(-1, 0, values, count), 0);
        const auto* series = set.Series(0);
        ASSERT_NE(series, nullptr);
        EXPECT_EQ(series->count, 0);
        EXPECT_TRUE(series->values.empty());
        EXPECT_EQ(series->maxValue, 0);
        EXPECT_EQ(series->minValue, 0);
        EXPECT_EQ(set.xMax, 0);
        EXPECT_EQ(set.yMax, 0);
        EXPECT_EQ(set.yMin, 0);
    }
    ProfileSeriesSet fixed;  // an empty series still sets a fixed range
    fixed.SetSeries(-1, 10, nullptr, 0);
    EXPECT_EQ(fixed.yMax, 1024);
}

TEST(ProfileSeries, TwoSeriesWidenTheExtentsOverBoth) {
    ProfileSeriesSet set;
    ASSERT_EQ(Append(set, 0, {10, 20, 30}), 0);
    ASSERT_EQ(Append(set, 0, {-5, 15, 12, 8, 9}), 1);
    EXPECT_EQ(set.seriesCount, 2);
    EXPECT_EQ(set.yMax, 30);
    EXPECT_EQ(set.yMin, -5);
    EXPECT_EQ(set.xMax, 5);

    // With two series the extents only grow: a shorter, narrower second series keeps them.
    ASSERT_EQ(set.SetSeries(1, 0, std::vector<int16_t>{11}.data(), 1), 1);
    EXPECT_EQ(set.yMax, 30);
    EXPECT_EQ(set.yMin, -5);
    EXPECT_EQ(set.xMax, 5);

    set.ClearSeries();
    EXPECT_EQ(set.seriesCount, 0);
    EXPECT_TRUE(set.seriesSlots.empty());
    EXPECT_EQ(set.Series(0), nullptr);
    EXPECT_EQ(set.SetSeries(0, 0, nullptr, 0), -1);
}
