// Formats 2, 3 and 4 (centre-out tiles) with vectors, for every instruction-set target.
// One tile (16 samples) is one unit: rows 0-3 of the tile in block 0, rows 4-7 in
// block 1, one 32-bit sample pair per row. Four neighbouring column pairs of the same
// band are decoded together and transposed, so that each row of four pairs (eight
// samples, 16 bytes) goes out with one store; the left side, mirrored, reverses the
// eight samples. See TileWalk.h for the layout.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "decode/CentreOutTiles.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <algorithm>

#include "decode/TileWalk.h"
#include "decode/UnpackBlocks-inl.h"

HWY_BEFORE_NAMESPACE();
namespace zel::detail::HWY_NAMESPACE {

#if HWY_TARGET == HWY_SCALAR

void DecodeTilesTarget(const FrameView& frame, int pixelFormat, size_t bandBegin, size_t bandEnd) {
    DecodeCentreOutTilesPlain(frame, pixelFormat, bandBegin, bandEnd);
}

#else

// Tile order within a group and where each tile goes.
struct TilePlace {
    bool lower;
    bool right;
};
constexpr TilePlace kTiles[4] = {{true, true}, {false, true}, {true, false}, {false, false}};

// Row s of a tile goes s rows away from the centre line.
HWY_INLINE uint16_t* RowAt(uint16_t* cellTop, size_t width, bool lower, size_t s) {
    return cellTop + (lower ? s : 7 - s) * width;
}

template <class Unpacker>
struct TileWriter {
    const TileWalk& walk;
    const Unpacker unpack;
    const Mirror mirror;
    HWY_INLINE explicit TileWriter(const TileWalk& w) : walk(w) {}

    // Column pairs a .. a + 3 of band b.
    HWY_INLINE void FourPairs(size_t a, size_t b) const {
        const size_t width = walk.frame.width;
        const uint8_t* groups[4] = {walk.Group(a, b), walk.Group(a + 1, b), walk.Group(a + 2, b),
                                    walk.Group(a + 3, b)};
        for (size_t t = 0; t < 4; ++t) {
            const TilePlace place = kTiles[t];
            Unit tiles[4];
            for (size_t i = 0; i < 4; ++i) tiles[i] = unpack(groups[i] + t * Unpacker::kBytes);
            const size_t top = place.lower ? walk.LowerTop(b) : walk.UpperTop(b);
            const size_t x = place.right ? walk.RightX(a) : walk.LeftX(a + 3);
            uint16_t* const cellTop = walk.frame.out + top + x;
            for (size_t i = 0; i < kUnitVectors; ++i) {
                // rows[s] holds, per block, one tile row of the four column pairs,
                // innermost pair first: row s (+ 4 for block 1 of the unit).
                V16 rows[4];
                Transpose4(tiles[0].v[i], tiles[1].v[i], tiles[2].v[i], tiles[3].v[i], rows);
                for (size_t s = 0; s < 4; ++s) {
                    const V16 row = place.right ? rows[s] : mirror(rows[s]);
                    for (size_t j = 0; j < kBlocksPerVector; ++j) {
                        const size_t tileRow = s + 4 * (i + j);
                        StoreBlock(row, j, RowAt(cellTop, width, place.lower, tileRow));
                    }
                }
            }
        }
    }

    // One column pair on its own, for strips whose width is not a multiple of four pairs.
    HWY_INLINE void OnePair(size_t a, size_t b) const {
        const size_t width = walk.frame.width;
        const uint8_t* group = walk.Group(a, b);
        for (size_t t = 0; t < 4; ++t) {
            const TilePlace place = kTiles[t];
            alignas(32) uint16_t samples[16];
            StoreUnit(unpack(group + t * Unpacker::kBytes), samples);
            const size_t top = place.lower ? walk.LowerTop(b) : walk.UpperTop(b);
            uint16_t* const cellTop = walk.frame.out + top + (place.right ? walk.RightX(a) : walk.LeftX(a));
            for (size_t s = 0; s < 8; ++s) {
                uint16_t* const row = RowAt(cellTop, width, place.lower, s);
                row[0] = samples[2 * s + (place.right ? 0 : 1)];
                row[1] = samples[2 * s + (place.right ? 1 : 0)];
            }
        }
    }
};

template <class Unpacker>
void DecodeTiles(const TileWalk& walk, size_t bandBegin, size_t bandEnd) {
    const TileWriter<Unpacker> writer(walk);
    for (size_t stripStart = 0; stripStart < walk.pairs; stripStart += kStripPairs) {
        const size_t stripEnd = std::min(walk.pairs, stripStart + kStripPairs);
        for (size_t b = bandBegin; b < bandEnd; ++b) {
            size_t a = stripStart;
            for (; a + 4 <= stripEnd; a += 4) writer.FourPairs(a, b);
            for (; a < stripEnd; ++a) writer.OnePair(a, b);
        }
    }
}

void DecodeTilesTarget(const FrameView& frame, int pixelFormat, size_t bandBegin, size_t bandEnd) {
    const TileWalk walk(frame, pixelFormat);
    switch (pixelFormat) {
        case 2:
            DecodeTiles<Expand8Unpacker>(walk, bandBegin, bandEnd);
            break;
        case 3:
            DecodeTiles<Bits10Unpacker>(walk, bandBegin, bandEnd);
            break;
        default:
            DecodeTiles<Bits12Unpacker>(walk, bandBegin, bandEnd);
            break;
    }
}

#endif

}  // namespace zel::detail::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include "simd/Dispatch.h"

namespace zel::detail {

ZEL_SIMD_EXPORT(DecodeTilesTarget);

void DecodeCentreOutTiles(const FrameView& frame, int pixelFormat, size_t bandBegin, size_t bandEnd) {
    ZEL_SIMD_DISPATCH(DecodeTilesTarget)(frame, pixelFormat, bandBegin, bandEnd);
}

}  // namespace zel::detail
#endif
