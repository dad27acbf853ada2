// The recording records: layouts by version, frame counting, frame rate, decoder choice
// and per-frame header layout, on hand-built files.

#include <gtest/gtest.h>

#include <functional>

#include "MovieBytes.h"
#include "TempFile.h"
#include "reader/MovieReader.h"

using namespace zeltest;

namespace {

// Opens the bytes and returns the reader (or fails the test).
void Open(zel::CMovieReader& reader, MovieBytes& m, int correction = 1) {
    const TempFile file(m.bytes());
    ASSERT_EQ(reader.Open(file.path(), correction), 1) << reader.OpenError();
}

int OpenResult(MovieBytes& m, std::string* reason = nullptr) {
    const TempFile file(m.bytes());
    zel::CMovieReader reader;
    const int result = reader.Open(file.path(), 1);
    if (reason) *reason = reader.OpenError();
    return result;
}

}  // namespace

TEST(ReaderRecords, PlayVersionThresholdChoosesTheLayout) {
    // 0x2ffff reads the older layout (geometry from FSZP); 0x30000 the newer one.
    MovieBytes older = OlderMovie("rwm7", 64, 32, 1);
    older.U32(68 + 16 * 4 + 4, 0x2ffff);
    zel::CMovieReader a;
    Open(a, older);
    EXPECT_EQ(a.Parameters().width, 64);
    EXPECT_EQ(a.Parameters().storedBits, 10);

    MovieBytes newer = NewerMovie("hz8 ", 0x20, 10, 32, 16, 1);
    zel::CMovieReader b;
    Open(b, newer);
    EXPECT_EQ(b.Parameters().playVersion, 0x30000);
    EXPECT_EQ(b.Parameters().width, 32);
    EXPECT_EQ(b.Parameters().pixelFormat, 3);
}

TEST(ReaderRecords, GenpVersionOnlyChangesTheRecordSize) {
    // A GENP record with just 512 bytes left before the end of the file reads at
    // 0x30000 and is refused at 0x2ffff, which needs 592.
    for (const int version : {0x30000, 0x2ffff}) {
        MovieBytes m = NewerMovie("hz8 ", 0x10, 10, 16, 8, 1);
        const size_t genpAtEnd = m.size();
        m.Resize(genpAtEnd + 512);
        m.Tag(genpAtEnd + 80, "hz8 ");
        m.U32(16, static_cast<uint32_t>(genpAtEnd));  // GENP now lies at the end
        m.U32(48 + 4, 0);
        m.U32(48 + 8, static_cast<uint32_t>(512 - genpAtEnd));  // bring the running offset back to 512
        m.U32(48 + 16 + 4, 512);                                  // PLAY lead: skip the old GENP
        m.U32(68 + 16 * 3, static_cast<uint32_t>(version));
        std::string reason;
        EXPECT_EQ(OpenResult(m, &reason), version == 0x30000 ? 1 : 0) << std::hex << version << reason;
    }
}

TEST(ReaderRecords, FrameCountSumsSegmentsOfKindsOneToFive) {
    MovieBytes m = OlderMovie("rwm7", 16, 8, 1);  // the file holds one frame of the 16 claimed
    const size_t table = kPlay + 274;
    const struct { uint16_t kind; int32_t first, last; } segments[] = {
        {1, 10, 19},   // 10
        {5, -3, -3},   // 1
        {0, 0, 99},    // kind 0: not counted
        {6, 0, 99},    // kind 6: not counted
        {3, 50, 40},   // last below first: nothing
        {2, 100, 104}, // 5
    };
    for (size_t i = 0; i < std::size(segments); ++i) {
        m.U16(table + 64 * i, segments[i].kind);
        m.U32(table + 64 * i + 10, static_cast<uint32_t>(segments[i].first));
        m.U32(table + 64 * i + 14, static_cast<uint32_t>(segments[i].last));
    }
    zel::CMovieReader reader;
    Open(reader, m);
    EXPECT_EQ(reader.Parameters().frameCount, 16);
    EXPECT_EQ(reader.Parameters().firstFrameNo, 10);
    EXPECT_EQ(reader.Parameters().lastFrameNo, 19);
    EXPECT_EQ(reader.Parameters().segmentFrames, 10);

    // Sixteen full-range segments would overflow an int: refused.
    for (size_t i = 0; i < 16; ++i) {
        m.U16(table + 64 * i, 1);
        m.U32(table + 64 * i + 10, 0x80000000u);
        m.U32(table + 64 * i + 14, 0x7fffffffu);
    }
    std::string reason;
    EXPECT_EQ(OpenResult(m, &reason), 0);
    EXPECT_NE(reason.find("frames"), std::string::npos);
}

