#pragma once
// The shapes a user measures with, as values: a profile line and an AOI rectangle, each
// held as the two points the user set (not sorted). They know what they measure (the
// profile's sample count) and whether they fit a frame, so the view, the CSV writers, the
// command-line tool and the Python module all agree on both.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "reader/Problem.h"

namespace zel {

struct ProfileLine {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    // One sample per step of the longer axis from the start point, the end point
    // excluded: max(|dx|, |dy|).
    int SampleCount() const {
        const int64_t dx = std::llabs(int64_t{x1} - x0), dy = std::llabs(int64_t{y1} - y0);
        return static_cast<int>(std::min<int64_t>(std::max(dx, dy), INT32_MAX));
    }
    // PointOutside when either point lies outside a width x height frame.
    Problem CheckInside(int width, int height) const;
    friend bool operator==(const ProfileLine&, const ProfileLine&) = default;
};

struct AoiRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    Problem CheckInside(int width, int height) const;
    friend bool operator==(const AoiRect&, const AoiRect&) = default;
};

}  // namespace zel
