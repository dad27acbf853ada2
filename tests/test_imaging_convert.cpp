// The mapping of samples to 8-bit grey values: worked values at each depth, row order and
// padding, the same values as screen pixels, and depths or sizes that must neither shift
// out of range nor write too much.

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "imaging/DisplayBitmap.h"

namespace zel {
namespace {

constexpr uint8_t kUntouched = 0xCC;

// Converts one row of samples top-down without padding and returns the pixels.
template <typename Sample>
std::vector<uint8_t> ConvertRow(const std::vector<Sample>& samples, int depth) {
    std::vector<uint8_t> out(samples.size() + 16, kUntouched);
    ConvertSamplesTo8Bit(-1, out.data(), sizeof(Sample), depth, -static_cast<int>(samples.size()), samples.data());
    for (size_t i = samples.size(); i < out.size(); ++i) {
        EXPECT_EQ(out[i], kUntouched) << "byte " << i << " written past the row";
    }
    out.resize(samples.size());
    return out;
}

using Pixels = std::vector<uint8_t>;

TEST(ConvertSamples, WorkedValuesOf10And12BitSamples) {
    EXPECT_EQ(ConvertRow<uint16_t>({1023, 1020, 1019, 4, 0}, 10), (Pixels{255, 255, 254, 1, 0}));
    EXPECT_EQ(ConvertRow<uint16_t>({300, 255, 1}, 8), (Pixels{255, 255, 1}));
    EXPECT_EQ(ConvertRow<uint16_t>({100, 128, 127}, 7), (Pixels{200, 255, 254}));
    EXPECT_EQ(ConvertRow<uint16_t>({4095, 4080, 4079, 15, 16}, 12), (Pixels{255, 255, 254, 0, 1}));
    EXPECT_EQ(ConvertRow<uint16_t>({511, 512, 2, 1}, 9), (Pixels{255, 255, 1, 0}));
}

TEST(ConvertSamples, GainDepthsClampInsteadOfWrapping) {
    // Truncating to a byte instead of clamping would turn 256 into 0; a shift in 16 bits
    // would turn 0x8000 << 7 into 0.
    EXPECT_EQ(ConvertRow<uint16_t>({256, 65535, 0}, 8), (Pixels{255, 255, 0}));
    EXPECT_EQ(ConvertRow<uint16_t>({0x8000, 0x0200, 1, 0}, 1), (Pixels{255, 255, 128, 0}));
    EXPECT_EQ(ConvertRow<uint32_t>({0x80000000u, 0x01000000u, 1}, 1), (Pixels{255, 255, 128}));
}

TEST(ConvertSamples, EightBitSamples) {
    EXPECT_EQ(ConvertRow<uint8_t>({0, 1, 37, 128, 255}, 8), (Pixels{0, 1, 37, 128, 255}));
    EXPECT_EQ(ConvertRow<uint8_t>({100, 128, 127, 0}, 7), (Pixels{200, 255, 254, 0}));
    EXPECT_EQ(ConvertRow<uint8_t>({7, 8, 1}, 3), (Pixels{224, 255, 32}));
    // Above depth 8 bytes darken like deeper samples (8-bit movies never ask for it).
    EXPECT_EQ(ConvertRow<uint8_t>({200, 255, 3}, 10), (Pixels{50, 63, 0}));
    EXPECT_EQ(ConvertRow<uint8_t>({255, 128}, 15), (Pixels{1, 1}));
    EXPECT_EQ(ConvertRow<uint8_t>({255, 128}, 16), (Pixels{0, 0}));
}

TEST(ConvertSamples, FourByteSamples) {
    EXPECT_EQ(ConvertRow<uint32_t>({0x12345u, 0xFFFFFu, 0xFFFu}, 20), (Pixels{0x12, 255, 0}));
    EXPECT_EQ(ConvertRow<uint32_t>({0xFFFFFFFFu, 0x7FFFFFFFu, 0x00FFFFFFu}, 32), (Pixels{255, 127, 0}));
    EXPECT_EQ(ConvertRow<uint32_t>({0xFFFFFFFFu, 300}, 8), (Pixels{255, 255}));
}

TEST(ConvertSamples, DepthsOutsideTheUsualRangeStayDefined) {
    // Every bit shifted out: 0, never a shift by the type's width or more.
    EXPECT_EQ(ConvertRow<uint16_t>({65535, 1}, 24), (Pixels{0, 0}));
    EXPECT_EQ(ConvertRow<uint16_t>({65535, 32768}, 23), (Pixels{1, 1}));
    EXPECT_EQ(ConvertRow<uint32_t>({0xFFFFFFFFu}, 40), (Pixels{0}));
    EXPECT_EQ(ConvertRow<uint32_t>({0xFFFFFFFFu}, INT_MAX), (Pixels{0}));
    // Depth 0 and below: any nonzero sample saturates.
    for (const int depth : {0, -1, -100, INT_MIN}) {
        EXPECT_EQ(ConvertRow<uint16_t>({0, 1, 65535}, depth), (Pixels{0, 255, 255})) << "depth " << depth;
        EXPECT_EQ(ConvertRow<uint8_t>({0, 1}, depth), (Pixels{0, 255})) << "depth " << depth;
        EXPECT_EQ(ConvertRow<uint32_t>({0, 1}, depth), (Pixels{0, 255})) << "depth " << depth;
    }
}

// Long rows of random samples go through the vector loops and their tails; each value is
// checked against the rule worked out in 64-bit arithmetic.
template <typename Sample>
void CheckLongRows(unsigned seed) {
    std::mt19937 random(seed);
    for (const int count : {1, 7, 31, 33, 64, 1000}) {
        std::vector<Sample> samples(count);
        for (auto& v : samples) {
            v = static_cast<Sample>(random() >> (random() % 32));
        }
        for (int depth = -2; depth <= 34; ++depth) {
            const Pixels out = ConvertRow(samples, depth);
            for (int i = 0; i < count; ++i) {
                const uint64_t v = samples[i];
                const uint64_t scaled = depth <= 8 ? v << (8 - depth) : v >> (depth - 8);
                ASSERT_EQ(out[i], std::min<uint64_t>(scaled, 255))
                    << "bytes " << sizeof(Sample) << " depth " << depth << " value " << v;
            }
        }
    }
}

TEST(ConvertSamples, LongRowsMatchTheRuleAtEveryDepth) {
    CheckLongRows<uint8_t>(1);
    CheckLongRows<uint16_t>(2);
    CheckLongRows<uint32_t>(3);
}

TEST(ConvertSamples, BottomUpRowsPaddedWithZeros) {
    const std::vector<uint16_t> samples = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};  // two rows of five
    std::vector<uint8_t> out(20, kUntouched);
    ConvertSamplesTo8Bit(2, out.data(), 2, 8, 5, samples.data());
    EXPECT_EQ(out, (Pixels{6, 7, 8, 9, 10, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0, kUntouched, kUntouched, kUntouched,
                           kUntouched}));
}

TEST(ConvertSamples, TopDownWithoutPadding) {
    const std::vector<uint16_t> samples = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::vector<uint8_t> out(12, kUntouched);
    ConvertSamplesTo8Bit(-2, out.data(), 2, 8, -5, samples.data());
    EXPECT_EQ(out, (Pixels{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, kUntouched, kUntouched}));
}

TEST(ConvertSamples, RowOrderAndPaddingAreIndependent) {
    const std::vector<uint8_t> samples = {1, 2, 3, 4, 5, 6};  // two rows of three
    std::vector<uint8_t> out(8, kUntouched);
    ConvertSamplesTo8Bit(2, out.data(), 1, 8, -3, samples.data());  // bottom-up, unpadded
    EXPECT_EQ(out, (Pixels{4, 5, 6, 1, 2, 3, kUntouched, kUntouched}));
    std::fill(out.begin(), out.end(), kUntouched);
    ConvertSamplesTo8Bit(-2, out.data(), 1, 8, 3, samples.data());  // top-down, padded
    EXPECT_EQ(out, (Pixels{1, 2, 3, 0, 4, 5, 6, 0}));
}

// The screen pixels are the 8-bit values widened (0xFF000000 | g x 0x010101), padding
// opaque black, in either row order, at every depth and sample size; rows longer than the
// conversion's pieces are whole.
template <typename Sample>
void CheckScreenPixels(unsigned seed) {
    std::mt19937 random(seed);
    for (const int width : {1, 6, 33, 2049, 4100}) {
        constexpr int kRows = 2;
        std::vector<Sample> samples(static_cast<size_t>(width) * kRows);
        for (auto& v : samples) v = static_cast<Sample>(random() >> (random() % 32));
        const int columns = (width + 3) / 4 * 4;
        for (int depth = -1; depth <= 33; ++depth) {
            for (const int rows : {kRows, -kRows}) {
                std::vector<uint8_t> grey(static_cast<size_t>(columns) * kRows);
                ConvertSamplesTo8Bit(rows, grey.data(), sizeof(Sample), depth, width, samples.data());
                std::vector<uint32_t> expected(grey.size() + 1, 0xCCCCCCCCu), actual(expected);
                for (int x = 0; x < columns * kRows; ++x)
                    expected[x] = 0xFF000000u | grey[x] * 0x010101u;  // grey pads with 0: opaque black
                ConvertSamplesToXrgb(rows, reinterpret_cast<uint8_t*>(actual.data()), sizeof(Sample), depth, width,
                                     samples.data());
                ASSERT_EQ(actual, expected) << "bytes " << sizeof(Sample) << " width " << width << " depth " << depth
                                            << " rows " << rows;
            }
        }
    }
}

TEST(ConvertSamples, ScreenPixelsAreTheGreyValuesWidened) {
    CheckScreenPixels<uint8_t>(4);
    CheckScreenPixels<uint16_t>(5);
    CheckScreenPixels<uint32_t>(6);
}

TEST(ConvertSamples, NothingToConvertWritesNothing) {
    const std::vector<uint16_t> samples(16, 1000);
    std::vector<uint8_t> out(32, kUntouched);
    ConvertSamplesTo8Bit(0, out.data(), 2, 10, 4, samples.data());
    ConvertSamplesTo8Bit(2, out.data(), 2, 10, 0, samples.data());
    ConvertSamplesTo8Bit(2, out.data(), 3, 10, 4, samples.data());  // no 3-byte samples
    ConvertSamplesTo8Bit(2, out.data(), 0, 10, 4, samples.data());
    ConvertSamplesTo8Bit(2, out.data(), 2, 10, 4, nullptr);
    ConvertSamplesTo8Bit(2, nullptr, 2, 10, 4, samples.data());
    ConvertSamplesToXrgb(2, out.data(), 3, 10, 4, samples.data());
    ConvertSamplesToXrgb(0, out.data(), 2, 10, 4, samples.data());
    EXPECT_EQ(out, std::vector<uint8_t>(32, kUntouched));
}

}  // namespace
}  // namespace zel
