#include "document/KymographDisplay.h"

#include <algorithm>
#include <vector>

namespace zel {

GreyScale AutoContrast(const Kymograph& kymograph) {
    if (kymograph.Empty()) return {};
    std::vector<int16_t> row(static_cast<size_t>(kymograph.Width()));
    GreyScale scale{INT16_MAX, INT16_MIN};
    for (int y = 0; y < kymograph.Height(); ++y) {
        kymograph.CopyRow(y, row.data());
        const auto [low, high] = std::minmax_element(row.begin(), row.end());
        scale.low = std::min(scale.low, *low);
        scale.high = std::max(scale.high, *high);
    }
    return scale;
}

void GreyRow(const Kymograph& kymograph, const GreyScale& scale, int row, uint8_t* out) {
    if (kymograph.Empty() || out == nullptr || row < 0 || row >= kymograph.Height()) return;
    std::vector<int16_t> values(static_cast<size_t>(kymograph.Width()));
    kymograph.CopyRow(row, values.data());
    // In 64 bits: the span of two int16 values times 255 fits easily.
    const int64_t span = int64_t{scale.high} - scale.low;
    for (size_t i = 0; i < values.size(); ++i) {
        const int64_t above = std::clamp<int64_t>(int64_t{values[i]} - scale.low, 0, std::max<int64_t>(span, 0));
        out[i] = span <= 0 ? 0 : static_cast<uint8_t>((above * 255 + span / 2) / span);
    }
}

}  // namespace zel
