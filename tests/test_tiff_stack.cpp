// TIFF stacks: the pages read back by libtiff (and tifffile) equal the numbered files'
// pixels frame for frame, lie back to back after the directories as ImageJ reads them,
// carry ImageJ's description, and a stack that is not finished never appears. Past 4 GiB
// (a threshold the tests lower) the stack is ImageJ's large stack: one directory, then
// every page contiguous, as ImageJ and tifffile read it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "DocumentFixture.h"
#include "FileSizeLimit.h"
#include "FolderTest.h"
#include "RunProcess.h"
#include "TempFile.h"
#include "document/ConversionNaming.h"
#include "document/ZelfDoc.h"
#include "imaging/TiffStack.h"

namespace {

using namespace zeltest;
using zel::TiffStackLayout;
using zel::TiffStackShape;
using zel::TiffStackWriter;
namespace fs = std::filesystem;

// ---- Reading TIFF files back with libtiff ----

struct Page {
    uint32_t width = 0, height = 0;
    uint16_t bits = 0;
    uint64_t offset = 0;  // of its one strip
    float xResolution = 0, yResolution = 0;
    uint16_t resolutionUnit = 0;
    std::string description;
    std::vector<uint8_t> pixels;
};

struct TiffContents {
    std::string problems;  // libtiff's errors and warnings
    bool bigTiff = false;
    std::vector<Page> pages;
};

int Collect(TIFF*, void* user, const char* module, const char* format, va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    *static_cast<std::string*>(user) += std::string(module ? module : "") + ": " + text + "\n";
    return 1;
}

TiffContents ReadTiff(const std::string& path) {
    TiffContents contents;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, Collect, &contents.problems);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Collect, &contents.problems);
    TIFF* tiff = TIFFOpenExt(path.c_str(), "r", options);
    TIFFOpenOptionsFree(options);
    if (tiff == nullptr) return contents;
    contents.bigTiff = TIFFIsBigTIFF(tiff) != 0;
    do {
        Page page;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &page.width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &page.height);
        TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &page.bits);
        if (char* text = nullptr; TIFFGetField(tiff, TIFFTAG_IMAGEDESCRIPTION, &text) == 1) page.description = text;
        TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &page.xResolution);
        TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &page.yResolution);
        TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &page.resolutionUnit);
        if (uint64_t* offsets = nullptr; TIFFGetField(tiff, TIFFTAG_STRIPOFFSETS, &offsets) == 1)
            page.offset = offsets[0];
        if (TIFFNumberOfStrips(tiff) != 1) contents.problems += "more than one strip\n";
        page.pixels.resize(static_cast<size_t>(TIFFStripSize(tiff)));
        if (TIFFReadEncodedStrip(tiff, 0, page.pixels.data(), TIFFStripSize(tiff)) != TIFFStripSize(tiff))
            contents.problems += "short strip\n";
        contents.pages.push_back(std::move(page));
    } while (TIFFReadDirectory(tiff) == 1);
    TIFFClose(tiff);
    return contents;
}

// The stack's pixels follow its directories back to back, up to the end of the file.
void ExpectBackToBack(const TiffContents& stack, const std::string& path) {
    ASSERT_FALSE(stack.pages.empty());
    const uint64_t pageBytes = stack.pages[0].pixels.size();
    for (size_t k = 0; k < stack.pages.size(); ++k)
        EXPECT_EQ(stack.pages[k].offset, stack.pages[0].offset + k * pageBytes) << "page " << k;
    EXPECT_EQ(fs::file_size(path), stack.pages[0].offset + stack.pages.size() * pageBytes);
}

std::vector<uint8_t> Bytes(std::initializer_list<int> values) { return {values.begin(), values.end()}; }

