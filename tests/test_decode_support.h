#pragma once
// Helpers for the frame decoder tests: packers that build stored bytes from chosen
// sample values (the inverse of each packing, written bit by bit), and a way to run
// each decoder variant on a buffer.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "decode/DecodeDetail.h"
#include "decode/DecodeFrame.h"
#include "simd/Targets.h"

namespace zel::test {

// The decoder variants every layout is checked with: the fast decoder pinned to each
// instruction set this build holds and this processor runs, and the checked decoder.
struct Decoder {
    int64_t target;  // 0: the checked sample-by-sample decoder
};

inline std::string DecoderName(Decoder d) {
    return d.target == 0 ? std::string("Checked") : simd::TargetName(d.target);
}

inline void PrintTo(const Decoder& d, std::ostream* os) { *os << DecoderName(d); }

inline std::vector<Decoder> AllDecoders() {
    std::vector<Decoder> all;
    for (const int64_t target : simd::RunnableTargets()) all.push_back({target});
    all.push_back({0});
    return all;
}

inline void RunDecoder(Decoder d, const uint8_t* packed, size_t packedBytes, int width, int rows,
                       uint16_t* out, int pixelFormat) {
    if (d.target == 0) {
        detail::DecodeFrameChecked(packed, packedBytes, width, rows, out, pixelFormat);
        return;
    }
    const simd::ScopedTarget pin(d.target);
    DecodeFrame(packed, packedBytes, width, rows, out, pixelFormat);
}

// Decodes into a fresh buffer of width * rows samples, every one preset to `fill`.
inline std::vector<uint16_t> Decode(Decoder d, const std::vector<uint8_t>& packed, int width, int rows,
                                    int pixelFormat, uint16_t fill = 0xEEEE) {
    std::vector<uint16_t> out(static_cast<size_t>(width) * static_cast<size_t>(rows), fill);
    RunDecoder(d, packed.data(), packed.size(), width, rows, out.data(), pixelFormat);
    return out;
}

// Stream of `bits`-bit values, most significant bit first.
inline std::vector<uint8_t> PackMsb(const std::vector<uint32_t>& values, unsigned bits) {
    std::vector<uint8_t> bytes((values.size() * bits + 7) / 8, 0);
    size_t at = 0;
    for (const uint32_t v : values) {
        for (unsigned i = bits; i-- > 0; ++at) {
            if ((v >> i) & 1u) {
                bytes[at / 8] = static_cast<uint8_t>(bytes[at / 8] | (0x80u >> (at % 8)));
            }
        }
    }
    return bytes;
}

// Lane packing: per block of 32 values, lane j's bytes j, 8+j, 16+j, 24+j, 32+j are
// the 40-bit value of samples j, 8+j, 16+j, 24+j, most significant first.
inline std::vector<uint8_t> PackLane10(std::vector<uint32_t> values) {
    values.resize((values.size() + 31) / 32 * 32, 0);
    std::vector<uint8_t> bytes(values.size() / 32 * 40, 0);
    for (size_t block = 0; block < values.size() / 32; ++block) {
        for (size_t lane = 0; lane < 8; ++lane) {
            uint64_t bits = 0;
            for (size_t plane = 0; plane < 4; ++plane) {
                bits = (bits << 10) | (values[block * 32 + plane * 8 + lane] & 0x3FF);
            }
            for (size_t i = 0; i < 5; ++i) {
                bytes[block * 40 + i * 8 + lane] = static_cast<uint8_t>(bits >> (32 - 8 * i));
            }
        }
    }
    return bytes;
}

// Stored bytes of the given stored sample values (codes for the 8-bit layouts).
inline std::vector<uint8_t> PackStored(int pixelFormat, const std::vector<uint32_t>& values) {
    switch (pixelFormat) {
        case 0:
        case 1:
            return PackLane10(values);
        case 2:
        case 5: {
            std::vector<uint8_t> bytes;
            for (const uint32_t v : values) {
                bytes.push_back(static_cast<uint8_t>(v));
            }
            return bytes;
        }
        case 4:
            return PackMsb(values, 12);
        default:
            return PackMsb(values, 10);
    }
}

// Distinct stored values per sample that each layout can carry.
inline uint32_t ValueRange(int pixelFormat) {
    return pixelFormat == 4 ? 4096 : (pixelFormat == 2 || pixelFormat == 5) ? 256 : 1024;
}

// Stored samples a complete frame of the layout holds (all of them for the
// dimensions used in these tests).
inline size_t StoredSamples(int pixelFormat, int width, int rows) {
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(rows);
    return pixelFormat == 0 ? n / 32 * 32 : pixelFormat == 1 ? n / 512 * 512 : n;
}

inline uint16_t At(const std::vector<uint16_t>& out, int width, int x, int y) {
    return out[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}

}  // namespace zel::test
