// Pixel packing of the movie writer, checked against the stored layouts' worked examples.

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "zelwriter/MovieWriter.h"

namespace {

using zelgen::EncodeFrame;
using zelgen::PixelPos;
using zelgen::StoredSamplePosition;

std::vector<uint16_t> Frame(int width, int height, std::initializer_list<std::pair<PixelPos, uint16_t>> set) {
    std::vector<uint16_t> samples(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    for (const auto& [pos, value] : set) samples[static_cast<size_t>(pos.y * width + pos.x)] = value;
    return samples;
}

// Sample k of an MSB-first stream of `bits`-bit values, read bit by bit.
uint32_t StreamSample(const std::vector<uint8_t>& bytes, uint64_t k, int bits) {
    uint32_t v = 0;
    for (int b = 0; b < bits; ++b) {
        const uint64_t pos = k * static_cast<uint64_t>(bits) + static_cast<uint64_t>(b);
        v = (v << 1) | ((bytes.at(pos / 8) >> (7 - pos % 8)) & 1u);
    }
    return v;
}

// Sample k of lane-packed blocks, by the table of high and low bits per plane.
uint32_t LaneSample(const std::vector<uint8_t>& bytes, uint64_t k) {
    const uint8_t* b = bytes.data() + 40 * (k / 32);
    const int plane = static_cast<int>(k % 32) / 8, j = static_cast<int>(k % 8);
    switch (plane) {
        case 0: return (b[j] << 2) | (b[8 + j] >> 6);
        case 1: return ((b[8 + j] & 0x3f) << 4) | (b[16 + j] >> 4);
        case 2: return ((b[16 + j] & 0x0f) << 6) | (b[24 + j] >> 2);
        default: return ((b[24 + j] & 0x03) << 8) | b[32 + j];
    }
}

TEST(WriterCompanding, CurveEndsAndInverse) {
    const std::pair<int, int> ends[] = {{127, 127}, {128, 128}, {129, 130}, {191, 255},
                                        {192, 256}, {223, 511}, {224, 512}, {255, 1023}};
    for (const auto& [code, value] : ends) EXPECT_EQ(zelgen::ExpandedValue(static_cast<uint8_t>(code)), value) << code;
    for (int c = 0; c < 256; ++c) {
        if (c > 0) {
            EXPECT_LT(zelgen::ExpandedValue(static_cast<uint8_t>(c - 1)), zelgen::ExpandedValue(static_cast<uint8_t>(c)));
        }
        EXPECT_EQ(zelgen::NearestCode(zelgen::ExpandedValue(static_cast<uint8_t>(c))), c);
    }
    EXPECT_EQ(zelgen::NearestCode(129), 128);   // between 128 and 130: tie goes down
    EXPECT_EQ(zelgen::NearestCode(1000), 254);  // 1006 is nearer than 990
    EXPECT_EQ(zelgen::NearestCode(4000), 255);
}

TEST(WriterEncode, RasterStreamsMatchWorkedBytes) {
    const uint16_t a[] = {1023, 0, 0, 0};
    EXPECT_EQ(EncodeFrame(a, 4, 1, 6), (std::vector<uint8_t>{0xFF, 0xC0, 0x00, 0x00, 0x00}));
    const uint16_t b[] = {0, 1023, 0, 0};
    EXPECT_EQ(EncodeFrame(b, 4, 1, 6), (std::vector<uint8_t>{0x00, 0x3F, 0xF0, 0x00, 0x00}));
    // Three bytes hold two 12-bit samples; the first tile starts at (W/2, H/2).
    const auto twelve = EncodeFrame(Frame(4, 16, {{{2, 8}, 0xABC}, {{3, 8}, 0x123}}).data(), 4, 16, 4);
    EXPECT_EQ(std::vector<uint8_t>(twelve.begin(), twelve.begin() + 4), (std::vector<uint8_t>{0xAB, 0xC1, 0x23, 0}));
    const uint16_t c[] = {2000, 300, 5000, 128};
    EXPECT_EQ(EncodeFrame(c, 4, 1, -1), (std::vector<uint8_t>{255, 255, 255, 128}));  // clamped to 8 bits
    EXPECT_EQ(EncodeFrame(c, 4, 1, 5), (std::vector<uint8_t>{255, 197, 255, 128}));  // nearest codes (300 -> 297)
    EXPECT_EQ(EncodeFrame(c, 4, 1, 6)[0], 0xFF);  // 2000 clamped to 1023
}

TEST(WriterEncode, LanePackingMatchesWorkedBlock) {
    auto bytes = EncodeFrame(Frame(32, 1, {{{0, 0}, 1023}}).data(), 32, 1, 0);
    ASSERT_EQ(bytes.size(), 40u);
    for (size_t i = 0; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], i == 0 ? 0xFF : (i == 8 ? 0xC0 : 0)) << i;
    bytes = EncodeFrame(Frame(32, 1, {{{8, 0}, 1008}}).data(), 32, 1, 0);
    for (size_t i = 0; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], i == 8 ? 0x3F : 0) << i;
}