// What `script` prints about the file opened as t = tifffile.TiffFile(path); nothing when
// the system's Python has no tifffile.
std::optional<ProcessResult> Tifffile(const std::string& script, const std::string& path) {
    const std::string python = "/usr/bin/python3";
    if (!fs::exists(python) || RunCommand(python + " -c 'import tifffile'").exitCode != 0) return std::nullopt;
    const std::string program = "import sys, tifffile\nt = tifffile.TiffFile(sys.argv[1])\n" + script + "\n";
    return RunCommand(python + " -c " + Quote(program) + " " + Quote(path));
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : bytes) text += {digits[byte >> 4], digits[byte & 15]};
    return text;
}

// ---- The decisions ----

TEST(TiffStackLayout, BigTiffOnlyWhenOffsetsCouldPassFourGiB) {
    constexpr int64_t kFrame = 1280 * 1024 * 2;
    EXPECT_FALSE(zel::StackNeedsBigTiff(1600, kFrame));  // 4.19 GB
    EXPECT_TRUE(zel::StackNeedsBigTiff(1639, kFrame));   // 4.297 GB: past 2^32
    EXPECT_FALSE(zel::StackNeedsBigTiff(0, kFrame));
    EXPECT_FALSE(zel::StackNeedsBigTiff(1, 0xFFFFFFFF - 0x10000 - 512));
    EXPECT_TRUE(zel::StackNeedsBigTiff(1, 0xFFFFFFFF - 0x10000 - 511));
    EXPECT_TRUE(zel::StackNeedsBigTiff(1, 0xFFFFFFFF - 0x10000 - 512, 1));  // the description counts too
    EXPECT_TRUE(zel::StackNeedsBigTiff(INT32_MAX, int64_t{65535} * 65535 * 2));  // no overflow
    EXPECT_TRUE(zel::StackNeedsBigTiff(9000000, 1));  // directories alone
    EXPECT_EQ(zel::TiffStackPageBytes({7, 3, 16, 2}), 42);
    EXPECT_EQ(zel::TiffStackPageBytes({7, 3, 12, 2}), 0);
    EXPECT_EQ(zel::TiffStackPageBytes({7, 3, 8, 0}), 0);
}

TEST(TiffStackLayout, ImageJLargeStackPastFourGiBAndBigTiffOnRequest) {
    TiffStackShape shape{1280, 1024, 16, 1600};
    EXPECT_EQ(zel::ChooseTiffStackLayout(shape, 200), TiffStackLayout::Classic);
    shape.pages = 1639;  // past 2^32
    EXPECT_EQ(zel::ChooseTiffStackLayout(shape, 200), TiffStackLayout::ImageJLarge);
    shape.forceBigTiff = true;
    EXPECT_EQ(zel::ChooseTiffStackLayout(shape, 200), TiffStackLayout::BigTiff);
    shape = {7, 3, 16, 2};
    EXPECT_EQ(zel::ChooseTiffStackLayout(shape, 200), TiffStackLayout::Classic);
    shape.largeStackThreshold = 0;  // as the tests below lower it
    EXPECT_EQ(zel::ChooseTiffStackLayout(shape, 200), TiffStackLayout::ImageJLarge);
    // A page that alone passes 4 GiB cannot be the first page of a classic TIFF.
    EXPECT_EQ(zel::ChooseTiffStackLayout({50000, 50000, 16, 2}, 200), TiffStackLayout::BigTiff);
}

TEST(TiffStackLayout, ImageJDescription) {
    const std::string head = "ImageJ=1.11a\nimages=12\nframes=12\nslices=1\nchannels=1\n";
    const std::string tail = "tunit=s\nunit=pixel\nloop=false\n";
    EXPECT_EQ(zel::ImageJStackDescription(12, 100), head + "finterval=0.0001\n" + tail);
    EXPECT_EQ(zel::ImageJStackDescription(12, 2500000), head + "finterval=2.5\n" + tail);
    EXPECT_EQ(zel::ImageJStackDescription(12, 3000000), head + "finterval=3\n" + tail);
    EXPECT_EQ(zel::ImageJStackDescription(12, 333333), head + "finterval=0.333333\n" + tail);
    EXPECT_EQ(zel::ImageJStackDescription(12, 0), head + tail);  // unknown period
    EXPECT_EQ(zel::ImageJStackDescription(12, -40), head + tail);
}

