#include "zelwriter/DemoMovie.h"

#include <algorithm>
#include <cmath>

namespace zelgen {
namespace {

// Stateless hash so any pixel of any frame can be generated on its own.
uint64_t Mix(uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

// Small signed value in -span..span for table entry i of table number t.
int16_t SmallValue(uint64_t t, uint64_t i, int span) {
    const uint64_t range = static_cast<uint64_t>(2 * span + 1);
    return static_cast<int16_t>(static_cast<int>(Mix(t * 0x100000000ull + i) % range) - span);
}

uint16_t Scale(double fraction, uint16_t maxValue) {
    const double v = std::clamp(fraction, 0.0, 1.0) * maxValue;
    return static_cast<uint16_t>(std::lround(v));
}

}  // namespace

void FillDemoFrame(DemoPattern pattern, int frame, int frameCount, int width, int height, uint16_t maxValue,
                   uint16_t* samples) {
    if (width <= 0 || height <= 0) return;
    const double w = width, h = height;
    const double phase = frameCount > 1 ? static_cast<double>(frame) / (frameCount - 1) : 0.0;
    // Disc: crosses the frame from left to right once, bobbing up and down.
    const double radius = std::max(2.0, h / 6);
    const double cx = -radius + phase * (w + 2 * radius);
    const double cy = h / 2 + h / 4 * std::sin(phase * 2 * 3.14159265358979);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double v = 0;
            switch (pattern) {
                case DemoPattern::Gradient:
                    v = std::fmod((x / w + y / h) / 2 + 0.25 * phase, 1.0);
                    break;
                case DemoPattern::Moving: {
                    const double dx = x - cx, dy = y - cy;
                    const double d = std::sqrt(dx * dx + dy * dy);
                    v = 0.08 + 0.5 * x / w;
                    if (d < radius) v = 0.97;
                    else if (d < radius + 1.5) v = 0.6;  // soft rim
                    break;
                }
                case DemoPattern::Noise: {
                    const uint64_t key = (static_cast<uint64_t>(frame) << 32) ^
                                         (static_cast<uint64_t>(y) * static_cast<uint64_t>(width) + x);
                    v = static_cast<double>(Mix(key) % 1000001) / 1000000.0;
                    break;
                }
            }
            samples[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = Scale(v, maxValue);
        }
    }
}

CorrectionSpec DemoCorrection(int kind, int width, int height, int bitDepth) {
    CorrectionSpec c;
    c.kind = kind;
    if (kind == 0) return c;
    c.width = width;
    c.height = height;
    const uint64_t m = static_cast<uint64_t>(std::max(width, 0)) * static_cast<uint64_t>(std::max(height, 0));
    auto table = [&](uint64_t t, int span, int scale, int base) {
        std::vector<int16_t> v(m);
        for (uint64_t i = 0; i < m; ++i) v[i] = static_cast<int16_t>(base + scale * SmallValue(t, i, span));
        return v;
    };
    if (kind == 3) {
        c.offsets = table(1, 3, 1, 0);
    } else if (kind == 9) {
        // 10-bit movies keep the offset word four times larger (the reader shifts it down).
        c.offsets = table(1, 3, bitDepth == 12 ? 1 : 4, 0);
        c.gains = table(2, 8, 1, 512);
    } else if (kind == 6) {
        c.low = 0;
        c.high = 100;
        c.offsets = table(1, 3, 1, 0);
        c.gains = table(2, 8, 1, 512);
        c.t1 = table(3, 3, 1, 0);
        c.t2 = table(4, 2, 1, 0);
        c.t3 = table(5, 2, 1, 0);
        // Stored as 11-bit two's complement words.
        for (auto* t : {&c.offsets, &c.t1, &c.t2, &c.t3})
            for (int16_t& v : *t) v = static_cast<int16_t>(v & 0x7ff);
    }
    return c;
}

}  // namespace zelgen
