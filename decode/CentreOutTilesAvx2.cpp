// Formats 2, 3 and 4 (centre-out tiles) with AVX2. One tile (16 samples) is one
// register: 8 rows of one 32-bit pair each. Four neighbouring column pairs of the same
// band are decoded together and transposed, so that each row of four pairs (eight
// samples, 16 bytes) goes out with one store; the left side, mirrored, reverses the
// eight samples. See TileWalk.h for the layout.

#include "decode/TileWalk.h"

#if defined(__x86_64__)

#include <algorithm>

#include "decode/Avx2Primitives.h"

namespace zel::detail {

namespace {

using namespace avx2;

struct Companded8Tile {
    static constexpr size_t kBytes = 16;
    ZEL_AVX2 static __m256i Decode(const uint8_t* t) { return Expand8x16(t); }
};

struct Bits10Tile {
    static constexpr size_t kBytes = 20;
    ZEL_AVX2 static __m256i Decode(const uint8_t* t) { return Bits10x16(t); }
};

struct Bits12Tile {
    static constexpr size_t kBytes = 24;
    ZEL_AVX2 static __m256i Decode(const uint8_t* t) { return Bits12x16(t); }
};

// Tile order within a group and where each tile goes.
struct TilePlace {
    bool lower;
    bool right;
};
constexpr TilePlace kTiles[4] = {{true, true}, {false, true}, {true, false}, {false, false}};

// Writes rows of a tile: row s of the tile goes s rows away from the centre line.
ZEL_AVX2 inline void StoreRow(uint16_t* cellTop, size_t width, bool lower, size_t s, __m128i row) {
    Store128(cellTop + (lower ? s : 7 - s) * width, row);
}

template <class Tile>
ZEL_AVX2 void WriteFourPairs(const TileWalk& walk, size_t a, size_t b) {
    const size_t width = walk.frame.width;
    // Reverses the eight 16-bit samples of each 128-bit half.
    const __m256i mirror = _mm256_setr_epi8(14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1,  //
                                            14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1);
    const uint8_t* groups[4] = {walk.Group(a, b), walk.Group(a + 1, b), walk.Group(a + 2, b),
                                walk.Group(a + 3, b)};
    for (size_t t = 0; t < 4; ++t) {
        const TilePlace place = kTiles[t];
        const __m256i t0 = Tile::Decode(groups[0] + t * Tile::kBytes);
        const __m256i t1 = Tile::Decode(groups[1] + t * Tile::kBytes);
        const __m256i t2 = Tile::Decode(groups[2] + t * Tile::kBytes);
        const __m256i t3 = Tile::Decode(groups[3] + t * Tile::kBytes);
        // 4 x 8 transpose of the rows: r[s] holds row s (low half) and row s + 4 (high
        // half) of the four column pairs, innermost pair first.
        const __m256i x0 = _mm256_unpacklo_epi32(t0, t1);
        const __m256i x1 = _mm256_unpackhi_epi32(t0, t1);
        const __m256i x2 = _mm256_unpacklo_epi32(t2, t3);
        const __m256i x3 = _mm256_unpackhi_epi32(t2, t3);
        __m256i r[4] = {_mm256_unpacklo_epi64(x0, x2), _mm256_unpackhi_epi64(x0, x2),
                        _mm256_unpacklo_epi64(x1, x3), _mm256_unpackhi_epi64(x1, x3)};
        const size_t top = place.lower ? walk.LowerTop(b) : walk.UpperTop(b);
        const size_t x = place.right ? walk.RightX(a) : walk.LeftX(a + 3);
        uint16_t* const cellTop = walk.frame.out + top + x;
        for (size_t s = 0; s < 4; ++s) {
            if (!place.right) {
                r[s] = _mm256_shuffle_epi8(r[s], mirror);
            }
            StoreRow(cellTop, width, place.lower, s, _mm256_castsi256_si128(r[s]));
            StoreRow(cellTop, width, place.lower, s + 4, _mm256_extracti128_si256(r[s], 1));
        }
    }
}

// One column pair on its own, for strips whose width is not a multiple of four pairs.
template <class Tile>
ZEL_AVX2 void WriteOnePair(const TileWalk& walk, size_t a, size_t b) {
    const size_t width = walk.frame.width;
    const uint8_t* group = walk.Group(a, b);
    for (size_t t = 0; t < 4; ++t) {
        const TilePlace place = kTiles[t];
        __m256i rows = Tile::Decode(group + t * Tile::kBytes);
        if (!place.right) {
            rows = _mm256_or_si256(_mm256_slli_epi32(rows, 16), _mm256_srli_epi32(rows, 16));
        }
        alignas(32) uint32_t pairs[8];
        Store256(pairs, rows);
        const size_t top = place.lower ? walk.LowerTop(b) : walk.UpperTop(b);
        uint16_t* const cellTop = walk.frame.out + top + (place.right ? walk.RightX(a) : walk.LeftX(a));
        for (size_t s = 0; s < 8; ++s) {
            StorePair(cellTop + (place.lower ? s : 7 - s) * width, pairs[s]);
        }
    }
}

template <class Tile>
ZEL_AVX2 void DecodeTiles(const TileWalk& walk) {
    for (size_t stripStart = 0; stripStart < walk.pairs; stripStart += kStripPairs) {
        const size_t stripEnd = std::min(walk.pairs, stripStart + kStripPairs);
        for (size_t b = 0; b < walk.bands; ++b) {
            size_t a = stripStart;
            for (; a + 4 <= stripEnd; a += 4) {
                WriteFourPairs<Tile>(walk, a, b);
            }
            for (; a < stripEnd; ++a) {
                WriteOnePair<Tile>(walk, a, b);
            }
        }
    }
}

}  // namespace

void DecodeCentreOutTilesAvx2(const FrameView& frame, int pixelFormat) {
    const TileWalk walk(frame, pixelFormat);
    switch (pixelFormat) {
        case 2:
            DecodeTiles<Companded8Tile>(walk);
            break;
        case 3:
            DecodeTiles<Bits10Tile>(walk);
            break;
        default:
            DecodeTiles<Bits12Tile>(walk);
            break;
    }
}

}  // namespace zel::detail

#endif
