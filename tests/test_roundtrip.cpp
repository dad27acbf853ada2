// Movies written by the movie writer, read back by the reader: every stored layout in
// both byte orders and both record layouts, per-frame headers, correction, access patterns.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "TempFile.h"
#include "reader/CorrectionPass.h"
#include "reader/MovieReader.h"
#include "zelwriter/MovieWriter.h"

using namespace zeltest;

namespace {

// Frame n's samples: reproducible noise over the layout's whole range (companded layouts
// only carry the 256 values of the curve).
std::vector<uint16_t> Samples(int pixelFormat, int width, int height, int n) {
    std::mt19937 random(static_cast<std::mt19937::result_type>(n * 7919 + pixelFormat + 11));
    const uint16_t max = zelgen::MaxSampleOfFormat(pixelFormat);
    std::vector<uint16_t> samples(static_cast<size_t>(width) * height);
    for (auto& s : samples) {
        const auto r = static_cast<uint32_t>(random());
        s = (pixelFormat == 2 || pixelFormat == 5) ? zelgen::ExpandedValue(static_cast<uint8_t>(r))
                                                   : static_cast<uint16_t>(r % (max + 1u));
    }
    return samples;
}

zelgen::FrameSource SourceFor(int pixelFormat, int width, int height) {
    return [=](int n, uint16_t* out) {
        const auto s = Samples(pixelFormat, width, height, n);
        std::copy(s.begin(), s.end(), out);
    };
}

// Reads frame n as 16-bit samples whatever the depth (8-bit movies widened for comparison).
std::vector<uint16_t> Read(zel::CMovieReader& reader, int n) {
    const size_t count = static_cast<size_t>(reader.Parameters().pixelCount);
    if (reader.Parameters().bitDepth == 8) {
        std::vector<uint8_t> bytes(count);
        if (reader.ReadFrame(bytes.data(), n, static_cast<int64_t>(count)) != static_cast<int>(count)) return {};
        return {bytes.begin(), bytes.end()};
    }
    std::vector<uint16_t> samples(count);
    if (reader.ReadFrame(samples.data(), n, static_cast<int64_t>(count) * 2) != static_cast<int>(count) * 2) return {};
    return samples;
}

struct Written {
    TempFile file;
    zel::CMovieReader reader;
};

void WriteAndOpen(Written& w, const zelgen::MovieSpec& spec, int frames, int correction = 0) {
    const int format = zelgen::DeriveStoredFormat(spec).pixelFormat;
    std::string error;
    ASSERT_TRUE(zelgen::WriteMovie(w.file.path(), spec, frames, SourceFor(format, spec.width, spec.height), &error))
        << error;
    ASSERT_EQ(w.reader.Open(w.file.path(), correction), 1) << w.reader.OpenError();
}

}  // namespace

TEST(RoundTrip, EveryLayoutByteOrderRecordLayoutAndHeaderPlace) {
    constexpr int kFrames = 3;
    for (const bool newer : {false, true}) {
        for (int format = -1; format <= 6; ++format) {
            auto base = zelgen::SpecForPixelFormat(format, newer);
            if (!base) continue;
            for (const bool big : {false, true}) {
                for (const int place : {0, 1, -1}) {
                    zelgen::MovieSpec spec = *base;
                    spec.bigEndian = big;
                    spec.headerPlace = place;
                    spec.width = 128;
                    spec.height = 48;
                    const std::string what = "format " + std::to_string(format) + (newer ? " newer" : " older") +
                                             (big ? " big-endian" : "") + " header place " + std::to_string(place);
                    Written w;
                    WriteAndOpen(w, spec, kFrames);
                    ASSERT_EQ(w.reader.Parameters().pixelFormat, format) << what;
                    EXPECT_EQ(w.reader.Parameters().nativeOrder, big ? 0 : 1) << what;
                    EXPECT_EQ(w.reader.Parameters().frameCount, kFrames) << what;
                    EXPECT_EQ(w.reader.Parameters().frameHeaderPlace, place) << what;
                    for (int n = 0; n < kFrames; ++n) {
                        EXPECT_EQ(Read(w.reader, n), Samples(format, 128, 48, n)) << what << " frame " << n;
                        if (place != 0) {
                            EXPECT_EQ(w.reader.Parameters().frameInfo.value1, zelgen::FrameHeaderValue(n, 1)) << what;
                            EXPECT_EQ(w.reader.Parameters().frameInfo.value6, zelgen::FrameHeaderValue(n, 6)) << what;
                            EXPECT_EQ(w.reader.Parameters().frameInfo.value7to12[5], zelgen::FrameHeaderValue(n, 12) & 0xffff) << what;
                        }
                    }
                    EXPECT_EQ(w.reader.SeekCount(), 1u) << what;
                }
            }
        }
    }
}

