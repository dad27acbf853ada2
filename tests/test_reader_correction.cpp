// Correction tables (kinds 3, 6, 9), their window, and the correction arithmetic.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "MovieBytes.h"
#include "TempFile.h"
#include "reader/CorrectionPass.h"
#include "reader/MovieReader.h"

using namespace zeltest;

namespace {

constexpr int W = 8, H = 4;
constexpr int32_t kStride = W * H * 10 / 8;  // format 6: "hz8 " mode 1, 10 stored bits

struct Fixture {
    MovieBytes m = NewerMovie("hz8 ", 0x10, 10, W, H, 1);
    size_t fpnp = 0;
    zel::CMovieReader reader;

    int Open(int correction = 1) {
        const TempFile file(m.bytes());
        return reader.Open(file.path(), correction);
    }
};

}  // namespace

TEST(ReaderCorrection, Kind3WidensSignedBytes) {
    Fixture f;
    f.fpnp = AddFpnp(f.m, 1, kStride, 3, W, H, 0, 0, W * H);
    f.m.U8(f.fpnp + 128, 0x80);
    f.m.U8(f.fpnp + 129, 0x7f);
    f.m.U8(f.fpnp + 130, 0xff);
    ASSERT_EQ(f.Open(), 1) << f.reader.OpenError();
    EXPECT_EQ(f.reader.Parameters().correctionKind, 3);
    EXPECT_EQ(f.reader.Parameters().correctionProduct, 2 * 3 * W * H);
    ASSERT_NE(f.reader.OffsetTable(), nullptr);
    EXPECT_EQ(f.reader.GainTable(), nullptr);
    EXPECT_EQ(f.reader.OffsetTable()[0], -128);
    EXPECT_EQ(f.reader.OffsetTable()[1], 127);
    EXPECT_EQ(f.reader.OffsetTable()[2], -1);
    EXPECT_EQ(f.reader.CorrectionEntries(), W * H);
}

TEST(ReaderCorrection, Kind9PairsByDepthAndByteOrder) {
    struct Case {
        bool big;
        bool twelveBit;
        int16_t offset;
    };
    for (const Case c : {Case{false, false, -1}, Case{true, false, -1}, Case{false, true, -4}}) {
        const int h = c.twelveBit ? 16 : H;
        const int bits = c.twelveBit ? 12 : 10;
        const int32_t stride = W * h * bits / 8;
        MovieBytes m = c.twelveBit ? NewerMovie("hzab", 0, 12, W, h, 1, c.big) : NewerMovie("hz8 ", 0x10, 10, W, h, 1, c.big);
        const size_t fpnp = AddFpnp(m, 1, stride, 9, W, h, 0, 0, 4 * W * h);
        m.U16(fpnp + 128, 0x8200);
        m.U16(fpnp + 130, 0xfffc);
        m.U16(fpnp + 132, 0x0100);
        m.U16(fpnp + 134, 0x0010);
        const TempFile file(m.bytes());
        zel::CMovieReader reader;
        ASSERT_EQ(reader.Open(file.path(), 1), 1) << reader.OpenError();
        EXPECT_EQ(reader.Parameters().bitDepth, bits);
        ASSERT_NE(reader.GainTable(), nullptr);
        EXPECT_EQ(reader.GainTable()[0], 512);
        EXPECT_EQ(reader.OffsetTable()[0], c.offset);
        EXPECT_EQ(reader.GainTable()[1], 256);
        EXPECT_EQ(reader.OffsetTable()[1], c.twelveBit ? 16 : 4);
    }
}