// ---- The writer ----

class TiffStackFiles : public FolderTest {
protected:
    // Writes `pages` pages of width x height at `bits` whose bytes are page x 16 + i.
    static bool WriteStack(TiffStackWriter& writer, const std::string& path, TiffStackShape shape, int pages,
                           std::string* error = nullptr) {
        const int64_t bytes = zel::TiffStackPageBytes(shape);
        if (!writer.Open(path, shape, "described", error)) return false;
        for (int k = 0; k < pages; ++k) {
            std::vector<uint8_t> pixels(static_cast<size_t>(bytes));
            for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(k * 16 + i);
            if (!writer.AddPage(pixels.data(), error)) return false;
        }
        return true;
    }
};

TEST_F(TiffStackFiles, PagesComeBackInOrderAfterTheDirectories) {
    for (const TiffStackShape& shape : {TiffStackShape{5, 3, 8, 3}, TiffStackShape{7, 4, 16, 4},
                                       TiffStackShape{5, 3, 8, 2, true}}) {
        const std::string path = Path("s.tif");
        TiffStackWriter writer;
        std::string error;
        ASSERT_TRUE(WriteStack(writer, path, shape, shape.pages, &error)) << error;
        EXPECT_EQ(writer.IsBigTiff(), shape.forceBigTiff);
        ASSERT_TRUE(writer.Commit(&error)) << error;
        EXPECT_EQ(Names(), std::vector<std::string>{"s.tif"});

        const TiffContents stack = ReadTiff(path);
        EXPECT_EQ(stack.problems, "");
        EXPECT_EQ(stack.bigTiff, shape.forceBigTiff);
        ASSERT_EQ(stack.pages.size(), static_cast<size_t>(shape.pages));
        for (size_t k = 0; k < stack.pages.size(); ++k) {
            const Page& page = stack.pages[k];
            EXPECT_EQ(page.width, static_cast<uint32_t>(shape.width));
            EXPECT_EQ(page.height, static_cast<uint32_t>(shape.height));
            EXPECT_EQ(page.bits, shape.bitsPerSample);
            EXPECT_EQ(page.description, k == 0 ? "described" : "");
            ASSERT_EQ(page.pixels.size(), static_cast<size_t>(zel::TiffStackPageBytes(shape)));
            for (size_t i = 0; i < page.pixels.size(); ++i)
                ASSERT_EQ(page.pixels[i], static_cast<uint8_t>(k * 16 + i)) << "page " << k << ", byte " << i;
        }
        ExpectBackToBack(stack, path);
        fs::remove(path);
    }
}

TEST_F(TiffStackFiles, EveryPageCarriesTheCalibration) {
    // 12.5 um pixels: 0.08 pixels per unit, the unit itself in the description (TIFF
    // has no micrometres); centimetres and inches are TIFF's own units.
    const struct {
        double pixelsPerUnit;
        const char* unit;
        uint16_t tiffUnit;
    } cases[] = {{0.08, "um", RESUNIT_NONE}, {20.0, "cm", RESUNIT_CENTIMETER}, {0.0, "", RESUNIT_NONE}};
    for (const auto& c : cases) {
        TiffStackShape shape{5, 3, 16, 2};
        shape.pixelsPerUnit = c.pixelsPerUnit;
        shape.resolutionUnit = c.unit;
        TiffStackWriter writer;
        std::string error;
        ASSERT_TRUE(WriteStack(writer, Path("c.tif"), shape, 2, &error)) << error;
        ASSERT_TRUE(writer.Commit(&error)) << error;
        const TiffContents stack = ReadTiff(Path("c.tif"));
        ASSERT_EQ(stack.pages.size(), 2u);
        for (const Page& page : stack.pages) {
            const float expected = c.pixelsPerUnit > 0 ? static_cast<float>(c.pixelsPerUnit) : 1.0f;
            EXPECT_FLOAT_EQ(page.xResolution, expected) << c.unit;
            EXPECT_FLOAT_EQ(page.yResolution, expected) << c.unit;
            EXPECT_EQ(page.resolutionUnit, c.tiffUnit) << c.unit;
        }
    }
    EXPECT_EQ(zel::ImageJStackDescription(2, 0, "um"),
              "ImageJ=1.11a\nimages=2\nframes=2\nslices=1\nchannels=1\ntunit=s\nunit=um\nloop=false\n");
}

