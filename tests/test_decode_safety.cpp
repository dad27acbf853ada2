// Untrusted sizes: dimensions that are not the multiples a layout needs, stored data
// shorter than the layout reads, empty or negative dimensions. Nothing outside the
// output buffer may change, bytes past the stored data read as 0, and samples the
// layout does not reach keep their value (and are never promised to be written).

#include <random>

#include "test_decode_support.h"

namespace zel::test {
namespace {

constexpr size_t kGuard = 64;
constexpr uint16_t kGuardValue = 0xC0DE;

// An output buffer with guard samples on both sides.
struct GuardedBuffer {
    std::vector<uint16_t> storage;
    size_t samples;

    GuardedBuffer(size_t n, uint16_t fill) : storage(n + 2 * kGuard, kGuardValue), samples(n) {
        std::fill(storage.begin() + kGuard, storage.begin() + static_cast<std::ptrdiff_t>(kGuard + n), fill);
    }
    uint16_t* Frame() { return storage.data() + kGuard; }
    std::vector<uint16_t> FrameSamples() const {
        return {storage.begin() + kGuard, storage.begin() + static_cast<std::ptrdiff_t>(kGuard + samples)};
    }
    bool GuardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i) {
            if (storage[i] != kGuardValue || storage[kGuard + samples + i] != kGuardValue) {
                return false;
            }
        }
        return true;
    }
};

class DecodeSafety : public ::testing::TestWithParam<Decoder> {
protected:
    // Decodes `bytes` (held in a vector of exactly that size, so the sanitizer sees
    // any read past it) into a guarded buffer preset to `fill`.
    std::vector<uint16_t> Run(const std::vector<uint8_t>& bytes, int width, int rows, int format,
                              uint16_t fill = 0xEEEE) {
        const size_t n = static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(rows, 0));
        GuardedBuffer out(n, fill);
        RunDecoder(GetParam(), bytes.empty() ? nullptr : bytes.data(), bytes.size(), width, rows, out.Frame(),
                   format);
        EXPECT_TRUE(out.GuardsIntact()) << "format " << format << ", " << width << " x " << rows << ", "
                                        << bytes.size() << " bytes";
        return out.FrameSamples();
    }
};

// Odd, tiny and lopsided dimensions with every amount of stored data around what
// the layout needs, for every layout; all decoders must agree.
TEST_P(DecodeSafety, AnySizeStaysInsideBuffer) {
    const struct { int width, rows; } dims[] = {
        {1, 1},   {3, 1},   {1, 1000}, {1000, 1}, {17, 33}, {30, 18},  {34, 48},  {36, 40},
        {4, 15},  {3, 16},  {5, 17},   {7, 31},   {33, 16}, {32, 17},  {16, 24},  {512, 1},
        {512, 2}, {64, 33}, {6, 200},  {200, 6},  {20, 20}, {32, 32},  {128, 48}, {4, 128},
        {36, 32}, {12, 48}, {16, 80},  // quadrant walks that stop part-way down a column pair
    };
    std::mt19937 random(7u);
    for (int format = -1; format <= 7; ++format) {
        for (const auto& d : dims) {
            const size_t full = static_cast<size_t>(d.width) * static_cast<size_t>(d.rows) * 3 / 2 + 8;
            for (const size_t size : {size_t{0}, size_t{1}, full / 3, full / 2 - 1, full / 2, full - 1, full}) {
                std::vector<uint8_t> bytes(size);
                for (auto& b : bytes) {
                    b = static_cast<uint8_t>(random());
                }
                const auto out = Run(bytes, d.width, d.rows, format);
                std::vector<uint16_t> reference(out.size(), 0xEEEE);
                detail::DecodeFrameChecked(bytes.data(), bytes.size(), d.width, d.rows, reference.data(), format);
                EXPECT_EQ(out, reference) << "format " << format << ", " << d.width << " x " << d.rows << ", "
                                          << size << " bytes";
            }
        }
    }
}

TEST_P(DecodeSafety, EmptyOrNegativeDimensionsWriteNothing) {
    const std::vector<uint8_t> bytes(4096, 0xFF);
    for (int format = 0; format <= 6; ++format) {
        for (const auto& [width, rows] : {std::pair{0, 16}, {16, 0}, {-4, 16}, {16, -16}, {-16, -16}}) {
            EXPECT_TRUE(Run(bytes, width, rows, format).empty());
        }
    }
}

