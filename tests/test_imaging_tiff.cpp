// The in-memory TIFF image: the exact head, the pixels for each layout code, the
// refusals, and tag lookups that must stay inside the block they are given.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/DisplayBitmap.h"
#include "imaging/TiffImage.h"

namespace zel {
namespace {

uint32_t Le32(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}
uint16_t Le16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

std::vector<uint16_t> Pixels16(const ImageBuffer& buffer) {
    std::vector<uint16_t> out(static_cast<size_t>(buffer.imageSize) / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = Le16(buffer.tiffData + 2 * i);
    }
    return out;
}
std::vector<uint8_t> Pixels8(const ImageBuffer& buffer) {
    return {buffer.tiffData, buffer.tiffData + buffer.imageSize};
}
int64_t Tag(const ImageBuffer& buffer, int tag) { return GetTiffTagValue(tag, buffer.tiffBlock.get(), buffer.BlockSize()); }

TEST(TiffImage, HeadOfA16BitFullFrame) {
    ImageBuffer buffer;
    InitImageBuffer(buffer);
    const uint8_t* block = BuildTiffImage(1024, buffer, 2, 12, 1280, nullptr);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(buffer.status, 0);
    EXPECT_EQ(buffer.headerSize, 200);
    EXPECT_EQ(buffer.imageSize, 2 * 1280 * 1024);
    EXPECT_EQ(buffer.BlockSize(), 200u + 2u * 1280u * 1024u);
    EXPECT_EQ(buffer.tiffData, block + 200);
    EXPECT_EQ(buffer.dibBlock, nullptr);

    EXPECT_EQ(std::memcmp(block, "II*\0\x0a\0\0\0\0\0\x0e\0", 12), 0);  // byte order, 42, IFD at 10, 14 entries
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    const Entry expected[14] = {{254, 4, 1, 0},     {256, 3, 1, 1280}, {257, 3, 1, 1024}, {258, 3, 1, 16},
                                {259, 3, 1, 1},     {262, 3, 1, 1},    {273, 4, 1, 200},  {277, 3, 1, 1},
                                {278, 3, 1, 1024},  {279, 4, 1, 2 * 1280 * 1024},        {282, 5, 1, 184},
                                {283, 5, 1, 192},   {284, 3, 1, 1},    {296, 3, 1, 1}};
    for (int i = 0; i < 14; ++i) {
        const uint8_t* entry = block + 12 + 12 * i;
        EXPECT_EQ(Le16(entry), expected[i].tag) << "entry " << i;
        EXPECT_EQ(Le16(entry + 2), expected[i].type) << "entry " << i;
        EXPECT_EQ(Le32(entry + 4), expected[i].count) << "entry " << i;
        EXPECT_EQ(Le32(entry + 8), expected[i].value) << "entry " << i;  // SHORTs: upper bytes 0
    }
    EXPECT_EQ(Le32(block + 180), 0u);
    for (const int at : {184, 188, 192, 196}) {
        EXPECT_EQ(Le32(block + at), 1u) << "offset " << at;
    }
    EXPECT_EQ(Pixels16(buffer), std::vector<uint16_t>(1280 * 1024, 0));  // no leftover bytes
    EXPECT_EQ(Tag(buffer, 279), 2 * 1280 * 1024);
}

TEST(TiffImage, EightBitRowsAreUnpadded) {
    ImageBuffer buffer;
    std::vector<uint8_t> samples(15);
    for (int i = 0; i < 15; ++i) {
        samples[i] = static_cast<uint8_t>(i * 17);
    }
    ASSERT_NE(BuildTiffImage(3, buffer, 8 * 32 + 1, 8, 5, samples.data()), nullptr);
    EXPECT_EQ(buffer.BlockSize(), 215u);
    EXPECT_EQ(Tag(buffer, 258), 8);
    EXPECT_EQ(Tag(buffer, 279), 15);
    EXPECT_EQ(Pixels8(buffer), samples);
}

TEST(TiffImage, LayoutCodesChooseDepthAndConversion) {
    const std::vector<uint16_t> deep = {4095, 4080, 4079, 15, 16, 1023};
    ImageBuffer buffer;
    // 258: 8-bit output from 2-byte samples at the source bit count.
    ASSERT_NE(BuildTiffImage(2, buffer, 258, 12, 3, deep.data()), nullptr);
    EXPECT_EQ(Tag(buffer, 258), 8);
    EXPECT_EQ(Pixels8(buffer), (std::vector<uint8_t>{255, 255, 254, 0, 1, 63}));

    // 513: 16-bit output from bytes, v x 256.
    const std::vector<uint8_t> bytes = {0, 1, 128, 255};
    ASSERT_NE(BuildTiffImage(1, buffer, 513, 8, 4, bytes.data()), nullptr);
    EXPECT_EQ(Tag(buffer, 258), 16);
    EXPECT_EQ(Pixels16(buffer), (std::vector<uint16_t>{0, 256, 32768, 65280}));
    EXPECT_EQ(buffer.tiffData[2], 0);  // little-endian: low byte first
    EXPECT_EQ(buffer.tiffData[3], 1);

    // 514 with 16 source bits: the samples as they are.
    ASSERT_NE(BuildTiffImage(2, buffer, 514, 16, 3, deep.data()), nullptr);
    EXPECT_EQ(Pixels16(buffer), deep);

    // No depth part: the source bit count decides. 10 bits -> a 16-bit image scaled by 64.
    const std::vector<uint16_t> tenBit = {1023, 1, 512};
    ASSERT_NE(BuildTiffImage(1, buffer, 2, 10, 3, tenBit.data()), nullptr);
    EXPECT_EQ(Tag(buffer, 258), 16);
    EXPECT_EQ(Pixels16(buffer), (std::vector<uint16_t>{65472, 64, 32768}));
    ASSERT_NE(BuildTiffImage(1, buffer, 1, 8, 4, bytes.data()), nullptr);
    EXPECT_EQ(Tag(buffer, 258), 8);
    EXPECT_EQ(Pixels8(buffer), bytes);

    // Below 8 requested bits the file still has a byte per sample, brightened like a gain.
    ASSERT_NE(BuildTiffImage(1, buffer, 1, 4, 4, bytes.data()), nullptr);
    EXPECT_EQ(Tag(buffer, 258), 8);
    EXPECT_EQ(Pixels8(buffer), (std::vector<uint8_t>{0, 16, 255, 255}));

    // 4-byte samples give their low 2 bytes to a 16-bit image.
    const std::vector<uint32_t> wide = {0x12345678u, 0xFFFFu, 0x10000u};
    ASSERT_NE(BuildTiffImage(1, buffer, 516, 16, 3, wide.data()), nullptr);
    EXPECT_EQ(Pixels16(buffer), (std::vector<uint16_t>{0x5678, 0xFFFF, 0}));
    ASSERT_NE(BuildTiffImage(1, buffer, 516, 12, 3, wide.data()), nullptr);
    EXPECT_EQ(Pixels16(buffer), (std::vector<uint16_t>{0x6780, 0xFFF0, 0}));
}

TEST(TiffImage, RefusalsLeaveTheBufferAsItWas) {
    ImageBuffer buffer;
    ASSERT_NE(BuildTiffImage(2, buffer, 2, 10, 2, nullptr), nullptr);
    const uint8_t* block = buffer.tiffBlock.get();
    const struct {
        int height, layoutCode, sourceBits, width;
    } refused[] = {
        {2, 2, 17, 2},      {2, 2, -1, 2},      {2, 514, 17, 2},       {2, 513, -3, 2},  // no such depth
        {2, 3, 8, 2},       {2, 0, 8, 2},       {2, 515, 16, 2},                          // no such sample size
        {0, 2, 10, 2},      {2, 2, 10, 0},      {-2, 2, 10, 2},        {2, 2, 10, -2},    // no pixels
        {2, 2, 10, 65536},  {65536, 2, 10, 2},  {65535, 2, 10, 65535},                    // beyond the head's fields
    };
    for (const auto& r : refused) {
        EXPECT_EQ(BuildTiffImage(r.height, buffer, r.layoutCode, r.sourceBits, r.width, nullptr), nullptr)
            << "code " << r.layoutCode << " bits " << r.sourceBits << " " << r.width << " x " << r.height;
        EXPECT_EQ(buffer.tiffBlock.get(), block);
        EXPECT_EQ(buffer.imageSize, 8);
    }
    // Pixel bytes and head must fit the int size fields.
    std::vector<uint8_t> head(200);
    EXPECT_NE(WriteTiffHeader(8, 32768, head.data(), 65535), nullptr);
    EXPECT_EQ(WriteTiffHeader(8, 32769, head.data(), 65535), nullptr);
    EXPECT_EQ(WriteTiffHeader(16, 16385, head.data(), 65535), nullptr);

    ImageBuffer bitmap;
    ASSERT_NE(BuildDisplayBitmap(bitmap, 2, 10, 4, 4, nullptr), nullptr);
    EXPECT_EQ(BuildTiffImage(4, bitmap, 2, 10, 4, nullptr), nullptr);
    EXPECT_EQ(bitmap.tiffBlock, nullptr);
    EXPECT_EQ(bitmap.headerSize, 1064);
}

TEST(TiffImage, HeaderAndFillOnTheirOwn) {
    std::vector<uint8_t> head(200, 0xEE);
    EXPECT_EQ(WriteTiffHeader(12, 3, head.data(), 5), head.data() + 200);
    EXPECT_EQ(head[8], 0);
    EXPECT_EQ(head[9], 0);
    EXPECT_EQ(GetTiffTagValue(258, head.data(), head.size()), 16);
    EXPECT_EQ(GetTiffTagValue(279, head.data(), head.size()), 30);
    EXPECT_EQ(WriteTiffHeader(0, 3, head.data(), 5), head.data() + 200);
    EXPECT_EQ(GetTiffTagValue(258, head.data(), head.size()), 8);
    for (const int depth : {17, -1, INT_MAX, INT_MIN}) {
        EXPECT_EQ(WriteTiffHeader(depth, 3, head.data(), 5), nullptr) << "depth " << depth;
    }
    EXPECT_EQ(WriteTiffHeader(8, 3, nullptr, 5), nullptr);

    // Nothing to fill: no byte changes.
    const std::vector<uint16_t> samples(8, 1000);
    std::vector<uint8_t> pixels(16, 0xEE);
    FillTiffImage(2, 514, 16, nullptr, 4, samples.data());
    FillTiffImage(2, 514, 16, pixels.data(), 4, nullptr);
    FillTiffImage(0, 514, 16, pixels.data(), 4, samples.data());
    FillTiffImage(2, 514, 16, pixels.data(), -4, samples.data());
    FillTiffImage(2, 2, 17, pixels.data(), 4, samples.data());
    FillTiffImage(2, 515, 16, pixels.data(), 4, samples.data());
    EXPECT_EQ(pixels, std::vector<uint8_t>(16, 0xEE));
    // Source bit counts the builder refuses still fill defined values.
    FillTiffImage(1, 514, 20, pixels.data(), 2, samples.data());
    EXPECT_EQ(Le16(pixels.data()), 1000);
    FillTiffImage(1, 514, -5, pixels.data(), 2, samples.data());
    EXPECT_EQ(Le16(pixels.data()), 0);
}

// A block with a hand-made directory, for the lookups.
class TiffTags : public ::testing::Test {
protected:
    std::vector<uint8_t> block = std::vector<uint8_t>(72, 0);
    int entries = 0;

