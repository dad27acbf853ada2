// The AOI histogram: a per-pixel count over random rectangles of random frames (every
// colour phase, 1- and 2-byte samples, values outside the range), refused arguments,
// the document's clamping, and the count axis of the graph.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "DocumentFixture.h"
#include "document/Histogram.h"
#include "document/HistogramScale.h"
#include "document/Measurements.h"
#include "document/ZelfDoc.h"

namespace {

using zel::AoiHistogram;
using zel::ChannelHistogram;
using zel::SampleRect;

// Samples stored after one spare byte, so that 2-byte samples start at an odd address.
struct Frame {
    std::vector<uint8_t> bytes;
    std::vector<int> values;
    int bytesPerSample, width, height;
    Frame(std::vector<int> v, int size, int w, int h)
        : bytes(v.size() * size + 1), values(std::move(v)), bytesPerSample(size), width(w), height(h) {
        for (size_t i = 0; i < values.size(); ++i) {
            const auto s = static_cast<int16_t>(values[i]);
            std::memcpy(&bytes[1 + i * size], &s, size);  // little-endian host: low byte first
        }
    }
    zel::FrameSamples Samples() const { return {bytes.data() + 1, bytesPerSample, width, height}; }
};

// The channel of pixel (x, y) by the colour rule: 0 red, 1 green, 2 blue.
int ChannelOf(int x, int y, int pattern) {
    const int code = (2 * (y % 2) + x % 2) ^ zel::MosaicPhase(pattern);
    return code == 1 ? 0 : code == 2 ? 2 : 1;
}

// Red, green, blue, all: one pixel at a time.
std::array<ChannelHistogram, 4> Reference(const SampleRect& r, const Frame& f, int pattern, int bitDepth) {
    std::array<ChannelHistogram, 4> c;
    const int full = (1 << bitDepth) - 1, shift = std::max(0, bitDepth - 8);
    for (int y = r.top; y <= r.bottom; ++y)
        for (int x = r.left; x <= r.right; ++x) {
            const int v = f.values[static_cast<size_t>(y) * f.width + x];
            const int s = f.bytesPerSample == 2 ? static_cast<int16_t>(v) : static_cast<uint8_t>(v);
            const auto add = [&](ChannelHistogram& h) {
                if (s < 0)
                    ++h.below;
                else if (s > full)
                    ++h.above;
                else
                    ++h.bins[static_cast<size_t>(s >> shift)];
            };
            add(c[3]);
            if (zel::IsColourMosaic(pattern)) add(c[static_cast<size_t>(ChannelOf(x, y, pattern))]);
        }
    if (!zel::IsColourMosaic(pattern)) c[0] = c[1] = c[2] = c[3];
    return c;
}

void ExpectChannel(const ChannelHistogram& got, const ChannelHistogram& want) {
    EXPECT_EQ(got.bins, want.bins);
    EXPECT_EQ(got.below, want.below);
    EXPECT_EQ(got.above, want.above);
}

TEST(AoiHistogram, BinsAreAPowerOfTwoWideAndAtMost256) {
    int shift = -1, count = -1;
    ASSERT_TRUE(zel::HistogramBins(12, shift, count));
    EXPECT_EQ(shift, 4);
    EXPECT_EQ(count, 256);
    ASSERT_TRUE(zel::HistogramBins(8, shift, count));
    EXPECT_EQ(shift, 0);
    EXPECT_EQ(count, 256);
    ASSERT_TRUE(zel::HistogramBins(6, shift, count));
    EXPECT_EQ(count, 64);
    ASSERT_TRUE(zel::HistogramBins(16, shift, count));
    EXPECT_EQ(shift, 8);
    EXPECT_FALSE(zel::HistogramBins(0, shift, count));
    EXPECT_FALSE(zel::HistogramBins(17, shift, count));
}

TEST(AoiHistogram, RandomRectanglesEqualAPerPixelCount) {
    std::mt19937 random(5);
    const int width = 77, height = 13;
    std::vector<int> values(static_cast<size_t>(width) * height);
    struct Layout {
        int bytes, bitDepth;
    };
    // 2-byte samples over the whole signed range (negative and above 12 bits), 8-bit
    // samples counted as a 6-bit range so that some lie above it.
    for (const Layout layout : {Layout{2, 12}, Layout{2, 10}, Layout{1, 8}, Layout{1, 6}}) {
        for (int& v : values) {
            const auto r = static_cast<unsigned>(random());
            if (layout.bytes == 1)
                v = static_cast<int>(r % 256);
            else
                v = r % 5 == 0 ? static_cast<int>(r % 65536) - 32768 : static_cast<int>(r % 4200);
        }
        const Frame frame(values, layout.bytes, width, height);
        for (int trial = 0; trial < 60; ++trial) {
            const int x0 = int(random() % width), x1 = int(random() % width);
            const int y0 = int(random() % height), y1 = int(random() % height);
            const SampleRect r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
            const int pattern = trial % 6;  // mono (0, 1) and the four mosaic phases
            SCOPED_TRACE(testing::Message() << layout.bytes << " bytes, " << layout.bitDepth << " bits, pattern "
                                            << pattern << ", (" << r.left << ", " << r.top << ")-(" << r.right
                                            << ", " << r.bottom << ")");
            AoiHistogram h;
            ASSERT_TRUE(zel::ComputeAoiHistogram(r, frame.Samples(), pattern, layout.bitDepth, h));
            const auto want = Reference(r, frame, pattern, layout.bitDepth);
            EXPECT_EQ(h.colour, pattern >= 2);
            ExpectChannel(h.red, want[0]);
            ExpectChannel(h.green, want[1]);
            ExpectChannel(h.blue, want[2]);
            ExpectChannel(h.all, want[3]);
            const uint64_t pixels = uint64_t(r.right - r.left + 1) * uint64_t(r.bottom - r.top + 1);
            EXPECT_EQ(h.all.Total(), pixels);
            if (h.colour) {
                EXPECT_EQ(h.red.Total() + h.green.Total() + h.blue.Total(), pixels);
            }
        }
    }
}

TEST(AoiHistogram, OutOfRangeValuesAreCountedApartFromTheEdgeBins) {
    // 12 bits: -1 and 4096 lie outside; 0 and 4095 are the edge bins' own values.
    const Frame frame({-1, 0, 4095, 4096, 32767, -32768}, 2, 6, 1);
    AoiHistogram h;
    ASSERT_TRUE(zel::ComputeAoiHistogram({0, 0, 5, 0}, frame.Samples(), 0, 12, h));
    EXPECT_EQ(h.binCount, 256);
    EXPECT_EQ(h.BinWidth(), 16);
    EXPECT_EQ(h.all.below, 2u);
    EXPECT_EQ(h.all.above, 2u);
    EXPECT_EQ(h.all.bins[0], 1u);
    EXPECT_EQ(h.all.bins[255], 1u);
    EXPECT_EQ(h.all.Peak(), 1u);
}

TEST(AoiHistogram, RefusedArgumentsGiveAnEmptyResultWithoutReading) {
    // Reading this address would crash: only arguments that are refused before any read
    // may reach it.
    const void* unreadable = reinterpret_cast<const void*>(uintptr_t{16});
    const zel::FrameSamples frame{unreadable, 2, 10, 5};
    AoiHistogram h;
    const auto refused = [&](const SampleRect& r, const zel::FrameSamples& f, int bitDepth) {
        h.binCount = 9;
        h.all.bins[3] = 7;
        h.red.above = 1;
        const bool ok = zel::ComputeAoiHistogram(r, f, 2, bitDepth, h);
        return !ok && h.binCount == 0 && h.all.Total() == 0 && h.red.Total() == 0;
    };
    EXPECT_TRUE(refused({0, 0, 10, 0}, frame, 12));   // right of the frame
    EXPECT_TRUE(refused({0, 0, 9, 5}, frame, 12));    // below it
    EXPECT_TRUE(refused({-1, 0, 3, 0}, frame, 12));
    EXPECT_TRUE(refused({0, -1, 3, 0}, frame, 12));
    EXPECT_TRUE(refused({4, 0, 3, 0}, frame, 12));    // inverted
    EXPECT_TRUE(refused({0, 3, 0, 2}, frame, 12));
    EXPECT_TRUE(refused({0, 0, 1, 1}, frame, 0));     // no such depth
    EXPECT_TRUE(refused({0, 0, 1, 1}, frame, 17));
    EXPECT_TRUE(refused({0, 0, 1, 1}, {nullptr, 2, 10, 5}, 12));
    EXPECT_TRUE(refused({0, 0, 1, 1}, {unreadable, 3, 10, 5}, 12));
    EXPECT_TRUE(refused({0, 0, 0, 0}, {unreadable, 2, 0, 5}, 12));
    EXPECT_TRUE(refused({0, 0, 0, 0}, {unreadable, 2, 1 << 30, 1 << 30}, 12));  // beyond memory
}

TEST(AoiHistogram, TheDocumentClampsTheCornersAsDrawn) {
    zeltest::TempFile movie;
    zeltest::WriteTestMovie(movie, 6, 16, 8, 2, [](int n, int x, int y) {
        return static_cast<uint16_t>((x * 37 + y * 101 + n * 500) % 4096);
    });
    zel::CZelfDoc doc;
    AoiHistogram h;
    EXPECT_FALSE(zel::DocumentHistogram(doc, {0, 0, 3, 3}, h));  // nothing open
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    ASSERT_TRUE(doc.ShowFrame(1));
    // Corners in any order, reaching outside: the whole frame.
    ASSERT_TRUE(zel::DocumentHistogram(doc, {40, 20, -5, -9}, h));
    AoiHistogram direct;
    ASSERT_TRUE(zel::ComputeAoiHistogram({0, 0, 15, 7}, {doc.samples(), doc.bytesPerSample(), 16, 8},
                                         doc.reader()->Parameters().colorPattern, doc.bitDepth(), direct));
    EXPECT_EQ(h.all.bins, direct.all.bins);
    EXPECT_EQ(h.all.Total(), 128u);
    EXPECT_EQ(h.bitDepth, doc.bitDepth());
    // Counts agree with the document's own figures.
    const zel::AoiSummary s = doc.Summary({0, 0, 15, 7});
    EXPECT_EQ(h.red.Total(), static_cast<uint64_t>(s.red.count));
    EXPECT_EQ(h.blue.Total(), static_cast<uint64_t>(s.blue.count));
}

TEST(CountAxis, LinearAndLogarithmicHeights) {
    const zel::CountAxis linear = zel::MakeCountAxis(1000, false);
    EXPECT_EQ(zel::CountFraction(linear, 0), 0.0);
    EXPECT_DOUBLE_EQ(zel::CountFraction(linear, 250), 0.25);
    EXPECT_EQ(zel::CountFraction(linear, 1000), 1.0);
    EXPECT_EQ(zel::CountFraction(linear, 5000), 1.0);  // held at the top
    const zel::CountAxis log = zel::MakeCountAxis(999, true);
    EXPECT_EQ(zel::CountFraction(log, 0), 0.0);
    EXPECT_DOUBLE_EQ(zel::CountFraction(log, 9), 1.0 / 3.0);  // log10(10) / log10(1000)
    EXPECT_GT(zel::CountFraction(log, 1), 0.0);
    EXPECT_EQ(zel::CountFraction(log, 999), 1.0);
    // Empty histograms still have an axis of height 1.
    const zel::CountAxis empty = zel::MakeCountAxis(0, true);
    EXPECT_EQ(empty.top, 1u);
    EXPECT_EQ(zel::CountFraction(empty, 0), 0.0);
}

TEST(CountAxis, DecadeMarksUpToTheTop) {
    EXPECT_EQ(zel::DecadeCount(zel::MakeCountAxis(1, true)), 1);
    EXPECT_EQ(zel::DecadeCount(zel::MakeCountAxis(99, true)), 2);
    EXPECT_EQ(zel::DecadeCount(zel::MakeCountAxis(100, true)), 3);
    EXPECT_EQ(zel::DecadeCount(zel::MakeCountAxis(UINT64_MAX, true)), 20);
    EXPECT_EQ(zel::Decade(3), 1000u);
    EXPECT_EQ(zel::DecadeLabel(0), "1");
    EXPECT_EQ(zel::DecadeLabel(5), "100000");
    EXPECT_EQ(zel::DecadeLabel(6), "1e6");
}

}  // namespace
