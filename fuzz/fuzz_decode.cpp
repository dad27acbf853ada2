// Fuzz target for frame decoding. The first bytes choose the layout and the frame
// size (up to 256 x 256); the rest are the stored bytes, in a buffer of exactly their
// size. Every decoder variant decodes them into an output buffer of exactly
// width x rows samples; the fast decoders must agree with the sample-by-sample one,
// and samples the layout does not reach must keep their value.
//
// Input: byte 0 = pixelFormat + 2 (so -2 .. 253 reach the dispatch), bytes 1-2 =
// width - 1 (little-endian, modulo 256), bytes 3-4 = rows - 1 (likewise).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "decode/DecodeDetail.h"
#include "decode/DecodeFrame.h"
#include "simd/Targets.h"

namespace {

constexpr size_t kHeaderBytes = 5;
constexpr uint16_t kUntouched = 0xFFFF;  // above every 12-bit sample

std::vector<uint16_t> Run(const uint8_t* packed, size_t size, int width, int rows, int format,
                          int64_t target) {
    std::vector<uint16_t> out(static_cast<size_t>(width) * static_cast<size_t>(rows), kUntouched);
    if (target == 0) {
        zel::detail::DecodeFrameChecked(packed, size, width, rows, out.data(), format);
    } else {
        const zel::simd::ScopedTarget pin(target);
        zel::DecodeFrame(packed, size, width, rows, out.data(), format);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeaderBytes) {
        return 0;
    }
    const int format = static_cast<int>(data[0]) - 2;
    const int width = static_cast<int>((data[1] | (data[2] << 8)) % 256) + 1;
    const int rows = static_cast<int>((data[3] | (data[4] << 8)) % 256) + 1;
    // The stored bytes in their own allocation, so that reading past them is caught.
    const std::vector<uint8_t> packed(data + kHeaderBytes, data + size);
    const uint8_t* bytes = packed.empty() ? nullptr : packed.data();

    const auto reference = Run(bytes, packed.size(), width, rows, format, 0);
    for (const int64_t target : zel::simd::RunnableTargets()) {
        if (Run(bytes, packed.size(), width, rows, format, target) != reference) {
            std::abort();  // a fast decoder disagrees with the sample-by-sample one
        }
    }
    const int maxValue = format == 4 ? 4095 : 1023;
    for (const uint16_t v : reference) {
        if (v != kUntouched && v > maxValue) {
            std::abort();  // more significant bits than the layout has
        }
    }
    if (format < 0 || format > 6) {
        for (const uint16_t v : reference) {
            if (v != kUntouched) {
                std::abort();  // layouts without a decoder write nothing
            }
        }
    }
    // The public entry point on the same input, for the sanitizers.
    std::vector<uint16_t> out(static_cast<size_t>(width) * static_cast<size_t>(rows), kUntouched);
    zel::DecodeFrame(bytes, packed.size(), width, rows, out.data(), format);
    return 0;
}
