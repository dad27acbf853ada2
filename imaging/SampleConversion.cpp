// The one mapping of samples to 8-bit grey values, used by the display at every gain
// (as bytes, or as the 32-bit pixels a screen draws) and by the 8-bit TIFF output.
//
// For a sample v and an effective depth d the result is
//   d <= 8 : min(255, v << (8 - d))      (each depth below 8 doubles the brightness)
//   d >  8 : min(255, v >> (d - 8))      (10 -> v >> 2, 12 -> v >> 4)
// computed on the zero-extended value as if in unbounded unsigned arithmetic: a left
// shift never wraps, and a right shift by the sample's width or more gives 0. Shift
// counts are reduced to the range where they make a difference before any C++ shift
// runs, so absurd depths (negative, above 32) never shift by 32 bits or more.
// 1-byte samples follow the same rule at every depth (above 8 they are darkened like
// deeper samples) although 8-bit movies only ever ask for depths up to 8.

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "imaging/DisplayBitmap.h"
#include "imaging/RowKernels.h"

namespace zel {

namespace {

// What the depth rule does to samples of `sampleBits` bits: shift right, shift left
// (then clamp), or clear them all.
struct Shifts {
    unsigned right = 0;
    unsigned left = 0;
    bool allZero = false;
};

Shifts ShiftsFor(int depth, unsigned sampleBits) {
    Shifts s;
    if (depth <= 8) {
        // Once v << k reaches 256 for v = 1 every nonzero sample saturates, so a left
        // shift of 8 stands for all larger ones (depths 0 and below).
        s.left = depth <= 0 ? 8u : static_cast<unsigned>(8 - depth);
    } else if (static_cast<unsigned>(depth - 8) >= sampleBits) {
        s.allZero = true;  // every bit of every sample is shifted out
    } else {
        s.right = static_cast<unsigned>(depth - 8);
    }
    return s;
}

// One row of `count` samples to 8-bit values.
void ConvertRow(uint8_t* out, const uint8_t* in, int bytesPerSample, int64_t count, const Shifts& shifts) {
    if (shifts.allZero) {
        std::memset(out, 0, static_cast<size_t>(count));
    } else if (bytesPerSample == 1) {
        if (shifts.right == 0 && shifts.left == 0) {
            std::memcpy(out, in, static_cast<size_t>(count));  // depth 8: the bytes as they are
        } else {
            detail::ConvertRow8(out, in, count, shifts.right, shifts.left);
        }
    } else if (bytesPerSample == 2) {
        detail::ConvertRow16(out, in, count, shifts.right, shifts.left);
    } else {
        detail::ConvertRow32(out, in, count, shifts.right, shifts.left);
    }
}

// The same row as 32-bit screen pixels: mapped a piece at a time into bytes that stay in
// the first-level cache, then widened, so the frame is read once and written once.
void ConvertRowXrgb(uint8_t* out, const uint8_t* in, int bytesPerSample, int64_t count, const Shifts& shifts) {
    constexpr int64_t kPiece = 2048;
    uint8_t grey[kPiece];
    for (int64_t done = 0; done < count; done += kPiece) {
        const int64_t n = std::min(kPiece, count - done);
        ConvertRow(grey, in + done * bytesPerSample, bytesPerSample, n, shifts);
        detail::GreyToXrgbRow(out + 4 * done, grey, n);
    }
}

// Both mappings: pixelBytes 1 (grey bytes, padding 0) or 4 (screen pixels, padding
// opaque black).
void ConvertRows(int rows, uint8_t* dst, int bytesPerSample, int depth, int width, const void* src, int pixelBytes) {
    if (dst == nullptr || src == nullptr || rows == 0 || width == 0) {
        return;
    }
    if (bytesPerSample != 1 && bytesPerSample != 2 && bytesPerSample != 4) {
        return;  // no other sample size exists; nothing sensible to write
    }
    // 64-bit so that |INT_MIN| and the row offsets cannot overflow.
    const int64_t rowCount = std::llabs(static_cast<int64_t>(rows));
    const int64_t count = std::llabs(static_cast<int64_t>(width));
    // Padded rows hold a multiple of 4 pixels: 8-bit bitmap rows are 4-byte aligned, and the
    // screen pixels keep the same width.
    const int64_t columns = width > 0 ? (count + 3) / 4 * 4 : count;
    const int64_t stride = columns * pixelBytes;
    const int64_t srcRowBytes = count * bytesPerSample;
    const Shifts shifts = ShiftsFor(depth, 8u * static_cast<unsigned>(bytesPerSample));
    const auto* in = static_cast<const uint8_t*>(src);
    constexpr uint32_t kOpaqueBlack = 0xFF000000u;

    for (int64_t row = 0; row < rowCount; ++row, in += srcRowBytes) {
        // Bottom-up when rows > 0: source row 0 is the last row of a bitmap.
        uint8_t* out = dst + (rows > 0 ? rowCount - 1 - row : row) * stride;
        if (pixelBytes == 1) {
            ConvertRow(out, in, bytesPerSample, count, shifts);
            if (columns > count) std::memset(out + count, 0, static_cast<size_t>(columns - count));
        } else {
            ConvertRowXrgb(out, in, bytesPerSample, count, shifts);
            for (int64_t x = count; x < columns; ++x) std::memcpy(out + 4 * x, &kOpaqueBlack, 4);
        }
    }
}

}  // namespace

void ConvertSamplesTo8Bit(int rows, uint8_t* dst, int bytesPerSample, int depth, int width, const void* src) {
    ConvertRows(rows, dst, bytesPerSample, depth, width, src, 1);
}

void ConvertSamplesToXrgb(int rows, uint8_t* dst, int bytesPerSample, int depth, int width, const void* src) {
    ConvertRows(rows, dst, bytesPerSample, depth, width, src, 4);
}

}  // namespace zel
