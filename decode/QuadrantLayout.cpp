// Format 1 (Lane10Quadrant) with vectors, for every instruction-set target. A chunk is
// decoded a block per vector block and regrouped so that each cell's 8 rows are one
// unit; four neighbouring column pairs of the same band are then transposed, so that
// one row of a cell across the four pairs (eight samples) goes out with one 16-byte
// store. See QuadrantWalk.h for the layout.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "decode/QuadrantLayout.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <algorithm>

#include "decode/QuadrantWalk.h"
#include "decode/UnpackBlocks-inl.h"

HWY_BEFORE_NAMESPACE();
namespace zel::detail::HWY_NAMESPACE {

#if HWY_TARGET == HWY_SCALAR

void DecodeQuadrantTarget(const FrameView& frame, size_t bandBegin, size_t bandEnd) {
    DecodeLane10QuadrantPlain(frame, bandBegin, bandEnd);
}

#else

// Blocks k = 0, 1 of a quadrant and k = 2, 3 give, per block, the pairs (sample n,
// sample n + 16) of lanes 0-3 and 4-7 of planes 0/2 (cells 0-3) and 1/3 (cells 4-7);
// each 64-bit unit is one cell's two rows of one block. Interleaving 64-bit units of
// blocks k and k + 2 gathers a cell's rows in the order k0, k2 (block 0 of the cell),
// k1, k3 (block 1): CellRow. With two blocks per vector, k and k + 1 share a vector.
void DecodeChunk(const uint8_t* src, uint32_t* pairs) {
    const D16 d16;
    const D64 d64;
    const auto lo64 = [&](V16 a, V16 b) {
        return hn::BitCast(d16, hn::InterleaveLower(d64, hn::BitCast(d64, a), hn::BitCast(d64, b)));
    };
    const auto hi64 = [&](V16 a, V16 b) {
        return hn::BitCast(d16, hn::InterleaveUpper(d64, hn::BitCast(d64, a), hn::BitCast(d64, b)));
    };
    for (size_t quadrant = 0; quadrant < 4; ++quadrant) {
        const uint8_t* blocks = src + quadrant * 4 * kLaneBlockBytes;
        uint16_t* cells = reinterpret_cast<uint16_t*>(pairs + CellStart(quadrant, 0));
        // Vector i holds block k = i (one block per vector) or k = 2i, 2i + 1 (two); the
        // partner of k is k + 2, one vector index on.
        for (size_t i = 0; i < kUnitVectors; ++i) {
            const uint8_t* a = blocks + i * kBlocksPerVector * kLaneBlockBytes;
            const LaneSamples x = UnpackLaneBlocks(a, a + kLaneBlockBytes);
            const LaneSamples y = UnpackLaneBlocks(a + 2 * kLaneBlockBytes, a + 3 * kLaneBlockBytes);
            const V16 x02[2] = {hn::InterleaveLower(d16, x.s0, x.s2), hn::InterleaveUpper(d16, x.s0, x.s2)};
            const V16 x13[2] = {hn::InterleaveLower(d16, x.s1, x.s3), hn::InterleaveUpper(d16, x.s1, x.s3)};
            const V16 y02[2] = {hn::InterleaveLower(d16, y.s0, y.s2), hn::InterleaveUpper(d16, y.s0, y.s2)};
            const V16 y13[2] = {hn::InterleaveLower(d16, y.s1, y.s3), hn::InterleaveUpper(d16, y.s1, y.s3)};
            // Cell c's block i starts at sample 16c + 8i (a whole cell per vector with two blocks).
            for (size_t h = 0; h < 2; ++h) {  // lanes 0-3, 4-7: cells 2h, 2h + 1 and 4 + 2h, 5 + 2h
                hn::StoreU(lo64(x02[h], y02[h]), d16, cells + 16 * (2 * h) + 8 * i);
                hn::StoreU(hi64(x02[h], y02[h]), d16, cells + 16 * (2 * h + 1) + 8 * i);
                hn::StoreU(lo64(x13[h], y13[h]), d16, cells + 16 * (4 + 2 * h) + 8 * i);
                hn::StoreU(hi64(x13[h], y13[h]), d16, cells + 16 * (5 + 2 * h) + 8 * i);
            }
        }
    }
}

HWY_INLINE Unit LoadCell(const uint32_t* chunk, size_t quadrant, size_t j) {
    const uint16_t* p = reinterpret_cast<const uint16_t*>(chunk + CellStart(quadrant, j));
    Unit u;
    for (size_t i = 0; i < kUnitVectors; ++i) u.v[i] = hn::LoadU(D16(), p + i * hn::MaxLanes(D16()));
    return u;
}

// The cells of four neighbouring column pairs, innermost first.
void WriteFourCells(const QuadrantWalk& walk, const uint32_t* const chunk[4], const size_t j[4], size_t pair,
                    size_t band) {
    for (size_t quadrant = 0; quadrant < 4; ++quadrant) {
        // On the left the outermost of the four pairs has the lowest address, so the
        // cells are taken outermost first there.
        const bool left = quadrant % 2 == 0;
        Unit c[4];
        for (size_t i = 0; i < 4; ++i) {
            const size_t from = left ? 3 - i : i;
            c[i] = LoadCell(chunk[from], quadrant, j[from]);
        }
        uint16_t* const cell = walk.Cell(quadrant, left ? pair + 3 : pair, band);
        const size_t(*offsets)[2] = walk.rowOffset[quadrant / 2];
        for (size_t i = 0; i < kUnitVectors; ++i) {
            // r[e] holds, per block, element e of the cells' blocks: rows k0q0, k0q1,
            // k2q0, k2q1 in block 0 of the unit and k1q0 ... k3q1 in block 1.
            V16 r[4];
            Transpose4(c[0].v[i], c[1].v[i], c[2].v[i], c[3].v[i], r);
            for (size_t e = 0; e < 4; ++e) {
                const size_t q = e % 2;
                const size_t k = e / 2 * 2;
                for (size_t b = 0; b < kBlocksPerVector; ++b) StoreBlock(r[e], b, cell + offsets[k + i + b][q]);
            }
        }
    }
}

void DecodeQuadrantTarget(const FrameView& frame, size_t bandBegin, size_t bandEnd) {
    const QuadrantWalk walk(frame);
    QuadrantSlot slots[kStripPairs];
    for (size_t stripStart = 0; stripStart < walk.columnPairs; stripStart += kStripPairs) {
        const size_t stripEnd = std::min(walk.columnPairs, stripStart + kStripPairs);
        for (size_t band = bandBegin; band < bandEnd; ++band) {
            size_t pair = stripStart;
            // Four pairs at once while all four have a cell in the stored data.
            for (; pair + 4 <= stripEnd && (pair + 3) * walk.cellsPerColumn + band < walk.cells; pair += 4) {
                const uint32_t* chunk[4];
                size_t j[4];
                for (size_t i = 0; i < 4; ++i) {
                    QuadrantSlot& slot = slots[pair + i - stripStart];
                    j[i] = slot.Load(walk, DecodeChunk, (pair + i) * walk.cellsPerColumn + band);
                    chunk[i] = slot.pairs;
                }
                WriteFourCells(walk, chunk, j, pair, band);
            }
            for (; pair < stripEnd; ++pair) {
                const size_t step = pair * walk.cellsPerColumn + band;
                if (step >= walk.cells) break;
                QuadrantSlot& slot = slots[pair - stripStart];
                WriteCell(walk, slot.pairs, slot.Load(walk, DecodeChunk, step), pair, band);
            }
        }
    }
}

#endif

}  // namespace zel::detail::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include "simd/Dispatch.h"

namespace zel::detail {

ZEL_SIMD_EXPORT(DecodeQuadrantTarget);

void DecodeLane10Quadrant(const FrameView& frame, size_t bandBegin, size_t bandEnd) {
    ZEL_SIMD_DISPATCH(DecodeQuadrantTarget)(frame, bandBegin, bandEnd);
}

}  // namespace zel::detail
#endif
