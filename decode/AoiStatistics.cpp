// Region statistics in one pass over the rows of the rectangle.
//
// For a colour mosaic every pixel belongs to one of four sub-lattices by the parity of
// its row and column offset from the rectangle's top-left corner. A row is then walked
// two samples at a time, the first of each pair going to the even-column accumulators
// and the second to the odd-column ones, so there is no per-pixel branch and the
// compiler turns the loop into SIMD min/max/add (with a cheap de-interleave). A
// monochrome row is one plain run. Row sums are 32-bit over bounded spans,
// folded into 64-bit totals and converted to double once at the end: integers are
// exact, so this gives the same figures as summing the samples in double one by one.

#include "decode/AoiStatistics.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

namespace zel {
namespace {

// Pairs after which the 32-bit row sums are folded into 64-bit totals: each then holds
// at most 32768 samples of magnitude <= 32768, i.e. below 2^31.
constexpr int kPairsPerFold = 32768;

constexpr int kMinStart = 32767;  // the minimum's start value; the maximum starts at 0

struct SubLattice {
    int64_t sum = 0;
    int64_t count = 0;
    int maximum = 0;
    int minimum = kMinStart;
};

// Sample i at any alignment (a sample buffer inside a TIFF block need not be aligned to
// its sample size).
template <typename Sample>
inline Sample Load(const unsigned char* samples, size_t i) {
    Sample v;
    std::memcpy(&v, samples + i * sizeof(Sample), sizeof v);
    return v;
}

// Running figures of the even-column [0] and odd-column [1] sub-lattices of one row parity.
template <typename Sample>
struct ColumnPair {
    Sample minimum[2], maximum[2];
    int64_t sum[2] = {0, 0};
};

// Adds `pairs` sample pairs starting at `row` (pairs <= kPairsPerFold).
template <typename Sample>
void AddPairs(const unsigned char* row, int pairs, ColumnPair<Sample>& acc) {
    Sample minEven = acc.minimum[0], maxEven = acc.maximum[0];
    Sample minOdd = acc.minimum[1], maxOdd = acc.maximum[1];
    int32_t sumEven = 0, sumOdd = 0;
    for (int i = 0; i < pairs; ++i) {
        const Sample even = Load<Sample>(row, 2 * static_cast<size_t>(i));
        const Sample odd = Load<Sample>(row, 2 * static_cast<size_t>(i) + 1);
        minEven = std::min(minEven, even);
        maxEven = std::max(maxEven, even);
        sumEven += even;
        minOdd = std::min(minOdd, odd);
        maxOdd = std::max(maxOdd, odd);
        sumOdd += odd;
    }
    acc.minimum[0] = minEven;
    acc.maximum[0] = maxEven;
    acc.minimum[1] = minOdd;
    acc.maximum[1] = maxOdd;
    acc.sum[0] += sumEven;
    acc.sum[1] += sumOdd;
}

// Adds `count` samples starting at `row` (count <= 2 * kPairsPerFold) into one set of
// figures: the monochrome case, which needs no split by column parity.
template <typename Sample>
void AddSpan(const unsigned char* row, int count, Sample& minimum, Sample& maximum, int64_t& sum) {
    Sample mn = minimum, mx = maximum;
    int32_t partial = 0;
    for (int i = 0; i < count; ++i) {
        const Sample v = Load<Sample>(row, static_cast<size_t>(i));
        mn = std::min(mn, v);
        mx = std::max(mx, v);
        partial += v;
    }
    minimum = mn;
    maximum = mx;
    sum += partial;
}

// Monochrome: every pixel into S[0]; the other sub-lattices stay empty.
template <typename Sample>
void AccumulateAll(const unsigned char* samples, size_t rowBytes, const AoiRect& rect, SubLattice S[4]) {
    constexpr auto minStart = static_cast<Sample>(std::min<int>(kMinStart, std::numeric_limits<Sample>::max()));
    Sample minimum = minStart, maximum = 0;
    int64_t sum = 0;
    const int columns = rect.right - rect.left + 1;
    constexpr int kSpan = 2 * kPairsPerFold;
    for (int y = rect.top; y <= rect.bottom; ++y) {
        const unsigned char* row =
            samples + static_cast<size_t>(y) * rowBytes + static_cast<size_t>(rect.left) * sizeof(Sample);
        for (int done = 0; done < columns; done += kSpan)
            AddSpan(row + static_cast<size_t>(done) * sizeof(Sample), std::min(kSpan, columns - done), minimum,
                    maximum, sum);
    }
    S[0].sum = sum;
    S[0].minimum = std::min<int>(kMinStart, minimum);
    S[0].maximum = maximum;
}

// Sample is int16_t (2-byte samples, compared as signed) or uint8_t (8-bit movies).
// S[2 * rowParity + columnParity] receive sums, minima and maxima; the caller sets counts.
template <typename Sample>
void AccumulateRows(const unsigned char* samples, size_t rowBytes, const AoiRect& rect, SubLattice S[4]) {
    constexpr auto minStart = static_cast<Sample>(std::min<int>(kMinStart, std::numeric_limits<Sample>::max()));
    ColumnPair<Sample> acc[2];
    for (ColumnPair<Sample>& a : acc) {
        a.minimum[0] = a.minimum[1] = minStart;
        a.maximum[0] = a.maximum[1] = 0;
    }

    const int columns = rect.right - rect.left + 1;
    const int pairs = columns / 2;
    for (int y = rect.top; y <= rect.bottom; ++y) {
        ColumnPair<Sample>& a = acc[(y - rect.top) & 1];
        const unsigned char* row =
            samples + static_cast<size_t>(y) * rowBytes + static_cast<size_t>(rect.left) * sizeof(Sample);
        for (int done = 0; done < pairs; done += kPairsPerFold) {
            AddPairs(row + 2 * static_cast<size_t>(done) * sizeof(Sample), std::min(kPairsPerFold, pairs - done), a);
        }
        if (columns % 2 != 0) {  // the last sample has an even offset
            const Sample v = Load<Sample>(row, static_cast<size_t>(columns) - 1);
            a.minimum[0] = std::min(a.minimum[0], v);
            a.maximum[0] = std::max(a.maximum[0], v);
            a.sum[0] += v;
        }
    }

    for (int i = 0; i < 4; ++i) {
        const ColumnPair<Sample>& a = acc[i >> 1];
        S[i].sum = a.sum[i & 1];
        S[i].minimum = std::min<int>(kMinStart, a.minimum[i & 1]);
        S[i].maximum = a.maximum[i & 1];
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
    const int64_t rows = int64_t{rect.bottom} - rect.top + 1;
    const int64_t columns = int64_t{rect.right} - rect.left + 1;

    if (!IsColourMosaic(colorPattern)) {
        if (bytesPerSample == 2)
            AccumulateAll<int16_t>(bytes, rowBytes, rect, S);
        else
            AccumulateAll<uint8_t>(bytes, rowBytes, rect, S);
        S[0].count = rows * columns;
        result.red = result.green = result.blue = Combine(S, 0x1);
        return result.red.average;
    }

    if (bytesPerSample == 2)
        AccumulateRows<int16_t>(bytes, rowBytes, rect, S);
    else
        AccumulateRows<uint8_t>(bytes, rowBytes, rect, S);
    // Even offsets get the larger half of an odd number of rows or columns.
    const int64_t rowCount[2] = {(rows + 1) / 2, rows / 2};
    const int64_t columnCount[2] = {(columns + 1) / 2, columns / 2};
    for (int i = 0; i < 4; ++i) S[i].count = rowCount[i >> 1] * columnCount[i & 1];
    const ChannelStatistics all = Combine(S, 0xF);

    // Colour code of the corner pixel; sub-lattice i then has code k0 XOR i.
    // Code 1 is red, 2 blue, 0 and 3 green.
    const unsigned k0 =
        static_cast<unsigned>(2 * (rect.top % 2) + rect.left % 2) ^ static_cast<unsigned>(MosaicPhase(colorPattern));
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
