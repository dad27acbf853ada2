// The vector row loops against the plain C++ ones: every shift, every row length around
// the vector widths, unaligned sources, and nothing written past the row.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "imaging/RowKernels.h"

namespace zel::detail {
namespace {

class RowKernels : public ::testing::TestWithParam<RowIsa> {
protected:
    void SetUp() override {
        if (!RowIsaAvailable(GetParam())) {
            GTEST_SKIP() << "processor lacks this instruction set";
        }
    }
    // Random bytes, with many values at the clamp edges (0, 255, 256, 0xFFFF).
    static std::vector<uint8_t> Bytes(size_t count) {
        std::mt19937 random(static_cast<unsigned>(count));
        std::vector<uint8_t> bytes(count);
        for (auto& b : bytes) {
            const auto r = static_cast<unsigned>(random());
            b = static_cast<uint8_t>(r % 4 == 0 ? (r & 0x100 ? 0xFF : 0x00) : r >> 8);
        }
        return bytes;
    }
};

constexpr uint8_t kGuard = 0x5A;
constexpr int kMaxCount = 80;  // past two AVX2 steps plus every tail length

TEST_P(RowKernels, ConvertToEightBitsMatchesPlainLoops) {
    const std::vector<uint8_t> source = Bytes(2 * kMaxCount + 1);
    for (int count = 0; count <= kMaxCount; ++count) {
        for (unsigned right = 0; right < 16; ++right) {
            for (unsigned left = 0; left <= 8; ++left) {
                if (right != 0 && left != 0) {
                    continue;  // the depth rule never shifts both ways
                }
                std::vector<uint8_t> expected(count + 8, kGuard), actual(count + 8, kGuard);
                // Sources at an odd address: the loops must not assume alignment.
                ConvertRow16(RowIsa::Portable, expected.data(), source.data() + 1, count, right, left);
                ConvertRow16(GetParam(), actual.data(), source.data() + 1, count, right, left);
                ASSERT_EQ(actual, expected) << "16-bit, count " << count << " right " << right << " left " << left;
                if (right < 8) {
                    ConvertRow8(RowIsa::Portable, expected.data(), source.data() + 1, count, right, left);
                    ConvertRow8(GetParam(), actual.data(), source.data() + 1, count, right, left);
                    ASSERT_EQ(actual, expected) << "8-bit, count " << count << " right " << right << " left " << left;
                }
            }
        }
    }
}

TEST_P(RowKernels, WideningMatchesPlainLoop) {
    const std::vector<uint8_t> source = Bytes(kMaxCount + 1);
    for (int count = 0; count <= kMaxCount; ++count) {
        for (unsigned shift = 0; shift < 16; ++shift) {
            std::vector<uint8_t> expected(2 * count + 8, kGuard), actual(2 * count + 8, kGuard);
            WidenRow8(RowIsa::Portable, expected.data() + 1, source.data() + 1, count, shift);
            WidenRow8(GetParam(), actual.data() + 1, source.data() + 1, count, shift);
            ASSERT_EQ(actual, expected) << "count " << count << " shift " << shift;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Isa, RowKernels, ::testing::Values(RowIsa::Sse2, RowIsa::Avx2),
                         [](const ::testing::TestParamInfo<RowIsa>& p) {
                             return p.param == RowIsa::Sse2 ? std::string("Sse2") : std::string("Avx2");
                         });

}  // namespace
}  // namespace zel::detail
