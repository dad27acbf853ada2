#pragma once
// How many of a movie's recorded frames its file actually holds. A recording that was cut
// short (a copy that stopped early, a full disk) still opens, since frames are read on
// demand; this tells how much of it is there.

#include <algorithm>
#include <cstdint>

#include "reader/MovieParameters.h"

namespace zel {

// Frame n occupies framOffset + n * frameStride up to that plus frameHeaderSize +
// frameBytes; it is whole when that end lies within the file. The ends grow with n, so
// the whole frames are frames 0 .. k-1, and k is computed rather than counted.
inline int WholeFramesInFile(const MovieParameters& movie, int64_t fileSize) {
    const int64_t footprint = int64_t{movie.frameHeaderSize} + movie.frameBytes;
    if (movie.frameCount <= 0 || movie.framOffset < 0 || footprint < 0 || movie.framOffset > fileSize ||
        fileSize - movie.framOffset < footprint)
        return 0;
    // Frames that do not advance all lie where frame 0 does (or before it), so all are whole.
    if (movie.frameStride <= 0) return movie.frameCount;
    const int64_t room = fileSize - movie.framOffset - footprint;  // frame n is whole while n * stride <= room
    return static_cast<int>(std::min<int64_t>(room / movie.frameStride, movie.frameCount - 1) + 1);
}

}  // namespace zel
