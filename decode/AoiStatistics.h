#pragma once
// Average, minimum and maximum of a rectangle of the sample buffer: one set for a
// monochrome sensor, one per colour for a sensor with a 2 x 2 colour filter mosaic.

#include <cstdint>

namespace zel {

struct ChannelStatistics {
    int16_t maximum = 0;
    int16_t minimum = 0;
    double average = 0.0;
};

// Channel groups in the order red, green, blue; all three alike for a monochrome sensor.
struct AoiStatistics {
    ChannelStatistics red, green, blue;
};

// The colour rule of every measurement: colorPattern (a 4-bit field) 0 or 1 is a
// monochrome sensor; any other value is a 2 x 2 mosaic whose phase is
// (colorPattern - 2) mod 4. In a cell at phase 0, the pixel at (x, y) has the code
// (2 * (y mod 2) + x mod 2) XOR phase: 1 red, 2 blue, 0 and 3 green.
inline bool IsColourMosaic(int colorPattern) { return colorPattern >= 2; }
inline int MosaicPhase(int colorPattern) { return (colorPattern - 2) % 4; }

// Inclusive bounds, left <= right and top <= bottom, inside the frame.
// A rectangle of samples, sorted and inclusive: left <= right, top <= bottom.
struct SampleRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Fills result for the rectangle of a frame `width` samples wide and returns the average
// of all its pixels. samples hold bytesPerSample (1 or 2) bytes each; 2-byte samples are
// compared as signed 16-bit values. colorPattern follows the colour rule above.
// Maxima start at 0 and minima at 32767, as the figures always have. A channel with no
// pixel in the rectangle (a mosaic rectangle one pixel wide or high) reports 0, 0, 0.0.
// A null buffer, a bytesPerSample other than 1 or 2, width <= 0, an inverted rectangle
// or one reaching left of 0, above 0 or right of width - 1 gives 0 and an all-zero
// result. The frame's height is not known here: bottom must lie inside the buffer.
double ComputeAoiStatistics(const SampleRect& rect, const void* samples, int bytesPerSample, int width,
                            int colorPattern, AoiStatistics& result);

// The fuller figures of one channel, from exact integer sums: pixel count, sum, sum of
// squares and the true extremes (0 and 0 for a channel without pixels).
struct ChannelSummary {
    int64_t count = 0;
    int64_t sum = 0;
    uint64_t sumSquares = 0;
    int minimum = 0;
    int maximum = 0;

    // NaN for a channel without pixels.
    double Mean() const;
    // The sample standard deviation (divided by count - 1); NaN for fewer than 2 pixels,
    // where it is not defined.
    double StandardDeviation() const;
};

// `all` covers every pixel of the rectangle; for a monochrome sensor red, green and blue
// equal it.
struct AoiSummary {
    bool colour = false;
    ChannelSummary all, red, green, blue;
};

// The rectangle's summary under the same rules and refusals as ComputeAoiStatistics
// (false, and an all-zero result, for refused arguments).
bool SummariseAoi(const SampleRect& rect, const void* samples, int bytesPerSample, int width, int colorPattern,
                  AoiSummary& result);

}  // namespace zel