TEST_F(TiffStackFiles, OnlyACompleteStackReplacesTheTarget) {
    const std::string path = Path("s.tif");
    Put(path, "old");
    const TiffStackShape shape{4, 2, 16, 3};
    std::string error;
    {
        TiffStackWriter writer;
        ASSERT_TRUE(WriteStack(writer, path, shape, 2, &error)) << error;
        EXPECT_EQ(writer.PagesWritten(), 2);
        EXPECT_TRUE(fs::exists(writer.TemporaryPath()));
        EXPECT_EQ(Slurp(path), "old");
        EXPECT_FALSE(writer.Commit(&error));  // a page short
        EXPECT_NE(error.find("only 2 of 3 pages"), std::string::npos) << error;
        EXPECT_FALSE(writer.IsOpen());
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"s.tif"});
    EXPECT_EQ(Slurp(path), "old");
    for (const bool destroy : {false, true}) {  // interrupted: abandoned, or dropped
        TiffStackWriter writer;
        ASSERT_TRUE(WriteStack(writer, path, shape, 1, &error)) << error;
        if (!destroy) writer.Abandon();
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"s.tif"});
    EXPECT_EQ(Slurp(path), "old");
    {
        TiffStackWriter writer;
        ASSERT_TRUE(WriteStack(writer, path, shape, 3, &error)) << error;
        const std::vector<uint8_t> extra(24);
        EXPECT_FALSE(writer.AddPage(extra.data(), &error));  // one page too many
        EXPECT_NE(error.find("all 3 pages"), std::string::npos) << error;
        EXPECT_TRUE(writer.Commit(&error)) << error;
    }
    EXPECT_EQ(ReadTiff(path).pages.size(), 3u);
}

