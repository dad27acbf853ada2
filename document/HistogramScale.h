#pragma once
// The count axis of a histogram graph: how high a bin's count stands, linearly or on a
// logarithmic scale, and where a logarithmic axis has its decade marks.
//
// The logarithmic scale plots log10(1 + count): an empty bin stays on the base line and a
// bin of one sample still shows, where log10(count) would have no place for empty bins.
// A frame has at most about 2^40 samples here, so a double holds every count exactly
// enough for a pixel's height.

#include <cstdint>
#include <string>

namespace zel {

struct CountAxis {
    bool logarithmic = false;
    uint64_t top = 1;  // the count at the top of the axis, never 0
};

// An axis whose top is the largest bin (1 when every bin is empty).
CountAxis MakeCountAxis(uint64_t peak, bool logarithmic);

// The height of `count` as a fraction of the axis: 0 at the base, 1 at the top; counts
// above the top are held at 1.
double CountFraction(const CountAxis& axis, uint64_t count);

// A logarithmic axis has marks at 10^0 .. 10^(DecadeCount - 1), every power of ten up
// to its top (at most 20: 10^19 is the last power of ten below 2^64).
int DecadeCount(const CountAxis& axis);
uint64_t Decade(int k);
// "1", "10", ... "100000", then "1e6" onward, so that no label is longer than six digits.
std::string DecadeLabel(int k);

}  // namespace zel
