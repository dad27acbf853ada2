#include "reader/FrameTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace zel {

std::optional<int64_t> FrameNumber(const MovieParameters& movie, int64_t index) {
    if (index < 0 || index >= movie.frameCount) return std::nullopt;
    const int segments = std::clamp(movie.frameSegmentCount, 0, kMaxFrameSegments);
    for (int i = 0; i < segments; ++i) {
        const FrameSegment& segment = movie.frameSegments[static_cast<size_t>(i)];
        const int64_t frames = segment.last - segment.first + 1;
        if (index < frames) return segment.first + index;
        index -= frames;
    }
    return std::nullopt;  // more frames counted than the segments hold: not a valid movie
}

std::optional<double> FrameTime(const MovieParameters& movie, int64_t number) {
    const int64_t numerator = movie.rateNumerator, denominator = movie.rateDenominator;
    if (numerator <= 0 || denominator <= 0) return std::nullopt;
    // |number| < 2^32 and numerator < 2^31: the product is exact in 64 bits. The whole
    // seconds are exact in a double, so only the remainder's division rounds.
    const int64_t product = number * numerator;
    const int64_t seconds = product / denominator, rest = product % denominator;
    return static_cast<double>(seconds) + static_cast<double>(rest) / static_cast<double>(denominator);
}

std::string TimeText(double seconds) {
    const double size = std::fabs(seconds);
    const auto [scale, unit] = size >= 1.0                 ? std::pair{1.0, "s"}
                               : size >= 1e-3 || size == 0 ? std::pair{1e3, "ms"}
                                                           : std::pair{1e6, "\u00b5s"};
    char text[64];
    std::snprintf(text, sizeof text, "%.3f %s", size * scale, unit);
    // Rounding may still show zeros: a minus sign only where a digit is not zero.
    const bool negative = seconds < 0 && std::string(text).find_first_of("123456789") < std::string(text).find(' ');
    return (negative ? "\u2212" : "") + std::string(text);
}

}  // namespace zel