TEST_F(TiffStackFiles, FailuresSayWhyAndLeaveNothing) {
    std::string error;
    TiffStackWriter writer;
    fs::create_directory(Path("folder"));
    EXPECT_FALSE(writer.Open(Path("folder"), {4, 2, 16, 3}, "", &error));
    EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
    EXPECT_FALSE(writer.Open(Path("missing/s.tif"), {4, 2, 16, 3}, "", &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_FALSE(writer.Open(Path("s.tif"), {4, 2, 12, 3}, "", &error));
    EXPECT_FALSE(writer.IsOpen());

    // A file size limit stops the directories (300 bytes) or a page (40000 bytes):
    // the system's reason is named, and the old file is kept.
    const std::string path = Path("s.tif");
    Put(path, "old");
    for (const rlim_t limit : {rlim_t{300}, rlim_t{40000}}) {
        const std::string text = WithFileSizeLimit(limit, [&] {
            TiffStackWriter limited;
            std::string reason;
            const bool written = WriteStack(limited, path, {64, 64, 16, 10}, 10, &reason) && limited.Commit(&reason);
            return written ? std::string("written") : reason;
        });
        EXPECT_NE(text.find("cannot write " + path + ": File too large"), std::string::npos) << limit << ": " << text;
        EXPECT_EQ(Names(), (std::vector<std::string>{"folder", "s.tif"}));
        EXPECT_EQ(Slurp(path), "old");
    }
}

// ---- Frames of movies as pages ----

struct MovieCase {
    int pixelFormat;  // -1: 8 bits; 6: 10 bits; 4: 12 bits
    int maxValue;
    int outputBits;
};

uint16_t Sample(int n, int x, int y, int maxValue) {
    return static_cast<uint16_t>((n * 977 + x * 131 + y * 29 + x * y) % (maxValue + 1));
}

class StackOfFrames : public FolderTest, public ::testing::WithParamInterface<MovieCase> {};

// The core as the command line drives it: each page is the numbered file's pixels.
TEST_P(StackOfFrames, EachPageIsTheNumberedFilesPixels) {
    const MovieCase c = GetParam();
    const TempFile movie;
    WriteTestMovie(movie, c.pixelFormat, 36, 16, 5, [&](int n, int x, int y) { return Sample(n, x, y, c.maxValue); });
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), true));
    const zel::ConversionDepths depths = zel::ChooseConversionDepths(doc.bitDepth(), c.outputBits == 16);

    zel::TiffPageBuilder builder;
    std::string error;
    ASSERT_TRUE(
        builder.Prepare(doc.width(), doc.height(), doc.bytesPerSample(), depths.sourceBits, depths.outputBits, &error))
        << error;
    TiffStackWriter writer;
    const std::string path = Path("s.tif");
    ASSERT_TRUE(writer.Open(path, {doc.width(), doc.height(), builder.OutputBits(), 3}, "", &error)) << error;
    for (int n = 1; n <= 3; ++n) {
        ASSERT_EQ(doc.ShowFrame(n), 1);
        ASSERT_TRUE(writer.AddPage(builder.Page(doc.samples()), &error)) << error;
    }
    ASSERT_TRUE(writer.Commit(&error)) << error;

    const TiffContents stack = ReadTiff(path);
    EXPECT_EQ(stack.problems, "");
    ASSERT_EQ(stack.pages.size(), 3u);
    for (int n = 1; n <= 3; ++n) {
        ASSERT_EQ(doc.ExportFrame(n, 1, Path("f.tif"), depths.sourceBits, depths.outputBits), 1) << doc.ExportError();
        const TiffContents single = ReadTiff(Path("f.tif"));
        ASSERT_EQ(single.pages.size(), 1u);
        EXPECT_EQ(stack.pages[n - 1].bits, c.outputBits);
        EXPECT_EQ(stack.pages[n - 1].bits, single.pages[0].bits);
        EXPECT_EQ(stack.pages[n - 1].pixels, single.pages[0].pixels) << "frame " << n;
    }
    // Not a picture of zeros: frames 1 and 3 differ.
    EXPECT_NE(stack.pages[0].pixels, stack.pages[2].pixels);
}

INSTANTIATE_TEST_SUITE_P(Depths, StackOfFrames,
                         ::testing::Values(MovieCase{4, 4095, 16}, MovieCase{4, 4095, 8}, MovieCase{6, 1023, 16},
                                           MovieCase{-1, 255, 16}, MovieCase{-1, 255, 8}),
                         [](const ::testing::TestParamInfo<MovieCase>& test) {
                             return std::to_string(test.param.maxValue + 1) + "LevelsAt" +
                                    std::to_string(test.param.outputBits);
                         });

// Past the threshold: a classic TIFF whose one directory and description come first, then
// the pages back to back to the end of the file, each the numbered file's pixels; tifffile
// reads all of them from images=N.
class ImageJLargeStack : public FolderTest, public ::testing::WithParamInterface<int> {};