TEST(ReaderCorrection, Kind6ElevenBitValuesWithEqualReferences) {
    // Equal references (D = 0) would divide by zero: the offsets stay T0 as stored.
    Fixture f;
    const size_t m = W * H;
    f.fpnp = AddFpnp(f.m, 1, kStride, 6, W, H, 5, 5, 4 * m + 6 * m);
    for (int k = 1; k <= 3; ++k) f.m.U32(f.fpnp + 112 + 4 * k, static_cast<uint32_t>(128 + 4 * m + 2 * m * (k - 1)));
    f.m.U16(f.fpnp + 128, 0x0400);
    f.m.U16(f.fpnp + 130, 0x03ff);
    f.m.U16(f.fpnp + 132, 0x07ff);
    f.m.U16(f.fpnp + 134, 0x0405);  // bit 10 is the sign
    f.m.U16(f.fpnp + 128 + 2 * m, 0x0200);
    f.m.U16(f.fpnp + 130 + 2 * m, 0x8001);  // gains are not masked
    ASSERT_EQ(f.Open(), 1) << f.reader.OpenError();
    EXPECT_EQ(f.reader.Parameters().correctionKind, 6);
    EXPECT_EQ(f.reader.Parameters().correctionLow, 5);
    EXPECT_EQ(f.reader.Parameters().correctionHigh, 5);
    EXPECT_EQ(f.reader.OffsetTable()[0], -1024);
    EXPECT_EQ(f.reader.OffsetTable()[1], 1023);
    EXPECT_EQ(f.reader.OffsetTable()[2], -1);
    EXPECT_EQ(f.reader.OffsetTable()[3], -1019);
    EXPECT_EQ(f.reader.GainTable()[0], 512);
    EXPECT_EQ(f.reader.GainTable()[1], static_cast<int16_t>(0x8001));
}

TEST(ReaderCorrection, Kind6Interpolation) {
    // T0 = 10, T1 = 20, T2 = 30, T3 = 40 everywhere; L = 0, H = 8 (D = 8).
    struct Case {
        int16_t point;
        int16_t expected;
    };
    // P = L: T0 + T2; P = H: T3; P = 4: ((10*4 + 20*4)*4 + (30*4 + 40*4)*8 + 32) / 64 = (480 + 2240 + 32) / 64 = 43.
    for (const Case c : {Case{0, 40}, Case{8, 40}, Case{4, 43}}) {
        Fixture f;
        const size_t m = W * H;
        f.fpnp = AddFpnp(f.m, 1, kStride, 6, W, H, 0, 8, 4 * m + 6 * m);
        f.m.U16(kPlayNew + 164, static_cast<uint16_t>(c.point));
        for (int k = 1; k <= 3; ++k) f.m.U32(f.fpnp + 112 + 4 * k, static_cast<uint32_t>(128 + 4 * m + 2 * m * (k - 1)));
        for (size_t i = 0; i < m; ++i) {
            f.m.U16(f.fpnp + 128 + 2 * i, 10);
            for (int k = 1; k <= 3; ++k) f.m.U16(f.fpnp + 128 + 4 * m + 2 * m * (k - 1) + 2 * i, static_cast<uint16_t>(10 + 10 * k));
        }
        ASSERT_EQ(f.Open(), 1) << f.reader.OpenError();
        EXPECT_EQ(f.reader.Parameters().correctionPoint, c.point);
        EXPECT_EQ(f.reader.OffsetTable()[0], c.expected) << "P = " << c.point;
        EXPECT_EQ(f.reader.OffsetTable()[m - 1], c.expected) << "P = " << c.point;
    }
}

TEST(ReaderCorrection, WhenNoCorrectionIsLoaded) {
    // Not asked for; no chunk; an 8-bit movie; an unknown kind.
    Fixture asked;
    AddFpnp(asked.m, 1, kStride, 3, W, H, 0, 0, W * H);
    ASSERT_EQ(asked.Open(0), 1);
    EXPECT_EQ(asked.reader.Parameters().correctionKind, 0);
    EXPECT_EQ(asked.reader.Parameters().fileCorrectionKind, 3);
    EXPECT_EQ(asked.reader.OffsetTable(), nullptr);

    Fixture none;
    ASSERT_EQ(none.Open(), 1);
    EXPECT_EQ(none.reader.Parameters().correctionKind, 0);
    EXPECT_EQ(none.reader.Parameters().fileCorrectionKind, 0);
    EXPECT_EQ(none.reader.Parameters().correctionWidth, 0);

    MovieBytes plain = NewerMovie("abcd", 0, 8, W, H, 1);
    AddFpnp(plain, 1, W * H, 3, W, H, 0, 0, W * H);
    const TempFile file(plain.bytes());
    zel::CMovieReader reader;
    ASSERT_EQ(reader.Open(file.path(), 1), 1);
    EXPECT_EQ(reader.Parameters().pixelFormat, -1);
    EXPECT_EQ(reader.Parameters().correctionKind, 0);
    EXPECT_EQ(reader.OffsetTable(), nullptr);

    Fixture kind5;
    kind5.fpnp = AddFpnp(kind5.m, 1, kStride, 5, W, H, 0, 0, 0);
    kind5.m.U8(kStride / 2 + kFramNew, 0x55);
    ASSERT_EQ(kind5.Open(), 1);
    EXPECT_EQ(kind5.reader.Parameters().correctionKind, 5);
    std::vector<uint16_t> frame(W * H, 7);
    ASSERT_EQ(kind5.reader.ReadFrame(frame.data(), 0, W * H * 2), W * H * 2);
    std::vector<uint16_t> uncorrected(W * H, 9);
    zel::CMovieReader again;
    const TempFile same(kind5.m.bytes());
    ASSERT_EQ(again.Open(same.path(), 0), 1);
    ASSERT_EQ(again.ReadFrame(uncorrected.data(), 0, W * H * 2), W * H * 2);
    EXPECT_EQ(frame, uncorrected);
}

