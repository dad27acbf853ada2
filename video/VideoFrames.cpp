#include "video/VideoFrames.h"

#include <cstring>

#include "document/ConversionNaming.h"
#include "imaging/DisplayBitmap.h"
#include "imaging/TiffImage.h"

namespace zel {

namespace {

std::array<uint8_t, 256> MakeLimitedRangeLuma() {
    std::array<uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v) table[static_cast<size_t>(v)] = static_cast<uint8_t>(16 + (v * 219 + 127) / 255);
    return table;
}

}  // namespace

const std::array<uint8_t, 256>& LimitedRangeLuma() {
    static const std::array<uint8_t, 256> table = MakeLimitedRangeLuma();
    return table;
}

void FillTiffValuePicture(const void* samples, int bytesPerSample, int bitDepth, int width, int height,
                          uint8_t* plane, ptrdiff_t stride) {
    if (samples == nullptr || plane == nullptr || width <= 0 || height <= 0) return;
    // The same layout code and source bits as the 16-bit TIFF conversion.
    const int sourceBits = ChooseConversionDepths(bitDepth, true).sourceBits;
    const int layoutCode = 16 * 32 + bytesPerSample;
    const auto* in = static_cast<const uint8_t*>(samples);
    const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(width) * bytesPerSample;
    for (int y = 0; y < height; ++y)
        FillTiffImage(1, layoutCode, sourceBits, plane + y * stride, width, in + y * rowBytes);
}

void FillRenderingPicture(const void* samples, int bytesPerSample, int depth, int width, int height, uint8_t* luma,
                          ptrdiff_t stride) {
    if (samples == nullptr || luma == nullptr || width <= 0 || height <= 0) return;
    const auto* in = static_cast<const uint8_t*>(samples);
    const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(width) * bytesPerSample;
    // One row at a time: the picture's rows are further apart than the rendering's.
    for (int y = 0; y < height; ++y) ConvertSamplesTo8Bit(-1, luma + y * stride, bytesPerSample, depth, -width, in + y * rowBytes);
}

void FinishLumaPicture(int width, int height, int codedWidth, int codedHeight, uint8_t* const planes[3],
                       const ptrdiff_t strides[3]) {
    if (width <= 0 || height <= 0 || planes[0] == nullptr) return;
    const std::array<uint8_t, 256>& luma = LimitedRangeLuma();
    for (int y = 0; y < height; ++y) {
        uint8_t* row = planes[0] + y * strides[0];
        for (int x = 0; x < width; ++x) row[x] = luma[row[x]];
        for (int x = width; x < codedWidth; ++x) row[x] = row[width - 1];
    }
    for (int y = height; y < codedHeight; ++y)
        std::memcpy(planes[0] + y * strides[0], planes[0] + (height - 1) * strides[0], static_cast<size_t>(codedWidth));
    for (int i = 1; i < 3; ++i) {
        if (planes[i] == nullptr) continue;
        for (int y = 0; y < codedHeight / 2; ++y)
            std::memset(planes[i] + y * strides[i], 128, static_cast<size_t>(codedWidth / 2));
    }
}

}  // namespace zel
