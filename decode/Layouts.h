#pragma once
// Fast decoders of the stored layouts. Each one assumes what FastPathApplies checks:
// dimensions the layout covers exactly as it walks them and every stored byte it
// reads present. DecodeFrame routes every other case to DecodeFrameChecked.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zel::detail {

struct FrameView {
    const uint8_t* packed;  // at least as many bytes as the layout reads
    size_t width;
    size_t rows;
    uint16_t* out;  // width * rows samples
};

// Units of the lane-packed layouts.
inline constexpr size_t kLaneBlockBytes = 40;  // 32 samples
inline constexpr size_t kLaneBlockSamples = 32;
inline constexpr size_t kQuadrantChunkBlocks = 16;  // 512 samples, 4 blocks per quadrant
inline constexpr size_t kQuadrantChunkSamples = 512;

// Column pairs the centre-out decoders fill side by side: 16 pairs of 16-bit samples
// are one 64-byte cache line of a row.
inline constexpr size_t kStripPairs = 16;

// Bytes of one tile group (64 samples: four 2 x 8 tiles) of formats 2, 3 and 4.
inline constexpr size_t TileGroupBytes(int pixelFormat) {
    return pixelFormat == 2 ? 64 : pixelFormat == 3 ? 80 : 96;
}

// The centre-out layouts fill bands of rows outwards from the horizontal centre line:
// band b is the 8 rows from 8b below the line and the 8 rows from 8b above it. Each
// decodes bands [bandBegin, bandEnd) across the whole width.
void DecodeLane10Quadrant(const FrameView& frame, size_t bandBegin, size_t bandEnd);
void DecodeCentreOutTiles(const FrameView& frame, int pixelFormat, size_t bandBegin, size_t bandEnd);

// Two adjacent samples written with one 32-bit store.
inline void StorePair(uint16_t* dst, uint32_t pair) {
    std::memcpy(dst, &pair, sizeof pair);
}

}  // namespace zel::detail
