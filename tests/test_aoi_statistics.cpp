// Region statistics: the worked examples, 8-bit and signed samples, channels without
// pixels, refused arguments, and a per-pixel reference over random rectangles.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "decode/AoiStatistics.h"

namespace {

using zel::AoiRect;
using zel::AoiStatistics;
using zel::ChannelStatistics;
using zel::ComputeAoiStatistics;

void ExpectChannel(const ChannelStatistics& c, int maximum, int minimum, double average) {
    EXPECT_EQ(c.maximum, maximum);
    EXPECT_EQ(c.minimum, minimum);
    EXPECT_DOUBLE_EQ(c.average, average);
}

double Compute16(const AoiRect& r, const std::vector<int16_t>& s, int width, int pattern, AoiStatistics& out) {
    return ComputeAoiStatistics(r, s.data(), 2, width, pattern, out);
}

TEST(AoiStatisticsExamples, Monochrome) {
    AoiStatistics st;
    const std::vector<int16_t> one = {7, 500, 9, 9};
    EXPECT_EQ(Compute16({1, 0, 1, 0}, one, 2, 0, st), 500.0);
    for (const auto* c : {&st.red, &st.green, &st.blue}) ExpectChannel(*c, 500, 500, 500.0);

    const std::vector<int16_t> zeros(12, 0);
    EXPECT_EQ(Compute16({0, 0, 3, 2}, zeros, 4, 1, st), 0.0);
    ExpectChannel(st.green, 0, 0, 0.0);

    const std::vector<int16_t> grid = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(Compute16({0, 0, 2, 1}, grid, 3, 0, st), 3.5);
    ExpectChannel(st.blue, 6, 1, 3.5);
}

TEST(AoiStatisticsExamples, ColourMosaic) {
    AoiStatistics st;
    // colorPattern 3: red green / green blue.
    const std::vector<int16_t> cell = {10, 20, 30, 40};
    EXPECT_EQ(Compute16({0, 0, 1, 1}, cell, 2, 3, st), 25.0);
    ExpectChannel(st.red, 10, 10, 10.0);
    ExpectChannel(st.green, 30, 20, 25.0);
    ExpectChannel(st.blue, 40, 40, 40.0);

    // Same mosaic, rectangle (1, 0)-(2, 1): the corner pixel is green.
    const std::vector<int16_t> frame = {0, 20, 10, 0, 40, 30};
    EXPECT_EQ(Compute16({1, 0, 2, 1}, frame, 3, 3, st), 25.0);
    ExpectChannel(st.red, 10, 10, 10.0);
    ExpectChannel(st.green, 30, 20, 25.0);
    ExpectChannel(st.blue, 40, 40, 40.0);
}

TEST(AoiStatisticsExamples, ChannelsWithoutPixelsReportZero) {
    AoiStatistics st;
    // colorPattern 2: green red / blue green. One column at x = 0 holds green and blue only.
    const std::vector<int16_t> frame = {5, 100, 7, 100, 9, 100};
    EXPECT_EQ(Compute16({0, 0, 0, 2}, frame, 2, 2, st), 7.0);
    ExpectChannel(st.red, 0, 0, 0.0);
    ExpectChannel(st.green, 9, 5, 7.0);
    ExpectChannel(st.blue, 7, 7, 7.0);

    // A single red pixel: green and blue are empty.
    EXPECT_EQ(Compute16({1, 0, 1, 0}, frame, 2, 2, st), 100.0);
    ExpectChannel(st.red, 100, 100, 100.0);
    ExpectChannel(st.green, 0, 0, 0.0);
    ExpectChannel(st.blue, 0, 0, 0.0);
}

TEST(AoiStatisticsSamples, TwoByteSamplesAreSigned) {
    AoiStatistics st;
    const std::vector<int16_t> negative = {-5, -3, INT16_MIN, 1};
    // The maximum starts at 0, so a rectangle of negative values reports 0.
    EXPECT_EQ(Compute16({0, 0, 1, 0}, negative, 2, 0, st), -4.0);
    ExpectChannel(st.red, 0, -5, -4.0);
    Compute16({0, 0, 1, 1}, negative, 2, 0, st);
    EXPECT_EQ(st.red.minimum, INT16_MIN);
    EXPECT_EQ(st.red.maximum, 1);
}

TEST(AoiStatisticsSamples, EightBitSamplesAreOneBytePerPixel) {
    AoiStatistics st;
    // 3 x 2 frame of bytes; read as 16-bit it would be a different picture altogether.
    const std::vector<uint8_t> frame = {200, 255, 0, 10, 20, 30};
    EXPECT_DOUBLE_EQ(ComputeAoiStatistics({0, 0, 2, 1}, frame.data(), 1, 3, 0, st), 515.0 / 6);
    ExpectChannel(st.red, 255, 0, 515.0 / 6);
    EXPECT_EQ(ComputeAoiStatistics({1, 1, 2, 1}, frame.data(), 1, 3, 0, st), 25.0);
    ExpectChannel(st.green, 30, 20, 25.0);
}

TEST(AoiStatisticsArguments, RefusedArgumentsGiveZeroes) {
    const std::vector<int16_t> frame(16, 9);
    const AoiRect bad[] = {{2, 0, 1, 1}, {0, 2, 1, 1}, {-1, 0, 1, 1}, {0, -1, 1, 1}, {0, 0, 4, 1}};
    for (const AoiRect& r : bad) {
        AoiStatistics st;
        st.red = st.green = st.blue = ChannelStatistics{5, 5, 5.0};
        EXPECT_EQ(ComputeAoiStatistics(r, frame.data(), 2, 4, 2, st), 0.0);
        ExpectChannel(st.red, 0, 0, 0.0);
        ExpectChannel(st.blue, 0, 0, 0.0);
    }
    AoiStatistics st;
    EXPECT_EQ(ComputeAoiStatistics({0, 0, 1, 1}, nullptr, 2, 4, 0, st), 0.0);
    EXPECT_EQ(ComputeAoiStatistics({0, 0, 1, 1}, frame.data(), 2, 0, 0, st), 0.0);
    EXPECT_EQ(ComputeAoiStatistics({0, 0, 1, 1}, frame.data(), 3, 4, 0, st), 0.0);
    ExpectChannel(st.green, 0, 0, 0.0);
}

// Per-pixel reference taken straight from the colour rule of each pixel.
AoiStatistics Reference(const AoiRect& r, const std::vector<int>& values, int width, int pattern, double& total) {
    double sum[3] = {}, count[3] = {}, all = 0;
    int maxima[3] = {0, 0, 0}, minima[3] = {32767, 32767, 32767};
    for (int y = r.top; y <= r.bottom; ++y) {
        for (int x = r.left; x <= r.right; ++x) {
            int channel = 0;
            const bool mosaic = pattern >= 2 && pattern <= 5;  // other values read as monochrome
            if (mosaic) {
                const int k = (2 * (y % 2) + (x % 2)) ^ ((pattern - 2) % 4);
                channel = k == 1 ? 0 : k == 2 ? 2 : 1;
            }
            const int v = values[static_cast<size_t>(y) * width + x];
            sum[channel] += v;
            all += v;
            count[channel] += 1;
            maxima[channel] = std::max(maxima[channel], v);
            minima[channel] = std::min(minima[channel], v);
        }
    }
    total = all / ((r.bottom - r.top + 1.0) * (r.right - r.left + 1.0));
    ChannelStatistics c[3];
    for (int i = 0; i < 3; ++i) {
        if (count[i] > 0)
            c[i] = {static_cast<int16_t>(maxima[i]), static_cast<int16_t>(minima[i]), sum[i] / count[i]};
    }
    if (pattern < 2 || pattern > 5) return {c[0], c[0], c[0]};
    return {c[0], c[1], c[2]};
}

TEST(AoiStatisticsReference, RandomRectanglesMatchPerPixelRule) {
    std::mt19937 random(7);
    const int width = 75, height = 9;
    std::vector<int> values(static_cast<size_t>(width) * height);
    for (int bytes : {1, 2}) {
        for (int& v : values) v = bytes == 1 ? int(random() % 256) : int(random() % 65536) - 32768;
        // One spare byte in front so the samples can also start at an odd address.
        std::vector<uint8_t> storage(values.size() * bytes + 1);
        for (size_t i = 0; i < values.size(); ++i) {
            if (bytes == 1) {
                storage[1 + i] = static_cast<uint8_t>(values[i]);
            } else {
                const auto v = static_cast<int16_t>(values[i]);
                std::memcpy(&storage[1 + 2 * i], &v, 2);
            }
        }
        for (int trial = 0; trial < 300; ++trial) {
            const int x0 = int(random() % width), x1 = int(random() % width);
            const int y0 = int(random() % height), y1 = int(random() % height);
            const AoiRect r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
            const int pattern = trial % 8 - 1;
            double expectedTotal = 0;
            const AoiStatistics expected = Reference(r, values, width, pattern, expectedTotal);
            AoiStatistics st;
            const double total = ComputeAoiStatistics(r, storage.data() + 1, bytes, width, pattern, st);
            SCOPED_TRACE(testing::Message() << bytes << " bytes, pattern " << pattern << ", (" << r.left << ", "
                                            << r.top << ")-(" << r.right << ", " << r.bottom << ")");
            EXPECT_DOUBLE_EQ(total, expectedTotal);
            ExpectChannel(st.red, expected.red.maximum, expected.red.minimum, expected.red.average);
            ExpectChannel(st.green, expected.green.maximum, expected.green.minimum, expected.green.average);
            ExpectChannel(st.blue, expected.blue.maximum, expected.blue.minimum, expected.blue.average);
        }
    }
}

TEST(AoiStatisticsReference, VeryWideRowsKeepExactSums) {
    // Rows longer than the span after which lane sums are folded, at the extreme values.
    const int width = 200003;
    std::vector<int16_t> frame(static_cast<size_t>(width) * 2, INT16_MAX);
    std::fill(frame.begin() + width, frame.end(), INT16_MIN);
    AoiStatistics st;
    EXPECT_EQ(Compute16({0, 0, width - 1, 0}, frame, width, 0, st), 32767.0);
    EXPECT_EQ(Compute16({0, 1, width - 1, 1}, frame, width, 3, st), -32768.0);
    ExpectChannel(st.green, 0, INT16_MIN, -32768.0);
    EXPECT_EQ(Compute16({0, 0, width - 1, 1}, frame, width, 0, st), -0.5);
}

}  // namespace
