#pragma once
// The few lines a person reads first about a movie: size, frames, rate and duration, how
// the pixels are stored, the sample depth and whether correction is applied.

#include <string>

namespace zel {
class CMovieReader;
}

namespace zel::cli {

// How a stored pixel layout (the reader's pixelFormat) packs its samples, in words.
std::string DescribePixelFormat(int pixelFormat);

// The summary lines, each ending in a newline. applyCorrection: what was asked for.
std::string MovieSummary(const CMovieReader& reader, bool applyCorrection);

}  // namespace zel::cli
