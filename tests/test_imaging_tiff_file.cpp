// TIFF files on disk: exactly the block's bytes, readable by an independent TIFF reader
// pixel for pixel, and never a truncated file or a lost old file when a write fails.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "FolderTest.h"
#include "imaging/DisplayBitmap.h"
#include "imaging/TiffImage.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using zeltest::WithFileSizeLimit;

class TiffFiles : public zeltest::FolderTest {
protected:
    static std::vector<uint8_t> Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

// A small 8-bit image, 215 bytes on disk.
ImageBuffer SmallImage() {
    ImageBuffer buffer;
    std::vector<uint8_t> samples(15);
    for (int i = 0; i < 15; ++i) {
        samples[i] = static_cast<uint8_t>(i + 1);
    }
    BuildTiffImage(3, buffer, 8 * 32 + 1, 8, 5, samples.data());
    return buffer;
}

TEST_F(TiffFiles, TheFileIsTheBlock) {
    const ImageBuffer image = SmallImage();
    ASSERT_EQ(WriteTiffFile(image, Path("a.tif")), 1);
    const std::vector<uint8_t> bytes = Contents(Path("a.tif"));
    EXPECT_EQ(bytes.size(), 215u);
    EXPECT_EQ(bytes, std::vector<uint8_t>(image.tiffBlock.get(), image.tiffBlock.get() + 215));
    EXPECT_EQ(Names(), std::vector<std::string>{"a.tif"});  // no temporary file left

    // An existing file is replaced as a whole.
    Put(Path("b.tif"), std::string(1000, 'x'));
    ASSERT_EQ(WriteTiffFile(image, Path("b.tif")), 1);
    EXPECT_EQ(Contents(Path("b.tif")), bytes);
}

TEST_F(TiffFiles, LongestNamesStillWork) {
    // The temporary name must not need more room than the file name itself.
    const std::string name = std::string(251, 'n') + ".tif";
    ASSERT_EQ(WriteTiffFile(SmallImage(), Path(name)), 1);
    EXPECT_EQ(Names(), std::vector<std::string>{name});
    EXPECT_EQ(Contents(Path(name)).size(), 215u);
}

TEST_F(TiffFiles, NothingToWrite) {
    ImageBuffer empty;
    std::string error;
    EXPECT_EQ(WriteTiffFile(empty, Path("a.tif"), &error), 0);
    EXPECT_FALSE(error.empty());
    ImageBuffer bitmap;
    ASSERT_NE(BuildDisplayBitmap(bitmap, 1, 8, 4, 4, nullptr), nullptr);
    EXPECT_EQ(WriteTiffFile(bitmap, Path("a.tif")), 0);
    // A strip that the directory claims to end past the block.
    ImageBuffer image = SmallImage();
    image.tiffBlock[12 + 12 * 9 + 8] = 16;  // StripByteCounts 15 -> 16
    EXPECT_EQ(WriteTiffFile(image, Path("a.tif")), 0);
    EXPECT_EQ(WriteTiffFile(SmallImage(), ""), 0);
    EXPECT_TRUE(Names().empty());
}

TEST_F(TiffFiles, UncreatableFileLeavesNothingAndSaysWhy) {
    const ImageBuffer image = SmallImage();
    std::string error;
    EXPECT_EQ(WriteTiffFile(image, Path("missing/a.tif"), &error), 0);
    EXPECT_EQ(error, "cannot create " + Path("missing/a.tif") + ": No such file or directory");
    Put(Path("plain"), "not a folder");
    EXPECT_EQ(WriteTiffFile(image, Path("plain/a.tif"), &error), 0);
    EXPECT_EQ(error, "cannot create " + Path("plain/a.tif") + ": Not a directory");
    // A folder of the target's name cannot be replaced by a file.
    fs::create_directory(Path("a.tif"));
    Put(Path("a.tif/keep"), "kept");
    EXPECT_EQ(WriteTiffFile(image, Path("a.tif"), &error), 0);
    EXPECT_EQ(error, "cannot create " + Path("a.tif") + ": Is a directory");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.tif", "plain"}));
    EXPECT_EQ(Contents(Path("a.tif/keep")), (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
}

TEST_F(TiffFiles, UnwritableFolderSaysPermissionDenied) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    std::string error;
    EXPECT_EQ(WriteTiffFile(SmallImage(), Path("a.tif"), &error), 0);
    EXPECT_EQ(error, "cannot create " + Path("a.tif") + ": Permission denied");
}

// A write cut short (here by a file size limit, as a full disk would) returns 0 with the
// reason, keeps the old file whole and leaves no partial file.
TEST_F(TiffFiles, ShortWriteKeepsTheOldFile) {
    Put(Path("a.tif"), "old contents");
    const std::string target = Path("a.tif");
    const std::string report = WithFileSizeLimit(100, [&target] {
        std::string error;
        return std::to_string(WriteTiffFile(SmallImage(), target, &error)) + " " + error;
    });
    EXPECT_EQ(report, "0 cannot write " + target + ": File too large");
    EXPECT_EQ(Names(), std::vector<std::string>{"a.tif"});
    const std::vector<uint8_t> old = Contents(target);
    EXPECT_EQ(std::string(old.begin(), old.end()), "old contents");
}

// Reads a file back with libtiff, failing the test on any error or warning it reports.
struct ReadBack {
    uint32_t width = 0, length = 0, rowsPerStrip = 0;
    uint16_t bitsPerSample = 0, samplesPerPixel = 0, photometric = 0, compression = 0, planar = 0;
    std::vector<uint8_t> rows;  // all scanlines, as stored
    std::vector<std::string> messages;
};

int Collect(TIFF*, void* user, const char* module, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    static_cast<ReadBack*>(user)->messages.push_back(std::string(module ? module : "") + ": " + text);
    return 1;  // handled: nothing goes to the global handlers
}

ReadBack ReadWithLibtiff(const std::string& path) {
    ReadBack result;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, Collect, &result);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Collect, &result);
    // "c": no strip chopping, so RowsPerStrip reads as stored.
    TIFF* tiff = TIFFOpenExt(path.c_str(), "rc", options);
    TIFFOpenOptionsFree(options);
    if (tiff == nullptr) {
        result.messages.push_back("cannot open");
        return result;
    }
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &result.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &result.length);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &result.bitsPerSample);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &result.samplesPerPixel);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &result.photometric);
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &result.compression);
    TIFFGetField(tiff, TIFFTAG_PLANARCONFIG, &result.planar);
    TIFFGetField(tiff, TIFFTAG_ROWSPERSTRIP, &result.rowsPerStrip);
    const tmsize_t lineSize = TIFFScanlineSize(tiff);
    result.rows.resize(static_cast<size_t>(lineSize) * result.length);
    for (uint32_t row = 0; row < result.length; ++row) {
        if (TIFFReadScanline(tiff, result.rows.data() + row * lineSize, row, 0) != 1) {
            result.messages.push_back("scanline " + std::to_string(row));
        }
    }
    if (TIFFReadDirectory(tiff) != 0) {
        result.messages.push_back("a second directory");
    }
    TIFFClose(tiff);
    return result;
}

