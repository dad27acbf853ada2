// The display bitmap block: header fields, grey palette, padded bottom-up pixels, the
// 32-bit screen layout, and the refusals that must leave the buffer as it was.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>  // the address-space limit of the out-of-memory test
#endif

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/DisplayBitmap.h"
#include "imaging/TiffImage.h"


// An address-space limit and the sanitizers' shadow memory do not go together.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZEL_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZEL_UNDER_SANITIZER 1
#endif
#endif
#ifndef ZEL_UNDER_SANITIZER
#define ZEL_UNDER_SANITIZER 0
#endif

namespace zel {
namespace {

uint32_t Le32(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}
uint16_t Le16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

TEST(DisplayBitmap, FullFrameHeaderAndPalette) {
    ImageBuffer buffer;
    InitImageBuffer(buffer);
    EXPECT_EQ(buffer.status, -1);
    std::vector<uint16_t> samples(1280 * 1024, 0);
    samples[0] = 1023;                // top-left of the frame
    samples[1280 * 1024 - 1] = 512;   // bottom-right
    const uint8_t* dib = BuildDisplayBitmap(buffer, 2, 10, 1280, 1024, samples.data());
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib, buffer.dibBlock.get());
    EXPECT_EQ(buffer.status, 0);
    EXPECT_EQ(buffer.headerSize, 1064);
    EXPECT_EQ(buffer.imageSize, 1280 * 1024);
    EXPECT_EQ(buffer.dibBits, dib + 1064);
    EXPECT_EQ(buffer.tiffBlock, nullptr);

    EXPECT_EQ(Le32(dib + 0), 40u);
    EXPECT_EQ(Le32(dib + 4), 1280u);
    EXPECT_EQ(Le32(dib + 8), 1024u);
    EXPECT_EQ(Le16(dib + 12), 1u);
    EXPECT_EQ(Le16(dib + 14), 8u);
    EXPECT_EQ(Le32(dib + 20), 1280u * 1024u);
    for (const int zeroField : {16, 24, 28, 32, 36}) {
        EXPECT_EQ(Le32(dib + zeroField), 0u) << "offset " << zeroField;
    }
    for (int i = 0; i < 256; ++i) {
        const uint8_t* entry = dib + 40 + 4 * i;
        ASSERT_EQ(Le32(entry), static_cast<uint32_t>(i * 0x010101)) << "palette entry " << i;
    }
    // Bottom-up: the frame's top row is the bitmap's last row.
    EXPECT_EQ(buffer.dibBits[1280 * 1023], 255);
    EXPECT_EQ(buffer.dibBits[1279], 128);
    FreeImageBuffer(buffer);
    EXPECT_EQ(buffer.dibBlock, nullptr);
    EXPECT_EQ(buffer.dibBits, nullptr);
    EXPECT_EQ(buffer.status, -1);
    EXPECT_EQ(buffer.BlockSize(), 0u);
}

TEST(DisplayBitmap, OddWidthRowsArePaddedToTheStride) {
    ImageBuffer buffer;
    const std::vector<uint8_t> samples = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};  // 5 x 3
    ASSERT_NE(BuildDisplayBitmap(buffer, 1, 8, 5, 3, samples.data()), nullptr);
    EXPECT_EQ(Le32(buffer.dibBlock.get() + 4), 8u);
    EXPECT_EQ(Le32(buffer.dibBlock.get() + 20), 24u);
    EXPECT_EQ(buffer.imageSize, 24);
    const std::vector<uint8_t> pixels(buffer.dibBits, buffer.dibBits + 24);
    EXPECT_EQ(pixels, (std::vector<uint8_t>{11, 12, 13, 14, 15, 0, 0, 0, 6, 7, 8, 9, 10, 0, 0, 0, 1, 2, 3, 4, 5, 0,
                                             0, 0}));
}

TEST(DisplayBitmap, LaidOutWithoutSamplesIsBlack) {
    ImageBuffer buffer;
    ASSERT_NE(BuildDisplayBitmap(buffer, 2, 12, 7, 2, nullptr), nullptr);
    EXPECT_EQ(buffer.imageSize, 16);
    EXPECT_EQ(std::vector<uint8_t>(buffer.dibBits, buffer.dibBits + 16), std::vector<uint8_t>(16, 0));
}

