// Byte-level checks of the files the movie writer builds: header, directory, records,
// correction chunk and frame layout, in both layouts and byte orders.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "zelwriter/MovieWriter.h"

namespace {

using zelgen::MovieLayout;
using zelgen::MovieSpec;

struct Bytes {
    std::vector<uint8_t> data;
    bool big = false;
    uint32_t U32(uint64_t at) const {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= uint32_t{data.at(at + static_cast<uint64_t>(i))} << (big ? 8 * (3 - i) : 8 * i);
        return v;
    }
    uint16_t U16(uint64_t at) const {
        return static_cast<uint16_t>(big ? (data.at(at) << 8) | data.at(at + 1) : data.at(at) | (data.at(at + 1) << 8));
    }
    int32_t I32(uint64_t at) const { return static_cast<int32_t>(U32(at)); }
    int16_t I16(uint64_t at) const { return static_cast<int16_t>(U16(at)); }
    std::string Text(uint64_t at, size_t n) const {
        return std::string(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
};

Bytes Build(const MovieSpec& spec, int frames, MovieLayout* layout = nullptr, const zelgen::FrameSource& source = {}) {
    std::string error;
    MovieLayout local;
    Bytes b{zelgen::BuildMovieBytes(spec, frames, source, layout ? layout : &local, &error), spec.bigEndian};
    EXPECT_FALSE(b.data.empty()) << error;
    return b;
}

std::string BuildError(const MovieSpec& spec, int frames = 1) {
    std::string error;
    MovieLayout layout;
    EXPECT_TRUE(zelgen::BuildMovieBytes(spec, frames, {}, &layout, &error).empty());
    EXPECT_FALSE(zelgen::PlanMovie(spec, frames));
    return error;
}

TEST(WriterContainer, OlderLayoutMatchesWorkedDirectory) {
    MovieSpec spec = *zelgen::SpecForPixelFormat(1, false);
    spec.width = 32;
    spec.height = 32;
    MovieLayout layout;
    const Bytes b = Build(spec, 3, &layout);
    EXPECT_EQ(b.Text(0, 4), "ZELF");
    EXPECT_EQ(b.U32(16), 512u);
    EXPECT_EQ(b.I32(44), 4);
    const char* tags[] = {"GENP", "PLAY", "FSZP", "FRAM"};
    const int32_t lengths[] = {592, 1648, 400, 3 * 1280};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(b.Text(48 + 16 * static_cast<uint64_t>(i), 4), tags[i]);
        EXPECT_EQ(b.I32(52 + 16 * static_cast<uint64_t>(i)), 0);
        EXPECT_EQ(b.I32(56 + 16 * static_cast<uint64_t>(i)), lengths[i]);
    }
    EXPECT_EQ(b.I32(68 + 64), 0x20000);  // GENP version, table at 68 + 16N
    EXPECT_EQ(b.I32(68 + 64 + 4), 0x20000);
    EXPECT_EQ(layout.genp, 512u);
    EXPECT_EQ(layout.play, 1104u);
    EXPECT_EQ(layout.fszp, 2752u);
    EXPECT_EQ(layout.fram, 3152u);
    EXPECT_EQ(b.data.size(), 3152u + 3 * 1280);
    EXPECT_EQ(layout.fileSize, b.data.size());
}

TEST(WriterContainer, NewerLayoutHasNoFszp) {
    MovieLayout layout;
    const Bytes b = Build(MovieSpec{}, 2, &layout);
    EXPECT_EQ(b.I32(44), 3);
    EXPECT_EQ(layout.play, 1024u);
    EXPECT_EQ(layout.fszp, 0u);
    EXPECT_EQ(layout.fram, 2816u);
    EXPECT_EQ(b.I32(68 + 48), 0x30000);
    EXPECT_EQ(b.I32(68 + 48 + 4), 0x30000);
    EXPECT_EQ(b.Text(20, 4), "IIII");
    EXPECT_EQ(b.I32(24), 0x10001);
    EXPECT_EQ(b.U16(32), 10);
}

TEST(WriterContainer, BigEndianSwapsEveryValueButTextAndPixels) {
    MovieSpec spec;
    spec.width = 40;
    spec.height = 8;
    spec.fileRate = 0x01020304;
    const auto source = [](int, uint16_t* s) { for (int i = 0; i < 320; ++i) s[i] = static_cast<uint16_t>(i * 3); };
    MovieSpec big = spec;
    big.bigEndian = true;
    const Bytes le = Build(spec, 2, nullptr, source);
    const Bytes be = Build(big, 2, nullptr, source);
    ASSERT_EQ(le.data.size(), be.data.size());
    EXPECT_EQ(be.Text(20, 4), "MMMM");
    for (uint64_t at : {16u, 24u, 44u, 56u, 1024u + 1540u, 1024u + 1588u})
        EXPECT_EQ(le.U32(at), be.U32(at)) << at;
    for (uint64_t at : {32u, 1024u + 160u, 1024u + 1544u, 1024u + 1546u})
        EXPECT_EQ(le.U16(at), be.U16(at)) << at;
    EXPECT_EQ(be.data[16], 0);  // base offset 512 stored 00 00 02 00
    EXPECT_EQ(be.data[18], 2);
    EXPECT_EQ(be.Text(512 + 80, 4), "hz8 ");  // camera code is text, not swapped
    EXPECT_TRUE(std::equal(le.data.begin() + 2816, le.data.end(), be.data.begin() + 2816));
}

TEST(WriterContainer, NewerPlayRecordFields) {
    MovieSpec spec;
    spec.modeWord = 0x23;
    spec.playWord = -5;
    spec.correctionPoint = 77;
    spec.rateIndex = -1;
    spec.rateNumerator = 2;
    spec.rateDenominator = 500;
    spec.fileRate = 3000;
    spec.storedBits = 12;
    spec.generalWord = -2;
    spec.segments = {{1, -10, 20, {11, 12, 13}, {1, 2, 3, 4, 5}}, {6, 100, 90, {}, {}}};
    MovieLayout layout;
    const Bytes b = Build(spec, 1, &layout);
    const uint64_t g = layout.genp, p = layout.play;
    EXPECT_EQ(b.Text(g + 80, 4), "hz8 ");
    EXPECT_EQ(b.I16(g + 84), -2);
    EXPECT_EQ(b.U16(p + 160), 0x23);
    EXPECT_EQ(b.I16(p + 162), -5);
    EXPECT_EQ(b.I16(p + 164), 77);
    EXPECT_EQ(b.U16(p + 182), 1);
    EXPECT_EQ(b.I32(p + 182 + 18), -10);
    EXPECT_EQ(b.I32(p + 182 + 22), 20);
    EXPECT_EQ(b.I16(p + 182 + 38), 11);
    EXPECT_EQ(b.data[p + 182 + 40], 1);
    EXPECT_EQ(b.data[p + 182 + 41], 2);
    EXPECT_EQ(b.data[p + 182 + 43], 3);
    EXPECT_EQ(b.data[p + 182 + 45], 5);
    EXPECT_EQ(b.I16(p + 182 + 46), 12);
    EXPECT_EQ(b.I16(p + 182 + 48), 13);
    EXPECT_EQ(b.U16(p + 182 + 68), 6);  // entry 1
    EXPECT_EQ(b.I32(p + 182 + 68 + 18), 100);
    EXPECT_EQ(b.U16(p + 182 + 2 * 68), 0);  // unused entries stay zero
    EXPECT_EQ(static_cast<int8_t>(b.data[p + 1626]), -1);
    EXPECT_EQ(b.I32(p + 1668), 2);
    EXPECT_EQ(b.I32(p + 1664), 500);
    EXPECT_EQ(b.I32(p + 1540), 3000);
    EXPECT_EQ(b.I16(p + 1544), 64);
    EXPECT_EQ(b.I16(p + 1546), 32);
    EXPECT_EQ(b.I32(p + 1588), 64 * 32 * 12 / 8);
    EXPECT_EQ(b.data[p + 1596], 12);
    EXPECT_EQ(layout.format.pixelFormat, 3);  // sensor mode 2 at 12 bits
}

TEST(WriterContainer, OlderPlayAndFszpFields) {
    MovieSpec spec = *zelgen::SpecForPixelFormat(0, false);
    spec.bigEndian = true;
    spec.playWord = 9;
    spec.correctionPoint = -3;
    spec.rateIndex = -1;
    spec.rateNumerator = 2;
    spec.rateDenominator = 500;
    spec.fileRate = 777;
    spec.frameStride = 4000;
    MovieLayout layout;
    const Bytes b = Build(spec, 5, &layout);
    const uint64_t p = layout.play, f = layout.fszp;
    EXPECT_EQ(b.I16(p + 168), 9);
    EXPECT_EQ(b.I16(p + 170), -3);
    EXPECT_EQ(b.U16(p + 274), 1);  // default segment: kind 1, frames 0..4
    EXPECT_EQ(b.I32(p + 274 + 10), 0);
    EXPECT_EQ(b.I32(p + 274 + 14), 4);
    EXPECT_EQ(b.I16(p + 1590), -1);
    EXPECT_EQ(b.I16(p + 1626), 2);
    EXPECT_EQ(b.I32(p + 1632), 500);
    EXPECT_EQ(b.I32(f + 48), 777);
    EXPECT_EQ(b.I16(f + 52), 64);
    EXPECT_EQ(b.I16(f + 54), 32);
    EXPECT_EQ(b.I32(f + 96), 4000);
    EXPECT_EQ(layout.frameStride, 4000u);  // padded from 2560
    EXPECT_EQ(b.data.size(), layout.fram + 5 * 4000);
    EXPECT_EQ(b.data[layout.fram + 2560], zelgen::kStridePadByte);
}

TEST(WriterContainer, FrameHeadersCarryFrameNumbers) {
    for (int place : {1, -1}) {
        MovieSpec spec;
        spec.bigEndian = place < 0;
        spec.headerPlace = place;
        MovieLayout layout;
        const auto source = [](int n, uint16_t* s) { std::fill(s, s + 64 * 32, static_cast<uint16_t>(n + 1)); };
        const Bytes b = Build(spec, 3, &layout, source);
        EXPECT_EQ(b.U16(36), place < 0 ? 5 : 1);
        ASSERT_EQ(layout.headerBytes, 80u);
        ASSERT_EQ(layout.frameStride, 80u + 2560u);
        for (int n = 0; n < 3; ++n) {
            const uint64_t frame = layout.fram + static_cast<uint64_t>(n) * layout.frameStride;
            const uint64_t header = place > 0 ? frame : frame + 2560;
            const uint64_t pixels = place > 0 ? frame + 80 : frame;
            EXPECT_EQ(b.U32(header), static_cast<uint32_t>(n));
            EXPECT_EQ(b.U32(header + 4), zelgen::FrameHeaderValue(n, 2));
            EXPECT_EQ(b.U16(header + 12), zelgen::FrameHeaderValue(n, 4));
            EXPECT_EQ(b.U32(header + 16), zelgen::FrameHeaderValue(n, 6));
            EXPECT_EQ(b.U16(header + 30), zelgen::FrameHeaderValue(n, 12));
            EXPECT_EQ(b.data[header + 32], zelgen::kHeaderFillByte);
            std::vector<uint16_t> expected(64 * 32, static_cast<uint16_t>(n + 1));
            const auto packed = zelgen::EncodeFrame(expected.data(), 64, 32, 6);
            EXPECT_TRUE(std::equal(packed.begin(), packed.end(), b.data.begin() + static_cast<std::ptrdiff_t>(pixels)));
        }
    }
    EXPECT_EQ(zelgen::FrameHeaderValue(0, 1), 0u);
    EXPECT_EQ(zelgen::FrameHeaderValue(3, 2), 8u);
    EXPECT_EQ(zelgen::FrameHeaderValue(70000, 4), (70000u * 4 + 4) & 0xffff);
}

TEST(WriterContainer, StoredBitsBeyondTheLayoutPadThePixels) {
    MovieSpec spec = *zelgen::SpecForPixelFormat(0, true);
    spec.storedBits = 12;  // format 0 packs 10 bits; the reader still takes 12 bits per pixel
    MovieLayout layout;
    const auto source = [](int, uint16_t* s) { std::fill(s, s + 64 * 32, uint16_t{1023}); };
    const Bytes b = Build(spec, 1, &layout, source);
    EXPECT_EQ(layout.format.pixelFormat, 0);
    EXPECT_EQ(layout.pixelBytes, 3072u);
    EXPECT_EQ(b.data[layout.fram + 2559], 0xFF);
    EXPECT_EQ(b.data[layout.fram + 2560], 0);
}

TEST(WriterContainer, CorrectionChunkPerKind) {
    MovieSpec spec;
    spec.correction.width = 3;
    spec.correction.height = 2;
    spec.correction.low = -4;
    spec.correction.high = 100;
    spec.correction.factor1 = 2;
    spec.correction.factor2 = 5;

    spec.correction.kind = 3;
    spec.correction.offsets = {-128, 127, 0, 1, -1, 5};
    MovieLayout layout;
    Bytes b = Build(spec, 1, &layout);
    uint64_t c = layout.fpnp;
    EXPECT_EQ(c, 2816u);
    EXPECT_EQ(layout.fram, c + 128 + 6);
    EXPECT_EQ(b.I16(c + 48), 3);
    EXPECT_EQ(b.I16(c + 56), 3);
    EXPECT_EQ(b.I16(c + 58), 2);
    EXPECT_EQ(b.I16(c + 60), 2);
    EXPECT_EQ(b.I16(c + 62), 5);
    EXPECT_EQ(static_cast<int8_t>(b.data[c + 104]), -4);
    EXPECT_EQ(b.data[c + 105], 99);
    EXPECT_EQ(b.U32(c + 112), 128u);
    EXPECT_EQ(b.data[c + 128], 0x80);
    EXPECT_EQ(b.data[c + 129], 0x7f);

    spec.bigEndian = true;
    spec.correction.kind = 9;
    spec.correction.gains = {static_cast<int16_t>(0x8200), 512, 513, 514, 515, 516};
    spec.correction.offsets = {-4, 0, 1, 2, 3, 4};
    b = Build(spec, 1, &layout);
    c = layout.fpnp;
    EXPECT_EQ(layout.fram, c + 128 + 24);
    EXPECT_EQ(b.U16(c + 128), 0x8200);   // (gain, offset) pairs
    EXPECT_EQ(b.U16(c + 130), 0xfffc);
    EXPECT_EQ(b.U16(c + 128 + 20), 516);
    EXPECT_EQ(b.U16(c + 128 + 22), 4);

    spec.correction.kind = 6;
    spec.correction.offsets = {0x400, 0x3ff, 0x7ff, 0, 0, 1};
    spec.correction.t1 = {1, 1, 1, 1, 1, 1};
    spec.correction.t2 = {2, 2, 2, 2, 2, 2};
    spec.correction.t3 = {3, 3, 3, 3, 3, 7};
    b = Build(spec, 1, &layout);
    c = layout.fpnp;
    const uint32_t t[] = {b.U32(c + 112), b.U32(c + 116), b.U32(c + 120), b.U32(c + 124)};
    EXPECT_EQ(t[0], 128u);
    EXPECT_EQ(t[1], 128u + 24);  // T0 then the gains, then T1, T2, T3
    EXPECT_EQ(t[2], 128u + 36);
    EXPECT_EQ(t[3], 128u + 48);
    EXPECT_EQ(layout.fram, c + 128 + 60);
    EXPECT_EQ(b.U16(c + t[0]), 0x400);
    EXPECT_EQ(b.U16(c + t[0] + 12), 0x8200);  // first gain directly after T0
    EXPECT_EQ(b.U16(c + t[1]), 1);
    EXPECT_EQ(b.U16(c + t[2]), 2);
    EXPECT_EQ(b.U16(c + t[3] + 10), 7);

    spec.correction.kind = 5;  // unknown kinds: header only
    spec.correction.tableOffsets = std::array<uint32_t, 4>{1u << 30, 0, 0, 0};
    b = Build(spec, 1, &layout);
    EXPECT_EQ(layout.fram, layout.fpnp + 128);
    EXPECT_EQ(b.U32(layout.fpnp + 112), 1u << 30);
}

TEST(WriterContainer, ExtraChunksShiftTheOnesAfterThem) {
    MovieSpec spec;
    spec.extraChunks = {{"DSPP", 16, {1, 2, 3}, 7}, {"XYZW", 0, {9}, 0}};
    spec.framLead = 4;
    MovieLayout layout;
    const Bytes b = Build(spec, 1, &layout);
    ASSERT_EQ(layout.extras.size(), 2u);
    EXPECT_EQ(layout.extras[0], 2816u + 16);
    EXPECT_EQ(layout.extras[1], 2816u + 19);
    EXPECT_EQ(layout.fram, 2816u + 20 + 4);
    EXPECT_EQ(b.Text(48 + 32, 4), "DSPP");
    EXPECT_EQ(b.I32(48 + 32 + 4), 16);
    EXPECT_EQ(b.I32(48 + 32 + 8), 3);
    EXPECT_EQ(b.I32(68 + 16 * 5 + 8), 7);  // version table entry 2
    EXPECT_EQ(b.data[2816], 0);            // lead gap is zero-filled
    EXPECT_EQ(b.data[2816 + 16], 1);
    EXPECT_EQ(b.data[2816 + 19], 9);
    EXPECT_EQ(b.I32(48 + 64 + 4), 4);       // FRAM lead
}

TEST(WriterContainer, LongDirectoryMovesTheBaseOffset) {
    MovieSpec spec;
    spec.extraChunks.assign(21, zelgen::ChunkSpec{"PADD", 0, {0}, 0});  // 24 entries in all
    MovieLayout layout;
    const Bytes b = Build(spec, 1, &layout);
    EXPECT_EQ(layout.chunkCount, 24);
    EXPECT_EQ(b.U32(16), 68u + 20 * 24);
    EXPECT_EQ(layout.genp, 68u + 20 * 24);
    EXPECT_EQ(b.Text(48 + 16 * 23, 4), "FRAM");
}

TEST(WriterContainer, OptionalRecordsAndVersionsCanBeChanged) {
    MovieSpec spec = *zelgen::SpecForPixelFormat(0, false);
    spec.includeFszp = false;
    spec.includeGenp = false;
    spec.playVersion = 0x2ffff;
    MovieLayout layout;
    const Bytes b = Build(spec, 1, &layout);
    EXPECT_EQ(b.I32(44), 2);
    EXPECT_EQ(b.Text(48, 4), "PLAY");
    EXPECT_EQ(b.I32(68 + 32), 0x2ffff);
    EXPECT_EQ(layout.genp, 0u);
    EXPECT_EQ(layout.play, 512u);
}

TEST(WriterContainer, UnwritableSpecsAreRefused) {
    MovieSpec spec;
    spec.segments.assign(17, zelgen::SegmentSpec{});
    EXPECT_NE(BuildError(spec).find("16"), std::string::npos);
    spec = MovieSpec{};
    spec.cameraCode = "hz8";
    BuildError(spec);
    spec = MovieSpec{};
    spec.rateIndex = 200;  // one signed byte in the newer layout
    BuildError(spec);
    spec = MovieSpec{};
    spec.correction.kind = 9;
    spec.correction.width = 2;
    spec.correction.height = 2;
    spec.correction.gains = {1, 2, 3};
    BuildError(spec);
    spec = MovieSpec{};
    spec.correction.kind = 3;
    spec.correction.width = 1;
    spec.correction.height = 1;
    spec.correction.offsets = {200};
    BuildError(spec);
    spec = MovieSpec{};
    spec.extraChunks = {{"NEGA", -100000, {}, 0}};
    BuildError(spec);
    spec = MovieSpec{};
    spec.width = 40000;
    BuildError(spec);
    BuildError(MovieSpec{}, -1);
}

TEST(WriterContainer, CameraRulesGiveEveryFormat) {
    for (bool newer : {false, true}) {
        for (int format = -1; format <= 6; ++format) {
            const auto spec = zelgen::SpecForPixelFormat(format, newer);
            const bool expressible = newer ? format != 1 : format <= 1;
            ASSERT_EQ(spec.has_value(), expressible) << format << " " << newer;
            if (!spec) continue;
            const zelgen::StoredFormat f = zelgen::DeriveStoredFormat(*spec);
            EXPECT_EQ(f.pixelFormat, format);
            EXPECT_EQ(f.storedBits, zelgen::BitsOfFormat(format));
        }
    }
    MovieSpec other;
    other.cameraCode = "abcd";
    other.storedBits = 12;
    EXPECT_EQ(zelgen::DeriveStoredFormat(other).pixelFormat, -1);
    EXPECT_EQ(zelgen::DeriveStoredFormat(other).storedBits, 8);
}

TEST(WriterFile, WriteMovieMatchesBuiltBytesAndCleansUpOnFailure) {
    const char* dir = std::getenv("ZEL_TEST_TMP");
    const std::string base = dir ? dir : ::testing::TempDir();
    std::filesystem::create_directories(base);
    const std::string path = base + "/writer_file_test.zel";
    MovieSpec spec = *zelgen::SpecForPixelFormat(3, true);
    spec.headerPlace = -1;
    spec.correction.kind = 9;
    spec.correction.width = 64;
    spec.correction.height = 32;
    const auto source = [](int n, uint16_t* s) { for (int i = 0; i < 64 * 32; ++i) s[i] = static_cast<uint16_t>((i + n) % 1024); };
    std::string error;
    ASSERT_TRUE(zelgen::WriteMovie(path, spec, 4, source, &error)) << error;
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(file, zelgen::BuildMovieBytes(spec, 4, source));
    in.close();  // Windows removes no file that is open
    std::remove(path.c_str());

    EXPECT_FALSE(zelgen::WriteMovie(base + "/no/such/dir/x.zel", spec, 1, source, &error));
    EXPECT_FALSE(error.empty());
    spec.cameraCode = "toolong";
    EXPECT_FALSE(zelgen::WriteMovie(path, spec, 1, source, &error));
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