TEST(ReaderRecords, FrameRateCodes) {
    struct Case {
        int16_t index;
        int16_t numerator;
        int32_t denominator;
        int32_t fileRate;
        int expectedPeriod;
        int expectedDenominator;
    };
    const Case cases[] = {
        {4, 0, 0, 0, 100, 10000}, {8, 0, 0, 0, 5, 200000}, {1, 0, 0, 0, 1000, 1000},
        {0, 0, 0, 3000, 333, 3000}, {-1, 2, 500, 0, 4000, 500}, {9, 0, 0, 0, 0, 1},
        {-1, 1, 0, 0, 0, 0},     // a zero denominator: period unknown, not a division by zero
        {0, 0, 0, 0, 0, 0},      // rate from a zero file rate: the same
        {-1, 32767, 1, 0, 0, 1}, // 32767 s in microseconds does not fit: unknown
    };
    for (const Case& c : cases) {
        MovieBytes m = OlderMovie("rwm7", 16, 8, 1);
        m.U16(kPlay + 1590, static_cast<uint16_t>(c.index));
        m.U16(kPlay + 1626, static_cast<uint16_t>(c.numerator));
        m.U32(kPlay + 1632, static_cast<uint32_t>(c.denominator));
        m.U32(kFszp + 48, static_cast<uint32_t>(c.fileRate));
        zel::CMovieReader reader;
        Open(reader, m);
        EXPECT_EQ(reader.Parameters().rateIndex, c.index);
        EXPECT_EQ(reader.Parameters().framePeriodUs, c.expectedPeriod) << "rate index " << c.index;
        EXPECT_EQ(reader.Parameters().rateDenominator, c.expectedDenominator) << "rate index " << c.index;
    }
    // The newer layout: one-byte index, 4-byte numerator at 1668, denominator at 1664.
    MovieBytes m = NewerMovie("hz8 ", 0x10, 10, 16, 8, 1);
    m.U8(kPlayNew + 1626, 0xff);
    m.U32(kPlayNew + 1668, 3);
    m.U32(kPlayNew + 1664, 1000);
    zel::CMovieReader reader;
    Open(reader, m);
    EXPECT_EQ(reader.Parameters().rateIndex, -1);
    EXPECT_EQ(reader.Parameters().framePeriodUs, 3000);
}

TEST(ReaderRecords, DecoderChoiceOlderLayout) {
    struct Case {
        const char* camera;
        int mode;
        int format, colorPattern, storedBits, bitDepth, pedestal;
    };
    const Case cases[] = {
        {"rwt2", 0, 1, 2, 10, 10, 128}, {"rwt3", 4, 1, 4, 10, 10, 128}, {"hzn1", 5, -1, 2, 8, 8, 128},
        {"rwm7", 0, 0, 0, 10, 10, 32},  {"abcd", 0, 0, 2, 10, 10, 32},  {"hz8 ", 0x13, 0, 3, 10, 10, 32},
    };
    for (const Case& c : cases) {
        MovieBytes m = OlderMovie(c.camera, 32, 16, 1);
        if (c.format == -1) m.U32(kFszp + 96, 32 * 16);  // 8-bit frames are smaller
        m.U16(kPlay + 160, static_cast<uint16_t>(c.mode));
        zel::CMovieReader reader;
        Open(reader, m);
        EXPECT_EQ(reader.Parameters().pixelFormat, c.format) << c.camera;
        EXPECT_EQ(reader.Parameters().colorPattern, c.colorPattern) << c.camera;
        EXPECT_EQ(reader.Parameters().storedBits, c.storedBits) << c.camera;
        EXPECT_EQ(reader.Parameters().bitDepth, c.bitDepth) << c.camera;
        EXPECT_EQ(reader.Parameters().pedestal, c.pedestal) << c.camera;
        EXPECT_EQ(reader.Parameters().sampleFloor, 0);
    }
}