TEST_P(ImageJLargeStack, OneDirectoryThenEveryPageContiguous) {
    const int outputBits = GetParam();
    const TempFile movie;
    WriteTestMovie(movie, 4, 36, 16, 5, [](int n, int x, int y) { return Sample(n, x, y, 4095); });
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), true));
    const zel::ConversionDepths depths = zel::ChooseConversionDepths(doc.bitDepth(), outputBits == 16);
    zel::TiffPageBuilder builder;
    std::string error;
    ASSERT_TRUE(
        builder.Prepare(doc.width(), doc.height(), doc.bytesPerSample(), depths.sourceBits, depths.outputBits, &error))
        << error;
    TiffStackShape shape{doc.width(), doc.height(), builder.OutputBits(), 4};
    shape.largeStackThreshold = 0;
    const std::string path = Path("s.tif");
    TiffStackWriter writer;
    // Without images=4 in the description no reader could find pages 2 to 4.
    EXPECT_FALSE(writer.Open(path, shape, "described", &error));
    EXPECT_NE(error.find("4 images"), std::string::npos) << error;
    EXPECT_TRUE(Names().empty());

    const std::string description = zel::ImageJStackDescription(4, 1000);
    ASSERT_TRUE(writer.Open(path, shape, description, &error)) << error;
    EXPECT_EQ(writer.Layout(), TiffStackLayout::ImageJLarge);
    std::string numbered;  // frames 1 to 4 as the numbered files hold them
    for (int n = 1; n <= 4; ++n) {
        ASSERT_EQ(doc.ShowFrame(n), 1);
        ASSERT_TRUE(writer.AddPage(builder.Page(doc.samples()), &error)) << error;
        ASSERT_EQ(doc.ExportFrame(n, 1, Path("f.tif"), depths.sourceBits, depths.outputBits), 1) << doc.ExportError();
        const TiffContents single = ReadTiff(Path("f.tif"));
        ASSERT_EQ(single.pages.size(), 1u);
        numbered.append(single.pages[0].pixels.begin(), single.pages[0].pixels.end());
    }
    fs::remove(Path("f.tif"));
    ASSERT_TRUE(writer.Commit(&error)) << error;

    const TiffContents stack = ReadTiff(path);
    EXPECT_EQ(stack.problems, "");
    EXPECT_FALSE(stack.bigTiff);
    ASSERT_EQ(stack.pages.size(), 1u);
    EXPECT_EQ(stack.pages[0].description, description);
    EXPECT_EQ(stack.pages[0].bits, outputBits);
    const size_t pageBytes = numbered.size() / 4;
    EXPECT_EQ(stack.pages[0].pixels.size(), pageBytes);
    const std::string raw = Slurp(path);
    const size_t start = stack.pages[0].offset;
    uint32_t directory = 0;
    ASSERT_GT(raw.size(), 8u);
    std::memcpy(&directory, raw.data() + 4, sizeof directory);  // little-endian, as the host
    EXPECT_LT(directory, start);
    EXPECT_LT(raw.find(description), start);
    EXPECT_EQ(raw.size(), start + numbered.size());
    EXPECT_TRUE(raw.substr(start) == numbered);  // every page, back to back
    EXPECT_NE(numbered.substr(0, pageBytes), numbered.substr(2 * pageBytes, pageBytes));

    const std::optional<ProcessResult> r =
        Tifffile("s = t.series[0]\nprint(len(t.pages), s.shape, s.asarray().tobytes().hex())", path);
    if (!r) GTEST_SKIP() << "no tifffile for /usr/bin/python3";
    ASSERT_EQ(r->exitCode, 0) << r->err;
    EXPECT_TRUE(r->out == "1 (4, 16, 36) " + Hex(numbered) + "\n") << r->out.substr(0, 40);
}

INSTANTIATE_TEST_SUITE_P(Depths, ImageJLargeStack, ::testing::Values(16, 8),
                         [](const ::testing::TestParamInfo<int>& test) { return "At" + std::to_string(test.param); });

