// Worked examples of each stored layout: fixed bytes with known samples and known
// positions, run through every decoder variant.

#include <numeric>

#include "test_decode_support.h"

namespace zel::test {
namespace {

TEST(Expand8To10, SegmentEndsAndSlopes) {
    uint16_t table[256];
    BuildExpandTable(table);
    const std::pair<int, uint16_t> expected[] = {{0, 0},     {127, 127}, {128, 128}, {129, 130},
                                                 {191, 255}, {192, 256}, {223, 511}, {224, 512},
                                                 {255, 1023}};
    for (const auto& [code, value] : expected) {
        EXPECT_EQ(table[code], value) << "code " << code;
    }
    for (int c = 1; c < 256; ++c) {
        EXPECT_LT(table[c - 1], table[c]) << "code " << c;
    }
}

TEST(Expand8To10, SharedTableMatchesBuiltOne) {
    uint16_t table[256];
    BuildExpandTable(table);
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(detail::Expand8To10()[c], table[c]);
    }
}

class DecodeExamples : public ::testing::TestWithParam<Decoder> {
protected:
    std::vector<uint16_t> Run(const std::vector<uint8_t>& packed, int width, int rows, int format) {
        return Decode(GetParam(), packed, width, rows, format);
    }
};

// Every code through the companding layout, which uses each variant's own kernel.
TEST_P(DecodeExamples, CompandedRasterExpandsEveryCode) {
    std::vector<uint8_t> codes(256);
    std::iota(codes.begin(), codes.end(), 0);
    const auto out = Run(codes, 16, 16, 5);
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(out[c], detail::Expand8To10()[c]) << "code " << c;
    }
}

TEST_P(DecodeExamples, Bits10RasterGroups) {
    EXPECT_EQ(Run({0xFF, 0xC0, 0x00, 0x00, 0x00}, 4, 1, 6), (std::vector<uint16_t>{1023, 0, 0, 0}));
    EXPECT_EQ(Run({0x00, 0x3F, 0xF0, 0x00, 0x00}, 4, 1, 6), (std::vector<uint16_t>{0, 1023, 0, 0}));
    EXPECT_EQ(Run({0x00, 0x00, 0x0F, 0xFC, 0x00}, 2, 2, 6), (std::vector<uint16_t>{0, 0, 1023, 0}));
    EXPECT_EQ(Run({0x00, 0x00, 0x00, 0x03, 0xFF}, 4, 1, 6), (std::vector<uint16_t>{0, 0, 0, 1023}));
}

TEST_P(DecodeExamples, Lane10RasterBlock) {
    std::vector<uint8_t> block(40, 0);
    block[0] = 0xFF;
    block[8] = 0xC0;
    auto out = Run(block, 32, 1, 0);
    EXPECT_EQ(out[0], 1023);
    for (int k = 1; k < 32; ++k) {
        EXPECT_EQ(out[k], 0) << "sample " << k;
    }

    block.assign(40, 0);
    block[8] = 0x3F;
    out = Run(block, 8, 4, 0);
    for (int k = 0; k < 32; ++k) {
        EXPECT_EQ(out[k], k == 8 ? 1008 : 0) << "sample " << k;
    }

    // Last lane, last plane: bits 1-0 of byte 31 and all of byte 39.
    block.assign(40, 0);
    block[31] = 0x02;
    block[39] = 0x01;
    out = Run(block, 32, 1, 0);
    EXPECT_EQ(out[31], 513);
}

// Stored sample k carries the value k, so a position's value names its sample.
std::vector<uint8_t> NumberedStream(int format, size_t samples) {
    std::vector<uint32_t> values(samples);
    std::iota(values.begin(), values.end(), 0u);
    return PackStored(format, values);
}

// Positions from literal bytes: one stored sample set to 1023, all others 0.
struct LoneSample {
    int sample;
    size_t byte0;
    uint8_t value0;
    size_t byte1;
    uint8_t value1;
    int x, y;
};

void ExpectLoneSample(const std::vector<uint16_t>& out, int width, const LoneSample& e) {
    for (size_t i = 0; i < out.size(); ++i) {
        const bool here = i == static_cast<size_t>(e.y) * static_cast<size_t>(width) + static_cast<size_t>(e.x);
        ASSERT_EQ(out[i], here ? 1023 : 0) << "sample " << e.sample << " at index " << i;
    }
}