TEST(ReaderRecords, DecoderChoiceNewerLayout) {
    struct Case {
        const char* camera;
        int mode, storedBits;
        int format, bitDepth, pedestal, colorPattern;
    };
    const Case cases[] = {
        {"hz8 ", 0x10, 8, 5, 10, 32, 2},  {"hz8 ", 0x30, 10, 6, 10, 32, 2}, {"hz8 ", 0x20, 8, 2, 10, 32, 2},
        {"hz8 ", 0x21, 10, 3, 10, 32, 1}, {"hz8 ", 0x00, 10, 0, 10, 32, 2}, {"hz8 ", 0x40, 10, 0, 10, 32, 2},
        {"hzq3", 0, 8, 2, 10, 32, 2},     {"hzq3", 0, 10, 3, 10, 32, 2},    {"hzq3", 3, 12, 4, 12, 128, 3},
        {"rwm7", 0, 8, -1, 8, 128, 0},    {"xyzw", 0, 10, -1, 8, 128, 2},
    };
    for (const Case& c : cases) {
        MovieBytes m = NewerMovie(c.camera, c.mode, c.storedBits, 32, 16, 1);
        zel::CMovieReader reader;
        Open(reader, m);
        EXPECT_EQ(reader.Parameters().pixelFormat, c.format) << c.camera << " mode " << c.mode;
        EXPECT_EQ(reader.Parameters().bitDepth, c.bitDepth) << c.camera << " mode " << c.mode;
        EXPECT_EQ(reader.Parameters().pedestal, c.pedestal) << c.camera << " mode " << c.mode;
        EXPECT_EQ(reader.Parameters().colorPattern, c.colorPattern) << c.camera << " mode " << c.mode;
        EXPECT_EQ(reader.Parameters().sensorMode, c.mode >> 4) << c.camera;
    }
}

TEST(ReaderRecords, PerFrameHeaderLayout) {
    struct Case {
        int32_t version;
        uint16_t flags;
        int place, size;
    };
    const Case cases[] = {{0x10001, 5, -1, 80}, {0x10000, 5, 0, 0}, {0x10001, 1, 1, 80}, {0x10001, 4, 0, 0}};
    for (const Case& c : cases) {
        MovieBytes m = OlderMovie("rwm7", 32, 16, 1);
        m.U32(24, static_cast<uint32_t>(c.version));
        m.U16(36, c.flags);
        m.U16(38, 0xbeef);
        m.U32(kFszp + 96, 32 * 16 * 10 / 8 + static_cast<uint32_t>(c.size));
        m.Resize(kFram + 32 * 16 * 10 / 8 + static_cast<size_t>(c.size));
        zel::CMovieReader reader;
        Open(reader, m);
        EXPECT_EQ(reader.Parameters().frameHeaderPlace, c.place);
        EXPECT_EQ(reader.Parameters().frameHeaderSize, c.size);
        EXPECT_EQ(reader.Parameters().frameHeaderFlags, c.place != 0 ? c.flags : 0);
        EXPECT_EQ(reader.Parameters().headerWord, 0xbeef);
    }
}

TEST(ReaderRecords, GeometryRefusals) {
    struct Case {
        const char* what;
        std::function<void(MovieBytes&)> patch;
        const char* reasonPart;
    };
    const Case cases[] = {
        {"zero width", [](MovieBytes& m) { m.U16(kPlayNew + 1544, 0); }, "not valid"},
        {"negative height", [](MovieBytes& m) { m.U16(kPlayNew + 1546, 0xfff0); }, "not valid"},
        {"12 stored bits for a 10-bit layout", [](MovieBytes& m) { m.U8(kPlayNew + 1596, 12); }, "needs 10"},
        {"16 stored bits", [](MovieBytes& m) { m.U16(kPlayNew + 160, 0); m.Tag(512 + 80, "hzab"); m.U8(kPlayNew + 1596, 16); }, "needs 12"},
        {"255 stored bits", [](MovieBytes& m) { m.U8(kPlayNew + 1596, 255); }, "needs 10"},
        {"zero stride", [](MovieBytes& m) { m.U32(kPlayNew + 1588, 0); }, "stride"},
        {"stride shorter than a frame", [](MovieBytes& m) { m.U32(kPlayNew + 1588, 32 * 16 * 10 / 8 - 1); }, "stride"},
        {"first frame cut short", [](MovieBytes& m) { m.Resize(kFramNew + 32 * 16 * 10 / 8 - 1); }, "first frame"},
        {"a huge frame claimed by a tiny file", [](MovieBytes& m) { m.U16(kPlayNew + 1544, 32764); m.U16(kPlayNew + 1546, 32764); m.U32(kPlayNew + 1588, 32764u * 32764u / 4 * 5); }, "first frame"},
    };
    for (const Case& c : cases) {
        MovieBytes m = NewerMovie("hz8 ", 0x10, 10, 32, 16, 2);
        c.patch(m);
        std::string reason;
        EXPECT_EQ(OpenResult(m, &reason), 0) << c.what;
        EXPECT_NE(reason.find(c.reasonPart), std::string::npos) << c.what << ": " << reason;
    }
}
