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
// Sums of squares, when asked for, are exact too: a multiply-add of the samples of one
// parity (the other zeroed) with themselves gives one square of at most 2^30 per 32-bit
// lane, whose low and high 16 bits are summed apart and folded like the sums.
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
#include <cmath>
#include <limits>

#include "decode/AoiStatistics.h"
#include "simd/Dispatch.h"

#ifndef ZEL_DECODE_AOI_STATISTICS_TYPES
#define ZEL_DECODE_AOI_STATISTICS_TYPES
namespace zel::detail {

// The extremes' start values: the largest and the smallest signed 16-bit sample.
constexpr int kMinStart = 32767;
constexpr int kMaxStart = -32768;

// Figures of the samples at even or at odd column offsets of the rows walked.
struct ColumnFigures {
    int64_t sum = 0;
    uint64_t sumSquares = 0;  // only when squares are asked for
    int minimum = kMinStart;
    int maximum = kMaxStart;
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
    f.sumSquares += static_cast<uint64_t>(int64_t{v} * v);
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
template <typename Sample, bool kSplit, bool kSquares>
void AddRows(const unsigned char* first, size_t stride, int64_t rows, size_t columns, ColumnFigures f[2]) {
    constexpr auto minStart = static_cast<Sample>(std::min<int>(kMinStart, std::numeric_limits<Sample>::max()));
    constexpr auto maxStart = std::numeric_limits<Sample>::lowest();
    constexpr int kOdd = kSplit ? 1 : 0;  // where the second sample of each pair goes
    Sample minEven = minStart, maxEven = maxStart, minOdd = minStart, maxOdd = maxStart;
    const size_t pairs = columns / 2;
    for (int64_t r = 0; r < rows; ++r) {
        const unsigned char* row = first + r * stride;
        for (size_t done = 0; done < pairs; done += kPairsPerFold) {
            const size_t end = std::min(pairs, done + kPairsPerFold);
            int32_t sumEven = 0, sumOdd = 0;
            uint64_t squaresEven = 0, squaresOdd = 0;
            for (size_t i = done; i < end; ++i) {
                const Sample even = LoadSample<Sample>(row, 2 * i);
                const Sample odd = LoadSample<Sample>(row, 2 * i + 1);
                minEven = std::min(minEven, even);
                maxEven = std::max(maxEven, even);
                sumEven += even;
                minOdd = std::min(minOdd, odd);
                maxOdd = std::max(maxOdd, odd);
                sumOdd += odd;
                if constexpr (kSquares) {
                    squaresEven += static_cast<uint64_t>(int32_t{even} * even);
                    squaresOdd += static_cast<uint64_t>(int32_t{odd} * odd);
                }
            }
            f[0].sum += sumEven;
            f[kOdd].sum += sumOdd;
            f[0].sumSquares += squaresEven;
            f[kOdd].sumSquares += squaresOdd;
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

// Squares of the lanes of v whose other-parity neighbours are zero, one per 32-bit lane:
// each product pair of the multiply-add then holds one square (<= 2^30) and a zero.
template <class D32, class D16>
HWY_INLINE hn::Vec<hn::RebindToUnsigned<D32>> SquaresOfOneParity(D32 d32, D16, hn::Vec<D16> v) {
    auto high = hn::Zero(d32);
    const auto low = hn::ReorderWidenMulAccumulate(d32, v, v, hn::Zero(d32), high);
    return hn::BitCast(hn::RebindToUnsigned<D32>(), hn::Add(low, high));
}

// Exact sums of 32-bit squares: their low and high halves summed apart, folded into 64 bits.
template <class DU32>
struct SquareSums {
    hn::Vec<DU32> low, high;
    explicit SquareSums(DU32 d) : low(hn::Zero(d)), high(hn::Zero(d)) {}
    HWY_INLINE void Add(DU32 d, hn::Vec<DU32> squares) {
        low = hn::Add(low, hn::And(squares, hn::Set(d, 0xFFFFu)));
        high = hn::Add(high, hn::ShiftRight<16>(squares));
    }
    HWY_INLINE uint64_t Fold(DU32 d) {
        const auto total = static_cast<uint64_t>(LaneTotal(d, low)) + (static_cast<uint64_t>(LaneTotal(d, high)) << 16);
        low = high = hn::Zero(d);
        return total;
    }
};

// Signed 16-bit samples. The multiply-add pairs lanes in an order of its own, but only
// the lanes' total is used, and each weight vector passes one column parity.
template <bool kSplit>
void AddRows16(const unsigned char* first, size_t stride, int64_t rows, size_t columns, ColumnFigures f[2]) {
    const hn::ScalableTag<int16_t> d;
    const hn::Repartition<int32_t, decltype(d)> d32;
    const auto ones = hn::Set(d, int16_t{1});
    const auto evenWeights = kSplit ? hn::OddEven(hn::Zero(d), ones) : ones;
    const auto oddWeights = hn::OddEven(ones, hn::Zero(d));
    auto minima = hn::Set(d, int16_t{kMinStart}), maxima = hn::Set(d, int16_t{kMaxStart});
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

// Vectors per block of the squares' fast path, and the largest sample magnitude for
// which a block's squares cannot overflow a signed 32-bit lane: a lane gains one square
// per vector with the parities split, a pair of squares without
// (32 x 8191^2 and 32 x 2 x 5792^2 are below 2^31).
constexpr size_t kBlockVectors = 32;
constexpr int kFastLimitSplit = 8191;
constexpr int kFastLimitWhole = 5792;

// Signed 16-bit samples with their squares, in blocks of vectors. Each block first
// multiply-adds the samples with themselves into 32-bit lanes (the fast path, a third of
// the work of exact sums); when the block's extremes show that a lane may have
// overflowed, the block's squares are summed again exactly, halves apart. Camera data
// (12 bits and a little more after correction) always takes the fast path. The
// emulated target never tries it: its lanes are plain signed integers.
template <bool kSplit>
void AddRows16WithSquares(const unsigned char* first, size_t stride, int64_t rows, size_t columns,
                          ColumnFigures f[2]) {
    const hn::ScalableTag<int16_t> d;
    const hn::Repartition<int32_t, decltype(d)> d32;
    const hn::RebindToUnsigned<decltype(d32)> du32;
    const hn::Repartition<uint64_t, decltype(d32)> du64;
    const hn::Half<decltype(du32)> du32Half;
    constexpr bool kTryFast = HWY_TARGET != HWY_EMU128;
    const size_t lanes = hn::Lanes(d);
    const auto ones = hn::Set(d, int16_t{1});
    const auto evenWeights = kSplit ? hn::OddEven(hn::Zero(d), ones) : ones;
    const auto oddWeights = hn::OddEven(ones, hn::Zero(d));
    const auto evenLanes = hn::OddEven(hn::Zero(d), hn::Set(d, int16_t{-1}));
    const auto limit = hn::Set(d, int16_t{kSplit ? kFastLimitSplit : kFastLimitWhole});
    auto minima = hn::Set(d, int16_t{kMinStart}), maxima = hn::Set(d, int16_t{kMaxStart});
    auto even0 = hn::Zero(d32), even1 = hn::Zero(d32), odd0 = hn::Zero(d32), odd1 = hn::Zero(d32);
    auto evenSquares64 = hn::Zero(du64), oddSquares64 = hn::Zero(du64);
    SquareSums<decltype(du32)> evenExact(du32), oddExact(du32);
    size_t pending = 0;
    const auto widen = [&](hn::Vec<decltype(d32)> a, hn::Vec<decltype(d32)> b) HWY_ATTR {
        const auto total = hn::BitCast(du32, hn::Add(a, b));  // each lane below 2^31
        return hn::Add(hn::PromoteTo(du64, hn::LowerHalf(du32Half, total)),
                       hn::PromoteTo(du64, hn::UpperHalf(du32Half, total)));
    };
    for (int64_t r = 0; r < rows; ++r) {
        const auto* row = reinterpret_cast<const int16_t*>(first + r * stride);
        const size_t whole = columns - columns % lanes;  // lanes is even: parities stay
        for (size_t begin = 0; begin < whole; begin += kBlockVectors * lanes) {
            const size_t end = std::min(whole, begin + kBlockVectors * lanes);
            auto low = hn::Set(d, int16_t{kMinStart}), high = hn::Set(d, int16_t{kMaxStart});
            auto evenSquares0 = hn::Zero(d32), evenSquares1 = hn::Zero(d32);
            auto oddSquares0 = hn::Zero(d32), oddSquares1 = hn::Zero(d32);
            for (size_t i = begin; i < end; i += lanes) {
                const auto v = hn::LoadU(d, row + i);
                low = hn::Min(low, v);
                high = hn::Max(high, v);
                even0 = hn::ReorderWidenMulAccumulate(d32, v, evenWeights, even0, even1);
                if constexpr (kSplit) odd0 = hn::ReorderWidenMulAccumulate(d32, v, oddWeights, odd0, odd1);
                if constexpr (kTryFast && kSplit) {
                    const auto e = hn::And(v, evenLanes), o = hn::AndNot(evenLanes, v);
                    evenSquares0 = hn::ReorderWidenMulAccumulate(d32, e, e, evenSquares0, evenSquares1);
                    oddSquares0 = hn::ReorderWidenMulAccumulate(d32, o, o, oddSquares0, oddSquares1);
                } else if constexpr (kTryFast) {
                    evenSquares0 = hn::ReorderWidenMulAccumulate(d32, v, v, evenSquares0, evenSquares1);
                }
            }
            // The sums are folded between blocks, never later than kFoldVectors vectors.
            pending += (end - begin) / lanes;
            if (pending > kFoldVectors - kBlockVectors) {
                f[0].sum += LaneTotal(d32, even0) + LaneTotal(d32, even1);
                f[1].sum += LaneTotal(d32, odd0) + LaneTotal(d32, odd1);
                even0 = even1 = odd0 = odd1 = hn::Zero(d32);
                pending = 0;
            }
            minima = hn::Min(minima, low);
            maxima = hn::Max(maxima, high);
            const bool small = kTryFast && hn::AllFalse(d, hn::Or(hn::Lt(limit, high), hn::Lt(low, hn::Neg(limit))));
            if (small) {
                evenSquares64 = hn::Add(evenSquares64, widen(evenSquares0, evenSquares1));
                if constexpr (kSplit) oddSquares64 = hn::Add(oddSquares64, widen(oddSquares0, oddSquares1));
                continue;
            }
            for (size_t i = begin; i < end; i += lanes) {
                const auto v = hn::LoadU(d, row + i);
                const auto evenSquared = SquaresOfOneParity(d32, d, hn::And(v, evenLanes));
                const auto oddSquared = SquaresOfOneParity(d32, d, hn::AndNot(evenLanes, v));
                if constexpr (kSplit) {
                    evenExact.Add(du32, evenSquared);
                    oddExact.Add(du32, oddSquared);
                } else {
                    evenExact.Add(du32, hn::Add(evenSquared, oddSquared));  // <= 2^31 per lane
                }
            }
            f[0].sumSquares += evenExact.Fold(du32);
            f[1].sumSquares += oddExact.Fold(du32);
        }
        AddPlain<int16_t, kSplit>(first + r * stride, whole, columns, f);
    }
    f[0].sum += LaneTotal(d32, even0) + LaneTotal(d32, even1);
    f[1].sum += LaneTotal(d32, odd0) + LaneTotal(d32, odd1);
    f[0].sumSquares += static_cast<uint64_t>(LaneTotal(du64, evenSquares64));
    f[1].sumSquares += static_cast<uint64_t>(LaneTotal(du64, oddSquares64));
    MergeLanes(d, minima, maxima, kSplit, f);
}

// Bytes: sums of eight lanes at a time into 64-bit lanes, which cannot overflow.
// Squares: the even and the odd bytes as 16-bit words (a mask and a shift), each
// multiply-added with itself; a 32-bit lane gains at most 4 x 255^2 per vector and is
// folded long before it could overflow.
template <bool kSplit, bool kSquares>
void AddRows8(const unsigned char* first, size_t stride, int64_t rows, size_t columns, ColumnFigures f[2]) {
    const hn::ScalableTag<uint8_t> d;
    const hn::Repartition<uint64_t, decltype(d)> d64;
    const hn::Repartition<int16_t, decltype(d)> d16;
    const hn::Repartition<int32_t, decltype(d)> d32;
    const auto evenBytes = hn::BitCast(d, hn::Set(hn::Repartition<uint16_t, decltype(d)>(), uint16_t{0x00FF}));
    const auto lowBytes = hn::Set(d16, int16_t{0x00FF});
    auto minima = hn::Set(d, uint8_t{255}), maxima = hn::Zero(d);
    auto even = hn::Zero(d64), odd = hn::Zero(d64);
    auto evenSquares0 = hn::Zero(d32), evenSquares1 = hn::Zero(d32);
    auto oddSquares0 = hn::Zero(d32), oddSquares1 = hn::Zero(d32);
    size_t pending = 0;
    const auto fold = [&]() HWY_ATTR {
        f[0].sumSquares += static_cast<uint64_t>(LaneTotal(d32, evenSquares0) + LaneTotal(d32, evenSquares1));
        f[1].sumSquares += static_cast<uint64_t>(LaneTotal(d32, oddSquares0) + LaneTotal(d32, oddSquares1));
        evenSquares0 = evenSquares1 = oddSquares0 = oddSquares1 = hn::Zero(d32);
        pending = 0;
    };
    // The bytes of v as 16-bit words: the even bytes are each word's low half, the odd
    // bytes its high half, so one mask and one shift split them by parity.
    const auto addSquares = [&](hn::Vec<decltype(d)> v) HWY_ATTR {
        const auto words = hn::BitCast(d16, v);
        const auto e = hn::And(words, lowBytes);
        const auto o = hn::ShiftRight<8>(hn::BitCast(hn::Repartition<uint16_t, decltype(d)>(), v));
        const auto oddWords = hn::BitCast(d16, o);
        evenSquares0 = hn::ReorderWidenMulAccumulate(d32, e, e, evenSquares0, evenSquares1);
        if constexpr (kSplit) {
            oddSquares0 = hn::ReorderWidenMulAccumulate(d32, oddWords, oddWords, oddSquares0, oddSquares1);
        } else {
            evenSquares0 = hn::ReorderWidenMulAccumulate(d32, oddWords, oddWords, evenSquares0, evenSquares1);
        }
    };
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
        if constexpr (kSquares) {
            addSquares(v);
        }
    };
    // Rows are walked in pieces of whole vectors (so parities stay), with the squares
    // folded between pieces rather than tested for each vector: a lane gains at most
    // 4 x 255^2 per vector, so kFoldVectors of them stay below 2^31.
    const size_t piece = kFoldVectors / 2 * hn::Lanes(d);
    for (int64_t r = 0; r < rows; ++r) {
        const unsigned char* row = first + r * stride;
        for (size_t start = 0; start < columns; start += piece) {
            const size_t count = std::min(piece, columns - start);
            const size_t done = AddVectors(d, row + start, count, kSplit, add);
            AddPlain<uint8_t, kSplit>(row + start, done, count, f);
            if constexpr (kSquares) {
                pending += (count + hn::Lanes(d) - 1) / hn::Lanes(d) + 1;  // the overlapping last vector too
                if (pending > kFoldVectors / 2) fold();
            }
        }
    }
    f[0].sum += LaneTotal(d64, even);
    f[1].sum += LaneTotal(d64, odd);
    if constexpr (kSquares) fold();
    MergeLanes(d, minima, maxima, kSplit, f);
}

template <typename Sample, bool kSplit, bool kSquares>
void AddRows(const unsigned char* first, size_t stride, int64_t rows, size_t columns, ColumnFigures f[2]) {
    if constexpr (sizeof(Sample) == 2 && kSquares) {
        AddRows16WithSquares<kSplit>(first, stride, rows, columns, f);
    } else if constexpr (sizeof(Sample) == 2) {
        AddRows16<kSplit>(first, stride, rows, columns, f);
    } else {
        AddRows8<kSplit, kSquares>(first, stride, rows, columns, f);
    }
}

#endif

// `rows` rows of `columns` samples from `first`, `stride` bytes apart, into f[0] (even
// column offsets) and f[1] (odd), or all into f[0] without `split`.
template <bool kSquares>
void AccumulateWith(const unsigned char* first, size_t stride, int64_t rows, size_t columns, int bytesPerSample,
                    bool split, ColumnFigures* f) {
    if (bytesPerSample == 2) {
        split ? AddRows<int16_t, true, kSquares>(first, stride, rows, columns, f)
              : AddRows<int16_t, false, kSquares>(first, stride, rows, columns, f);
    } else {
        split ? AddRows<uint8_t, true, kSquares>(first, stride, rows, columns, f)
              : AddRows<uint8_t, false, kSquares>(first, stride, rows, columns, f);
    }
}

// With `squares` the sums of squares are formed as well (the plain loops always do).
void AccumulateKernel(const unsigned char* first, size_t stride, int64_t rows, size_t columns, int bytesPerSample,
                      bool split, bool squares, ColumnFigures* f) {
    squares ? AccumulateWith<true>(first, stride, rows, columns, bytesPerSample, split, f)
            : AccumulateWith<false>(first, stride, rows, columns, bytesPerSample, split, f);
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

// The four sub-lattices of a rectangle and which of them make up each colour.
struct Lattices {
    SubLattice S[4];
    unsigned red = 0, green = 0, blue = 0;  // masks over S; all 0x1 for a monochrome sensor
};

void Accumulate(const unsigned char* first, size_t stride, int64_t rows, size_t columns, int bytesPerSample,
                bool split, bool squares, ColumnFigures f[2]) {
    ZEL_SIMD_DISPATCH(AccumulateKernel)(first, stride, rows, columns, bytesPerSample, split, squares, f);
}

bool Valid(const SampleRect& rect, const void* samples, int bytesPerSample, int width) {
    return samples != nullptr && (bytesPerSample == 1 || bytesPerSample == 2) && width > 0 && rect.left >= 0 &&
           rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom && rect.right < width;
}

// One walk over a valid rectangle: a monochrome rectangle is one sub-lattice (S[0]),
// a mosaic one four, S[2 * rowParity + columnParity] by offset from the corner.
Lattices Walk(const SampleRect& rect, const void* samples, int bytesPerSample, int width, int colorPattern,
              bool squares) {
    Lattices L;
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(bytesPerSample);
    const auto* corner = static_cast<const unsigned char*>(samples) + static_cast<size_t>(rect.top) * rowBytes +
                         static_cast<size_t>(rect.left) * static_cast<size_t>(bytesPerSample);
    const int64_t rows = int64_t{rect.bottom} - rect.top + 1;
    const int64_t columns = int64_t{rect.right} - rect.left + 1;
    const auto columnCount = static_cast<size_t>(columns);

    if (!IsColourMosaic(colorPattern)) {
        ColumnFigures f[2];
        Accumulate(corner, rowBytes, rows, columnCount, bytesPerSample, false, squares, f);
        L.S[0] = {f[0], rows * columns};
        L.red = L.green = L.blue = 0x1;
        return L;
    }
    // Each row parity is one walk over every other row.
    for (int rowParity = 0; rowParity < 2 && rowParity < rows; ++rowParity) {
        ColumnFigures f[2];
        Accumulate(corner + rowParity * rowBytes, 2 * rowBytes, (rows - rowParity + 1) / 2, columnCount,
                   bytesPerSample, true, squares, f);
        L.S[2 * rowParity].figures = f[0];
        L.S[2 * rowParity + 1].figures = f[1];
    }
    // Even offsets get the larger half of an odd number of rows or columns.
    const int64_t rowCount[2] = {(rows + 1) / 2, rows / 2};
    const int64_t columnCounts[2] = {(columns + 1) / 2, columns / 2};
    for (int i = 0; i < 4; ++i) L.S[i].count = rowCount[i >> 1] * columnCounts[i & 1];

    // Colour code of the corner pixel; sub-lattice i then has code k0 XOR i.
    // Code 1 is red, 2 blue, 0 and 3 green.
    const unsigned k0 =
        static_cast<unsigned>(2 * (rect.top % 2) + rect.left % 2) ^ static_cast<unsigned>(MosaicPhase(colorPattern));
    for (unsigned i = 0; i < 4; ++i) {
        const unsigned code = k0 ^ i;
        unsigned& mask = code == 1 ? L.red : code == 2 ? L.blue : L.green;
        mask |= 1u << i;
    }
    return L;
}

// The sub-lattices whose bit is set in `mask`, with their true extremes.
ChannelSummary Summarise(const SubLattice S[4], unsigned mask) {
    ChannelSummary channel;
    channel.minimum = kMinStart;
    channel.maximum = kMaxStart;
    for (int i = 0; i < 4; ++i) {
        if (!(mask & (1u << i)) || S[i].count == 0) continue;
        channel.count += S[i].count;
        channel.sum += S[i].figures.sum;
        channel.sumSquares += S[i].figures.sumSquares;
        channel.maximum = std::max(channel.maximum, S[i].figures.maximum);
        channel.minimum = std::min(channel.minimum, S[i].figures.minimum);
    }
    if (channel.count == 0) channel.minimum = channel.maximum = 0;
    return channel;
}

// The displayed figures of a channel: the maximum never below 0 (its start value),
// and 0 throughout for a channel without any pixel in the rectangle.
ChannelStatistics Combine(const SubLattice S[4], unsigned mask) {
    const ChannelSummary all = Summarise(S, mask);
    ChannelStatistics channel;
    if (all.count == 0) return channel;
    channel.maximum = static_cast<int16_t>(std::max(all.maximum, 0));
    channel.minimum = static_cast<int16_t>(all.minimum);
    channel.average = static_cast<double>(all.sum) / static_cast<double>(all.count);
    return channel;
}

}  // namespace
}  // namespace detail

double ChannelSummary::Mean() const {
    if (count == 0) return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(sum) / static_cast<double>(count);
}

double ChannelSummary::StandardDeviation() const {
    if (count < 2) return std::numeric_limits<double>::quiet_NaN();
    // n * sumSquares - sum^2 = n^2 * variance (biased), exact in 128 bits: it is a sum of
    // squared pairwise differences, so never negative.
    __extension__ typedef __int128 Wide;  // GCC and Clang, on every target we build for
    const Wide n = count;
    const Wide spread = n * static_cast<Wide>(sumSquares) - static_cast<Wide>(sum) * sum;
    const long double variance =
        static_cast<long double>(spread) / (static_cast<long double>(n) * static_cast<long double>(n - 1));
    return static_cast<double>(std::sqrt(variance));
}

double ComputeAoiStatistics(const SampleRect& rect, const void* samples, int bytesPerSample, int width,
                            int colorPattern, AoiStatistics& result) {
    result = AoiStatistics{};
    if (!detail::Valid(rect, samples, bytesPerSample, width)) return 0.0;
    const detail::Lattices L = detail::Walk(rect, samples, bytesPerSample, width, colorPattern, false);
    result.red = detail::Combine(L.S, L.red);
    result.green = detail::Combine(L.S, L.green);
    result.blue = detail::Combine(L.S, L.blue);
    return detail::Combine(L.S, 0xF).average;
}

bool SummariseAoi(const SampleRect& rect, const void* samples, int bytesPerSample, int width, int colorPattern,
                  AoiSummary& result) {
    result = AoiSummary{};
    if (!detail::Valid(rect, samples, bytesPerSample, width)) return false;
    const detail::Lattices L = detail::Walk(rect, samples, bytesPerSample, width, colorPattern, true);
    result.colour = IsColourMosaic(colorPattern);
    result.all = detail::Summarise(L.S, 0xF);
    result.red = detail::Summarise(L.S, L.red);
    result.green = detail::Summarise(L.S, L.green);
    result.blue = detail::Summarise(L.S, L.blue);
    return true;
}

}  // namespace zel
#endif  // HWY_ONCE
