// Vector building blocks of the unpacking kernels, compiled once per instruction-set
// target (Highway's per-target include: no ordinary include guard).
//
// Every packing is decoded in 128-bit blocks of eight 16-bit samples: byte shuffles and
// interleaves work within a block on every target. Targets with 256-bit vectors hold two
// blocks per vector, 128-bit targets one. A `Unit` is 16 samples, one tile or one
// stretch of a stream: one vector or two, with block 0 first either way. Wider vectors
// would not help: a unit is the natural step of every layout, and a 256-bit unit's
// stores already fill whole cache lines of the rows.

#if defined(ZEL_DECODE_UNPACK_BLOCKS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef ZEL_DECODE_UNPACK_BLOCKS_INL_H_
#undef ZEL_DECODE_UNPACK_BLOCKS_INL_H_
#else
#define ZEL_DECODE_UNPACK_BLOCKS_INL_H_
#endif

#include <hwy/highway.h>

#include <cstddef>
#include <cstdint>

HWY_BEFORE_NAMESPACE();
namespace zel::detail::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET != HWY_SCALAR

#if HWY_ARCH_X86 && HWY_TARGET <= HWY_AVX2
using D8 = hn::Full256<uint8_t>;
#else
using D8 = hn::Full128<uint8_t>;
#endif
using D16 = hn::Repartition<uint16_t, D8>;
using D32 = hn::Repartition<uint32_t, D8>;
using D64 = hn::Repartition<uint64_t, D8>;
using V8 = hn::Vec<D8>;
using V16 = hn::Vec<D16>;

inline constexpr size_t kBlocksPerVector = hn::MaxLanes(D8()) / 16;
inline constexpr size_t kUnitVectors = 2 / kBlocksPerVector;

// 16 samples as blocks 0 and 1.
struct Unit {
    V16 v[kUnitVectors];
};

// Block 0 from `p0` and, with two blocks per vector, block 1 from `p1` (16 bytes each).
template <class D>
HWY_INLINE hn::Vec<D> LoadBlocks(D d, const uint8_t* p0, const uint8_t* p1) {
    if constexpr (hn::MaxLanes(D()) == 32) {
        const hn::Half<D> dh;
        return hn::Combine(d, hn::LoadU(dh, p1), hn::LoadU(dh, p0));
    } else {
        (void)p1;
        return hn::LoadU(d, p0);
    }
}

// As LoadBlocks, 8 bytes each, zero-extended.
template <class D>
HWY_INLINE hn::Vec<D> LoadHalfBlocks(D d, const uint8_t* p0, const uint8_t* p1) {
    const hn::Full64<uint8_t> d64;
    const hn::Full128<uint8_t> d128;
    const auto lo = hn::ZeroExtendVector(d128, hn::LoadU(d64, p0));
    if constexpr (hn::MaxLanes(D()) == 32) {
        return hn::Combine(d, hn::ZeroExtendVector(d128, hn::LoadU(d64, p1)), lo);
    } else {
        (void)d;
        (void)p1;
        return lo;
    }
}

// A 32-byte table of per-block shuffle patterns as vectors: with one block per vector,
// pattern i of vector i; with two, both in one vector.
struct Patterns {
    V8 v[kUnitVectors];
    HWY_INLINE explicit Patterns(const uint8_t (&table)[32]) {
        for (size_t i = 0; i < kUnitVectors; ++i) v[i] = hn::LoadU(D8(), table + 16 * i);
    }
};

// Stores block j of `v` (16 bytes) at `p`.
template <class V>
HWY_INLINE void StoreBlock(const V v, size_t j, uint16_t* p) {
    if constexpr (hn::MaxLanes(hn::DFromV<V>()) == 16) {
        const hn::Full128<uint16_t> d128;
        hn::StoreU(j == 0 ? hn::LowerHalf(d128, v) : hn::UpperHalf(d128, v), d128, p);
    } else {
        (void)j;
        hn::StoreU(v, hn::DFromV<V>(), p);
    }
}

// Block j (0 or 1) of a unit.
HWY_INLINE void StoreUnitBlock(const Unit& u, size_t j, uint16_t* p) {
    if constexpr (kBlocksPerVector == 2) {
        StoreBlock(u.v[0], j, p);
    } else {
        StoreBlock(u.v[j], 0, p);
    }
}

HWY_INLINE void StoreUnit(const Unit& u, uint16_t* p) {
    for (size_t i = 0; i < kUnitVectors; ++i) hn::StoreU(u.v[i], D16(), p + i * hn::MaxLanes(D16()));
}

// ---- MSB-first bit streams, 16 samples per unit. Each 16-bit lane receives the two
// bytes that hold its sample, most significant byte high; a multiply by 2^k shifts
// every lane left by its own bit offset k, dropping the bits of the previous sample,
// and one logical right shift leaves the sample. Block 1 is loaded from a later offset
// than its first byte, so that no load passes the unit's last byte.