TEST_P(DecodeSafety, MissingStoredBytesReadAsZero) {
    // Format 6, 5 samples: the last group is cut after its 5th sample's bits ...
    EXPECT_EQ(Run(std::vector<uint8_t>(7, 0xFF), 5, 1, 6), (std::vector<uint16_t>(5, 1023)));
    // ... or inside them.
    EXPECT_EQ(Run(std::vector<uint8_t>(6, 0xFF), 5, 1, 6), (std::vector<uint16_t>{1023, 1023, 1023, 1023, 1020}));
    // Format 5: codes past the end are code 0.
    EXPECT_EQ(Run(std::vector<uint8_t>(2, 0xFF), 4, 1, 5), (std::vector<uint16_t>{1023, 1023, 0, 0}));
    // No stored data at all: every sample the layout reaches becomes 0.
    EXPECT_EQ(Run({}, 8, 4, 0), (std::vector<uint16_t>(32, 0)));

    // Format 0 one byte short: sample 31 loses its low byte (plane 4, lane 7).
    auto out = Run(std::vector<uint8_t>(39, 0xFF), 32, 1, 0);
    EXPECT_EQ(out[31], 768);
    out[31] = 1023;
    EXPECT_EQ(out, std::vector<uint16_t>(32, 1023));

    // Format 3 one byte short: the last stored sample ends the upper-left tile in the
    // frame's corner.
    out = Run(std::vector<uint8_t>(79, 0xFF), 4, 16, 3);
    EXPECT_EQ(At(out, 4, 0, 0), 768);
    out[0] = 1023;
    EXPECT_EQ(out, std::vector<uint16_t>(64, 1023));

    // Format 1 one byte short: the last stored sample is the lower-right quadrant's
    // outermost column, 7 rows below the centre line.
    out = Run(std::vector<uint8_t>(639, 0xFF), 32, 16, 1);
    EXPECT_EQ(At(out, 32, 31, 15), 768);
    out[15 * 32 + 31] = 1023;
    EXPECT_EQ(out, std::vector<uint16_t>(512, 1023));
}

TEST_P(DecodeSafety, NullStoredDataReadsAsZero) {
    GuardedBuffer out(64, 0xEEEE);
    RunDecoder(GetParam(), nullptr, 100, 4, 16, out.Frame(), 3);
    EXPECT_TRUE(out.GuardsIntact());
    EXPECT_EQ(out.FrameSamples(), std::vector<uint16_t>(64, 0));
}

TEST_P(DecodeSafety, UnreachedSamplesKeepTheirValue) {
    // Tiles need width % 4 == 0 and rows % 16 == 0: a 18 x 20 frame has one band of
    // 8 rows each side of row 10 and four column pairs each side of column 9.
    const auto tiles = Run(std::vector<uint8_t>(18 * 20 * 2, 0), 18, 20, 3);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 18; ++x) {
            const bool reached = y >= 2 && y < 18 && x >= 1 && x < 17;
            EXPECT_EQ(At(tiles, 18, x, y), reached ? 0 : 0xEEEE) << x << ", " << y;
        }
    }
    // Raster lane packing: 40 samples hold one block; the last 8 stay.
    const auto lanes = Run(std::vector<uint8_t>(100, 0), 10, 4, 0);
    for (int k = 0; k < 40; ++k) {
        EXPECT_EQ(lanes[k], k < 32 ? 0 : 0xEEEE) << k;
    }
    // Quadrants with half-height 0: nothing lies above or below the centre line.
    EXPECT_EQ(Run(std::vector<uint8_t>(640, 0), 512, 1, 1), std::vector<uint16_t>(512, 0xEEEE));
}

// Where DecodeWritesEverySample says so, what the buffer held makes no difference; the
// frames it refuses include the partial ones above.
TEST_P(DecodeSafety, EverySampleIsWrittenWhereThatIsPromised) {
    const struct { int width, rows; } dims[] = {
        {1, 1},  {10, 4}, {32, 1},  {8, 4},   {18, 20}, {32, 16}, {4, 128}, {12, 48},
        {16, 80}, {36, 32}, {64, 32}, {512, 1}, {40, 48}, {6, 200}, {128, 48},
    };
    std::mt19937 random(11u);
    int promised[9] = {};  // by format + 1
    for (int format = -1; format <= 7; ++format) {
        for (const auto& d : dims) {
            const size_t full = static_cast<size_t>(d.width) * static_cast<size_t>(d.rows) * 3 / 2 + 8;
            for (const size_t size : {full / 2, full}) {
                if (!DecodeWritesEverySample(d.width, d.rows, format, size)) continue;
                ++promised[format + 1];
                std::vector<uint8_t> bytes(size);
                for (auto& b : bytes) b = static_cast<uint8_t>(random());
                EXPECT_EQ(Run(bytes, d.width, d.rows, format, 0xEEEE), Run(bytes, d.width, d.rows, format, 0x1111))
                    << "format " << format << ", " << d.width << " x " << d.rows << ", " << size << " bytes";
            }
        }
    }
    for (int format = 0; format <= 6; ++format) EXPECT_GT(promised[format + 1], 0) << "format " << format;
    EXPECT_EQ(promised[0], 0);  // format -1
    EXPECT_EQ(promised[8], 0);  // format 7
    EXPECT_FALSE(DecodeWritesEverySample(32, 16, -1, 4096));  // stored as it is, never decoded
    EXPECT_FALSE(DecodeWritesEverySample(10, 4, 0, 4096));
    EXPECT_FALSE(DecodeWritesEverySample(512, 1, 1, 4096));
    EXPECT_FALSE(DecodeWritesEverySample(18, 20, 3, 4096));
    EXPECT_FALSE(DecodeWritesEverySample(32, 16, 6, 639));  // a byte short
}

INSTANTIATE_TEST_SUITE_P(AllVariants, DecodeSafety, ::testing::ValuesIn(AllDecoders()),
                         [](const auto& p) { return DecoderName(p.param); });

}  // namespace
}  // namespace zel::test