class LibtiffReadsOurFiles : public TiffFiles, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(LibtiffReadsOurFiles, EightAndSixteenBitPixelForPixel) {
    const auto [width, height] = GetParam();
    std::vector<uint16_t> samples(static_cast<size_t>(width) * height);
    std::mt19937 random(static_cast<unsigned>(width * 7919 + height));
    for (auto& v : samples) {
        v = static_cast<uint16_t>(random() & 0xFFF);
    }

    // 16 bits: the 12-bit samples as they are.
    ImageBuffer deep;
    ASSERT_NE(BuildTiffImage(height, deep, 16 * 32 + 2, 16, width, samples.data()), nullptr);
    ASSERT_EQ(WriteTiffFile(deep, Path("deep.tif")), 1);
    const ReadBack read16 = ReadWithLibtiff(Path("deep.tif"));
    EXPECT_EQ(read16.messages, std::vector<std::string>{});
    EXPECT_EQ(read16.width, static_cast<uint32_t>(width));
    EXPECT_EQ(read16.length, static_cast<uint32_t>(height));
    EXPECT_EQ(read16.bitsPerSample, 16);
    EXPECT_EQ(read16.samplesPerPixel, 1);
    EXPECT_EQ(read16.photometric, PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(read16.compression, COMPRESSION_NONE);
    EXPECT_EQ(read16.planar, PLANARCONFIG_CONTIG);
    EXPECT_EQ(read16.rowsPerStrip, static_cast<uint32_t>(height));
    ASSERT_EQ(read16.rows.size(), samples.size() * 2);
    std::vector<uint16_t> values(samples.size());
    std::memcpy(values.data(), read16.rows.data(), read16.rows.size());  // libtiff gives host order
    EXPECT_EQ(values, samples);

    // 8 bits: the same samples at depth 12.
    ImageBuffer display;
    ASSERT_NE(BuildTiffImage(height, display, 8 * 32 + 2, 12, width, samples.data()), nullptr);
    ASSERT_EQ(WriteTiffFile(display, Path("display.tif")), 1);
    const ReadBack read8 = ReadWithLibtiff(Path("display.tif"));
    EXPECT_EQ(read8.messages, std::vector<std::string>{});
    EXPECT_EQ(read8.bitsPerSample, 8);
    EXPECT_EQ(read8.width, static_cast<uint32_t>(width));
    EXPECT_EQ(read8.length, static_cast<uint32_t>(height));
    ASSERT_EQ(read8.rows.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(read8.rows[i], samples[i] >> 4) << "pixel " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LibtiffReadsOurFiles,
                         ::testing::Values(std::pair{5, 3}, std::pair{13, 7}, std::pair{1, 1},
                                           std::pair{1283, 1021}));

}  // namespace
}  // namespace zel