TEST(TiffPageBuilder, RefusesWhatTheNumberedFilesRefuse) {
    zel::TiffPageBuilder builder;
    std::string error;
    EXPECT_FALSE(builder.Prepare(8, 8, 2, 0, 16, &error));  // a depth the conversion has no rule for
    EXPECT_NE(error.find("0-bit samples"), std::string::npos) << error;
    EXPECT_FALSE(builder.Prepare(8, 8, 2, 12, 12));
    EXPECT_FALSE(builder.Prepare(70000, 8, 2, 12, 16));
    EXPECT_EQ(builder.Page(Bytes({1, 2}).data()), nullptr);
    const std::vector<uint16_t> samples{0x0FFF, 0x0010};
    ASSERT_TRUE(builder.Prepare(2, 1, 2, 12, 8));
    const auto* page = static_cast<const uint8_t*>(builder.Page(samples.data()));
    EXPECT_EQ(std::vector<uint8_t>(page, page + 2), Bytes({255, 1}));
    ASSERT_TRUE(builder.Prepare(2, 1, 2, 16, 16));
    EXPECT_EQ(builder.Page(samples.data()), samples.data());  // written as they stand
}

// ---- The command line ----

void WithGainCorrection(zelgen::MovieSpec& s) {
    s.correction.kind = 9;
    s.correction.width = s.width;
    s.correction.height = s.height;
    for (int i = 0; i < s.width * s.height; ++i) {
        s.correction.offsets.push_back(static_cast<int16_t>(i % 7));
        s.correction.gains.push_back(static_cast<int16_t>(400 + i % 250));
    }
}

class CliStack : public FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
        movie = Path("m.zel");
        const TempFile source;
        WriteTestMovie(source, 4, 48, 16, 6, [](int n, int x, int y) { return Sample(n, x, y, 4095); },
                       WithGainCorrection);
        fs::copy_file(source.path(), movie);
    }
    ProcessResult Convert(const std::string& output, const std::string& options) const {
        return RunCommand(Cli() + " convert " + Quote(movie) + " " + Quote(output) + " " + options);
    }
    std::string movie;
};

TEST_F(CliStack, PagesEqualTheNumberedFilesAtBothDepths) {
    for (const std::string bits : {"16", "8"}) {
        const std::string stack = Path("s" + bits + ".tif");
        const ProcessResult r = Convert(stack, "--stack --start 1 --end 4 --bits " + bits);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        ASSERT_EQ(Convert(Path("n" + bits + ".tif"), "--start 1 --end 4 --jobs 1 --bits " + bits).exitCode, 0);

        const TiffContents pages = ReadTiff(stack);
        EXPECT_EQ(pages.problems, "");
        ASSERT_EQ(pages.pages.size(), 4u);
        for (int n = 1; n <= 4; ++n) {
            const TiffContents single = ReadTiff(zel::NumberedFileName(folder.string() + "/", "n" + bits, n, ".tif"));
            ASSERT_EQ(single.pages.size(), 1u);
            EXPECT_EQ(pages.pages[n - 1].bits, std::stoi(bits));
            EXPECT_EQ(pages.pages[n - 1].pixels, single.pages[0].pixels) << bits << " bits, frame " << n;
        }
        EXPECT_NE(pages.pages[0].pixels, pages.pages[2].pixels);
        ExpectBackToBack(pages, stack);
        zel::CMovieReader reader;
        ASSERT_EQ(reader.Open(movie, 1), 1);
        ASSERT_GT(reader.Parameters().framePeriodUs, 0);
        EXPECT_EQ(pages.pages[0].description, zel::ImageJStackDescription(4, reader.Parameters().framePeriodUs));
    }
}

// --bigtiff: a directory per page whatever the size, said on stderr; only with --stack.
TEST_F(CliStack, BigTiffOnRequest) {
    ProcessResult r = Convert(Path("n.tif"), "--bigtiff");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--bigtiff requires --stack"), std::string::npos) << r.err;
    EXPECT_EQ(Names(), std::vector<std::string>{"m.zel"});

    r = Convert(Path("s.tif"), "--stack --bigtiff --start 1 --end 4");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "zeltiff16-cli: written as BigTIFF (a directory per page), as --bigtiff asks; ImageJ 1.x "
                     "cannot open it\n");
    ASSERT_EQ(Convert(Path("n.tif"), "--start 1 --end 4 --jobs 1").exitCode, 0);
    const TiffContents pages = ReadTiff(Path("s.tif"));
    EXPECT_EQ(pages.problems, "");
    EXPECT_TRUE(pages.bigTiff);
    ASSERT_EQ(pages.pages.size(), 4u);
    for (int n = 1; n <= 4; ++n) {
        const TiffContents single = ReadTiff(zel::NumberedFileName(folder.string() + "/", "n", n, ".tif"));
        ASSERT_EQ(single.pages.size(), 1u);
        EXPECT_EQ(pages.pages[n - 1].pixels, single.pages[0].pixels) << "frame " << n;
    }
    ExpectBackToBack(pages, Path("s.tif"));
}

