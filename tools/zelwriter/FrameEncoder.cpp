#include "zelwriter/FrameEncoder.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace zelgen {
namespace {

bool KnownFormat(int pf) { return pf >= -1 && pf <= 6; }

bool ValidSize(int width, int height) { return width > 0 && height > 0; }

// Writes values MSB first into a bit stream; bits past the end of the buffer are dropped
// (the reader stores width*height*bits/8 bytes, which can cut the last sample short).
void PutBits(std::vector<uint8_t>& out, uint64_t bitPos, uint32_t value, int bits) {
    for (int b = bits - 1; b >= 0; --b, ++bitPos) {
        const uint64_t byte = bitPos / 8;
        if (byte >= out.size()) return;
        if ((value >> b) & 1u) out[byte] |= static_cast<uint8_t>(0x80u >> (bitPos % 8));
    }
}

// Lane packing: block of 32 samples into 40 bytes; lane j holds samples j, 8+j, 16+j, 24+j
// as one 40-bit big-endian value spread over bytes j, 8+j, 16+j, 24+j, 32+j.
void PackLaneBlock(const uint16_t* s, uint8_t* block) {
    for (int j = 0; j < 8; ++j) {
        const uint64_t v = (uint64_t{s[j]} << 30) | (uint64_t{s[8 + j]} << 20) |
                           (uint64_t{s[16 + j]} << 10) | uint64_t{s[24 + j]};
        for (int p = 0; p < 5; ++p) block[8 * p + j] = static_cast<uint8_t>(v >> (32 - 8 * p));
    }
}

// Format 1: 640-byte chunks of 16 blocks; blocks 0-3 upper-left, 4-7 upper-right, 8-11
// lower-left, 12-15 lower-right. Each quadrant fills column pairs outwards from the centre,
// rows outwards from the centre line in steps of 8.
std::optional<PixelPos> QuadrantPosition(int width, int height, uint64_t k) {
    const int64_t r2 = height / 2;
    if (r2 == 0) return std::nullopt;
    const uint64_t chunk = k / 512;
    const int block = static_cast<int>((k / 32) % 16);
    const int inBlock = static_cast<int>(k % 32);
    const int quadrant = block / 4, kk = block % 4;
    const int plane = inBlock / 8, lane = inBlock % 8;
    const int64_t p = plane / 2;
    const int64_t j = 4 * (plane % 2) + lane / 2;
    const int64_t q = lane % 2;
    const int64_t bigJ = 8 * static_cast<int64_t>(chunk) + j;
    const int64_t w = 8 * bigJ / r2;
    const int64_t r = 8 * bigJ % r2;
    const bool upper = quadrant < 2, left = quadrant % 2 == 0;
    const int64_t y = upper ? r2 - 1 - (r + 3 - kk + 4 * q) : r2 + r + kk + 4 * q;
    const int64_t x = left ? width / 2 - 2 - 2 * w + p : width / 2 + 2 * w + p;
    if (x < 0 || y < 0 || x >= width || y >= height) return std::nullopt;
    return PixelPos{static_cast<int>(x), static_cast<int>(y)};
}

// Formats 2-4: groups of four 16-sample tiles (lower-right, upper-right, lower-left,
// upper-left); group u covers column pair u / m and band u % m, m = height / 16.
std::optional<PixelPos> TilePosition(int width, int height, uint64_t k) {
    const int64_t m = height / 16;
    if (m == 0) return std::nullopt;
    const int64_t u = static_cast<int64_t>(k / 64);
    const int tile = static_cast<int>((k / 16) % 4);
    const int i = static_cast<int>(k % 16);
    const int64_t a = u / m, b = u % m;
    const int64_t s = i / 2, t = i % 2;
    const int64_t r2 = height / 2;
    const bool lower = tile == 0 || tile == 2, right = tile < 2;
    const int64_t x = right ? width / 2 + 2 * a + t : width / 2 - 1 - 2 * a - t;
    const int64_t y = lower ? r2 + 8 * b + s : r2 - 1 - 8 * b - s;
    if (x < 0 || y < 0 || x >= width || y >= height) return std::nullopt;
    return PixelPos{static_cast<int>(x), static_cast<int>(y)};
}

std::array<uint16_t, 256> MakeExpandTable() {
    // Exact rational forms of the four straight segments, truncated toward zero.
    std::array<uint16_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        int v;
        if (c < 128) v = c;
        else if (c < 192) v = ((c - 128) * 254 + 257 * 63) / 126;   // (c-128)*127/63 + 128.5
        else if (c < 224) v = ((c - 192) * 510 + 513 * 31) / 62;    // (c-192)*255/31 + 256.5
        else v = (c - 224) * 511 / 31 + 512;                         // (c-224)*511/31 + 512
        t[static_cast<size_t>(c)] = static_cast<uint16_t>(v);
    }
    return t;
}

