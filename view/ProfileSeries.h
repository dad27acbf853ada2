#pragma once
// The data behind the profile graph: the sampled lines (series) and the ranges the graph
// shows. Plain and Qt-free, so it is tested on its own.
//
// The vertical range is either fixed at 0 .. 2^bits of the movie's samples, so that a
// profile keeps its scale from frame to frame, or taken from the data (autoScale).

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace zel::gui {

// One sampled line. An empty series (count 0) holds no values and has maxValue =
// minValue = 0; nothing may read values[0] of it.
struct ProfileSeries {
    int visible = 1;
    int color = 0;  // 0xRRGGBB; 0 is black
    int maxValue = 0;
    int minValue = 0;
    int count = 0;  // always values.size()
    std::vector<int16_t> values;
};

class ProfileSeriesSet {
public:
    // ---- Fields: read freely; change them only through the operations ----
    int autoScale = 0;  // 1: vertical range from the data; 0: fixed at 0 .. 2^fixedBits
    int fixedBits = 0;
    int yMax = 0;
    int yMin = 0;
    int xMax = 0;
    int seriesCount = 0;  // always seriesSlots.size()
    // A slot may be empty. (Not named "slots": Qt defines that word as a macro.)
    std::vector<std::optional<ProfileSeries>> seriesSlots;

    // Stores a copy of `count` values as series `index` (index < 0: in a new slot) and
    // returns its index, or -1 (changing nothing) when index is beyond the slots.
    // bits > 1 fixes the vertical range at 0 .. 2^bits; otherwise it follows the data.
    // count < 0, or no values with count > 0, stores an empty series.
    int SetSeries(int index, int bits, const int16_t* values, int count) {
        if (index >= seriesCount) return -1;
        if (bits > 1) {
            fixedBits = bits;
            autoScale = 0;
        } else {
            autoScale = 1;
        }
        if (index < 0) {
            seriesSlots.emplace_back();
            seriesCount = static_cast<int>(seriesSlots.size());
            index = seriesCount - 1;
        }
        FillSeries(seriesSlots[index], values, count);
        UpdateExtents();
        if (autoScale == 0) {
            yMin = 0;
            yMax = 1 << std::min(fixedBits, kMaxFixedBits);  // beyond 30 the shift overflows int
        }
        return index;
    }

    // Widens the ranges over every stored series, starting from the current ranges. A
    // lone series sets them to its own, so replacing it with a shorter one shrinks xMax.
    void UpdateExtents() {
        const ProfileSeries* lone = nullptr;
        int stored = 0;
        for (const auto& slot : seriesSlots) {
            if (!slot) continue;
            ++stored;
            lone = &*slot;
            yMax = std::max(yMax, slot->maxValue);
            yMin = std::min(yMin, slot->minValue);
            xMax = std::max(xMax, slot->count);
        }
        if (stored == 1) {
            yMax = lone->maxValue;
            yMin = lone->minValue;
            xMax = lone->count;
        }
    }

    void ClearSeries() {
        seriesSlots.clear();
        seriesCount = 0;
    }

    // The series in slot `index`, or null for an empty slot or an index out of range.
    const ProfileSeries* Series(int index) const {
        if (index < 0 || index >= seriesCount || !seriesSlots[index]) return nullptr;
        return &*seriesSlots[index];
    }

private:
    static constexpr int kMaxFixedBits = 30;

    // Makes `slot` a new series holding a copy of the values. A slot that held one keeps
    // its storage: a profile replaced with every frame of playback allocates nothing.
    static void FillSeries(std::optional<ProfileSeries>& slot, const int16_t* values, int count) {
        ProfileSeries& series = slot ? *slot : slot.emplace();
        series.visible = 1;
        series.color = 0;
        series.minValue = series.maxValue = 0;
        series.count = 0;
        series.values.clear();
        if (count <= 0 || values == nullptr) return;
        series.values.assign(values, values + count);
        series.count = count;
        const auto [lowest, highest] = std::minmax_element(series.values.begin(), series.values.end());
        series.minValue = *lowest;
        series.maxValue = *highest;
    }
};

}  // namespace zel::gui
