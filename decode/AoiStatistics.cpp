// Region statistics in one pass over the rows of the rectangle.
//
// For a colour mosaic every pixel belongs to one of four sub-lattices by the parity of
// its row and column offset from the rectangle's top-left corner. The rows of each row
// parity are walked on their own; within a row, vectors start at even column offsets,
// so each lane keeps one column parity throughout and the lanes are split by parity only
// once, at the end. A monochrome rectangle is one walk over all rows with no split.
//
// Sums are exact integers: 16-bit samples are summed into 32-bit lanes (a multiply-add
// by 1 for the wanted parity and 0 for the other) that are folded into 64-bit totals
// long before they could overflow, bytes into 64-bit lanes directly. Integers in double
// are exact, so this gives the same figures as summing the samples in double one by one.
//
// One source, compiled once per instruction-set target; calls run the best target the
// processor has. The one-lane target cannot keep a column parity per lane and walks
// the samples in plain pairs.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "decode/AoiStatistics.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

#include "decode/AoiStatistics.h"
#include "simd/Dispatch.h"

#ifndef ZEL_DECODE_AOI_STATISTICS_TYPES
#define ZEL_DECODE_AOI_STATISTICS_TYPES
namespace zel::detail {

constexpr int kMinStart = 32767;  // the minimum's start value; the maximum starts at 0

// Figures of the samples at even or at odd column offsets of the rows walked.
struct ColumnFigures {
    int64_t sum = 0;
    int minimum = kMinStart;
    int maximum = 0;
};

}  // namespace zel::detail
#endif

