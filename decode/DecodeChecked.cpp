// Sample-by-sample decoding for any dimensions and any amount of stored data.
//
// Every stored sample the layout defines is read through a bounds check (bytes past
// the end of the stored data read as 0) and placed by the layout's own formulas.
// Where dimensions are not the multiples a layout is made for, those formulas can
// reach outside the frame (format 1) or overlap; positions outside the frame are
// dropped rather than wrapped into another row, and a later stored sample simply
// overwrites an earlier one. The fast decoders must agree with this one wherever
// they apply.

#include "decode/DecodeDetail.h"

namespace zel::detail {

namespace {

struct Stored {
    const uint8_t* bytes;
    size_t size;

    unsigned Byte(uint64_t index) const { return index < size ? bytes[index] : 0u; }

    // `count` bits from bit position `bit`, most significant first.
    uint32_t MsbBits(uint64_t bit, unsigned count) const {
        uint32_t value = 0;
        for (unsigned i = 0; i < count; ++i) {
            const uint64_t at = bit + i;
            value = (value << 1) | ((Byte(at / 8) >> (7 - at % 8)) & 1u);
        }
        return value;
    }

    // Sample 8 * plane + lane of a lane-packed block: lane bytes j, 8+j, ..., 32+j
    // form a 40-bit value with the planes' samples from its top.
    uint32_t LaneSample(uint64_t k) const {
        const uint64_t block = k / 32;
        const unsigned plane = static_cast<unsigned>(k % 32 / 8);
        const unsigned lane = static_cast<unsigned>(k % 8);
        uint64_t bits = 0;
        for (unsigned i = 0; i < 5; ++i) {
            bits = (bits << 8) | Byte(block * 40 + 8 * i + lane);
        }
        return static_cast<uint32_t>((bits >> (30 - 10 * plane)) & 0x3FF);
    }
};

struct Frame {
    int64_t width;
    int64_t rows;

    uint64_t Samples() const { return static_cast<uint64_t>(width) * static_cast<uint64_t>(rows); }
};

// Stored samples of the layout in this frame.
uint64_t StoredCount(const Frame& f, int pixelFormat) {
    const uint64_t samples = f.Samples();
    switch (pixelFormat) {
        case 0:
            return samples / 32 * 32;
        case 1:
            return samples / 512 * 512;
        case 2:
        case 3:
        case 4:
            return static_cast<uint64_t>(f.width / 4) * static_cast<uint64_t>(f.rows / 16) * 64;
        default:
            return samples;
    }
}

uint32_t StoredValue(const Stored& in, int pixelFormat, uint64_t k) {
    switch (pixelFormat) {
        case 0:
        case 1:
            return in.LaneSample(k);
        case 2:
        case 5:
            return Expand8To10()[in.Byte(k)];
        case 4:
            return in.MsbBits(12 * k, 12);
        default:
            return in.MsbBits(10 * k, 10);
    }
}

// Format 1: see QuadrantLayout.cpp for the walk these formulas describe.
bool QuadrantPosition(const Frame& f, uint64_t k, int64_t& x, int64_t& y) {
    const int64_t half = f.rows / 2;
    if (half == 0) {
        return false;  // no rows above or below the centre line
    }
    const int64_t chunk = static_cast<int64_t>(k / 512);
    const int64_t blockInChunk = static_cast<int64_t>(k % 512 / 32);
    const int64_t quadrant = blockInChunk / 4;
    const int64_t blockK = blockInChunk % 4;
    const int64_t plane = static_cast<int64_t>(k % 32 / 8);
    const int64_t lane = static_cast<int64_t>(k % 8);
    const int64_t parity = plane / 2;
    const int64_t step = 4 * (plane % 2) + lane / 2;
    const int64_t partner = lane % 2;
    const int64_t globalStep = 8 * chunk + step;
    const int64_t pair = 8 * globalStep / half;
    const int64_t rowInPair = 8 * globalStep % half;
    const bool upper = quadrant < 2;
    const bool left = quadrant % 2 == 0;
    y = upper ? half - 1 - (rowInPair + 3 - blockK + 4 * partner) : half + rowInPair + blockK + 4 * partner;
    x = left ? f.width / 2 - 2 - 2 * pair + parity : f.width / 2 + 2 * pair + parity;
    return true;
}

// Formats 2, 3, 4: see CentreOutTiles.cpp.
bool TilePosition(const Frame& f, uint64_t k, int64_t& x, int64_t& y) {
    const int64_t bands = f.rows / 16;
    if (bands == 0) {
        return false;
    }
    const int64_t group = static_cast<int64_t>(k / 64);
    const int64_t tile = static_cast<int64_t>(k % 64 / 16);  // LR, UR, LL, UL
    const int64_t i = static_cast<int64_t>(k % 16);
    const int64_t pair = group / bands;
    const int64_t band = group % bands;
    const int64_t rowStep = i / 2;
    const int64_t colStep = i % 2;
    const int64_t half = f.rows / 2;
    const bool right = tile < 2;
    const bool lower = tile % 2 == 0;
    x = right ? f.width / 2 + 2 * pair + colStep : f.width / 2 - 1 - 2 * pair - colStep;
    y = lower ? half + 8 * band + rowStep : half - 1 - 8 * band - rowStep;
    return true;
}

bool Position(const Frame& f, int pixelFormat, uint64_t k, int64_t& x, int64_t& y) {
    switch (pixelFormat) {
        case 1:
            return QuadrantPosition(f, k, x, y);
        case 2:
        case 3:
        case 4:
            return TilePosition(f, k, x, y);
        default:  // raster
            x = static_cast<int64_t>(k % static_cast<uint64_t>(f.width));
            y = static_cast<int64_t>(k / static_cast<uint64_t>(f.width));
            return true;
    }
}

}  // namespace

void DecodeFrameChecked(const uint8_t* packed, size_t packedBytes, int width, int rows,
                        uint16_t* out, int pixelFormat) {
    if (width <= 0 || rows <= 0 || out == nullptr || pixelFormat < 0 || pixelFormat > 6) {
        return;
    }
    const Stored in{packed, packed == nullptr ? 0 : packedBytes};
    const Frame frame{width, rows};
    const uint64_t count = StoredCount(frame, pixelFormat);
    for (uint64_t k = 0; k < count; ++k) {
        int64_t x = 0;
        int64_t y = 0;
        if (!Position(frame, pixelFormat, k, x, y) || x < 0 || x >= frame.width || y < 0 ||
            y >= frame.rows) {
            continue;
        }
        out[static_cast<uint64_t>(y) * static_cast<uint64_t>(width) + static_cast<uint64_t>(x)] =
            static_cast<uint16_t>(StoredValue(in, pixelFormat, k));
    }
}

}  // namespace zel::detail