TEST_F(CliStack, NamesRefusalsAndFailures) {
    fs::create_directory(Path("out"));
    ProcessResult r = Convert(Path("out"), "--stack");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(FilesIn(Path("out")), std::vector<std::string>{"m.tif"});  // named after the movie
    EXPECT_EQ(ReadTiff(Path("out/m.tif")).pages.size(), 6u);

    const std::string original = Slurp(movie);
    r = Convert(movie, "--stack");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("is the movie"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(movie), original);

    // A file size limit stops the stack part-way: the reason is named, the old file kept.
    Put(Path("s.tif"), "old");
    r = RunCommand("trap '' XFSZ; ulimit -f 8; " + Cli() + " convert " + Quote(movie) + " " + Quote(Path("s.tif")) +
                   " --stack");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot write " + Path("s.tif") + ": File too large"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(Path("s.tif")), "old");
    EXPECT_EQ(Names(), (std::vector<std::string>{"m.zel", "out", "s.tif"}));
}

TEST_F(CliStack, AnInterruptedStackLeavesTheOldFile) {
    constexpr int W = 1024, H = 1024;
    const TempFile big;
    WriteTestMovie(big, 6, W, H, 40, [](int n, int x, int y) { return Sample(n, x, y, 1023); });
    const std::string path = Path("s.tif");
    Put(path, "old");
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string command = "exec " + Cli() + " convert " + Quote(big.path()) + " " + Quote(path) +
                                    " --stack 2>/dev/null";
        ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        ::_exit(127);
    }
    ASSERT_GT(child, 0);
    const auto started = [&] {  // the stack's temporary file is there
        for (const std::string& name : Names())
            if (name.find(".partial") != std::string::npos) return true;
        return false;
    };
    for (int i = 0; i < 5000 && !started(); ++i) std::this_thread::sleep_for(std::chrono::microseconds(200));
    ::kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 0) GTEST_SKIP() << "the stack was finished before the signal arrived";
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_EQ(Names(), (std::vector<std::string>{"m.zel", "s.tif"}));
    EXPECT_EQ(Slurp(path), "old");
}

// tifffile, as Python users read stacks, sees ImageJ's metadata and one series of frames.
TEST_F(CliStack, TifffileReadsTheImageJMetadata) {
    const std::string python = "/usr/bin/python3";
    if (!fs::exists(python) || RunCommand(python + " -c 'import tifffile'").exitCode != 0)
        GTEST_SKIP() << "no tifffile for " << python;
    ASSERT_EQ(Convert(Path("s.tif"), "--stack --start 2").exitCode, 0);
    zel::CMovieReader reader;
    ASSERT_EQ(reader.Open(movie, 1), 1);
    const std::string script =
        "import sys, tifffile\n"
        "t = tifffile.TiffFile(sys.argv[1])\n"
        "m = t.imagej_metadata\n"
        "print(len(t.pages), m['images'], m['frames'], round(m['finterval'] * 1e6), m['tunit'], t.series[0].shape)\n";
    const ProcessResult r = RunCommand(python + " -c " + Quote(script) + " " + Quote(Path("s.tif")));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "4 4 4 " + std::to_string(reader.Parameters().framePeriodUs) + " s (4, 16, 48)\n");
}

}  // namespace
