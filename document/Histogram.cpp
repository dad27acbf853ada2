// The histogram in one pass over the rectangle's rows.
//
// Every sample is clamped to -1 .. 2^bitDepth and shifted: -1 lands in slot 0 (below),
// 2^bitDepth in slot binCount + 1 (above), and 0 .. 2^bitDepth - 1 in the bins between,
// with no branch per sample. The counts go into four small tables, one per sub-lattice
// of the rectangle (row parity x column parity from its top-left corner), which is what
// a colour mosaic needs to split the colours afterwards; a monochrome rectangle adds the
// four together. Neighbouring samples thus land in different tables, so a flat region
// does not make every increment wait for the one before it to the same counter.

#include "document/Histogram.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "document/Measurements.h"
#include "document/ZelfDoc.h"

namespace zel {

namespace {

// Slot 0: below the range; 1 .. binCount: the bins; binCount + 1: above the range.
constexpr int kSlots = kMaxHistogramBins + 2;
using SlotTable = std::array<uint64_t, kSlots>;

template <typename Sample>
inline int LoadSample(const unsigned char* row, int64_t i) {
    Sample v;
    std::memcpy(&v, row + i * static_cast<int64_t>(sizeof(Sample)), sizeof v);
    return v;
}

// Counts `columns` samples of one row: those at even offsets into `even`, odd into `odd`.
template <typename Sample>
void CountRow(const unsigned char* row, int64_t columns, int fullScale, int shift, SlotTable& even,
              SlotTable& odd) {
    const auto slot = [fullScale, shift](int v) {
        return static_cast<size_t>((std::clamp(v, -1, fullScale + 1) >> shift) + 1);
    };
    int64_t x = 0;
    for (; x + 1 < columns; x += 2) {
        ++even[slot(LoadSample<Sample>(row, x))];
        ++odd[slot(LoadSample<Sample>(row, x + 1))];
    }
    if (x < columns) ++even[slot(LoadSample<Sample>(row, x))];
}

template <typename Sample>
void CountRows(const unsigned char* corner, int64_t rowBytes, int64_t rows, int64_t columns, int fullScale,
               int shift, SlotTable tables[4]) {
    for (int64_t y = 0; y < rows; ++y) {
        const int rowParity = static_cast<int>(y & 1);
        CountRow<Sample>(corner + y * rowBytes, columns, fullScale, shift, tables[2 * rowParity],
                         tables[2 * rowParity + 1]);
    }
}

// Adds the sub-lattices whose bit is set in `mask` into one channel.
void Gather(const SlotTable tables[4], unsigned mask, int binCount, ChannelHistogram& channel) {
    for (int i = 0; i < 4; ++i) {
        if (!(mask & (1u << i))) continue;
        const SlotTable& t = tables[i];
        channel.below += t[0];
        for (int b = 0; b < binCount; ++b) channel.bins[static_cast<size_t>(b)] += t[static_cast<size_t>(b) + 1];
        channel.above += t[static_cast<size_t>(binCount) + 1];
    }
}

bool Refused(const SampleRect& rect, const FrameSamples& frame) {
    if (frame.data == nullptr || (frame.bytesPerSample != 1 && frame.bytesPerSample != 2)) return true;
    if (frame.width <= 0 || frame.height <= 0) return true;
    // The frame's bytes must be addressable: width x height x 2 stays far below 2^63.
    if (static_cast<int64_t>(frame.width) * frame.height > (int64_t{1} << 40)) return true;
    return rect.left < 0 || rect.top < 0 || rect.left > rect.right || rect.top > rect.bottom ||
           rect.right >= frame.width || rect.bottom >= frame.height;
}

}  // namespace

uint64_t ChannelHistogram::Total() const {
    uint64_t total = below + above;
    for (const uint64_t n : bins) total += n;
    return total;
}

uint64_t ChannelHistogram::Peak() const { return *std::max_element(bins.begin(), bins.end()); }

bool HistogramBins(int bitDepth, int& binShift, int& binCount) {
    if (bitDepth < 1 || bitDepth > kMaxHistogramDepth) return false;
    binShift = std::max(0, bitDepth - 8);
    binCount = (1 << bitDepth) >> binShift;
    return true;
}

bool ComputeAoiHistogram(const SampleRect& rect, const FrameSamples& frame, int colorPattern, int bitDepth,
                         AoiHistogram& result) {
    result = AoiHistogram{};
    int shift = 0, binCount = 0;
    if (Refused(rect, frame) || !HistogramBins(bitDepth, shift, binCount)) return false;

    const int64_t rowBytes = static_cast<int64_t>(frame.width) * frame.bytesPerSample;
    const auto* corner = static_cast<const unsigned char*>(frame.data) + rect.top * rowBytes +
                         static_cast<int64_t>(rect.left) * frame.bytesPerSample;
    const int64_t rows = int64_t{rect.bottom} - rect.top + 1, columns = int64_t{rect.right} - rect.left + 1;
    const int fullScale = (1 << bitDepth) - 1;
    SlotTable tables[4] = {};
    if (frame.bytesPerSample == 2)
        CountRows<int16_t>(corner, rowBytes, rows, columns, fullScale, shift, tables);
    else
        CountRows<uint8_t>(corner, rowBytes, rows, columns, fullScale, shift, tables);

    result.colour = IsColourMosaic(colorPattern);
    result.bitDepth = bitDepth;
    result.binShift = shift;
    result.binCount = binCount;
    Gather(tables, 0xF, binCount, result.all);
    if (!result.colour) {
        result.red = result.green = result.blue = result.all;
        return true;
    }
    // Colour code of the corner pixel; sub-lattice i (2 x row parity + column parity from
    // the corner) then has code k0 XOR i: 1 red, 2 blue, 0 and 3 green.
    const unsigned k0 =
        static_cast<unsigned>(2 * (rect.top % 2) + rect.left % 2) ^ static_cast<unsigned>(MosaicPhase(colorPattern));
    unsigned red = 0, green = 0, blue = 0;
    for (unsigned i = 0; i < 4; ++i) {
        const unsigned code = k0 ^ i;
        (code == 1 ? red : code == 2 ? blue : green) |= 1u << i;
    }
    Gather(tables, red, binCount, result.red);
    Gather(tables, green, binCount, result.green);
    Gather(tables, blue, binCount, result.blue);
    return true;
}

bool DocumentHistogram(const CZelfDoc& doc, const AoiRect& rect, AoiHistogram& result) {
    const int width = doc.width(), height = doc.height();
    if (doc.samples() == nullptr || width <= 0 || height <= 0) {
        result = AoiHistogram{};
        return false;
    }
    const SampleRect sorted{std::clamp(std::min(rect.x0, rect.x1), 0, width - 1),
                            std::clamp(std::min(rect.y0, rect.y1), 0, height - 1),
                            std::clamp(std::max(rect.x0, rect.x1), 0, width - 1),
                            std::clamp(std::max(rect.y0, rect.y1), 0, height - 1)};
    const int pattern = doc.reader() ? doc.reader()->Parameters().colorPattern : 0;
    return ComputeAoiHistogram(sorted, {doc.samples(), doc.bytesPerSample(), width, height}, pattern, doc.bitDepth(),
                               result);
}

}  // namespace zel
