// Region statistics in one pass over the rows of the rectangle.
//
// Every pixel belongs to one of four sub-lattices by the parity of its row and column
// offset from the rectangle's top-left corner. A row is walked in blocks of kLanes
// samples held in small lane arrays: since blocks start at even offsets, even lanes
// always see even columns and odd lanes odd ones, so the lanes keep the sub-lattices
// apart without any per-pixel branch and the compiler turns the block loop into SIMD
// min/max/add. Sums are integers (exact), converted to double once at the end, which
// gives the same figures as summing the samples in double one by one.

#include "decode/AoiStatistics.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

namespace zel {
namespace {

constexpr int kLanes = 16;  // even, so lane parity is column parity
// Columns after which the 32-bit lane sums are folded into 64-bit totals: a lane then
// holds at most kChunk / kLanes = 4096 samples of magnitude <= 32768, far from 2^31.
constexpr int kChunk = 65536;
static_assert(kChunk % kLanes == 0);

constexpr int kMinStart = 32767;  // the minimum's start value; the maximum starts at 0

struct SubLattice {
    int64_t sum = 0;
    int64_t count = 0;
    int maximum = 0;
    int minimum = kMinStart;
};

// Sample is int16_t (2-byte samples, compared as signed) or uint8_t (8-bit movies).
// S[2 * rowParity + columnParity] receive the figures; counts are filled by the caller.
template <typename Sample>
void AccumulateRows(const unsigned char* samples, size_t rowBytes, const AoiRect& rect, SubLattice S[4]) {
    constexpr Sample laneMinStart =
        static_cast<Sample>(std::min<int>(kMinStart, std::numeric_limits<Sample>::max()));
    Sample minima[2][kLanes], maxima[2][kLanes];
    std::fill(&minima[0][0], &minima[0][0] + 2 * kLanes, laneMinStart);
    std::fill(&maxima[0][0], &maxima[0][0] + 2 * kLanes, Sample{0});
    int64_t sums[2][2] = {{0, 0}, {0, 0}};

    const int columns = rect.right - rect.left + 1;
    for (int y = rect.top; y <= rect.bottom; ++y) {
        const int rowParity = (y - rect.top) & 1;
        const unsigned char* row =
            samples + static_cast<size_t>(y) * rowBytes + static_cast<size_t>(rect.left) * sizeof(Sample);
        // Local copies let the compiler keep the lanes in registers across the row.
        Sample mn[kLanes], mx[kLanes];
        std::memcpy(mn, minima[rowParity], sizeof mn);
        std::memcpy(mx, maxima[rowParity], sizeof mx);

        int x = 0;
        const int blockEnd = columns - columns % kLanes;
        while (x < blockEnd) {
            const int chunkEnd = std::min(blockEnd, x + kChunk);
            int32_t laneSums[kLanes] = {};
            for (; x < chunkEnd; x += kLanes) {
                Sample v[kLanes];
                std::memcpy(v, row + static_cast<size_t>(x) * sizeof(Sample), sizeof v);  // any alignment
                for (int j = 0; j < kLanes; ++j) {
                    mn[j] = std::min(mn[j], v[j]);
                    mx[j] = std::max(mx[j], v[j]);
                    laneSums[j] += v[j];
                }
            }
            for (int j = 0; j < kLanes; ++j) sums[rowParity][j & 1] += laneSums[j];
        }
        for (; x < columns; ++x) {  // the last partial block
            Sample v;
            std::memcpy(&v, row + static_cast<size_t>(x) * sizeof(Sample), sizeof v);
            const int j = x % kLanes;
            mn[j] = std::min(mn[j], v);
            mx[j] = std::max(mx[j], v);
            sums[rowParity][x & 1] += v;
        }
        std::memcpy(minima[rowParity], mn, sizeof mn);
        std::memcpy(maxima[rowParity], mx, sizeof mx);
    }

    for (int rowParity = 0; rowParity < 2; ++rowParity) {
        for (int j = 0; j < kLanes; ++j) {
            SubLattice& s = S[2 * rowParity + (j & 1)];
            s.minimum = std::min<int>(s.minimum, minima[rowParity][j]);
            s.maximum = std::max<int>(s.maximum, maxima[rowParity][j]);
        }
        S[2 * rowParity].sum = sums[rowParity][0];
        S[2 * rowParity + 1].sum = sums[rowParity][1];
    }
}

// A channel made of the sub-lattices whose bit is set in `mask`. A channel without any
// pixel in the rectangle reports 0 throughout rather than the start values.
ChannelStatistics Combine(const SubLattice S[4], unsigned mask) {
    int64_t sum = 0, count = 0;
    int maximum = 0, minimum = kMinStart;
    for (int i = 0; i < 4; ++i) {
        if (!(mask & (1u << i)) || S[i].count == 0) continue;
        sum += S[i].sum;
        count += S[i].count;
        maximum = std::max(maximum, S[i].maximum);
        minimum = std::min(minimum, S[i].minimum);
    }
    ChannelStatistics channel;
    if (count == 0) return channel;
    channel.maximum = static_cast<int16_t>(maximum);
    channel.minimum = static_cast<int16_t>(minimum);
    channel.average = static_cast<double>(sum) / static_cast<double>(count);
    return channel;
}

bool Valid(const AoiRect& rect, const void* samples, int bytesPerSample, int width) {
    return samples != nullptr && (bytesPerSample == 1 || bytesPerSample == 2) && width > 0 && rect.left >= 0 &&
           rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom && rect.right < width;
}

}  // namespace

double ComputeAoiStatistics(const AoiRect& rect, const void* samples, int bytesPerSample, int width,
                            int colorPattern, AoiStatistics& result) {
    result = AoiStatistics{};
    if (!Valid(rect, samples, bytesPerSample, width)) return 0.0;

    SubLattice S[4];
    const auto* bytes = static_cast<const unsigned char*>(samples);
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(bytesPerSample);
    if (bytesPerSample == 2)
        AccumulateRows<int16_t>(bytes, rowBytes, rect, S);
    else
        AccumulateRows<uint8_t>(bytes, rowBytes, rect, S);

    // Even offsets get the larger half of an odd number of rows or columns.
    const int64_t rows = int64_t{rect.bottom} - rect.top + 1;
    const int64_t columns = int64_t{rect.right} - rect.left + 1;
    const int64_t rowCount[2] = {(rows + 1) / 2, rows / 2};
    const int64_t columnCount[2] = {(columns + 1) / 2, columns / 2};
    for (int i = 0; i < 4; ++i) S[i].count = rowCount[i >> 1] * columnCount[i & 1];

    const ChannelStatistics all = Combine(S, 0xF);
    if (colorPattern < 2 || colorPattern > 5) {  // monochrome (0, 1; other values read alike)
        result.red = result.green = result.blue = all;
        return all.average;
    }

    // Colour code of the corner pixel; sub-lattice i then has code k0 XOR i.
    // Code 1 is red, 2 blue, 0 and 3 green.
    const unsigned k0 = static_cast<unsigned>(2 * (rect.top % 2) + rect.left % 2) ^ static_cast<unsigned>(colorPattern - 2);
    unsigned red = 0, green = 0, blue = 0;
    for (unsigned i = 0; i < 4; ++i) {
        const unsigned code = k0 ^ i;
        unsigned& mask = code == 1 ? red : code == 2 ? blue : green;
        mask |= 1u << i;
    }
    result.red = Combine(S, red);
    result.green = Combine(S, green);
    result.blue = Combine(S, blue);
    return all.average;
}

}  // namespace zel
