// Entry point of frame decoding: picks the layout by pixelFormat and either its fast
// decoder or the checked sample-by-sample one.

#include "decode/DecodeFrame.h"

#include "decode/DecodeDetail.h"
#include "decode/Layouts.h"

namespace zel {

namespace detail {

bool FastPathApplies(int width, int rows, int pixelFormat, size_t packedBytes) {
    if (width <= 0 || rows <= 0) {
        return false;
    }
    const uint64_t w = static_cast<uint64_t>(width);
    const uint64_t h = static_cast<uint64_t>(rows);
    const uint64_t samples = w * h;  // below 2^62
    const bool tilesFit = w % 4 == 0 && h % 16 == 0;
    uint64_t needed = 0;
    switch (pixelFormat) {
        case 0:
            needed = samples / kLaneBlockSamples * kLaneBlockBytes;
            break;
        case 1:
            if (!tilesFit) {
                return false;
            }
            needed = samples / kQuadrantChunkSamples * kQuadrantChunkBlocks * kLaneBlockBytes;
            break;
        case 2:
        case 3:
        case 4:
            if (!tilesFit) {
                return false;
            }
            needed = (w / 4) * (h / 16) * TileGroupBytes(pixelFormat);
            break;
        case 5:
            needed = samples;
            break;
        case 6:
            if (samples % 4 != 0) {
                return false;
            }
            needed = samples / 4 * 5;
            break;
        default:
            return false;
    }
    return packedBytes >= needed;
}

void DecodeFrameWith(Isa isa, const uint8_t* packed, size_t packedBytes, int width, int rows,
                     uint16_t* out, int pixelFormat) {
    if (width <= 0 || rows <= 0 || out == nullptr || pixelFormat < 0 || pixelFormat > 6) {
        return;
    }
    if (packed == nullptr) {
        packedBytes = 0;
    }
    if (!FastPathApplies(width, rows, pixelFormat, packedBytes)) {
        DecodeFrameChecked(packed, packedBytes, width, rows, out, pixelFormat);
        return;
    }
    const FrameView frame{packed, static_cast<size_t>(width), static_cast<size_t>(rows), out};
    const Kernels& kernels = KernelsFor(isa);
    switch (pixelFormat) {
        case 0:
            DecodeLane10Raster(frame, kernels);
            break;
        case 1:
            DecodeLane10Quadrant(frame, isa);
            break;
        case 2:
        case 3:
        case 4:
            DecodeCentreOutTiles(frame, isa, pixelFormat);
            break;
        case 5:
            DecodeCompanded8Raster(frame, kernels);
            break;
        default:
            DecodeBits10Raster(frame, kernels);
            break;
    }
}

}  // namespace detail

void DecodeFrame(const uint8_t* packed, size_t packedBytes, int width, int rows, uint16_t* out,
                 int pixelFormat) {
    detail::DecodeFrameWith(detail::BestIsa(), packed, packedBytes, width, rows, out, pixelFormat);
}

}  // namespace zel
