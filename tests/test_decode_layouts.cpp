// Whole-frame properties of the layouts: on the dimensions a layout is made for, every
// stored sample lands on its own output sample and every output sample is written;
// and the fast decoders (portable and AVX2 kernels) agree with the sample-by-sample
// decoder on arbitrary data.

#include <algorithm>
#include <map>
#include <random>

#include "test_decode_support.h"

namespace zel::test {
namespace {

struct Dims {
    int width;
    int rows;
};

// Complete dimensions per layout, including frames whose column walk wraps inside a
// chunk (format 1 with rows 48) and the common sensor size.
std::vector<Dims> CompleteDims(int format) {
    switch (format) {
        case 0:
            return {{32, 1}, {8, 4}, {40, 40}, {96, 3}, {1280, 1024}};
        case 1:
            return {{32, 32}, {16, 32}, {64, 16}, {4, 128}, {128, 48}, {1280, 1024}};
        case 2:
        case 3:
        case 4:
            return {{4, 16}, {16, 32}, {64, 16}, {8, 128}, {12, 48}, {1280, 1024}};
        default:
            return {{4, 1}, {1, 4}, {12, 7}, {40, 40}, {1280, 1024}};
    }
}

bool IsLarge(const Dims& d) {
    return static_cast<size_t>(d.width) * static_cast<size_t>(d.rows) > 100000;
}

// Decodes streams in which stored sample k carries k, spread over several passes of
// base-`range` digits, and returns for every output sample the stored index that
// reached it (or an index >= the sample count where nothing did).
std::vector<uint64_t> StoredIndexOfEachSample(Decoder d, int format, const Dims& dims) {
    const size_t samples = StoredSamples(format, dims.width, dims.rows);
    const uint64_t range = ValueRange(format);
    std::vector<uint32_t> codeOfValue(1024, 0);  // the 8-bit layouts store codes
    for (uint32_t c = 0; c < 256; ++c) {
        codeOfValue[detail::Expand8To10()[c]] = c;
    }
    std::vector<uint64_t> index(static_cast<size_t>(dims.width) * static_cast<size_t>(dims.rows), 0);
    uint64_t scale = 1;
    do {
        std::vector<uint32_t> values(samples);
        for (size_t k = 0; k < samples; ++k) {
            values[k] = static_cast<uint32_t>(k / scale % range);
        }
        const auto out = Decode(d, PackStored(format, values), dims.width, dims.rows, format, 0xFFFF);
        for (size_t i = 0; i < out.size(); ++i) {
            if (out[i] == 0xFFFF) {
                index[i] = UINT64_MAX;  // never written
                continue;
            }
            const uint64_t digit = (format == 2 || format == 5) ? codeOfValue[out[i]] : out[i];
            if (index[i] != UINT64_MAX) {
                index[i] += digit * scale;
            }
        }
        scale *= range;
    } while (scale < samples);
    return index;
}

class DecodeLayout : public ::testing::TestWithParam<std::tuple<int, Decoder>> {};

TEST_P(DecodeLayout, CompleteFrameIsPermutationOfStoredSamples) {
    const auto [format, decoder] = GetParam();
    for (const Dims& dims : CompleteDims(format)) {
        if (decoder.target == 0 && IsLarge(dims)) {
            continue;  // the sample-by-sample decoder is covered on the small frames
        }
        SCOPED_TRACE(testing::Message() << dims.width << " x " << dims.rows);
        const size_t stored = StoredSamples(format, dims.width, dims.rows);
        const size_t storedBytes = PackStored(format, std::vector<uint32_t>(stored)).size();
        ASSERT_TRUE(detail::FastPathApplies(dims.width, dims.rows, format, storedBytes));
        auto index = StoredIndexOfEachSample(decoder, format, dims);
        if (format == 0 && stored < index.size()) {
            // Raster lane packing leaves a tail of fewer than 32 samples.
            for (size_t i = stored; i < index.size(); ++i) {
                EXPECT_EQ(index[i], UINT64_MAX);
            }
            index.resize(stored);
        }
        ASSERT_EQ(stored, index.size());
        std::sort(index.begin(), index.end());
        for (size_t k = 0; k < index.size(); ++k) {
            ASSERT_EQ(index[k], k) << "stored samples are lost or duplicated";
        }
    }
}

std::string LayoutName(const ::testing::TestParamInfo<std::tuple<int, Decoder>>& p) {
    return "Format" + std::to_string(std::get<0>(p.param)) + "_" + DecoderName(std::get<1>(p.param));
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, DecodeLayout,
                         ::testing::Combine(::testing::Range(0, 7), ::testing::ValuesIn(AllDecoders())), LayoutName);

class FastDecoder : public DecodeLayout {};
class KernelTail : public DecodeLayout {};

// Fast decoders against the sample-by-sample one on random stored bytes.
TEST_P(FastDecoder, MatchesCheckedDecoder) {
    const auto [format, decoder] = GetParam();
    std::mt19937 random(1234u + static_cast<unsigned>(format));
    for (const Dims& dims : CompleteDims(format)) {
        SCOPED_TRACE(testing::Message() << dims.width << " x " << dims.rows);
        std::vector<uint8_t> bytes(static_cast<size_t>(dims.width) * static_cast<size_t>(dims.rows) * 2);
        for (auto& b : bytes) {
            b = static_cast<uint8_t>(random());
        }
        ASSERT_TRUE(detail::FastPathApplies(dims.width, dims.rows, format, bytes.size()));
        EXPECT_EQ(Decode(decoder, bytes, dims.width, dims.rows, format),
                  Decode(Decoder{0}, bytes, dims.width, dims.rows, format));
    }
}

// Sample counts that are not multiples of the vector kernels' step go through their
// plain tails. (Tile groups and quadrant chunks are always whole vector steps.)
TEST_P(KernelTail, MatchesCheckedDecoder) {
    const auto [format, decoder] = GetParam();
    std::mt19937 random(99u);
    for (int width = 1; width <= 70; ++width) {
        std::vector<uint8_t> bytes(static_cast<size_t>(width) * 3 * 2);
        for (auto& b : bytes) {
            b = static_cast<uint8_t>(random());
        }
        EXPECT_EQ(Decode(decoder, bytes, width, 3, format), Decode(Decoder{0}, bytes, width, 3, format))
            << "width " << width;
    }
}

std::vector<Decoder> FastDecoders() {
    std::vector<Decoder> fast = AllDecoders();
    fast.pop_back();  // the checked decoder is the reference
    return fast;
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, FastDecoder,
                         ::testing::Combine(::testing::Range(0, 7), ::testing::ValuesIn(FastDecoders())), LayoutName);
INSTANTIATE_TEST_SUITE_P(RasterLayouts, KernelTail,
                         ::testing::Combine(::testing::Values(0, 5, 6), ::testing::ValuesIn(FastDecoders())),
                         LayoutName);

// The decoder tells about each run of rows once, and only when those rows are final:
// a copy taken at that moment equals the finished frame.
class BandSnapshots final : public RowSink {
public:
    BandSnapshots(const std::vector<uint16_t>& out, int width) : out_(out), width_(static_cast<size_t>(width)) {}
    void RowsDone(int firstRow, int rows) override {
        for (int row = firstRow; row < firstRow + rows; ++row) {
            ASSERT_TRUE(snapshots_.emplace(row, Row(row)).second) << "row " << row << " reported twice";
        }
    }
    void ExpectEveryRowFinal(int rows) const {
        ASSERT_EQ(snapshots_.size(), static_cast<size_t>(rows));
        for (const auto& [row, values] : snapshots_) EXPECT_EQ(values, Row(row)) << "row " << row;
    }

private:
    std::vector<uint16_t> Row(int row) const {
        const auto begin = out_.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(row) * width_);
        return {begin, begin + static_cast<std::ptrdiff_t>(width_)};
    }
    const std::vector<uint16_t>& out_;
    size_t width_;
    std::map<int, std::vector<uint16_t>> snapshots_;
};

TEST_P(FastDecoder, ReportsEachRowOnceWhenItIsFinal) {
    const auto [format, decoder] = GetParam();
    std::mt19937 random(5u);
    for (const Dims& dims : {Dims{1280, 1024}, Dims{200, 48}, Dims{100, 30}}) {
        SCOPED_TRACE(testing::Message() << dims.width << " x " << dims.rows);
        std::vector<uint8_t> bytes(static_cast<size_t>(dims.width) * static_cast<size_t>(dims.rows) * 2);
        for (auto& b : bytes) b = static_cast<uint8_t>(random());
        std::vector<uint16_t> out(static_cast<size_t>(dims.width) * static_cast<size_t>(dims.rows), 0);
        BandSnapshots snapshots(out, dims.width);
        const simd::ScopedTarget pin(decoder.target);
        DecodeFrame(bytes.data(), bytes.size(), dims.width, dims.rows, out.data(), format, &snapshots);
        snapshots.ExpectEveryRowFinal(dims.rows);
    }
}

}  // namespace
}  // namespace zel::test
