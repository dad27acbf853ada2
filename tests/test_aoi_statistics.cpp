// Region statistics: the worked examples, refused arguments, and a per-pixel reference
// over random rectangles of random signed and 8-bit frames on every instruction set.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "ForEachTarget.h"
#include "decode/AoiStatistics.h"

namespace {

using zel::SampleRect;
using zel::AoiStatistics;
using zel::ChannelStatistics;

// Sample values stored at 1 or 2 bytes each after `offset` spare bytes, so that 2-byte
// samples can start at an odd address (by default) or an even one.
struct Frame {
    std::vector<uint8_t> bytes;
    int bytesPerSample, offset;
    Frame(const std::vector<int>& values, int size, int spare = 1)
        : bytes(values.size() * size + spare), bytesPerSample(size), offset(spare) {
        for (size_t i = 0; i < values.size(); ++i) {
            const auto v = static_cast<int16_t>(values[i]);
            std::memcpy(&bytes[offset + i * size], &v, size);  // little-endian host: low byte first
        }
    }
    double Compute(const SampleRect& r, int width, int pattern, AoiStatistics& out) const {
        return zel::ComputeAoiStatistics(r, bytes.data() + offset, bytesPerSample, width, pattern, out);
    }
};

void ExpectChannel(const ChannelStatistics& c, const ChannelStatistics& e) {
    EXPECT_EQ(c.maximum, e.maximum);
    EXPECT_EQ(c.minimum, e.minimum);
    EXPECT_DOUBLE_EQ(c.average, e.average);
}

TEST(AoiStatistics, WorkedExamples) {
    struct Case {
        const char* name;
        std::vector<int> values;
        int bytes, width, pattern;
        SampleRect rect;
        double total;
        ChannelStatistics red, green, blue;  // {maximum, minimum, average}
    };
    const Case cases[] = {
        {"one pixel", {7, 500, 9, 9}, 2, 2, 0, {1, 0, 1, 0}, 500, {500, 500, 500}, {500, 500, 500}, {500, 500, 500}},
        {"all zero", std::vector<int>(12, 0), 2, 4, 1, {0, 0, 3, 2}, 0, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        {"3 x 2", {1, 2, 3, 4, 5, 6}, 2, 3, 0, {0, 0, 2, 1}, 3.5, {6, 1, 3.5}, {6, 1, 3.5}, {6, 1, 3.5}},
        {"cell, pattern 3", {10, 20, 30, 40}, 2, 2, 3, {0, 0, 1, 1}, 25, {10, 10, 10}, {30, 20, 25}, {40, 40, 40}},
        {"green corner", {0, 20, 10, 0, 40, 30}, 2, 3, 3, {1, 0, 2, 1}, 25, {10, 10, 10}, {30, 20, 25}, {40, 40, 40}},
        // One column of pattern 2 (green red / blue green) holds no red; one red pixel no green or blue.
        {"no red", {5, 100, 7, 100, 9, 100}, 2, 2, 2, {0, 0, 0, 2}, 7, {0, 0, 0}, {9, 5, 7}, {7, 7, 7}},
        {"red only", {5, 100, 7, 100}, 2, 2, 2, {1, 0, 1, 0}, 100, {100, 100, 100}, {0, 0, 0}, {0, 0, 0}},
        // The maximum starts at 0, so negative samples leave it there.
        {"negative", {-5, -3}, 2, 2, 0, {0, 0, 1, 0}, -4, {0, -5, -4}, {0, -5, -4}, {0, -5, -4}},
        // 8-bit movies: one unsigned byte per sample at the frame's real width.
        {"8-bit", {200, 255, 0, 10, 20, 30}, 1, 3, 0, {1, 0, 2, 1}, 76.25, {255, 0, 76.25}, {255, 0, 76.25},
         {255, 0, 76.25}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AoiStatistics st;
        EXPECT_DOUBLE_EQ(Frame(c.values, c.bytes).Compute(c.rect, c.width, c.pattern, st), c.total);
        ExpectChannel(st.red, c.red);
        ExpectChannel(st.green, c.green);
        ExpectChannel(st.blue, c.blue);
    }
}

TEST(AoiStatistics, RefusedArgumentsGiveZeroes) {
    const std::vector<int16_t> frame(16, 9);
    const SampleRect ok{0, 0, 1, 1};
    const struct {
        SampleRect rect;
        const void* samples;
        int bytes, width;
    } refused[] = {{{2, 0, 1, 1}, frame.data(), 2, 4}, {{0, 2, 1, 1}, frame.data(), 2, 4},
                   {{-1, 0, 1, 1}, frame.data(), 2, 4}, {{0, -1, 1, 1}, frame.data(), 2, 4},
                   {{0, 0, 4, 1}, frame.data(), 2, 4},  {ok, nullptr, 2, 4},
                   {ok, frame.data(), 2, 0},            {ok, frame.data(), 3, 4}};
    for (const auto& r : refused) {
        AoiStatistics st;
        st.red = st.green = st.blue = ChannelStatistics{5, 5, 5.0};
        EXPECT_EQ(zel::ComputeAoiStatistics(r.rect, r.samples, r.bytes, r.width, 2, st), 0.0);
        for (const auto* c : {&st.red, &st.green, &st.blue}) ExpectChannel(*c, {0, 0, 0.0});
    }
}

// The reference applies the colour rule to each pixel on its own: 0 and 1 monochrome,
// any larger value a mosaic of phase (pattern - 2) mod 4, as the point readout has it.
AoiStatistics Reference(const SampleRect& r, const std::vector<int>& values, int width, int pattern, double& total) {
    const bool mosaic = pattern >= 2;
    double sum[3] = {}, count[3] = {}, all = 0;
    int maxima[3] = {0, 0, 0}, minima[3] = {32767, 32767, 32767};
    for (int y = r.top; y <= r.bottom; ++y) {
        for (int x = r.left; x <= r.right; ++x) {
            const int k = (2 * (y % 2) + (x % 2)) ^ ((pattern - 2) % 4);
            const int c = !mosaic ? 0 : k == 1 ? 0 : k == 2 ? 2 : 1;
            const int v = values[static_cast<size_t>(y) * width + x];
            sum[c] += v;
            all += v;
            count[c] += 1;
            maxima[c] = std::max(maxima[c], v);
            minima[c] = std::min(minima[c], v);
        }
    }
    total = all / ((r.bottom - r.top + 1.0) * (r.right - r.left + 1.0));
    ChannelStatistics c[3];
    for (int i = 0; i < 3; ++i) {
        if (count[i] > 0) c[i] = {static_cast<int16_t>(maxima[i]), static_cast<int16_t>(minima[i]), sum[i] / count[i]};
    }
    return mosaic ? AoiStatistics{c[0], c[1], c[2]} : AoiStatistics{c[0], c[0], c[0]};
}

TEST(AoiStatistics, RandomRectanglesMatchPerPixelRuleOnEveryTarget) {
    // Rows of several vectors of every width plus a tail, starting at every alignment; an
    // eighth of the samples at the extremes of their type.
    std::mt19937 random(7);
    const int width = 203, height = 9;
    std::vector<int> values(static_cast<size_t>(width) * height);
    for (int bytes : {1, 2}) {
        const int low = bytes == 1 ? 0 : INT16_MIN, high = bytes == 1 ? 255 : INT16_MAX;
        for (int& v : values) {
            const auto r = static_cast<unsigned>(random());
            v = r % 8 == 0 ? (r & 8 ? low : high) : low + int(r / 8 % unsigned(high - low + 1));
        }
        const Frame frames[] = {Frame(values, bytes, 0), Frame(values, bytes, 1)};
        for (int trial = 0; trial < 200; ++trial) {
            const Frame& frame = frames[trial % 2];
            const int x0 = int(random() % width), x1 = int(random() % width);
            const int y0 = int(random() % height), y1 = int(random() % height);
            const SampleRect r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
            const int pattern = trial % 8 - 1;
            SCOPED_TRACE(testing::Message() << bytes << " bytes at offset " << frame.offset << ", pattern " << pattern
                                            << ", (" << r.left << ", " << r.top << ")-(" << r.right << ", "
                                            << r.bottom << ")");
            double expectedTotal = 0;
            const AoiStatistics expected = Reference(r, values, width, pattern, expectedTotal);
            ForEachTarget([&] {
                AoiStatistics st;
                EXPECT_DOUBLE_EQ(frame.Compute(r, width, pattern, st), expectedTotal);
                ExpectChannel(st.red, expected.red);
                ExpectChannel(st.green, expected.green);
                ExpectChannel(st.blue, expected.blue);
            });
        }
    }
}

TEST(AoiStatistics, VeryWideRowsKeepExactSumsOnEveryTarget) {
    // Rows at the extremes, long enough that 32-bit partial sums would overflow on every
    // target if they were not folded into 64-bit totals in time.
    const int width = 1400003;
    std::vector<int> values(static_cast<size_t>(width) * 2, INT16_MAX);
    std::fill(values.begin() + width, values.end(), INT16_MIN);
    const Frame frame(values, 2);
    ForEachTarget([&] {
        AoiStatistics st;
        EXPECT_EQ(frame.Compute({0, 0, width - 1, 0}, width, 0, st), 32767.0);
        EXPECT_EQ(frame.Compute({0, 1, width - 1, 1}, width, 0, st), -32768.0);
        EXPECT_EQ(frame.Compute({0, 1, width - 1, 1}, width, 3, st), -32768.0);
        ExpectChannel(st.green, {0, INT16_MIN, -32768.0});
        EXPECT_EQ(frame.Compute({0, 0, width - 1, 1}, width, 4, st), -0.5);
    });
}

// The summary's exact figures per channel (0 red, 1 green, 2 blue, 3 all), pixel by pixel.
struct ExactChannel {
    int64_t count = 0, sum = 0;
    uint64_t squares = 0;
    int minimum = 0, maximum = 0;
};

std::array<ExactChannel, 4> ExactReference(const SampleRect& r, const std::vector<int>& values, int width,
                                           int pattern) {
    std::array<ExactChannel, 4> c{};
    for (int y = r.top; y <= r.bottom; ++y) {
        for (int x = r.left; x <= r.right; ++x) {
            const int k = (2 * (y % 2) + (x % 2)) ^ ((pattern - 2) % 4);
            const int colour = pattern < 2 ? 0 : k == 1 ? 0 : k == 2 ? 2 : 1;
            const int v = values[static_cast<size_t>(y) * width + x];
            for (const int i : {colour, 3}) {
                ExactChannel& e = c[i];
                e.minimum = e.count == 0 ? v : std::min(e.minimum, v);
                e.maximum = e.count == 0 ? v : std::max(e.maximum, v);
                ++e.count;
                e.sum += v;
                e.squares += static_cast<uint64_t>(int64_t{v} * v);
            }
        }
    }
    if (pattern < 2) c[1] = c[2] = c[0];
    return c;
}

void ExpectSummary(const zel::ChannelSummary& s, const ExactChannel& e) {
    EXPECT_EQ(s.count, e.count);
    EXPECT_EQ(s.sum, e.sum);
    EXPECT_EQ(s.sumSquares, e.squares);
    EXPECT_EQ(s.minimum, e.minimum);
    EXPECT_EQ(s.maximum, e.maximum);
}

TEST(AoiSummary, RandomRectanglesHaveExactSumsOfSquaresOnEveryTarget) {
    std::mt19937 random(11);
    const int width = 211, height = 7;
    std::vector<int> values(static_cast<size_t>(width) * height);
    for (int bytes : {1, 2}) {
        const int low = bytes == 1 ? 0 : INT16_MIN, high = bytes == 1 ? 255 : INT16_MAX;
        for (int& v : values) {
            const auto r = static_cast<unsigned>(random());
            v = r % 4 == 0 ? (r & 8 ? low : high) : low + int(r / 8 % unsigned(high - low + 1));
        }
        const Frame frame(values, bytes, 1);
        for (int trial = 0; trial < 120; ++trial) {
            const int x0 = int(random() % width), x1 = int(random() % width);
            const int y0 = int(random() % height), y1 = int(random() % height);
            const SampleRect r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
            const int pattern = trial % 6;
            SCOPED_TRACE(testing::Message() << bytes << " bytes, pattern " << pattern << ", (" << r.left << ", "
                                            << r.top << ")-(" << r.right << ", " << r.bottom << ")");
            const auto expected = ExactReference(r, values, width, pattern);
            ForEachTarget([&] {
                zel::AoiSummary s;
                ASSERT_TRUE(zel::SummariseAoi(r, frame.bytes.data() + 1, bytes, width, pattern, s));
                EXPECT_EQ(s.colour, pattern >= 2);
                ExpectSummary(s.red, expected[0]);
                ExpectSummary(s.green, expected[1]);
                ExpectSummary(s.blue, expected[2]);
                ExpectSummary(s.all, expected[3]);
            });
        }
    }
}

TEST(AoiSummary, StandardDeviationAndUndefinedFigures) {
    // 2, 4, 4, 4, 5, 5, 7, 9: mean 5, sum of squared deviations 32, so 32 / 7 with n - 1.
    const Frame frame({2, 4, 4, 4, 5, 5, 7, 9}, 2);
    zel::AoiSummary s;
    ASSERT_TRUE(zel::SummariseAoi({0, 0, 7, 0}, frame.bytes.data() + 1, 2, 8, 0, s));
    EXPECT_DOUBLE_EQ(s.all.Mean(), 5.0);
    EXPECT_DOUBLE_EQ(s.all.StandardDeviation(), std::sqrt(32.0 / 7.0));
    // One pixel: a mean, no standard deviation. A mosaic row of one red pixel: no blue at all.
    ASSERT_TRUE(zel::SummariseAoi({1, 0, 1, 0}, frame.bytes.data() + 1, 2, 8, 0, s));
    EXPECT_TRUE(std::isnan(s.all.StandardDeviation()));
    ASSERT_TRUE(zel::SummariseAoi({1, 0, 1, 0}, frame.bytes.data() + 1, 2, 8, 2, s));
    EXPECT_EQ(s.red.count, 1);
    EXPECT_EQ(s.blue.count, 0);
    EXPECT_TRUE(std::isnan(s.blue.Mean()));
    // Negative samples keep their true maximum here (the displayed figure starts at 0).
    const Frame negative({-5, -3}, 2);
    ASSERT_TRUE(zel::SummariseAoi({0, 0, 1, 0}, negative.bytes.data() + 1, 2, 2, 0, s));
    EXPECT_EQ(s.all.maximum, -3);
    EXPECT_FALSE(zel::SummariseAoi({0, 0, 2, 0}, negative.bytes.data() + 1, 2, 2, 0, s));
    EXPECT_EQ(s.all.count, 0);
}

TEST(AoiSummary, ExtremeWideRowsKeepExactSquaresOnEveryTarget) {
    // 2^30 per square over 2.8 million samples: folded before any 32-bit lane overflows,
    // and a constant region has a standard deviation of exactly 0.
    const int width = 1400003;
    std::vector<int> values(static_cast<size_t>(width) * 2, INT16_MIN);
    std::fill(values.begin() + width, values.end(), INT16_MAX);
    const Frame frame(values, 2);
    ForEachTarget([&] {
        for (const int pattern : {0, 3}) {
            zel::AoiSummary s;
            ASSERT_TRUE(zel::SummariseAoi({0, 0, width - 1, 0}, frame.bytes.data() + 1, 2, width, pattern, s));
            EXPECT_EQ(s.all.sumSquares, uint64_t(width) << 30);
            EXPECT_EQ(s.all.StandardDeviation(), 0.0);
            ASSERT_TRUE(zel::SummariseAoi({0, 0, width - 1, 1}, frame.bytes.data() + 1, 2, width, pattern, s));
            EXPECT_EQ(s.all.sumSquares, (uint64_t(width) << 30) + uint64_t(width) * 32767u * 32767u);
            EXPECT_EQ(s.all.minimum, INT16_MIN);
            EXPECT_EQ(s.all.maximum, INT16_MAX);
        }
    });
}

}  // namespace