TEST(ReaderCorrection, UnusableTablesOpenWithoutCorrection) {
    Fixture small;
    AddFpnp(small.m, 1, kStride, 3, W - 1, H, 0, 0, W * H);
    ASSERT_EQ(small.Open(), 1);
    EXPECT_EQ(small.reader.Parameters().correctionKind, 0);
    EXPECT_NE(small.reader.CorrectionNote().find("smaller than the frame"), std::string::npos);

    Fixture pastEnd;
    pastEnd.fpnp = AddFpnp(pastEnd.m, 1, kStride, 9, W, H, 0, 0, 4 * W * H - 1);
    ASSERT_EQ(pastEnd.Open(), 1);
    EXPECT_EQ(pastEnd.reader.Parameters().correctionKind, 0);
    EXPECT_EQ(pastEnd.reader.OffsetTable(), nullptr);
    EXPECT_NE(pastEnd.reader.CorrectionNote().find("past the end"), std::string::npos);

    Fixture hugeOffset;
    hugeOffset.fpnp = AddFpnp(hugeOffset.m, 1, kStride, 3, W, H, 0, 0, W * H);
    hugeOffset.m.U32(hugeOffset.fpnp + 112, 0xfffffff0u);
    ASSERT_EQ(hugeOffset.Open(), 1);
    EXPECT_EQ(hugeOffset.reader.Parameters().correctionKind, 0);
    EXPECT_FALSE(hugeOffset.reader.CorrectionNote().empty());
}

TEST(ReaderCorrection, FrameUsesTheCentredWindowOfLargerTables) {
    // Kind 3 offsets equal to their table index; the frame's pixels are all 0, so the
    // corrected frame shows which entries it used.
    for (const int tableHeight : {8, 7}) {
        const int tw = 12;
        Fixture f;
        f.fpnp = AddFpnp(f.m, 1, kStride, 3, tw, tableHeight, 0, 0, static_cast<size_t>(tw * tableHeight));
        for (int i = 0; i < tw * tableHeight; ++i) f.m.U8(f.fpnp + 128 + static_cast<size_t>(i), static_cast<uint8_t>(i));
        ASSERT_EQ(f.Open(), 1) << f.reader.OpenError();
        std::vector<uint16_t> frame(W * H);
        ASSERT_EQ(f.reader.ReadFrame(frame.data(), 0, W * H * 2), W * H * 2);
        const int first = (tableHeight - H) * tw / 2 + (tw - W) / 2;  // 26, or 20 for the odd difference
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) EXPECT_EQ(frame[y * W + x], first + y * tw + x) << x << "," << y;
    }
}

