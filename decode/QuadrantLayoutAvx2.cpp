// Format 1 (Lane10Quadrant) with AVX2. A chunk is decoded two blocks per register and
// regrouped so that each cell's 8 rows are one register; four neighbouring column
// pairs of the same band are then transposed, so that one row of a cell across the
// four pairs (eight samples) goes out with one 16-byte store. See QuadrantWalk.h for
// the layout.

#include "decode/QuadrantWalk.h"

#if defined(__x86_64__)

#include <algorithm>

#include "decode/Avx2Primitives.h"

namespace zel::detail {

namespace {

using namespace avx2;

// Blocks k = 0, 1 of a quadrant in one register and k = 2, 3 in another give, per
// 128-bit half, the pairs (sample n, sample n + 16) of lanes 0-3 and 4-7 of planes
// 0/2 (cells 0-3) and 1/3 (cells 4-7); each 64-bit unit is one cell's two rows of one
// block. Unpacking 64-bit units of the two registers gathers a cell's 8 rows in the
// order k0, k2 (low half), k1, k3 (high half): CellRow.
ZEL_AVX2 void DecodeChunk(const uint8_t* src, uint32_t* pairs) {
    for (size_t quadrant = 0; quadrant < 4; ++quadrant) {
        const uint8_t* blocks = src + quadrant * 4 * kLaneBlockBytes;
        const LaneSamples x = UnpackTwoBlocks(blocks, blocks + kLaneBlockBytes);
        const LaneSamples y = UnpackTwoBlocks(blocks + 2 * kLaneBlockBytes, blocks + 3 * kLaneBlockBytes);
        const __m256i x02[2] = {_mm256_unpacklo_epi16(x.s0, x.s2), _mm256_unpackhi_epi16(x.s0, x.s2)};
        const __m256i x13[2] = {_mm256_unpacklo_epi16(x.s1, x.s3), _mm256_unpackhi_epi16(x.s1, x.s3)};
        const __m256i y02[2] = {_mm256_unpacklo_epi16(y.s0, y.s2), _mm256_unpackhi_epi16(y.s0, y.s2)};
        const __m256i y13[2] = {_mm256_unpacklo_epi16(y.s1, y.s3), _mm256_unpackhi_epi16(y.s1, y.s3)};
        uint32_t* cells = pairs + CellStart(quadrant, 0);
        for (size_t h = 0; h < 2; ++h) {  // lanes 0-3, 4-7: cells 2h, 2h + 1 and 4 + 2h, 5 + 2h
            Store256(cells + 8 * (2 * h), _mm256_unpacklo_epi64(x02[h], y02[h]));
            Store256(cells + 8 * (2 * h + 1), _mm256_unpackhi_epi64(x02[h], y02[h]));
            Store256(cells + 8 * (4 + 2 * h), _mm256_unpacklo_epi64(x13[h], y13[h]));
            Store256(cells + 8 * (5 + 2 * h), _mm256_unpackhi_epi64(x13[h], y13[h]));
        }
    }
}

ZEL_AVX2 inline __m256i LoadCell(const uint32_t* chunk, size_t quadrant, size_t j) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(chunk + CellStart(quadrant, j)));
}

// The cells of four neighbouring column pairs, innermost first.
ZEL_AVX2 void WriteFourCells(const QuadrantWalk& walk, const uint32_t* const chunk[4], const size_t j[4],
                             size_t pair, size_t band) {
    for (size_t quadrant = 0; quadrant < 4; ++quadrant) {
        // On the left the outermost of the four pairs has the lowest address, so the
        // cells are taken outermost first there.
        const bool left = quadrant % 2 == 0;
        __m256i c[4];
        for (size_t i = 0; i < 4; ++i) {
            const size_t from = left ? 3 - i : i;
            c[i] = LoadCell(chunk[from], quadrant, j[from]);
        }
        // 4 x 8 transpose: r[e] holds element e of the low halves (rows k0q0, k0q1,
        // k2q0, k2q1) and, in its high half, of the high halves (k1q0 ... k3q1).
        const __m256i x0 = _mm256_unpacklo_epi32(c[0], c[1]);
        const __m256i x1 = _mm256_unpackhi_epi32(c[0], c[1]);
        const __m256i x2 = _mm256_unpacklo_epi32(c[2], c[3]);
        const __m256i x3 = _mm256_unpackhi_epi32(c[2], c[3]);
        const __m256i r[4] = {_mm256_unpacklo_epi64(x0, x2), _mm256_unpackhi_epi64(x0, x2),
                              _mm256_unpacklo_epi64(x1, x3), _mm256_unpackhi_epi64(x1, x3)};
        uint16_t* const cell = walk.Cell(quadrant, left ? pair + 3 : pair, band);
        const size_t(*offsets)[2] = walk.rowOffset[quadrant / 2];
        for (size_t e = 0; e < 4; ++e) {
            const size_t q = e % 2;
            const size_t k = e / 2 * 2;  // 0 or 2 in the low half, + 1 in the high half
            Store128(cell + offsets[k][q], _mm256_castsi256_si128(r[e]));
            Store128(cell + offsets[k + 1][q], _mm256_extracti128_si256(r[e], 1));
        }
    }
}

void WriteOneCell(const QuadrantWalk& walk, const uint32_t* chunk, size_t j, size_t pair, size_t band) {
    for (size_t quadrant = 0; quadrant < 4; ++quadrant) {
        uint16_t* const cell = walk.Cell(quadrant, pair, band);
        const uint32_t* rows = chunk + CellStart(quadrant, j);
        const size_t(*offsets)[2] = walk.rowOffset[quadrant / 2];
        for (size_t k = 0; k < 4; ++k) {
            StorePair(cell + offsets[k][0], rows[CellRow(k, 0)]);
            StorePair(cell + offsets[k][1], rows[CellRow(k, 1)]);
        }
    }
}

ZEL_AVX2 void DecodeCells(const QuadrantWalk& walk) {
    QuadrantSlot slots[kStripPairs];
    for (size_t stripStart = 0; stripStart < walk.columnPairs; stripStart += kStripPairs) {
        const size_t stripEnd = std::min(walk.columnPairs, stripStart + kStripPairs);
        for (size_t band = 0; band < walk.cellsPerColumn; ++band) {
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
                if (step >= walk.cells) {
                    break;
                }
                QuadrantSlot& slot = slots[pair - stripStart];
                const size_t j = slot.Load(walk, DecodeChunk, step);
                WriteOneCell(walk, slot.pairs, j, pair, band);
            }
        }
    }
}

}  // namespace

void DecodeLane10QuadrantAvx2(const FrameView& frame) {
    DecodeCells(QuadrantWalk(frame));
}

}  // namespace zel::detail

#endif
