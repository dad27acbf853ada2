// Entry point of frame decoding: picks the layout by pixelFormat and either its fast
// decoder or the checked sample-by-sample one.

#include "decode/DecodeFrame.h"

#include <algorithm>

#include "decode/DecodeDetail.h"
#include "decode/Kernels.h"
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

namespace {

// Samples per band of a raster layout (32 KiB of output).
constexpr size_t kRasterBandSamples = 16384;
// Bands of the centre-out tile layouts per step: 64 rows.
constexpr size_t kTileBandsPerStep = 4;
// Bands of the quadrant layout per step: one chunk of each column pair (128 rows).
constexpr size_t kQuadrantBandsPerStep = 8;

void Tell(RowSink* sink, size_t firstRow, size_t rows) {
    if (sink != nullptr && rows > 0) sink->RowsDone(static_cast<int>(firstRow), static_cast<int>(rows));
}

// Raster layouts: stored sample k is sample k of the buffer, so a run of whole rows
// decodes on its own. A band holds a multiple of 32 samples, so every band but the last
// starts on a whole packing unit (40 bytes of the lane packing, 5 of the 10-bit stream).
void DecodeRaster(const FrameView& frame, int pixelFormat, RowSink* sink) {
    size_t band = std::max<size_t>(1, kRasterBandSamples / frame.width);
    while (band * frame.width % kLaneBlockSamples != 0) ++band;
    const size_t samples = frame.width * frame.rows;
    for (size_t first = 0; first < frame.rows; first += band) {
        const size_t count = std::min(band, frame.rows - first);
        const size_t begin = first * frame.width;
        const size_t end = std::min(samples, begin + count * frame.width);
        uint16_t* const out = frame.out + begin;
        switch (pixelFormat) {
            case 0:  // whole 40-byte blocks; a tail of fewer than 32 samples stays untouched
                UnpackLane10(frame.packed + begin / kLaneBlockSamples * kLaneBlockBytes, out,
                             end / kLaneBlockSamples - begin / kLaneBlockSamples);
                break;
            case 5:
                Expand8(frame.packed + begin, out, end - begin);
                break;
            default:  // 5 bytes per 4 samples; the fast path only runs on a multiple of 4
                UnpackBits10(frame.packed + begin / 4 * 5, out, (end - begin) / 4);
                break;
        }
        Tell(sink, first, count);
    }
}

// Centre-out layouts: `step` bands at a time, then the rows they filled below and above
// the centre line.
template <class DecodeBands>
void DecodeFromCentre(const FrameView& frame, size_t step, RowSink* sink, DecodeBands decode) {
    const size_t bands = frame.rows / 16;
    const size_t half = frame.rows / 2;
    for (size_t b = 0; b < bands; b += step) {
        const size_t end = std::min(bands, b + step);
        decode(b, end);
        Tell(sink, half + 8 * b, 8 * (end - b));
        Tell(sink, half - 8 * end, 8 * (end - b));
    }
}

// The fast decoder of the layout, for calls FastPathApplies accepts.
void DecodeFrameFast(const uint8_t* packed, int width, int rows, uint16_t* out, int pixelFormat, RowSink* sink) {
    const FrameView frame{packed, static_cast<size_t>(width), static_cast<size_t>(rows), out};
    switch (pixelFormat) {
        case 1:
            DecodeFromCentre(frame, kQuadrantBandsPerStep, sink,
                             [&](size_t b, size_t end) { DecodeLane10Quadrant(frame, b, end); });
            break;
        case 2:
        case 3:
        case 4:
            DecodeFromCentre(frame, kTileBandsPerStep, sink,
                             [&](size_t b, size_t end) { DecodeCentreOutTiles(frame, pixelFormat, b, end); });
            break;
        default:
            DecodeRaster(frame, pixelFormat, sink);
            break;
    }
}

}  // namespace

}  // namespace detail

void DecodeFrame(const uint8_t* packed, size_t packedBytes, int width, int rows, uint16_t* out,
                 int pixelFormat, RowSink* sink) {
    if (width <= 0 || rows <= 0 || out == nullptr || pixelFormat < 0 || pixelFormat > 6) {
        return;
    }
    if (packed == nullptr) {
        packedBytes = 0;
    }
    if (detail::FastPathApplies(width, rows, pixelFormat, packedBytes)) {
        detail::DecodeFrameFast(packed, width, rows, out, pixelFormat, sink);
        return;
    }
    detail::DecodeFrameChecked(packed, packedBytes, width, rows, out, pixelFormat);
    if (sink != nullptr) sink->RowsDone(0, rows);
}

bool DecodeWritesEverySample(int width, int rows, int pixelFormat, size_t packedBytes) {
    if (!detail::FastPathApplies(width, rows, pixelFormat, packedBytes)) return false;
    const uint64_t samples = static_cast<uint64_t>(width) * static_cast<uint64_t>(rows);
    // The lane packings leave a tail short of a whole block (raster) or chunk (quadrants)
    // untouched; the other fast paths write every sample they accept.
    if (pixelFormat == Lane10Raster) return samples % detail::kLaneBlockSamples == 0;
    if (pixelFormat == Lane10Quadrant) return samples % detail::kQuadrantChunkSamples == 0;
    return true;
}

}  // namespace zel
