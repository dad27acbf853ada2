// The row loops on every instruction set against the formulas they implement: every
// shift (and some beyond the range), every row length around the vector widths,
// unaligned rows, and nothing written past the row.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "ForEachTarget.h"
#include "imaging/RowKernels.h"

namespace zel::detail {
namespace {

constexpr uint8_t kGuard = 0x5A;
constexpr int kMaxCount = 140;  // past two 64-byte vectors plus every tail length

// Random bytes, half of them 0x00 or 0xFF so that samples of every size often sit at
// the clamp edges (0, 255, 256, 0xFFFF, 0xFFFFFFFF).
std::vector<uint8_t> Bytes(size_t count) {
    std::mt19937 random(static_cast<unsigned>(count));
    std::vector<uint8_t> bytes(count);
    for (auto& b : bytes) {
        const auto r = static_cast<unsigned>(random());
        b = static_cast<uint8_t>(r % 2 == 0 ? (r & 0x100 ? 0xFF : 0x00) : r >> 8);
    }
    return bytes;
}

// Little-endian sample i of `size` bytes.
uint64_t SampleAt(const uint8_t* bytes, int i, int size) {
    uint64_t v = 0;
    std::memcpy(&v, bytes + static_cast<ptrdiff_t>(i) * size, static_cast<size_t>(size));
    return v;
}

using Convert = void (*)(uint8_t*, const uint8_t*, ptrdiff_t, unsigned, unsigned);
using Fill16 = void (*)(uint8_t*, const uint8_t*, ptrdiff_t, unsigned);

TEST(RowKernels, ConvertToEightBitsMatchesFormulaOnEveryTarget) {
    const std::vector<uint8_t> source = Bytes(4 * kMaxCount + 1);
    const uint8_t* src = source.data() + 1;  // an odd address: no alignment may be assumed
    const struct {
        int size;
        Convert convert;
    } kinds[] = {{1, ConvertRow8}, {2, ConvertRow16}, {4, ConvertRow32}};
    ForEachTarget([&] {
        for (const auto& kind : kinds) {
            for (unsigned right = 0; right <= 8u * kind.size; ++right) {
                for (unsigned left = 0; left <= 9; ++left) {
                    for (int count = 0; count <= kMaxCount; ++count) {
                        std::vector<uint8_t> expected(count + 8, kGuard), actual(count + 8, kGuard);
                        for (int i = 0; i < count; ++i) {
                            const uint64_t v = std::min<uint64_t>(SampleAt(src, i, kind.size) >> right, 255);
                            expected[i] = static_cast<uint8_t>(std::min<uint64_t>(v << left, 255));
                        }
                        kind.convert(actual.data(), src, count, right, left);
                        ASSERT_EQ(actual, expected)
                            << kind.size << "-byte, count " << count << " right " << right << " left " << left;
                    }
                }
            }
        }
    });
}

TEST(RowKernels, SixteenBitFillsMatchFormulaOnEveryTarget) {
    const std::vector<uint8_t> source = Bytes(4 * kMaxCount + 1);
    const uint8_t* src = source.data() + 1;
    const struct {
        int size;
        Fill16 fill;
    } kinds[] = {{1, WidenRow8}, {2, ShiftRow16}, {4, NarrowRow32}};
    ForEachTarget([&] {
        for (const auto& kind : kinds) {
            for (unsigned shift = 0; shift <= 17; ++shift) {
                for (int count = 0; count <= kMaxCount; ++count) {
                    // Output at an odd address too; the guard bytes catch writes past the row.
                    std::vector<uint8_t> expected(2 * count + 9, kGuard), actual(2 * count + 9, kGuard);
                    for (int i = 0; i < count; ++i) {
                        const auto v = static_cast<uint16_t>(shift >= 16 ? 0 : SampleAt(src, i, kind.size) << shift);
                        std::memcpy(&expected[1 + 2 * i], &v, 2);
                    }
                    kind.fill(actual.data() + 1, src, count, shift);
                    ASSERT_EQ(actual, expected) << kind.size << "-byte, count " << count << " shift " << shift;
                }
            }
        }
    });
}

TEST(RowKernels, GreyToScreenPixelsMatchesFormulaOnEveryTarget) {
    const std::vector<uint8_t> source = Bytes(kMaxCount + 1);
    const uint8_t* src = source.data() + 1;
    ForEachTarget([&] {
        for (int count = 0; count <= kMaxCount; ++count) {
            // Output at an odd address; the guard bytes catch writes past the row.
            std::vector<uint8_t> expected(4 * count + 9, kGuard), actual(4 * count + 9, kGuard);
            for (int i = 0; i < count; ++i) {
                const uint32_t word = 0xFF000000u | src[i] * 0x010101u;
                std::memcpy(&expected[1 + 4 * i], &word, 4);
            }
            GreyToXrgbRow(actual.data() + 1, src, count);
            ASSERT_EQ(actual, expected) << "count " << count;
        }
    });
}

}  // namespace
}  // namespace zel::detail