HWY_BEFORE_NAMESPACE();
namespace zel::detail::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Sample i at any alignment (a sample buffer inside a TIFF block need not be aligned to
// its sample size).
template <typename Sample>
inline Sample LoadSample(const unsigned char* row, size_t i) {
    Sample v;
    std::memcpy(&v, row + i * sizeof(Sample), sizeof v);
    return v;
}

inline void AddSample(int v, ColumnFigures& f) {
    f.sum += v;
    f.minimum = std::min(f.minimum, v);
    f.maximum = std::max(f.maximum, v);
}

// Samples [from, to) of one row (rows shorter than a vector, and an odd last sample);
// with kSplit, `from` is an even column offset.
template <typename Sample, bool kSplit>
void AddPlain(const unsigned char* row, size_t from, size_t to, ColumnFigures f[2]) {
    if constexpr (!kSplit) {
        for (size_t i = from; i < to; ++i) AddSample(LoadSample<Sample>(row, i), f[0]);
        return;
    }
    size_t i = from;
    for (; i + 2 <= to; i += 2) {
        AddSample(LoadSample<Sample>(row, i), f[0]);
        AddSample(LoadSample<Sample>(row, i + 1), f[1]);
    }
    if (i < to) AddSample(LoadSample<Sample>(row, i), f[0]);
}

#if HWY_TARGET == HWY_SCALAR

// Pairs after which the 32-bit partial sums are folded into the totals: each then holds
// at most 32768 samples of magnitude <= 32768, i.e. at most 2^31 in magnitude.
constexpr size_t kPairsPerFold = 32768;

// A plain loop over sample pairs, which the compiler vectorises for the baseline
// instruction set (with a cheap de-interleave of the pairs).
template <typename Sample, bool kSplit>
void AddRows(const unsigned char* first, size_t stride, int64_t rows, size_t columns, ColumnFigures f[2]) {
    constexpr auto minStart = static_cast<Sample>(std::min<int>(kMinStart, std::numeric_limits<Sample>::max()));
    constexpr int kOdd = kSplit ? 1 : 0;  // where the second sample of each pair goes
    Sample minEven = minStart, maxEven = 0, minOdd = minStart, maxOdd = 0;
    const size_t pairs = columns / 2;
    for (int64_t r = 0; r < rows; ++r) {
        const unsigned char* row = first + r * stride;
        for (size_t done = 0; done < pairs; done += kPairsPerFold) {
            const size_t end = std::min(pairs, done + kPairsPerFold);
            int32_t sumEven = 0, sumOdd = 0;
            for (size_t i = done; i < end; ++i) {
                const Sample even = LoadSample<Sample>(row, 2 * i);
                const Sample odd = LoadSample<Sample>(row, 2 * i + 1);
                minEven = std::min(minEven, even);
                maxEven = std::max(maxEven, even);
                sumEven += even;
                minOdd = std::min(minOdd, odd);
                maxOdd = std::max(maxOdd, odd);
                sumOdd += odd;
            }
            f[0].sum += sumEven;
            f[kOdd].sum += sumOdd;
        }
        if (columns % 2 != 0) AddSample(LoadSample<Sample>(row, columns - 1), f[0]);  // an even offset
    }
    f[0].minimum = std::min<int>(f[0].minimum, minEven);
    f[0].maximum = std::max<int>(f[0].maximum, maxEven);
    f[kOdd].minimum = std::min<int>(f[kOdd].minimum, minOdd);
    f[kOdd].maximum = std::max<int>(f[kOdd].maximum, maxOdd);
}

#else

// Lane minima and maxima into the figures of their column parity.
template <class D>
void MergeLanes(D d, hn::Vec<D> minima, hn::Vec<D> maxima, bool split, ColumnFigures f[2]) {
    HWY_ALIGN hn::TFromD<D> low[hn::MaxLanes(d)], high[hn::MaxLanes(d)];
    hn::Store(minima, d, low);
    hn::Store(maxima, d, high);
    for (size_t k = 0; k < hn::Lanes(d); ++k) {
        ColumnFigures& to = f[split ? k & 1 : 0];
        to.minimum = std::min<int>(to.minimum, low[k]);
        to.maximum = std::max<int>(to.maximum, high[k]);
    }
}

template <class D>
int64_t LaneTotal(D d, hn::Vec<D> sums) {
    HWY_ALIGN hn::TFromD<D> lanes[hn::MaxLanes(d)];
    hn::Store(sums, d, lanes);
    int64_t total = 0;
    for (size_t k = 0; k < hn::Lanes(d); ++k) total += static_cast<int64_t>(lanes[k]);
    return total;
}

// Passes the vectors of a row of `columns` samples to add(v, counted): whole vectors from
// the start, then one more that ends with the row and overlaps the previous one by
// `counted` lanes. With `split` it ends before an odd last sample, so that even lanes
// stay even columns. Returns the samples covered; the rest go through the plain loop.
template <class D, class Add>
HWY_INLINE size_t AddVectors(D d, const hn::TFromD<D>* row, size_t columns, bool split, const Add& add) {
    const size_t lanes = hn::Lanes(d);
    size_t i = 0;
    for (; i + lanes <= columns; i += lanes) add(hn::LoadU(d, row + i), 0);
    const size_t stop = split ? columns & ~size_t{1} : columns;
    if (i == stop || stop < lanes) return i;
    add(hn::LoadU(d, row + stop - lanes), i - (stop - lanes));
    return stop;
}

// Vectors after which the 32-bit sums are folded: a lane then holds at most 2 x 8192
// products of magnitude <= 32768, i.e. at most 2^29.
constexpr size_t kFoldVectors = 8192;

// Signed 16-bit samples. The multiply-add pairs lanes in an order of its own, but only
// the lanes' total is used, and each weight vector passes one column parity.
template <bool kSplit>
void AddRows16(const unsigned char* first, size_t stride, int64_t rows, size_t columns, ColumnFigures f[2]) {
    const hn::ScalableTag<int16_t> d;
    const hn::Repartition<int32_t, decltype(d)> d32;
    const auto ones = hn::Set(d, int16_t{1});
    const auto evenWeights = kSplit ? hn::OddEven(hn::Zero(d), ones) : ones;
    const auto oddWeights = hn::OddEven(ones, hn::Zero(d));
    auto minima = hn::Set(d, int16_t{kMinStart}), maxima = hn::Zero(d);
    auto even0 = hn::Zero(d32), even1 = hn::Zero(d32), odd0 = hn::Zero(d32), odd1 = hn::Zero(d32);
    size_t pending = 0;
    const auto fold = [&]() HWY_ATTR {
        f[0].sum += LaneTotal(d32, even0) + LaneTotal(d32, even1);
        f[1].sum += LaneTotal(d32, odd0) + LaneTotal(d32, odd1);
        even0 = even1 = odd0 = odd1 = hn::Zero(d32);
        pending = 0;
    };
    // `counted` leading lanes of v were added before; they still count for the extremes.
    const auto add = [&](hn::Vec<decltype(d)> v, size_t counted) HWY_ATTR {
        minima = hn::Min(minima, v);
        maxima = hn::Max(maxima, v);
        if (counted != 0) v = hn::IfThenZeroElse(hn::FirstN(d, counted), v);
        even0 = hn::ReorderWidenMulAccumulate(d32, v, evenWeights, even0, even1);
        if constexpr (kSplit) odd0 = hn::ReorderWidenMulAccumulate(d32, v, oddWeights, odd0, odd1);
        if (++pending == kFoldVectors) fold();
    };
    for (int64_t r = 0; r < rows; ++r) {
        const auto* row = reinterpret_cast<const int16_t*>(first + r * stride);
        const size_t done = AddVectors(d, row, columns, kSplit, add);
        AddPlain<int16_t, kSplit>(first + r * stride, done, columns, f);
    }
    fold();
    MergeLanes(d, minima, maxima, kSplit, f);
}

// Bytes: sums of eight lanes at a time into 64-bit lanes, which cannot overflow.
template <bool kSplit>
void AddRows8(const unsigned char* first, size_t stride, int64_t rows, size_t columns, ColumnFigures f[2]) {
    const hn::ScalableTag<uint8_t> d;
    const hn::Repartition<uint64_t, decltype(d)> d64;
    const auto evenBytes = hn::BitCast(d, hn::Set(hn::Repartition<uint16_t, decltype(d)>(), uint16_t{0x00FF}));
    auto minima = hn::Set(d, uint8_t{255}), maxima = hn::Zero(d);
    auto even = hn::Zero(d64), odd = hn::Zero(d64);
    const auto add = [&](hn::Vec<decltype(d)> v, size_t counted) HWY_ATTR {
        minima = hn::Min(minima, v);
        maxima = hn::Max(maxima, v);
        if (counted != 0) v = hn::IfThenZeroElse(hn::FirstN(d, counted), v);
        if constexpr (kSplit) {
            even = hn::Add(even, hn::SumsOf8(hn::And(v, evenBytes)));
            odd = hn::Add(odd, hn::SumsOf8(hn::AndNot(evenBytes, v)));
        } else {
            even = hn::Add(even, hn::SumsOf8(v));
        }
    };
    for (int64_t r = 0; r < rows; ++r) {
        const unsigned char* row = first + r * stride;
        const size_t done = AddVectors(d, row, columns, kSplit, add);
        AddPlain<uint8_t, kSplit>(row, done, columns, f);
    }
    f[0].sum += LaneTotal(d64, even);
    f[1].sum += LaneTotal(d64, odd);
    MergeLanes(d, minima, maxima, kSplit, f);
}

template <typename Sample, bool kSplit>
void AddRows(const unsigned char* first, size_t stride, int64_t rows, size_t columns, ColumnFigures f[2]) {
    if constexpr (sizeof(Sample) == 2) {
        AddRows16<kSplit>(first, stride, rows, columns, f);
    } else {
        AddRows8<kSplit>(first, stride, rows, columns, f);
    }
}

#endif

// `rows` rows of `columns` samples from `first`, `stride` bytes apart, into f[0] (even
// column offsets) and f[1] (odd), or all into f[0] without `split`.
void AccumulateKernel(const unsigned char* first, size_t stride, int64_t rows, size_t columns, int bytesPerSample,
                      bool split, ColumnFigures* f) {
    if (bytesPerSample == 2) {
        split ? AddRows<int16_t, true>(first, stride, rows, columns, f)
              : AddRows<int16_t, false>(first, stride, rows, columns, f);
    } else {
        split ? AddRows<uint8_t, true>(first, stride, rows, columns, f)
              : AddRows<uint8_t, false>(first, stride, rows, columns, f);
    }
}

}  // namespace zel::detail::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace zel {
namespace detail {
namespace {

ZEL_SIMD_EXPORT(AccumulateKernel);

// Figures of one sub-lattice and its pixel count.
struct SubLattice {
    ColumnFigures figures;
    int64_t count = 0;
};

void Accumulate(const unsigned char* first, size_t stride, int64_t rows, size_t columns, int bytesPerSample,
                bool split, ColumnFigures f[2]) {
    ZEL_SIMD_DISPATCH(AccumulateKernel)(first, stride, rows, columns, bytesPerSample, split, f);
}

// A channel made of the sub-lattices whose bit is set in `mask`. A channel without any
// pixel in the rectangle reports 0 throughout rather than the start values.
ChannelStatistics Combine(const SubLattice S[4], unsigned mask) {
    int64_t sum = 0, count = 0;
    int maximum = 0, minimum = kMinStart;
    for (int i = 0; i < 4; ++i) {
        if (!(mask & (1u << i)) || S[i].count == 0) continue;
        sum += S[i].figures.sum;
        count += S[i].count;
        maximum = std::max(maximum, S[i].figures.maximum);
        minimum = std::min(minimum, S[i].figures.minimum);
    }
    ChannelStatistics channel;
    if (count == 0) return channel;
    channel.maximum = static_cast<int16_t>(maximum);
    channel.minimum = static_cast<int16_t>(minimum);
    channel.average = static_cast<double>(sum) / static_cast<double>(count);
    return channel;
}

bool Valid(const SampleRect& rect, const void* samples, int bytesPerSample, int width) {
    return samples != nullptr && (bytesPerSample == 1 || bytesPerSample == 2) && width > 0 && rect.left >= 0 &&
           rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom && rect.right < width;
}

}  // namespace
}  // namespace detail

