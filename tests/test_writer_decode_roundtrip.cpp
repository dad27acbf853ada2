// The writer's packing and the frame decoders are written independently from the same layout
// description; each must undo the other exactly on frames the layouts fill completely.

#include <gtest/gtest.h>

#include <vector>

#include "decode/DecodeFrame.h"
#include "zelwriter/MovieWriter.h"

namespace {

// Samples that exercise every bit and differ from pixel to pixel.
std::vector<uint16_t> TestFrame(int width, int height, int format) {
    const uint32_t maxValue = zelgen::MaxSampleOfFormat(format);
    std::vector<uint16_t> s(static_cast<size_t>(width) * static_cast<size_t>(height));
    uint32_t x = 12345;
    for (size_t i = 0; i < s.size(); ++i) {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<uint16_t>((x >> 8) % (maxValue + 1));
    }
    s.front() = static_cast<uint16_t>(maxValue);
    s.back() = 0;
    return s;
}

TEST(WriterDecodeRoundTrip, EveryFormatDecodesToWhatWasEncoded) {
    const std::pair<int, int> sizes[] = {{64, 32}, {128, 64}, {32, 32}, {256, 128}};
    for (int format = 0; format <= 6; ++format) {
        for (const auto& [w, h] : sizes) {
            std::vector<uint16_t> samples = TestFrame(w, h, format);
            if (format == 2 || format == 5)  // companded: only curve values survive
                for (uint16_t& v : samples) v = zelgen::ExpandedValue(zelgen::NearestCode(v));
            const std::vector<uint8_t> packed = zelgen::EncodeFrame(samples.data(), w, h, format);
            std::vector<uint16_t> decoded(samples.size(), 0xBEEF);
            zel::DecodeFrame(packed.data(), packed.size(), w, h, decoded.data(), format);
            EXPECT_EQ(decoded, samples) << "format " << format << " " << w << "x" << h;
        }
    }
}

TEST(WriterDecodeRoundTrip, CompandingCurvesAgree) {
    uint16_t table[256];
    zel::BuildExpandTable(table);
    for (int c = 0; c < 256; ++c) EXPECT_EQ(table[c], zelgen::ExpandedValue(static_cast<uint8_t>(c))) << c;
}

TEST(WriterDecodeRoundTrip, NearestCodeIsTheBestApproximation) {
    uint16_t table[256];
    zel::BuildExpandTable(table);
    for (int v = 0; v <= 1023; ++v) {
        const int best = table[zelgen::NearestCode(static_cast<uint16_t>(v))];
        for (int c = 0; c < 256; ++c) ASSERT_LE(std::abs(best - v), std::abs(table[c] - v)) << v;
    }
}

}  // namespace
