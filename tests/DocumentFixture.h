#pragma once
// Movies for the document and command-line tests, written by the movie writer with
// samples chosen per test.

#include <functional>
#include <string>
#include <vector>

#include "TempFile.h"
#include "zelwriter/MovieWriter.h"

namespace zeltest {

using SampleFunction = std::function<uint16_t(int frame, int x, int y)>;

// Writes a movie of the given stored layout (newer record layout unless only the older
// one has it) with samples f(frame, x, y).
inline void WriteTestMovie(const TempFile& file, int pixelFormat, int width, int height, int frames,
                           const SampleFunction& f, const std::function<void(zelgen::MovieSpec&)>& adjust = {}) {
    auto spec = zelgen::SpecForPixelFormat(pixelFormat, true);
    if (!spec) spec = zelgen::SpecForPixelFormat(pixelFormat, false);
    spec->width = width;
    spec->height = height;
    if (adjust) adjust(*spec);
    std::string error;
    const bool ok = zelgen::WriteMovie(file.path(), *spec, frames,
                                       [&](int n, uint16_t* out) {
                                           for (int y = 0; y < height; ++y)
                                               for (int x = 0; x < width; ++x) out[y * width + x] = f(n, x, y);
                                       },
                                       &error);
    if (!ok) throw std::runtime_error(error);
}

}  // namespace zeltest
