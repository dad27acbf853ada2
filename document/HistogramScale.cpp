#include "document/HistogramScale.h"

#include <algorithm>
#include <cmath>

namespace zel {

namespace {

constexpr int kMaxDecades = 20;

}  // namespace

CountAxis MakeCountAxis(uint64_t peak, bool logarithmic) { return {logarithmic, std::max<uint64_t>(peak, 1)}; }

double CountFraction(const CountAxis& axis, uint64_t count) {
    const uint64_t top = std::max<uint64_t>(axis.top, 1);
    const uint64_t held = std::min(count, top);
    if (!axis.logarithmic) return static_cast<double>(held) / static_cast<double>(top);
    // log1p keeps 1 + count exact in its argument's place for small counts.
    return std::log1p(static_cast<double>(held)) / std::log1p(static_cast<double>(top));
}

int DecadeCount(const CountAxis& axis) {
    int count = 0;
    for (uint64_t d = 1; count < kMaxDecades && d <= axis.top; ++count) {
        if (d > UINT64_MAX / 10) return count + 1;
        d *= 10;
    }
    return count;
}

uint64_t Decade(int k) {
    uint64_t d = 1;
    for (int i = 0; i < std::clamp(k, 0, kMaxDecades - 1); ++i) d *= 10;
    return d;
}

std::string DecadeLabel(int k) {
    if (k <= 5) return std::to_string(Decade(k));
    return "1e" + std::to_string(k);
}

}  // namespace zel
