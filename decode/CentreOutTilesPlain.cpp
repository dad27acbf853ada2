// Formats 2, 3 and 4 (centre-out tiles), plain C++ for the scalar target: each tile row
// is computed as a pair of samples straight from the stored bytes and written with one
// 32-bit store.
// See TileWalk.h for the layout.

#include <algorithm>

#include "decode/DecodeDetail.h"
#include "decode/TileWalk.h"

namespace zel::detail {

namespace {

inline uint32_t Pair(unsigned first, unsigned second) {
    return first | (second << 16);
}

inline uint32_t SwapHalves(uint32_t pair) {
    return (pair << 16) | (pair >> 16);
}

// Each packing turns one tile's bytes into its 8 rows.
struct Companded8Tile {
    static constexpr size_t kBytes = 16;
    static void Rows(const uint8_t* t, uint32_t rows[8]) {
        const uint16_t* table = Expand8To10().data();
        for (size_t s = 0; s < 8; ++s) {
            rows[s] = Pair(table[t[2 * s]], table[t[2 * s + 1]]);
        }
    }
};

struct Bits10Tile {
    static constexpr size_t kBytes = 20;
    static void Rows(const uint8_t* t, uint32_t rows[8]) {
        for (size_t g = 0; g < 4; ++g) {  // 5 bytes, 4 samples, 2 rows
            const unsigned b0 = t[5 * g], b1 = t[5 * g + 1], b2 = t[5 * g + 2], b3 = t[5 * g + 3],
                           b4 = t[5 * g + 4];
            rows[2 * g] = Pair((b0 << 2) | (b1 >> 6), ((b1 & 0x3Fu) << 4) | (b2 >> 4));
            rows[2 * g + 1] = Pair(((b2 & 0x0Fu) << 6) | (b3 >> 2), ((b3 & 0x03u) << 8) | b4);
        }
    }
};

struct Bits12Tile {
    static constexpr size_t kBytes = 24;
    static void Rows(const uint8_t* t, uint32_t rows[8]) {
        for (size_t g = 0; g < 8; ++g) {  // 3 bytes, 2 samples, 1 row
            const unsigned b0 = t[3 * g], b1 = t[3 * g + 1], b2 = t[3 * g + 2];
            rows[g] = Pair((b0 << 4) | (b1 >> 4), ((b1 & 0x0Fu) << 8) | b2);
        }
    }
};

template <class Tile>
void DecodeTiles(const TileWalk& walk, size_t bandBegin, size_t bandEnd) {
    uint16_t* const out = walk.frame.out;
    const size_t width = walk.frame.width;
    uint32_t rows[8];
    for (size_t stripStart = 0; stripStart < walk.pairs; stripStart += kStripPairs) {
        const size_t stripEnd = std::min(walk.pairs, stripStart + kStripPairs);
        for (size_t b = bandBegin; b < bandEnd; ++b) {
            const size_t lowerTop = walk.LowerTop(b);
            const size_t upperTop = walk.UpperTop(b);
            for (size_t a = stripStart; a < stripEnd; ++a) {
                const uint8_t* group = walk.Group(a, b);
                uint16_t* const right = out + walk.RightX(a);
                uint16_t* const left = out + walk.LeftX(a);
                Tile::Rows(group, rows);  // lower-right: rows downwards from the centre
                for (size_t s = 0; s < 8; ++s) {
                    StorePair(right + lowerTop + s * width, rows[s]);
                }
                Tile::Rows(group + Tile::kBytes, rows);  // upper-right: upwards
                for (size_t s = 0; s < 8; ++s) {
                    StorePair(right + upperTop + (7 - s) * width, rows[s]);
                }
                Tile::Rows(group + 2 * Tile::kBytes, rows);  // lower-left, mirrored
                for (size_t s = 0; s < 8; ++s) {
                    StorePair(left + lowerTop + s * width, SwapHalves(rows[s]));
                }
                Tile::Rows(group + 3 * Tile::kBytes, rows);  // upper-left, mirrored
                for (size_t s = 0; s < 8; ++s) {
                    StorePair(left + upperTop + (7 - s) * width, SwapHalves(rows[s]));
                }
            }
        }
    }
}

}  // namespace

void DecodeCentreOutTilesPlain(const FrameView& frame, int pixelFormat, size_t bandBegin, size_t bandEnd) {
    const TileWalk walk(frame, pixelFormat);
    switch (pixelFormat) {
        case 2:
            DecodeTiles<Companded8Tile>(walk, bandBegin, bandEnd);
            break;
        case 3:
            DecodeTiles<Bits10Tile>(walk, bandBegin, bandEnd);
            break;
        default:
            DecodeTiles<Bits12Tile>(walk, bandBegin, bandEnd);
            break;
    }
}

}  // namespace zel::detail
