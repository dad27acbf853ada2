#pragma once
// Geometry of format 1 (Lane10Quadrant), shared by the plain and the vector decoders.
//
// Lane-packed blocks read out from the centre of the sensor in four quadrants. A
// chunk of 16 blocks holds 4 blocks per quadrant (upper-left, upper-right,
// lower-left, lower-right). Together the four blocks of a quadrant fill eight cells of
// 8 rows x 2 columns, one cell per step J of the walk; the walk runs down a column
// pair from the horizontal centre line to the frame edge, then starts the next pair,
// one step further out from the vertical centre line, at the centre line again.
// Within cell j (0-7) of a chunk, block k (0-3) supplies rows k and k + 4 counted from
// the centre line, from its lanes 2(j mod 4) and 2(j mod 4) + 1; planes 0/1 feed the
// pair's left column and planes 2/3 its right column. So each row of a cell is one
// pair (sample n, sample n + 16) of a block: pair 8 * (j / 4) + 2 * (j mod 4) + q =
// 2j + q for the rows k + 4q.
//
// The decoders visit cells in strips of kStripPairs column pairs, one band at a time
// across the strip, for the reason given in TileWalk.h. Each column pair of the strip
// keeps its current chunk decoded in its own slot: going down its column the walk
// needs a new chunk every 8 bands, so each chunk is still decoded once. A decoded
// chunk is stored cell by cell, so that the 8 rows of a cell are 8 neighbouring
// 32-bit pairs (in the order CellRow gives, which suits the vector decoder).
//
// Needs rows a multiple of 16 and width a multiple of 4 (FastPathApplies): then every
// cell lies inside the frame and the walk wraps exactly at the frame edge.

#include "decode/Layouts.h"

namespace zel::detail {

inline constexpr size_t kChunkBytes = kQuadrantChunkBlocks * kLaneBlockBytes;
inline constexpr size_t kChunkPairs = kQuadrantChunkSamples / 2;

// Position, among the 8 pairs of its cell, of the row from block k (0-3), partner q.
constexpr size_t CellRow(size_t k, size_t q) {
    return (k % 2) * 4 + (k / 2) * 2 + q;
}

// Position of a cell's first pair in a decoded chunk.
constexpr size_t CellStart(size_t quadrant, size_t j) {
    return (quadrant * 8 + j) * 8;
}

// Decodes one 640-byte chunk into its 256 pairs, cell by cell.
using ChunkDecoder = void (*)(const uint8_t* src, uint32_t* pairs);

void DecodeQuadrantChunkPlain(const uint8_t* src, uint32_t* pairs);

struct QuadrantWalk {
    const FrameView& frame;
    size_t half;            // rows above (and below) the centre line
    size_t centreX;
    size_t cellsPerColumn;  // cells from the centre line to the edge
    size_t cells;           // cells in the stored data
    size_t columnPairs;     // column pairs the cells reach
    // Offset of the row of block k, partner q, from the top row of its cell, for
    // upper [0] and lower [1] quadrants: lower cells count down from the centre line
    // (k + 4q); upper cells count up, so from the cell's top row that is 7 - (3 - k + 4q).
    size_t rowOffset[2][4][2];

    explicit QuadrantWalk(const FrameView& f)
        : frame(f),
          half(f.rows / 2),
          centreX(f.width / 2),
          cellsPerColumn(f.rows / 16),
          cells(f.width * f.rows / kQuadrantChunkSamples * 8),
          columnPairs((cells + cellsPerColumn - 1) / cellsPerColumn),
          rowOffset{} {
        for (size_t k = 0; k < 4; ++k) {
            for (size_t q = 0; q < 2; ++q) {
                rowOffset[0][k][q] = (4 + k - 4 * q) * f.width;
                rowOffset[1][k][q] = (k + 4 * q) * f.width;
            }
        }
    }

    // Top-left sample of the cell at column pair `pair`, `band` cells out from the
    // centre line, in quadrant 0-3 (upper-left, upper-right, lower-left, lower-right).
    uint16_t* Cell(size_t quadrant, size_t pair, size_t band) const {
        const size_t top = quadrant < 2 ? half - 8 - 8 * band : half + 8 * band;
        const size_t x = quadrant % 2 == 0 ? centreX - 2 - 2 * pair : centreX + 2 * pair;
        return frame.out + top * frame.width + x;
    }
};

// One column pair's decoded chunk.
struct QuadrantSlot {
    size_t chunk = SIZE_MAX;
    alignas(32) uint32_t pairs[kChunkPairs];

    // Makes the slot hold the chunk of walk step `step`; returns the step's cell (0-7).
    size_t Load(const QuadrantWalk& walk, ChunkDecoder decode, size_t step) {
        if (chunk != step / 8) {
            chunk = step / 8;
            decode(walk.frame.packed + chunk * kChunkBytes, pairs);
        }
        return step % 8;
    }
};

// Writes cell j of a decoded chunk, one 32-bit store per row.
void WriteCell(const QuadrantWalk& walk, const uint32_t* chunk, size_t j, size_t pair, size_t band);

// Bands [bandBegin, bandEnd) of the frame (cells out from the centre line), every column pair.
void DecodeLane10QuadrantPlain(const FrameView& frame, size_t bandBegin, size_t bandEnd);

}  // namespace zel::detail