TEST(WriterEncode, TilePositionsFollowWorkedExample) {
    // Format 3, W = 16, H = 32: stored sample -> pixel.
    const std::pair<uint64_t, PixelPos> cases[] = {{0, {8, 16}},  {1, {9, 16}},  {2, {8, 17}},   {16, {8, 15}},
                                                   {32, {7, 16}}, {33, {6, 16}}, {48, {7, 15}},  {64, {8, 24}},
                                                   {128, {10, 16}}};
    for (const auto& [k, pos] : cases) {
        EXPECT_EQ(StoredSamplePosition(3, 16, 32, k), pos) << k;
        const auto stored = EncodeFrame(Frame(16, 32, {{pos, 700}}).data(), 16, 32, 3);
        EXPECT_EQ(StreamSample(stored, k, 10), 700u) << k;
        const auto codes = EncodeFrame(Frame(16, 32, {{pos, 1023}}).data(), 16, 32, 2);
        EXPECT_EQ(codes.at(k), 255) << k;
        const auto wide = EncodeFrame(Frame(16, 32, {{pos, 4000}}).data(), 16, 32, 4);
        EXPECT_EQ(StreamSample(wide, k, 12), 4000u) << k;
    }
}

TEST(WriterEncode, QuadrantPositionsFollowWorkedExample) {
    // Format 1, W = 32, H = 32.
    const std::pair<uint64_t, PixelPos> cases[] = {{0, {14, 12}},  {1, {14, 8}},    {2, {14, 4}},   {3, {14, 0}},
                                                   {4, {12, 12}},  {16, {15, 12}},  {32, {14, 13}}, {128, {16, 12}},
                                                   {256, {14, 16}}, {512, {6, 12}}};
    for (const auto& [k, pos] : cases) {
        EXPECT_EQ(StoredSamplePosition(1, 32, 32, k), pos) << k;
        const auto stored = EncodeFrame(Frame(32, 32, {{pos, 555}}).data(), 32, 32, 1);
        EXPECT_EQ(LaneSample(stored, k), 555u) << k;
    }
}

TEST(WriterEncode, CompleteDimensionsVisitEveryPixelOnce) {
    const std::pair<int, int> sizes[] = {{64, 32}, {128, 64}, {32, 32}};
    for (int format : {-1, 0, 1, 2, 3, 4, 5, 6}) {
        for (const auto& [w, h] : sizes) {
            const uint64_t n = zelgen::StoredSampleCount(format, w, h);
            ASSERT_EQ(n, static_cast<uint64_t>(w * h)) << format;
            std::set<std::pair<int, int>> seen;
            for (uint64_t k = 0; k < n; ++k) {
                const auto pos = StoredSamplePosition(format, w, h, k);
                ASSERT_TRUE(pos) << format << " " << k;
                seen.insert({pos->x, pos->y});
            }
            EXPECT_EQ(seen.size(), n) << "format " << format << " " << w << "x" << h;
        }
    }
}

TEST(WriterEncode, IncompleteDimensionsStayInsideTheFrame) {
    const std::pair<int, int> sizes[] = {{30, 20}, {6, 17}, {1, 1}, {513, 1}, {5, 3}};
    for (int format : {-1, 0, 1, 2, 3, 4, 5, 6}) {
        for (const auto& [w, h] : sizes) {
            const std::vector<uint16_t> samples(static_cast<size_t>(w * h), 1023);
            EXPECT_EQ(EncodeFrame(samples.data(), w, h, format).size(),
                      static_cast<size_t>(w) * static_cast<size_t>(h) * static_cast<size_t>(zelgen::BitsOfFormat(format)) / 8);
            for (uint64_t k = 0; k < zelgen::StoredSampleCount(format, w, h); ++k) {
                const auto pos = StoredSamplePosition(format, w, h, k);
                if (pos) {
                    EXPECT_TRUE(pos->x >= 0 && pos->x < w && pos->y >= 0 && pos->y < h);
                }
            }
        }
    }
    const uint16_t five[] = {1023, 1023, 1023, 1023, 1023};  // 50 bits cut to 6 bytes
    EXPECT_EQ(EncodeFrame(five, 5, 1, 6), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(EncodeFrame(five, 5, 1, 7).empty());
    EXPECT_TRUE(EncodeFrame(five, 0, 1, 6).empty());
}

}  // namespace