double ComputeAoiStatistics(const SampleRect& rect, const void* samples, int bytesPerSample, int width,
                            int colorPattern, AoiStatistics& result) {
    using detail::SubLattice;
    result = AoiStatistics{};
    if (!detail::Valid(rect, samples, bytesPerSample, width)) return 0.0;

    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(bytesPerSample);
    const auto* corner = static_cast<const unsigned char*>(samples) + static_cast<size_t>(rect.top) * rowBytes +
                         static_cast<size_t>(rect.left) * static_cast<size_t>(bytesPerSample);
    const int64_t rows = int64_t{rect.bottom} - rect.top + 1;
    const int64_t columns = int64_t{rect.right} - rect.left + 1;
    const auto columnCount = static_cast<size_t>(columns);
    SubLattice S[4];

    if (!IsColourMosaic(colorPattern)) {
        detail::ColumnFigures f[2];
        detail::Accumulate(corner, rowBytes, rows, columnCount, bytesPerSample, false, f);
        S[0] = {f[0], rows * columns};
        result.red = result.green = result.blue = detail::Combine(S, 0x1);
        return result.red.average;
    }

    // S[2 * rowParity + columnParity]; each row parity is one walk over every other row.
    for (int rowParity = 0; rowParity < 2 && rowParity < rows; ++rowParity) {
        detail::ColumnFigures f[2];
        detail::Accumulate(corner + rowParity * rowBytes, 2 * rowBytes, (rows - rowParity + 1) / 2, columnCount,
                           bytesPerSample, true, f);
        S[2 * rowParity].figures = f[0];
        S[2 * rowParity + 1].figures = f[1];
    }
    // Even offsets get the larger half of an odd number of rows or columns.
    const int64_t rowCount[2] = {(rows + 1) / 2, rows / 2};
    const int64_t columnCounts[2] = {(columns + 1) / 2, columns / 2};
    for (int i = 0; i < 4; ++i) S[i].count = rowCount[i >> 1] * columnCounts[i & 1];
    const ChannelStatistics all = detail::Combine(S, 0xF);

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
    result.red = detail::Combine(S, red);
    result.green = detail::Combine(S, green);
    result.blue = detail::Combine(S, blue);
    return all.average;
}

}  // namespace zel
#endif  // HWY_ONCE