TEST(RoundTrip, AccessPatternsAndTheirSeeks) {
    for (const int padding : {0, 100}) {
        zelgen::MovieSpec spec = *zelgen::SpecForPixelFormat(6, true);
        spec.width = 64;
        spec.height = 32;
        spec.headerPlace = -1;
        spec.frameStride = static_cast<int32_t>(64 * 32 * 10 / 8 + 80 + padding);
        Written w;
        WriteAndOpen(w, spec, 12);
        const auto expect = [](int n) { return Samples(6, 64, 32, n); };
        // Forward run, a jump back, a repeat, and a forced position.
        for (int n = 0; n < 12; ++n) ASSERT_EQ(Read(w.reader, n), expect(n));
        const uint64_t afterRun = w.reader.SeekCount();
        // The first frame is sought (and a padded stride skipped after it); the rest of the
        // run is read positionally, padding or not.
        EXPECT_EQ(afterRun, padding == 0 ? 1u : 2u);
        EXPECT_EQ(Read(w.reader, 3), expect(3));
        EXPECT_EQ(Read(w.reader, 3), expect(3));
        ASSERT_EQ(w.reader.ForceSeekFrame(9), 0);
        EXPECT_EQ(Read(w.reader, 10), expect(10));
        EXPECT_EQ(w.reader.Parameters().frameInfo.value1, 10u);
        EXPECT_EQ(Read(w.reader, 0), expect(0));
        EXPECT_EQ(w.reader.Parameters().filePosFrame, 0);
    }
}

TEST(RoundTrip, GainCorrectionMatchesTheArithmetic) {
    // Kind 9 tables larger than the frame: the frame reads their centred window. The wide
    // raster frames are decoded and corrected in several bands of rows, the last one short.
    const struct {
        int format, w, h, tw, th;
    } cases[] = {{0, 64, 32, 80, 40}, {6, 1001, 64, 1003, 67}, {5, 700, 50, 700, 50}, {3, 64, 32, 66, 33}};
    for (const auto& c : cases) {
        zelgen::MovieSpec spec = *zelgen::SpecForPixelFormat(c.format, true);
        spec.width = c.w;
        spec.height = c.h;
        spec.correction.kind = 9;
        spec.correction.width = c.tw;
        spec.correction.height = c.th;
        std::mt19937 random(5);
        for (int i = 0; i < c.tw * c.th; ++i) {
            spec.correction.gains.push_back(static_cast<int16_t>(400 + random() % 300 + (i % 2 ? 0x8000 : 0)));
            spec.correction.offsets.push_back(static_cast<int16_t>(static_cast<int>(random() % 400) - 200));
        }
        Written written;
        WriteAndOpen(written, spec, 2, 1);
        ASSERT_EQ(written.reader.Parameters().correctionKind, 9);
        const auto corrected = Read(written.reader, 1);
        const auto raw = Samples(c.format, c.w, c.h, 1);
        const int first = (c.th - c.h) * c.tw / 2 + (c.tw - c.w) / 2;
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x) {
                const int i = first + y * c.tw + x;
                const int v = raw[y * c.w + x];
                const int gain = spec.correction.gains[i] & 0x7fff;
                const int offset = spec.correction.offsets[i] >> 2;
                int t = 32 + ((v + offset) * gain + 256) / 512;
                t = v >= 1022 ? 1023 : std::clamp(t, 0, 1023);
                ASSERT_EQ(corrected[y * c.w + x], t) << "format " << c.format << " at " << x << "," << y;
            }
        }
    }
}

TEST(RoundTrip, ExtraChunksAndSegments) {
    zelgen::MovieSpec spec = *zelgen::SpecForPixelFormat(3, true);
    spec.extraChunks.push_back({"DSPP", 4, std::vector<uint8_t>(40, 1), 0x10000});
    spec.extraChunks.push_back({"QQQQ", 12, std::vector<uint8_t>(7, 2), 0});
    spec.extraChunks.push_back({"DFCT", 0, std::vector<uint8_t>(3, 3), 0x20000});
    spec.segments = {{1, 100, 101}, {0, 0, 50}, {4, 7, 7}};
    Written w;
    WriteAndOpen(w, spec, 3);
    EXPECT_EQ(w.reader.Parameters().frameCount, 3);
    EXPECT_EQ(w.reader.Parameters().firstFrameNo, 100);
    EXPECT_NE(w.reader.Parameters().dsppOffset, 0);
    EXPECT_EQ(w.reader.Parameters().dfctVersion, 0x20000);
    for (int n = 0; n < 3; ++n) EXPECT_EQ(Read(w.reader, n), Samples(3, spec.width, spec.height, n));
}