TEST_P(DecodeExamples, Bits10TilesPositionsFromLiteralBytes) {
    // Sample k occupies bits 10k to 10k + 9: byte 10k / 8 from bit 10k mod 8.
    const LoneSample expected[] = {
        {0, 0, 0xFF, 1, 0xC0, 8, 16},      {1, 1, 0x3F, 2, 0xF0, 9, 16},      {2, 2, 0x0F, 3, 0xFC, 8, 17},
        {16, 20, 0xFF, 21, 0xC0, 8, 15},   {32, 40, 0xFF, 41, 0xC0, 7, 16},   {33, 41, 0x3F, 42, 0xF0, 6, 16},
        {48, 60, 0xFF, 61, 0xC0, 7, 15},   {64, 80, 0xFF, 81, 0xC0, 8, 24},   {128, 160, 0xFF, 161, 0xC0, 10, 16},
    };
    for (const auto& e : expected) {
        std::vector<uint8_t> bytes(640, 0);
        bytes[e.byte0] = e.value0;
        bytes[e.byte1] = e.value1;
        ExpectLoneSample(Run(bytes, 16, 32, 3), 16, e);
    }
}

TEST_P(DecodeExamples, Lane10QuadrantPositionsFromLiteralBytes) {
    // Sample 8 * plane + lane of block b: plane 0 is byte 40b + lane and the top two
    // bits of byte 40b + 8 + lane; plane 2 the low four bits of byte 40b + 16 + lane
    // and the top six of byte 40b + 24 + lane.
    const LoneSample expected[] = {
        {0, 0, 0xFF, 8, 0xC0, 14, 12},      {1, 1, 0xFF, 9, 0xC0, 14, 8},       {2, 2, 0xFF, 10, 0xC0, 14, 4},
        {3, 3, 0xFF, 11, 0xC0, 14, 0},      {4, 4, 0xFF, 12, 0xC0, 12, 12},     {16, 16, 0x0F, 24, 0xFC, 15, 12},
        {32, 40, 0xFF, 48, 0xC0, 14, 13},   {128, 160, 0xFF, 168, 0xC0, 16, 12}, {256, 320, 0xFF, 328, 0xC0, 14, 16},
        {512, 640, 0xFF, 648, 0xC0, 6, 12},
    };
    for (const auto& e : expected) {
        std::vector<uint8_t> bytes(1280, 0);
        bytes[e.byte0] = e.value0;
        bytes[e.byte1] = e.value1;
        ExpectLoneSample(Run(bytes, 32, 32, 1), 32, e);
    }
}

TEST_P(DecodeExamples, Bits12TilesValuesAndPositions) {
    // AB CD EF -> 0xABC, 0xDEF: the second sample starts mid-byte.
    std::vector<uint8_t> bytes(96, 0);
    bytes[0] = 0xAB;
    bytes[1] = 0xCD;
    bytes[2] = 0xEF;
    bytes[93] = 0xFF;  // stored samples 62, 63: 0xFFF and 0x000
    bytes[94] = 0xF0;
    const auto out = Run(bytes, 4, 16, 4);
    EXPECT_EQ(At(out, 4, 2, 8), 0xABC);  // lower-right tile starts at the centre
    EXPECT_EQ(At(out, 4, 3, 8), 0xDEF);
    EXPECT_EQ(At(out, 4, 1, 0), 0xFFF);  // upper-left tile ends in the corner, nearer column first
    EXPECT_EQ(At(out, 4, 0, 0), 0x000);

    const auto full = Run(NumberedStream(4, 64 * 64), 64, 64, 4);
    EXPECT_EQ(At(full, 64, 32, 32), 0);
    EXPECT_EQ(At(full, 64, 0, 0), 4095);  // the last sample, the largest 12-bit value
}

TEST_P(DecodeExamples, Companded8TilesExpandCodes) {
    std::vector<uint8_t> codes(64, 0);
    codes[0] = 255;
    codes[1] = 129;
    codes[16] = 192;
    const auto out = Run(codes, 4, 16, 2);
    EXPECT_EQ(At(out, 4, 2, 8), 1023);
    EXPECT_EQ(At(out, 4, 3, 8), 130);
    EXPECT_EQ(At(out, 4, 2, 7), 256);
}

TEST_P(DecodeExamples, UndecodedFormatsLeaveBufferUnchanged) {
    const std::vector<uint8_t> bytes(4096, 0x5A);
    for (const int format : {-1, 7, 8, -2, 1000}) {
        const auto out = Run(bytes, 32, 32, format);
        EXPECT_EQ(out, std::vector<uint16_t>(32 * 32, 0xEEEE)) << "format " << format;
    }
}

INSTANTIATE_TEST_SUITE_P(AllVariants, DecodeExamples, ::testing::ValuesIn(AllDecoders()),
                         [](const auto& p) { return DecoderName(p.param); });

TEST(DecodeFrame, PublicEntryMatchesExample) {
    std::vector<uint16_t> out(4, 7);
    const uint8_t bytes[] = {0xFF, 0xC0, 0x00, 0x00, 0x00};
    DecodeFrame(bytes, sizeof bytes, 4, 1, out.data(), 6);
    EXPECT_EQ(out, (std::vector<uint16_t>{1023, 0, 0, 0}));
}

}  // namespace
}  // namespace zel::test