const std::array<uint16_t, 256>& ExpandTable() {
    static const std::array<uint16_t, 256> table = MakeExpandTable();
    return table;
}

}  // namespace

int BitsOfFormat(int pixelFormat) {
    switch (pixelFormat) {
        case -1: case 2: case 5: return 8;
        case 0: case 1: case 3: case 6: return 10;
        case 4: return 12;
        default: return 0;
    }
}

uint16_t MaxSampleOfFormat(int pixelFormat) {
    if (pixelFormat == -1) return 255;
    if (pixelFormat == 4) return 4095;
    return KnownFormat(pixelFormat) ? 1023 : 0;
}

uint64_t EncodedFrameBytes(int width, int height, int pixelFormat) {
    if (!ValidSize(width, height) || !KnownFormat(pixelFormat)) return 0;
    return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) *
           static_cast<uint64_t>(BitsOfFormat(pixelFormat)) / 8;
}

uint16_t ExpandedValue(uint8_t code) { return ExpandTable()[code]; }

uint8_t NearestCode(uint16_t value) {
    const auto& t = ExpandTable();
    const auto it = std::lower_bound(t.begin(), t.end(), value);
    if (it == t.end()) return 255;
    if (it == t.begin() || *it == value) return static_cast<uint8_t>(it - t.begin());
    const auto below = it - 1;
    // Ties go to the lower code.
    return static_cast<uint8_t>((value - *below <= *it - value ? below : it) - t.begin());
}

uint64_t StoredSampleCount(int pixelFormat, int width, int height) {
    if (!ValidSize(width, height)) return 0;
    const uint64_t n = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    switch (pixelFormat) {
        case -1: case 5: case 6: return n;
        case 0: return n / 32 * 32;
        case 1: return n / 512 * 512;
        case 2: case 3: case 4:
            return static_cast<uint64_t>(width / 4) * static_cast<uint64_t>(height / 16) * 64;
        default: return 0;
    }
}

std::optional<PixelPos> StoredSamplePosition(int pixelFormat, int width, int height, uint64_t k) {
    if (k >= StoredSampleCount(pixelFormat, width, height)) return std::nullopt;
    switch (pixelFormat) {
        case 1: return QuadrantPosition(width, height, k);
        case 2: case 3: case 4: return TilePosition(width, height, k);
        default: {
            const uint64_t w = static_cast<uint64_t>(width);
            return PixelPos{static_cast<int>(k % w), static_cast<int>(k / w)};
        }
    }
}

std::vector<uint8_t> EncodeFrame(const uint16_t* samples, int width, int height, int pixelFormat) {
    std::vector<uint8_t> out(EncodedFrameBytes(width, height, pixelFormat), 0);
    if (out.empty() || samples == nullptr) return out;
    const uint64_t count = StoredSampleCount(pixelFormat, width, height);
    const uint16_t maxValue = MaxSampleOfFormat(pixelFormat);
    const int bits = BitsOfFormat(pixelFormat);
    auto storedValue = [&](uint64_t k) -> uint16_t {
        const auto pos = StoredSamplePosition(pixelFormat, width, height, k);
        if (!pos) return 0;
        const uint64_t index = static_cast<uint64_t>(pos->y) * static_cast<uint64_t>(width) +
                               static_cast<uint64_t>(pos->x);
        return std::min(samples[index], maxValue);
    };

    if (pixelFormat == 0 || pixelFormat == 1) {
        std::array<uint16_t, 32> block{};
        for (uint64_t b = 0; b < count / 32; ++b) {
            for (uint64_t i = 0; i < 32; ++i) block[i] = storedValue(32 * b + i);
            PackLaneBlock(block.data(), out.data() + 40 * b);
        }
    } else if (pixelFormat == 2 || pixelFormat == 5) {
        for (uint64_t k = 0; k < count; ++k) out[k] = NearestCode(storedValue(k));
    } else if (pixelFormat == -1) {
        for (uint64_t k = 0; k < count; ++k) out[k] = static_cast<uint8_t>(storedValue(k));
    } else {
        for (uint64_t k = 0; k < count; ++k)
            PutBits(out, k * static_cast<uint64_t>(bits), storedValue(k), bits);
    }
    return out;
}

}  // namespace zelgen