TEST(ReaderCorrection, HugeDeclaredTablesCostOnlyTheFramesWindow) {
    // Kind 3 tables declared 20000 x 20000 in a sparse file: the reader keeps one entry
    // per pixel, read from the window, whatever the tables declare.
    constexpr int64_t side = 20000;
    Fixture f;
    f.fpnp = AddFpnp(f.m, 1, kStride, 3, side, side, 0, 0, 0);
    const TempFile file(f.m.bytes());
    const int64_t tables = static_cast<int64_t>(f.fpnp) + 128;
    std::filesystem::resize_file(file.path(), static_cast<uintmax_t>(tables + side * side));
    const int64_t first = (side - H) * side / 2 + (side - W) / 2;
    {
        std::fstream out(file.path(), std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(tables + first);
        out.put(5);  // pixel (0, 0)
        out.seekp(tables + first + (H - 1) * side + W - 1);
        out.put(static_cast<char>(-5));  // pixel (W - 1, H - 1)
    }
    ASSERT_EQ(f.reader.Open(file.path(), 1), 1) << f.reader.OpenError();
    EXPECT_EQ(f.reader.Parameters().correctionKind, 3);
    EXPECT_EQ(f.reader.Parameters().correctionWidth, side);  // reported as recorded
    ASSERT_EQ(f.reader.CorrectionEntries(), W * H);
    EXPECT_EQ(f.reader.OffsetTable()[0], 5);
    EXPECT_EQ(f.reader.OffsetTable()[W * H - 1], -5);
    EXPECT_EQ(std::count(f.reader.OffsetTable(), f.reader.OffsetTable() + W * H, 0), W * H - 2);
}

TEST(CorrectionPass, OffsetArithmetic) {
    struct Case {
        uint16_t v;
        int16_t o;
        int fullScale;
        uint16_t expected;
    };
    const Case cases[] = {
        {1000, 100, 1023, 1023}, {5, -10, 1023, 0}, {500, -10, 1023, 490},
        {3000, 10, 4095, 3010},   // 12-bit movies clamp at their own full scale
        {4095, 32767, 4095, 4095} // no 16-bit wrap to a negative value
    };
    for (const Case& c : cases) {
        uint16_t v = c.v;
        zel::OffsetCorrectRow(&v, &c.o, 1, 0, c.fullScale);
        EXPECT_EQ(v, c.expected) << c.v << " + " << c.o;
    }
}

TEST(CorrectionPass, GainArithmetic) {
    struct Case {
        uint16_t v;
        int16_t o, g;
        int fullScale, pedestal;
        uint16_t expected;
    };
    const Case cases[] = {
        {1022, -500, 0, 1023, 32, 1023},   // near full scale: kept at full scale
        {1023, -500, 0, 1023, 32, 1023},
        {1021, 0, 512, 1023, 32, 1023},    // 1053 clamped
        {100, -1, 512, 1023, 32, 131},     // 32 + (99 * 512 + 256) / 512
        {100, -4, 1024, 1023, 32, 224},
        {10, -100, 512, 1023, 32, 0},      // negative: floor
        {1000, 0, 32767, 1023, 32, 1023},  // large gain: full scale, not wrapped to black
        {4000, 0, 512, 4095, 128, 4095},
        {4094, -3000, 256, 4095, 128, 4095},
        {3000, 1, 512, 4095, 128, 3129},
    };
    for (const Case& c : cases) {
        uint16_t v = c.v;
        zel::GainCorrectRow(&v, &c.o, &c.g, 1, 0, c.fullScale, c.pedestal);
        EXPECT_EQ(v, c.expected) << c.v << " offset " << c.o << " gain " << c.g;
    }
}

TEST(ReaderCorrection, PartialBufferIsCorrectedOnlyWhereDelivered) {
    // Room for 7 rows of an 8-row frame: 4 rows are read and corrected, nothing beyond
    // them is touched (the buffer is exactly 7 rows, so ASan sees any overrun).
    const int h = 8;
    MovieBytes m = NewerMovie("hz8 ", 0x10, 10, W, h, 1);
    const size_t fpnp = AddFpnp(m, 1, W * h * 10 / 8, 3, W, h, 0, 0, W * h);
    for (int i = 0; i < W * h; ++i) m.U8(fpnp + 128 + static_cast<size_t>(i), 5);
    const TempFile file(m.bytes());
    zel::CMovieReader reader;
    ASSERT_EQ(reader.Open(file.path(), 1), 1) << reader.OpenError();
    std::vector<uint16_t> buffer(W * 7, 0xabc);
    ASSERT_EQ(reader.ReadFrame(buffer.data(), 0, W * 7 * 2), W * 4 * 2);
    for (int i = 0; i < W * 4; ++i) EXPECT_EQ(buffer[i], 5);
    for (int i = W * 4; i < W * 7; ++i) EXPECT_EQ(buffer[i], 0xabc);
}
