// The correction passes on every instruction set against the formulas computed in 64
// bits: every 16-bit sample value, offsets and gains at their extremes, the floor and
// full-scale edges, and rows of every length cut at unaligned places.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "ForEachTarget.h"
#include "reader/CorrectionPass.h"

namespace {

struct Params {
    int floor, fullScale, pedestal;
};
// 10- and 12-bit movies, the largest vector range, a floor equal to full scale, and
// parameters outside the vector range (negative floor, 16-bit full scale).
constexpr Params kParams[] = {{0, 1023, 32},    {0, 4095, 128}, {0, 32767, 0},   {9, 1023, 65535},
                              {1023, 1023, 32}, {-5, 1023, 32}, {0, 65535, 32}};

int64_t Clamp(int64_t v, const Params& p) { return std::min<int64_t>(std::max<int64_t>(v, p.floor), p.fullScale); }

// Every sample value once, in random order (so that 0 and 65535 lie inside the pieces),
// and table entries drawn from the extremes half of the time.
struct Row {
    std::vector<uint16_t> samples;
    std::vector<int16_t> offsets, gains;
    Row() : samples(65536), offsets(samples.size()), gains(samples.size()) {
        std::mt19937 random(11);
        const int16_t extremes[] = {-32768, -32767, -512, -1, 0, 1, 511, 512, 32767};
        const auto entry = [&] {
            const auto r = static_cast<unsigned>(random());
            return r % 2 ? extremes[(r >> 1) % std::size(extremes)] : static_cast<int16_t>(r >> 16);
        };
        for (size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<uint16_t>(i);
            offsets[i] = entry();
            gains[i] = entry();
        }
        std::shuffle(samples.begin(), samples.end(), random);
    }
};

// Applies `correct(start, count)` to pieces of 0, 1, 2, ... samples in turn, so that
// rows start at every alignment and end at every tail length, and leaves the last few
// samples alone: a write past a piece changes a value the reference does not.
template <class Correct>
void InPieces(size_t size, const Correct& correct) {
    size_t start = 0;
    for (size_t length = 0; start + length + 3 <= size; length = (length + 1) % 150) {
        correct(start, static_cast<int>(length));
        start += length;
    }
}

TEST(CorrectionKernels, OffsetPassMatchesFormulaOnEveryTarget) {
    const Row row;
    for (const Params& p : kParams) {
        SCOPED_TRACE(testing::Message() << "floor " << p.floor << " fullScale " << p.fullScale);
        std::vector<uint16_t> expected = row.samples;
        InPieces(expected.size(), [&](size_t start, int count) {
            for (size_t i = start; i < start + count; ++i)
                expected[i] = static_cast<uint16_t>(Clamp(int64_t{row.samples[i]} + row.offsets[i], p));
        });
        ForEachTarget([&] {
            std::vector<uint16_t> actual = row.samples;
            InPieces(actual.size(), [&](size_t start, int count) {
                zel::OffsetCorrectRow(actual.data() + start, row.offsets.data() + start, count, p.floor, p.fullScale);
            });
            ASSERT_EQ(actual, expected);
        });
    }
}

TEST(CorrectionKernels, GainPassMatchesFormulaOnEveryTarget) {
    const Row row;
    for (const Params& p : kParams) {
        SCOPED_TRACE(testing::Message() << "floor " << p.floor << " fullScale " << p.fullScale << " pedestal "
                                        << p.pedestal);
        std::vector<uint16_t> expected = row.samples;
        InPieces(expected.size(), [&](size_t start, int count) {
            for (size_t i = start; i < start + count; ++i) {
                const int64_t v = row.samples[i];
                const int64_t t = p.pedestal + ((v + row.offsets[i]) * row.gains[i] + 256) / 512;
                expected[i] = static_cast<uint16_t>(v >= p.fullScale - 1 ? p.fullScale : Clamp(t, p));
            }
        });
        ForEachTarget([&] {
            std::vector<uint16_t> actual = row.samples;
            InPieces(actual.size(), [&](size_t start, int count) {
                zel::GainCorrectRow(actual.data() + start, row.offsets.data() + start, row.gains.data() + start, count,
                                    p.floor, p.fullScale, p.pedestal);
            });
            ASSERT_EQ(actual, expected);
        });
    }
}

}  // namespace