// Where a stream's bits sit: `Layout` gives the unit's bytes, the offset block 1 is
// loaded from, the byte pairs of both blocks' samples, each lane's bit offset as a
// multiplier and the final shift.
template <class Layout>
struct BitsUnpacker {
    static constexpr size_t kBytes = Layout::kBytes;
    Patterns shuffle;
    V16 shifts;
    // Explicit: an implicit constructor would not be compiled for the target.
    HWY_INLINE BitsUnpacker() : shuffle(Layout::kShuffle), shifts(hn::LoadDup128(D16(), Layout::kShifts)) {}

    HWY_INLINE Unit operator()(const uint8_t* src) const {
        constexpr size_t second = Layout::kSecondBlock;
        Unit u;
        for (size_t i = 0; i < kUnitVectors; ++i) {
            const V8 bytes =
                kBlocksPerVector == 2 ? LoadBlocks(D8(), src, src + second) : hn::LoadU(D8(), src + second * i);
            const V16 v = hn::BitCast(D16(), hn::TableLookupBytes(bytes, shuffle.v[i]));
            u.v[i] = hn::ShiftRight<Layout::kShiftRight>(hn::Mul(v, shifts));
        }
        return u;
    }
};

struct Bits10Layout {
    static constexpr size_t kBytes = 20;
    // Sample i of eight starts in byte o = 0,1,2,3,5,6,7,8 at bit 10i mod 8; block 1 is
    // loaded from byte 4, so its bytes 10 + o sit at 6 + o.
    static constexpr size_t kSecondBlock = 4;
    static constexpr uint8_t kShuffle[32] = {1, 0, 2, 1, 3, 2, 4, 3, 6, 5, 7, 6, 8, 7, 9, 8,  //
                                             7, 6, 8, 7, 9, 8, 10, 9, 12, 11, 13, 12, 14, 13, 15, 14};
    static constexpr uint16_t kShifts[8] = {1, 4, 16, 64, 1, 4, 16, 64};
    static constexpr int kShiftRight = 6;
};

struct Bits12Layout {
    static constexpr size_t kBytes = 24;
    // Sample i of eight starts in byte o = 0,1,3,4,6,7,9,10 at bit 0 or 4; block 1 is
    // loaded from byte 8, so its bytes 12 + o sit at 4 + o.
    static constexpr size_t kSecondBlock = 8;
    static constexpr uint8_t kShuffle[32] = {1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10,  //
                                             5, 4, 6, 5, 8, 7, 9, 8, 11, 10, 12, 11, 14, 13, 15, 14};
    static constexpr uint16_t kShifts[8] = {1, 16, 1, 16, 1, 16, 1, 16};
    static constexpr int kShiftRight = 4;
};

using Bits10Unpacker = BitsUnpacker<Bits10Layout>;
using Bits12Unpacker = BitsUnpacker<Bits12Layout>;

// ---- The companding curve in 16-bit lanes. Every segment is
// base + floor((c - start) x slope + offset), evaluated as the fixed-point product
// base + mulhi(d x 1024 + r, K) with d = c - start; the constants reproduce the exact
// truncated rational values for every code of their segment:
//   codes   0-127  c                            (K = 64: mulhi(d x 1024, 64) = d)
//   codes 128-191  128 + mulhi(d x 1024 + 255, 129)
//   codes 192-223  256 + mulhi(d x 1024 + 45, 527)
//   codes 224-255  512 + mulhi(d x 1024, 1055)
// In 16 bits c x 1024 wraps to (c mod 64) x 1024. That is d x 1024 where segments
// start at multiples of 64; for 224-255 it is d x 1024 + 32768, which r = 32768 wraps
// back, and codes 64-127 get base 64. So each lane only needs its code's r, K and base,
// looked up by the top three bits of the code with byte shuffles. The tests compare
// all 256 codes with the integer table.
struct Expand8Unpacker {
    static constexpr size_t kBytes = 16;
    static constexpr uint16_t kOffsetR[8] = {0, 0, 0, 0, 255, 255, 45, 32768};
    static constexpr uint16_t kFactorK[8] = {64, 64, 64, 64, 129, 129, 527, 1055};
    static constexpr uint16_t kBase[8] = {0, 0, 64, 64, 128, 128, 256, 512};
    V8 offsetR, factorK, base;
    HWY_INLINE Expand8Unpacker()
        : offsetR(hn::BitCast(D8(), hn::LoadDup128(D16(), kOffsetR))),
          factorK(hn::BitCast(D8(), hn::LoadDup128(D16(), kFactorK))),
          base(hn::BitCast(D8(), hn::LoadDup128(D16(), kBase))) {}