TEST(DisplayBitmap, ScreenPixelsHaveAHeaderWithoutPalette) {
    const std::vector<uint16_t> samples = {4, 8, 1020, 400, 0, 12};  // 3 x 2, 10 bits
    const DisplayLayout screen{.topDown = true, .xrgb = true};
    ImageBuffer buffer;
    const uint8_t* dib = BuildDisplayBitmap(buffer, 2, 10, 3, 2, samples.data(), screen);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(buffer.headerSize, 40);
    EXPECT_EQ(buffer.dibBits, dib + 40);
    EXPECT_EQ(buffer.imageSize, 4 * 4 * 2);  // 3 pixels padded to 4
    EXPECT_EQ(Le32(dib + 4), 4u);
    EXPECT_EQ(static_cast<int32_t>(Le32(dib + 8)), -2);
    EXPECT_EQ(Le16(dib + 14), 32u);
    EXPECT_EQ(Le32(dib + 20), 32u);
    std::vector<uint32_t> pixels(8);
    std::memcpy(pixels.data(), buffer.dibBits, 32);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF010101u, 0xFF020202u, 0xFFFFFFFFu, 0xFF000000u,  // top row first
                                             0xFF646464u, 0xFF000000u, 0xFF030303u, 0xFF000000u}));
    // Laid out without samples: opaque black, not zero words.
    ASSERT_NE(BuildDisplayBitmap(buffer, 2, 10, 3, 2, nullptr, screen), nullptr);
    std::memcpy(pixels.data(), buffer.dibBits, 32);
    EXPECT_EQ(pixels, std::vector<uint32_t>(8, 0xFF000000u));
}

TEST(DisplayBitmap, RebuildReplacesTheBlock) {
    ImageBuffer buffer;
    ASSERT_NE(BuildDisplayBitmap(buffer, 2, 10, 8, 8, nullptr), nullptr);
    ASSERT_NE(BuildDisplayBitmap(buffer, 2, 10, 13, 2, nullptr), nullptr);
    EXPECT_EQ(buffer.imageSize, 32);
    EXPECT_EQ(Le32(buffer.dibBlock.get() + 4), 16u);
    EXPECT_EQ(Le32(buffer.dibBlock.get() + 8), 2u);
}

TEST(DisplayBitmap, RefusalsLeaveTheBufferAsItWas) {
    ImageBuffer bitmap;
    ASSERT_NE(BuildDisplayBitmap(bitmap, 2, 10, 4, 4, nullptr), nullptr);
    const uint8_t* block = bitmap.dibBlock.get();
    const struct {
        int bytesPerSample, width, height;
    } refused[] = {{2, 0, 4},       {2, 4, 0},        {2, -4, 4},      {2, 4, -4},     {3, 4, 4},
                   {0, 4, 4},       {2, INT_MAX, 2},  {1, 65536, 32768}, {1, INT_MAX, INT_MAX}};
    for (const auto& r : refused) {
        EXPECT_EQ(BuildDisplayBitmap(bitmap, r.bytesPerSample, 10, r.width, r.height, nullptr), nullptr)
            << r.bytesPerSample << " bytes, " << r.width << " x " << r.height;
        EXPECT_EQ(bitmap.dibBlock.get(), block);
        EXPECT_EQ(bitmap.imageSize, 16);
    }

    // A buffer holding a TIFF image never also gets a bitmap.
    ImageBuffer tiff;
    ASSERT_NE(BuildTiffImage(4, tiff, 2, 10, 4, nullptr), nullptr);
    const uint8_t* tiffBlock = tiff.tiffBlock.get();
    EXPECT_EQ(BuildDisplayBitmap(tiff, 2, 10, 4, 4, nullptr), nullptr);
    EXPECT_EQ(tiff.dibBlock, nullptr);
    EXPECT_EQ(tiff.tiffBlock.get(), tiffBlock);
    EXPECT_EQ(tiff.headerSize, 200);
    EXPECT_EQ(tiff.imageSize, 32);
}

// Out of memory: the builders return null with their block pointers null. Run in a child
// process whose address space is capped; AddressSanitizer reserves too much to run there.
TEST(ImageBufferDeathTest, AllocationFailureLeavesTheBlocksNull) {
#if ZEL_UNDER_SANITIZER
    GTEST_SKIP() << "an address-space limit cannot be combined with the sanitizer";
#elif defined(_WIN32)
    GTEST_SKIP() << "Windows has no address-space limit for a process";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto run = [] {
        const rlimit limit = {512L << 20, 512L << 20};
        if (setrlimit(RLIMIT_AS, &limit) != 0) {
            std::exit(2);
        }
        ImageBuffer bitmap;
        BuildDisplayBitmap(bitmap, 2, 10, 64, 64, nullptr);
        const bool bitmapNull = BuildDisplayBitmap(bitmap, 2, 10, 40000, 40000, nullptr) == nullptr &&
                                !bitmap.dibBlock && bitmap.dibBits == nullptr;
        ImageBuffer tiff;
        BuildTiffImage(64, tiff, 2, 12, 64, nullptr);
        const bool tiffNull = BuildTiffImage(30000, tiff, 2, 12, 30000, nullptr) == nullptr && !tiff.tiffBlock &&
                              tiff.tiffData == nullptr;
        std::exit(bitmapNull && tiffNull ? 0 : 1);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
}  // namespace zel
