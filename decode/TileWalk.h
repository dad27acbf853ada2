#pragma once
// Geometry of the centre-out tile layouts (formats 2, 3, 4), shared by the plain and
// the vector decoders.
//
// A tile group of 64 stored samples fills four tiles of 2 columns x 8 rows, in the
// order lower-right, upper-right, lower-left, upper-left, all starting at the frame's
// centre lines. Group u covers column pair a = u / bands (counted outwards from the
// vertical centre line) and band b = u mod bands (8 rows, counted outwards from the
// horizontal centre line). Sample i of a tile is row i / 2 counted away from the
// centre line and column i mod 2 counted away from the vertical centre line, so each
// row of a tile is two adjacent stored samples, in stored order on the right side
// and swapped on the left.
//
// The decoders visit groups in strips of kStripPairs column pairs, band by band across
// the strip, rather than in stored order (one column pair from the centre to the
// edge, then the next): a column pair is 4 bytes of each row, so walking one from
// centre to edge touches a cache line per row and leaves it before the other 15 pairs
// of that line arrive; across a strip each line is filled while it is hot. The
// strip's groups are read from kStripPairs places of the stored data at once.
//
// Needs width a multiple of 4 and rows a multiple of 16 (FastPathApplies).

#include "decode/Layouts.h"

namespace zel::detail {

struct TileWalk {
    const FrameView& frame;
    size_t groupBytes;
    size_t bands;
    size_t pairs;
    size_t half;
    size_t centreX;

    TileWalk(const FrameView& f, int pixelFormat)
        : frame(f),
          groupBytes(TileGroupBytes(pixelFormat)),
          bands(f.rows / 16),
          pairs(f.width / 4),
          half(f.rows / 2),
          centreX(f.width / 2) {}

    const uint8_t* Group(size_t a, size_t b) const { return frame.packed + (a * bands + b) * groupBytes; }
    // Offsets of the top row of band b's lower and upper tiles.
    size_t LowerTop(size_t b) const { return (half + 8 * b) * frame.width; }
    size_t UpperTop(size_t b) const { return (half - 8 - 8 * b) * frame.width; }
    // Leftmost column of column pair a on each side.
    size_t RightX(size_t a) const { return centreX + 2 * a; }
    size_t LeftX(size_t a) const { return centreX - 2 - 2 * a; }
};

// Bands [bandBegin, bandEnd) of the frame, every column pair.
void DecodeCentreOutTilesPlain(const FrameView& frame, int pixelFormat, size_t bandBegin, size_t bandEnd);

}  // namespace zel::detail