    HWY_INLINE Unit operator()(const uint8_t* src) const {
        const hn::Rebind<uint8_t, D16> dCodes;
        const V16 pairStep = hn::Set(D16(), 0x0202), pairFirst = hn::Set(D16(), 0x0100);
        Unit u;
        for (size_t i = 0; i < kUnitVectors; ++i) {
            const V16 c = hn::PromoteTo(D16(), hn::LoadU(dCodes, src + i * hn::MaxLanes(D16())));
            // Byte indices 2s and 2s + 1 of entry s = c >> 5 in each 16-bit lane.
            const V8 index = hn::BitCast(D8(), hn::Add(hn::Mul(hn::ShiftRight<5>(c), pairStep), pairFirst));
            const auto lookup = [&](V8 table) { return hn::BitCast(D16(), hn::TableLookupBytes(table, index)); };
            const V16 x = hn::Add(hn::ShiftLeft<10>(c), lookup(offsetR));
            u.v[i] = hn::Add(hn::MulHigh(x, lookup(factorK)), lookup(base));
        }
        return u;
    }
};

// ---- Lane packing: 40 bytes, 32 samples. Lane j (0-7) is bytes j, 8+j, 16+j, 24+j,
// 32+j: a 40-bit big-endian value of samples j, 8+j, 16+j, 24+j. Interleaving byte
// plane i + 1 with plane i gives 16-bit words with plane i in the high byte, and each
// sample plane is one such word shifted and masked: s0 = P0P1 >> 6,
// s1 = (P1P2 >> 4) & 0x3FF, s2 = (P2P3 >> 2) & 0x3FF, s3 = P3P4 & 0x3FF.
struct LaneSamples {
    V16 s0, s1, s2, s3;
};

// Block 0 of each plane from the block at `a`; with two blocks per vector block 1 from `b`.
HWY_INLINE LaneSamples UnpackLaneBlocks(const uint8_t* a, const uint8_t* b) {
    const D8 d8;
    const V16 mask = hn::Set(D16(), 0x3FF);
    const V8 p01 = LoadBlocks(d8, a, b);  // planes 0 and 1 in each block
    const V8 p23 = LoadBlocks(d8, a + 16, b + 16);
    const V8 p4 = LoadHalfBlocks(d8, a + 32, b + 32);
    const V8 p1 = hn::ShiftRightBytes<8>(d8, p01);
    const V8 p3 = hn::ShiftRightBytes<8>(d8, p23);
    const auto words = [&](V8 low, V8 high) { return hn::BitCast(D16(), hn::InterleaveLower(d8, low, high)); };
    return {hn::ShiftRight<6>(words(p1, p01)), hn::And(hn::ShiftRight<4>(words(p23, p1)), mask),
            hn::And(hn::ShiftRight<2>(words(p3, p23)), mask), hn::And(words(p4, p3), mask)};
}

// ---- 4 x 4 transpose of 32-bit pairs within each block: row r of the result holds
// element r of a, b, c and d.
HWY_INLINE void Transpose4(V16 a, V16 b, V16 c, V16 d, V16 out[4]) {
    const D32 d32;
    const D64 d64;
    const auto x0 = hn::InterleaveLower(d32, hn::BitCast(d32, a), hn::BitCast(d32, b));
    const auto x1 = hn::InterleaveUpper(d32, hn::BitCast(d32, a), hn::BitCast(d32, b));
    const auto x2 = hn::InterleaveLower(d32, hn::BitCast(d32, c), hn::BitCast(d32, d));
    const auto x3 = hn::InterleaveUpper(d32, hn::BitCast(d32, c), hn::BitCast(d32, d));
    const auto lo = [&](auto p, auto q) { return hn::BitCast(D16(), hn::InterleaveLower(d64, hn::BitCast(d64, p), hn::BitCast(d64, q))); };
    const auto hi = [&](auto p, auto q) { return hn::BitCast(D16(), hn::InterleaveUpper(d64, hn::BitCast(d64, p), hn::BitCast(d64, q))); };
    out[0] = lo(x0, x2);
    out[1] = hi(x0, x2);
    out[2] = lo(x1, x3);
    out[3] = hi(x1, x3);
}

// Reverses the eight samples of each block.
struct Mirror {
    static constexpr uint8_t kReverse[16] = {14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1};
    V8 pattern;
    HWY_INLINE Mirror() : pattern(hn::LoadDup128(D8(), kReverse)) {}
    HWY_INLINE V16 operator()(V16 v) const {
        return hn::BitCast(D16(), hn::TableLookupBytes(hn::BitCast(D8(), v), pattern));
    }
};

#endif  // HWY_TARGET != HWY_SCALAR

}  // namespace zel::detail::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif  // per-target include guard