    void SetUp() override {
        std::memcpy(block.data(), "II*\0\x08\0\0\0", 8);
    }
    void Add(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        uint8_t* entry = block.data() + 10 + 12 * entries++;
        std::memcpy(entry, &tag, 2);
        std::memcpy(entry + 2, &type, 2);
        std::memcpy(entry + 4, &count, 4);
        std::memcpy(entry + 8, &value, 4);
        const auto count16 = static_cast<uint16_t>(entries);
        std::memcpy(block.data() + 8, &count16, 2);
    }
    int64_t Value(int tag) const { return GetTiffTagValue(tag, block.data(), block.size()); }
};

TEST_F(TiffTags, ValuesByFieldType) {
    Add(300, 1, 1, 0xFFFFFFF0u);  // BYTE: the first byte only
    Add(301, 6, 1, 0xFF);         // SBYTE
    Add(302, 8, 1, 0xFFFE);       // SSHORT
    Add(303, 4, 1, 0xFFFFFFFFu);  // LONG: unsigned
    EXPECT_EQ(Value(300), 0xF0);
    EXPECT_EQ(Value(301), -1);
    EXPECT_EQ(Value(302), -2);
    EXPECT_EQ(Value(303), 0xFFFFFFFFll);
}

TEST_F(TiffTags, MoreFieldTypesAndUnknownOnes) {
    Add(304, 9, 1, 0x80000000u);  // SLONG: signed
    Add(305, 0, 1, 7);            // types TIFF does not define give 0 ...
    Add(306, 13, 1, 7);
    Add(307, 10, 1, 60);          // SRATIONAL at offset 60: numerator -3
    const int32_t numerator = -3;
    std::memcpy(block.data() + 60, &numerator, 4);
    EXPECT_EQ(Value(304), INT32_MIN);
    EXPECT_EQ(Value(305), 0);
    EXPECT_EQ(Value(306), 0);
    EXPECT_NE(FindTiffTag(block.data(), block.size(), 306, nullptr), nullptr);  // ... but are found
    EXPECT_EQ(Value(307), -3);
}

TEST_F(TiffTags, ValuePointerInsideTheEntryOrAtItsOffset) {
    Add(256, 3, 1, 640);
    Add(282, 5, 1, 48);
    const uint8_t* value = nullptr;
    const uint8_t* entry = FindTiffTag(block.data(), block.size(), 256, &value);
    ASSERT_EQ(entry, block.data() + 10);
    EXPECT_EQ(value, entry + 8);
    entry = FindTiffTag(block.data(), block.size(), 282, &value);
    ASSERT_EQ(entry, block.data() + 22);
    EXPECT_EQ(value, block.data() + 48);
}

TEST_F(TiffTags, LookupsNeverLeaveTheBlock) {
    Add(256, 3, 1, 640);
    Add(282, 5, 1, 68);            // 8-byte value at 68 of a 72-byte block
    Add(283, 4, 0x40000000u, 16);  // a count whose size wraps 32 bits
    Add(279, 4, 1, 15);
    EXPECT_EQ(FindTiffTag(block.data(), block.size(), 282, nullptr), nullptr);
    EXPECT_EQ(FindTiffTag(block.data(), block.size(), 283, nullptr), nullptr);
    EXPECT_EQ(Value(279), 15);
    // The last entry ends at 58: a shorter block loses it, never reads it.
    EXPECT_EQ(GetTiffTagValue(279, block.data(), 57), 0);
    EXPECT_EQ(GetTiffTagValue(279, block.data(), 58), 15);
    EXPECT_EQ(GetTiffTagValue(256, block.data(), 22), 640);
    EXPECT_EQ(GetTiffTagValue(256, block.data(), 21), 0);
    EXPECT_EQ(GetTiffTagValue(256, block.data(), 7), 0);
    EXPECT_EQ(GetTiffTagValue(256, nullptr, 72), 0);

    // A count larger than the block holds stops at the block's end (the bytes after the
    // last entry are made nonzero so they read as one more entry, the next runs past).
    std::fill(block.begin() + 58, block.end(), 0xAB);
    const uint16_t many = 0x7FFF;
    std::memcpy(block.data() + 8, &many, 2);
    EXPECT_EQ(Value(999), 0);
    // A negative count lists nothing.
    const uint16_t negative = 0x8000;
    std::memcpy(block.data() + 8, &negative, 2);
    EXPECT_EQ(Value(256), 0);
    // A directory offset at or past the end.
    for (const uint32_t offset : {71u, 72u, 0xFFFFFFFFu}) {
        std::memcpy(block.data() + 4, &offset, 4);
        EXPECT_EQ(Value(256), 0) << "directory at " << offset;
    }
}

TEST_F(TiffTags, SearchStopsAtATagOfZeroAndNeedsALittleEndianHeader) {
    Add(256, 3, 1, 640);
    Add(0, 3, 1, 1);
    Add(257, 3, 1, 480);
    EXPECT_EQ(Value(256), 640);
    EXPECT_EQ(Value(257), 0);
    block[0] = block[1] = 'M';
    EXPECT_EQ(Value(256), 0);
}

TEST(TiffImage, TagsOfABuiltImage) {
    ImageBuffer buffer;
    ASSERT_NE(BuildTiffImage(7, buffer, 8 * 32 + 2, 10, 13, nullptr), nullptr);
    EXPECT_EQ(Tag(buffer, 279), 13 * 7);
    EXPECT_EQ(Tag(buffer, 282), 1);    // RATIONAL: the numerator
    EXPECT_EQ(Tag(buffer, 305), 0);    // not in the directory
}

}  // namespace
}  // namespace zel
