#pragma once
// A whole 1280 x 1024 frame of random samples 0..maximum, the same for every run.

#include <cstddef>
#include <random>
#include <vector>

namespace zelbench {

constexpr int kFrameWidth = 1280, kFrameHeight = 1024;

template <typename Sample>
std::vector<Sample> RandomFrame(int maximum) {
    std::vector<Sample> frame(size_t{kFrameWidth} * kFrameHeight);
    std::mt19937 random(3);
    for (Sample& s : frame) s = static_cast<Sample>(random() % (maximum + 1));
    return frame;
}

}  // namespace zelbench
