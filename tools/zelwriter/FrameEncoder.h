#pragma once
// Packing of samples into the stored pixel layouts of a movie frame: the exact inverse of the
// frame decoders. Layouts are byte streams, the same for both file byte orders.
//
//   -1  8-bit samples kept as they are        3  MSB-first 10-bit stream, centre-out 2x8 tiles
//    0  10-bit lane packing, raster order      4  MSB-first 12-bit stream, centre-out 2x8 tiles
//    1  10-bit lane packing, quadrants         5  companded 8-bit codes, raster order
//    2  companded 8-bit codes, centre-out      6  MSB-first 10-bit stream, raster order

#include <cstdint>
#include <optional>
#include <vector>

namespace zelgen {

// Bits one pixel takes in the layout (8, 10 or 12); 0 for an unknown layout.
int BitsOfFormat(int pixelFormat);

// Largest sample value the layout can carry (255, 1023 or 4095); 0 for an unknown layout.
uint16_t MaxSampleOfFormat(int pixelFormat);

// Size EncodeFrame returns: width * height * bits / 8, truncated, as the reader computes it.
uint64_t EncodedFrameBytes(int width, int height, int pixelFormat);

// The 8-to-10-bit companding curve and its inverse (nearest code, the lower one on a tie).
uint16_t ExpandedValue(uint8_t code);
uint8_t NearestCode(uint16_t value);

struct PixelPos {
    int x = 0;
    int y = 0;
    bool operator==(const PixelPos&) const = default;
};

// Number of samples the layout stores for a frame of this size (the decoder's reach).
uint64_t StoredSampleCount(int pixelFormat, int width, int height);

// Frame pixel that stored sample k (in packing order) comes from; nullopt when the layout
// would put it outside the frame (incomplete dimensions) or k is beyond the stored count.
std::optional<PixelPos> StoredSamplePosition(int pixelFormat, int width, int height, uint64_t k);

// samples: width*height values, top row first. Values above the layout's range are clamped;
// formats 2 and 5 store the nearest companding code. Samples the layout does not reach are
// dropped and the bytes they would not fill stay 0. An unknown layout gives an empty result.
std::vector<uint8_t> EncodeFrame(const uint16_t* samples, int width, int height, int pixelFormat);

}  // namespace zelgen
