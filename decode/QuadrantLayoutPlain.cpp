// Format 1 (Lane10Quadrant), plain C++ for the scalar target: each row of a cell is
// written with one 32-bit store. See QuadrantWalk.h for the layout.

#include <algorithm>

#include "decode/DecodeDetail.h"
#include "decode/QuadrantWalk.h"

namespace zel::detail {

void DecodeQuadrantChunkPlain(const uint8_t* src, uint32_t* pairs) {
    for (size_t blk = 0; blk < kQuadrantChunkBlocks; ++blk) {
        const uint8_t* b = src + blk * kLaneBlockBytes;
        const size_t quadrant = blk / 4;
        const size_t k = blk % 4;
        for (size_t lane = 0; lane < 8; ++lane) {
            const uint32_t b0 = b[lane], b1 = b[8 + lane], b2 = b[16 + lane], b3 = b[24 + lane],
                           b4 = b[32 + lane];
            const uint32_t s0 = (b0 << 2) | (b1 >> 6);
            const uint32_t s1 = ((b1 & 0x3Fu) << 4) | (b2 >> 4);
            const uint32_t s2 = ((b2 & 0x0Fu) << 6) | (b3 >> 2);
            const uint32_t s3 = ((b3 & 0x03u) << 8) | b4;
            // Planes 0 and 2 belong to cell lane / 2, planes 1 and 3 to cell 4 + lane / 2.
            const size_t q = lane % 2;
            pairs[CellStart(quadrant, lane / 2) + CellRow(k, q)] = s0 | (s2 << 16);
            pairs[CellStart(quadrant, 4 + lane / 2) + CellRow(k, q)] = s1 | (s3 << 16);
        }
    }
}

void WriteCell(const QuadrantWalk& walk, const uint32_t* chunk, size_t j, size_t pair, size_t band) {
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

void DecodeLane10QuadrantPlain(const FrameView& frame, size_t bandBegin, size_t bandEnd) {
    const QuadrantWalk walk(frame);
    QuadrantSlot slots[kStripPairs];
    for (size_t stripStart = 0; stripStart < walk.columnPairs; stripStart += kStripPairs) {
        const size_t stripEnd = std::min(walk.columnPairs, stripStart + kStripPairs);
        for (size_t band = bandBegin; band < bandEnd; ++band) {
            for (size_t pair = stripStart; pair < stripEnd; ++pair) {
                const size_t step = pair * walk.cellsPerColumn + band;
                if (step >= walk.cells) {
                    break;
                }
                QuadrantSlot& slot = slots[pair - stripStart];
                const size_t j = slot.Load(walk, DecodeQuadrantChunkPlain, step);
                WriteCell(walk, slot.pairs, j, pair, band);
            }
        }
    }
}

}  // namespace zel::detail
