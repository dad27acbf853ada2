#pragma once
// The histogram of a rectangle of a frame: how many samples fall in each bin of the
// movie's range of values, one histogram per colour for a colour mosaic.
//
// Bins. The range is 0 .. 2^bitDepth - 1, every value the camera can record (4096 values
// for a 12-bit movie), whatever the frame at hand happens to hold, so that the bars of one
// frame can be compared with those of the next. It is cut into at most kMaxHistogramBins
// bins of 2^binShift values each: a power-of-two width makes a sample's bin a shift (no
// rounding question at bin edges) and gives every bin as many possible values as the next.
// 256 bins are as many as a window can show side by side; at 8 bits and fewer every value
// has a bin of its own.
//
// Values outside the range. A corrected frame (offsets subtracted, gains applied, a black
// balance) and the display of the correction data can hold values below 0 or above
// 2^bitDepth - 1. They are counted apart, in `below` and `above`, and never added into the
// edge bins, where they would pose as real black or saturated pixels.
//
// Samples hold 1 byte (0..255) or 2 bytes read as signed 16-bit values, as every other
// measurement reads them (so a 16-bit range never sees a value above 32767: such samples
// read as negative and count below). Counts are 64-bit: no frame can overflow them.

#include <array>
#include <cstdint>

#include "decode/AoiStatistics.h"

namespace zel {

class CZelfDoc;
struct AoiRect;

inline constexpr int kMaxHistogramBins = 256;
inline constexpr int kMaxHistogramDepth = 16;

struct ChannelHistogram {
    // bins[i] counts the samples v with i * binWidth <= v < (i + 1) * binWidth; only the
    // first binCount of them are used (the rest stay 0).
    std::array<uint64_t, kMaxHistogramBins> bins{};
    uint64_t below = 0;  // samples < 0
    uint64_t above = 0;  // samples > 2^bitDepth - 1

    // Every sample counted: the bins, below and above.
    uint64_t Total() const;
    // The largest bin (0 for a channel without pixels); below and above are not bins.
    uint64_t Peak() const;
};

// The channels as in AoiSummary: `all` covers every pixel; a monochrome sensor's red,
// green and blue equal it. binCount 0 means nothing was computed (refused arguments).
struct AoiHistogram {
    bool colour = false;
    int bitDepth = 0;
    int binShift = 0;  // each bin covers 2^binShift values
    int binCount = 0;
    ChannelHistogram all, red, green, blue;

    int BinWidth() const { return 1 << binShift; }
    // The first value of bin i.
    int BinStart(int i) const { return i << binShift; }
    // The highest value inside the range: 2^bitDepth - 1.
    int FullScale() const { return (1 << bitDepth) - 1; }
};

// The bins of a bitDepth-bit range: binShift = max(0, bitDepth - 8), so that there are
// min(2^bitDepth, 256) of them. false for a bitDepth outside 1 .. kMaxHistogramDepth.
bool HistogramBins(int bitDepth, int& binShift, int& binCount);

// A frame's samples: width x height of bytesPerSample (1 or 2) bytes each, rows one after
// the other, at any alignment.
struct FrameSamples {
    const void* data = nullptr;
    int bytesPerSample = 0;
    int width = 0;
    int height = 0;
};

// Fills result (a caller's object, reused from frame to frame: nothing is allocated) with
// the histogram of `rect` (sorted and inclusive) for a bitDepth-bit movie; colorPattern
// follows the colour rule of decode/AoiStatistics.h. Refused, with false and an all-zero
// result before any sample is read: null data, a bytesPerSample other than 1 or 2, a
// non-positive width or height, a width x height beyond what memory can address, an
// inverted rectangle or one reaching outside the frame, a bitDepth outside 1 .. 16.
bool ComputeAoiHistogram(const SampleRect& rect, const FrameSamples& frame, int colorPattern, int bitDepth,
                         AoiHistogram& result);

// The histogram of the document's current samples in `rect` (corners as drawn, in any
// order, clamped into the frame as CZelfDoc::Summary does), for the movie's bit depth and
// colour pattern. false, and an all-zero result, when the document holds no samples.
bool DocumentHistogram(const CZelfDoc& doc, const AoiRect& rect, AoiHistogram& result);

}  // namespace zel
