// The document: open, display depth, gain, conversion range, per-frame export and the
// measurements, on movies written by the movie writer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DocumentFixture.h"
#include "TempFile.h"
#include "TempFolder.h"
#include "document/ZelfDoc.h"
#include "imaging/TiffImage.h"

using namespace zeltest;

namespace {

struct CountingObserver : zel::DocumentObserver {
    int repaints = 0, updates = 0;
    void RepaintViews() override { ++repaints; }
    void UpdateAllViews() override { ++updates; }
};

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Pixel values of a TIFF written by ExportFrame (the pixels start at byte 200).
std::vector<uint32_t> TiffPixels(const std::string& path, int bits) {
    const auto bytes = FileBytes(path);
    std::vector<uint32_t> pixels;
    for (size_t i = 200; i + (bits / 8) <= bytes.size(); i += bits / 8)
        pixels.push_back(bits == 8 ? bytes[i] : static_cast<uint32_t>(bytes[i] | bytes[i + 1] << 8));
    return pixels;
}

// Distinct value per pixel: 1 + y * width + x (and + frame).
uint16_t Position(int frame, int x, int y) { return static_cast<uint16_t>(1 + y * 64 + x + frame); }

}  // namespace

TEST(Document, OpenSetsTheStateAndAutomaticDepth) {
    const struct {
        uint16_t peak;
        int autoDepth;
    } cases[] = {{512, 10}, {511, 9}, {0, 1}, {1, 1}, {1023, 10}};
    for (const auto& c : cases) {
        TempFile movie;
        WriteTestMovie(movie, 6, 64, 32, 3, [&](int n, int x, int y) {
            return static_cast<uint16_t>(n == 0 && x == 5 && y == 7 ? c.peak : 0);
        });
        zel::CZelfDoc doc;
        ASSERT_TRUE(doc.OpenMovie(movie.path(), false)) << doc.OpenError();
        EXPECT_EQ(doc.autoDepth(), c.autoDepth) << c.peak;
        EXPECT_EQ(doc.frameCount(), 3);
        EXPECT_EQ(doc.convertFirst(), 0);
        EXPECT_EQ(doc.convertLast(), 2);
        EXPECT_EQ(doc.convertAllFrames(), 1);
        EXPECT_EQ(doc.gainIndex(), 1);
        EXPECT_EQ(doc.CurrentDisplayDepth(), 10);
        EXPECT_EQ(doc.bytesPerSample(), 2);
        EXPECT_EQ(doc.movieTitle(), movie.path().substr(movie.path().rfind('/') + 1));
        EXPECT_EQ(doc.displayBitmap(), nullptr);  // built when a view attaches or asks
        ASSERT_NE(doc.DisplayPixels(), nullptr);
    }
    zel::CZelfDoc broken;
    EXPECT_FALSE(broken.OpenMovie("/nonexistent.zel", true));
    EXPECT_FALSE(broken.OpenError().empty());
    EXPECT_EQ(broken.reader(), nullptr);
}

TEST(Document, EightBitMovieKeepsOneBytePerSample) {
    TempFile movie;
    WriteTestMovie(movie, -1, 16, 8, 2, [](int n, int x, int y) { return static_cast<uint16_t>(n * 100 + x + y); });
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), true));
    EXPECT_EQ(doc.bytesPerSample(), 1);
    EXPECT_EQ(doc.correctionOn(), 1);
    EXPECT_EQ(doc.reader()->Parameters().correctionKind, 0);
    EXPECT_EQ(doc.CurrentDisplayDepth(), 8);
    int16_t r = 0, g = 0, b = 0;
    EXPECT_EQ(doc.ShowFrame(1), 1);
    EXPECT_GE(doc.GetPointValue(15, 7, r, g, b), 0);
    EXPECT_EQ(std::max({r, g, b}), 100 + 22);
    int16_t profile[16];
    ASSERT_EQ(doc.GetProfile(0, 7, 16, 7, 16, profile), 16);
    EXPECT_EQ(profile[15], 100 + 22);
    zel::AoiStatistics stats;
    EXPECT_DOUBLE_EQ(doc.GetAoiStatistics(15, 7, 15, 7, stats), 122.0);
}

TEST(Document, ConversionRange) {
    TempFile movie;
    WriteTestMovie(movie, 6, 16, 8, 5, Position);
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    EXPECT_EQ(doc.SetConversionRange(4, 4, 0), 1);
    EXPECT_EQ(doc.convertFirst(), 4);
    EXPECT_EQ(doc.convertAllFrames(), 0);
    EXPECT_EQ(doc.SetConversionRange(1, 5, 0), 0);
    EXPECT_EQ(doc.SetConversionRange(-1, 2, 0), 0);
    EXPECT_EQ(doc.SetConversionRange(3, 2, 0), 0);
    EXPECT_EQ(doc.convertFirst(), 4);
    EXPECT_EQ(doc.convertLast(), 4);
    EXPECT_EQ(doc.SetConversionRange(-7, 99, 1), 1);
    EXPECT_EQ(doc.convertFirst(), 0);
    EXPECT_EQ(doc.convertLast(), 4);
    EXPECT_EQ(doc.convertAllFrames(), 1);
}

TEST(Document, ExportFrameDepths) {
    TempFile eight, twelve, out(".tif");
    WriteTestMovie(eight, -1, 16, 8, 2, [](int, int x, int) { return static_cast<uint16_t>(x); });
    WriteTestMovie(twelve, 4, 16, 16, 2, [](int, int x, int) { return static_cast<uint16_t>(x == 0 ? 4095 : x == 1 ? 15 : 16 * x); });

    zel::CZelfDoc doc8;
    ASSERT_TRUE(doc8.OpenMovie(eight.path(), true));
    ASSERT_EQ(doc8.ExportFrame(1, 1, out.path(), 8, 16), 1);
    EXPECT_EQ(TiffPixels(out.path(), 16)[1], 256u);
    ASSERT_EQ(doc8.ExportFrame(1, 1, out.path(), 8, 8), 1);
    EXPECT_EQ(TiffPixels(out.path(), 8)[5], 5u);
    // More source bits than an 8-bit movie holds never reads past its samples.
    EXPECT_EQ(doc8.ExportFrame(1, 1, out.path(), 12, 16), 1);

    zel::CZelfDoc doc12;
    ASSERT_TRUE(doc12.OpenMovie(twelve.path(), true));
    ASSERT_EQ(doc12.ExportFrame(0, 1, out.path(), 12, 8), 1);
    const auto small = TiffPixels(out.path(), 8);
    EXPECT_EQ(small[0], 255u);
    EXPECT_EQ(small[1], 0u);
    EXPECT_EQ(small[2], 2u);
    // 16-bit output of a 12-bit movie writes the document's own TIFF block as it is.
    ASSERT_EQ(doc12.ExportFrame(1, 1, out.path(), 16, 16), 1);
    const auto bytes = FileBytes(out.path());
    ASSERT_EQ(bytes.size(), 200u + 16 * 16 * 2);  // the TIFF head, then the samples
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), doc12.tiffImageData()));
    EXPECT_EQ(TiffPixels(out.path(), 16)[0], 4095u);

    EXPECT_EQ(doc12.ExportFrame(2, 1, out.path(), 16, 16), 0);
    EXPECT_EQ(doc12.ExportFrame(0, 1, out.path(), 17, 16), 0);
    EXPECT_EQ(doc12.ExportFrame(0, 1, out.path(), 16, 12), 0);
}

TEST(Document, ExportFrameShowsTheFrameAndRefusesUnreadableOnes) {
    TempFile movie, out(".tif");
    WriteTestMovie(movie, 6, 64, 32, 4, Position);
    {
        // Cut the file inside frame 3.
        auto bytes = FileBytes(movie.path());
        bytes.resize(bytes.size() - 10);
        movie.Write(bytes);
    }
    zel::CZelfDoc doc;
    CountingObserver views;
    doc.AttachObserver(&views);
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    EXPECT_EQ(doc.frameCount(), 4);
    ASSERT_EQ(doc.ExportFrame(2, 0, "", 16, 16), 1);
    EXPECT_EQ(doc.CurrentFrame(), 2);
    EXPECT_EQ(doc.SampleAt(0), Position(2, 0, 0));
    EXPECT_EQ(views.repaints, 1);
    // The display shows frame 2 at gain 1: the sample at (63, 0) is 66, shown as 66 >> 2.
    EXPECT_EQ(doc.DisplayPixels()[31 * 64 + 63], 16);
    EXPECT_EQ(doc.ExportFrame(3, 1, out.path(), 16, 16), 0);
    EXPECT_TRUE(FileBytes(out.path()).empty());
    EXPECT_EQ(doc.SampleAt(0), Position(2, 0, 0));
}

TEST(Document, GainChangesRenderOnlyOnChange) {
    TempFile movie;
    WriteTestMovie(movie, 4, 16, 16, 1, [](int, int x, int y) { return static_cast<uint16_t>(x == 3 && y == 4 ? 4000 : 100); });
    zel::CZelfDoc doc;
    CountingObserver views;
    doc.AttachObserver(&views);
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    const int updates = views.updates;
    doc.SetGain(1);
    EXPECT_EQ(views.updates, updates);
    doc.SetGain(0);
    EXPECT_EQ(views.updates, updates + 1);
    EXPECT_EQ(doc.CurrentDisplayDepth(), 12);
    doc.SetGain(3);
    EXPECT_EQ(doc.CurrentDisplayDepth(), 10);
    // 100 at depth 10 renders as 25; the bitmap is bottom-up, so row 0 is the last row.
    EXPECT_EQ(doc.DisplayPixels()[15 * 16], 25);
}

TEST(Document, PointValues) {
    TempFile mono, colour;
    WriteTestMovie(mono, 0, 64, 32, 1, Position, [](zelgen::MovieSpec& s) { s.newerLayout = false; s.cameraCode = "rwm7"; s.modeWord = 0; });
    WriteTestMovie(colour, 6, 64, 32, 1, Position, [](zelgen::MovieSpec& s) { s.modeWord = 0x12; });
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(mono.path(), false));
    ASSERT_EQ(doc.reader()->Parameters().colorPattern, 0);
    int16_t r = -9, g = -9, b = -9;
    EXPECT_EQ(doc.GetPointValue(64, 0, r, g, b), -1);
    EXPECT_EQ(doc.GetPointValue(0, -1, r, g, b), -1);
    EXPECT_EQ(r, -9);
    EXPECT_EQ(doc.GetPointValue(3, 2, r, g, b), 0);
    EXPECT_EQ(r, Position(0, 3, 2));
    EXPECT_EQ(g, r);
    EXPECT_EQ(b, r);

    zel::CZelfDoc mosaic;
    ASSERT_TRUE(mosaic.OpenMovie(colour.path(), false));
    ASSERT_EQ(mosaic.reader()->Parameters().colorPattern, 2);
    EXPECT_EQ(mosaic.GetPointValue(1, 0, r, g, b), 1);
    EXPECT_EQ(r, Position(0, 1, 0));
    EXPECT_EQ(g, 0);
    EXPECT_EQ(mosaic.GetPointValue(0, 1, r, g, b), 4);
    EXPECT_EQ(b, Position(0, 0, 1));
    EXPECT_EQ(mosaic.GetPointValue(0, 0, r, g, b), 2);
    EXPECT_EQ(mosaic.GetPointValue(1, 1, r, g, b), 2);
    EXPECT_EQ(g, Position(0, 1, 1));
}

TEST(Document, ProfileSampling) {
    TempFile movie;
    WriteTestMovie(movie, 6, 64, 32, 1, Position);
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    int16_t v[16] = {};
    ASSERT_EQ(doc.GetProfile(2, 3, 7, 3, 5, v), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(v[i], Position(0, 2 + i, 3));

    // Toward (10, -3): y offset T(x * -3 / 10 + 0.5): 0 up to x = 4, -1 from x = 5 (outside: 0).
    ASSERT_EQ(doc.GetProfile(0, 0, 10, -3, 10, v), 10);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(v[x], Position(0, x, 0)) << x;
    for (int x = 5; x < 10; ++x) EXPECT_EQ(v[x], 0) << x;

    ASSERT_EQ(doc.GetProfile(5, 5, 5, 9, 4, v), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(v[i], Position(0, 5, 5 + i));

    // Leftwards and leaving the frame on the left.
    ASSERT_EQ(doc.GetProfile(2, 1, -3, 1, 5, v), 5);
    EXPECT_EQ(v[0], Position(0, 2, 1));
    EXPECT_EQ(v[2], Position(0, 0, 1));
    EXPECT_EQ(v[3], 0);

    EXPECT_EQ(doc.GetProfile(1, 1, 9, 9, 0, v), 0);
    // A zero-length line: only its start point.
    ASSERT_EQ(doc.GetProfile(4, 4, 4, 4, 3, v), 1);
    EXPECT_EQ(v[0], Position(0, 4, 4));
}

TEST(Document, AoiRectangleIsSortedBeforeMeasuring) {
    TempFile movie;
    WriteTestMovie(movie, 0, 64, 32, 1, [](int, int x, int y) { return static_cast<uint16_t>(x + 10 * y); },
                   [](zelgen::MovieSpec& s) { s.newerLayout = false; s.cameraCode = "rwm7"; s.modeWord = 0; });
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    zel::AoiStatistics stats;
    const double average = doc.GetAoiStatistics(20, 30, 10, 5, stats);
    // Columns 10..20 and rows 5..30 of x + 10 y.
    EXPECT_DOUBLE_EQ(average, 15 + 10 * 17.5);
    EXPECT_EQ(stats.red.minimum, 10 + 50);
    EXPECT_EQ(stats.red.maximum, 20 + 300);
    EXPECT_EQ(stats.blue.maximum, 20 + 300);
}

TEST(Document, AFailedOpenLeavesTheOpenMovieAsItWas) {
    TempFile movie, other;
    WriteTestMovie(movie, 6, 64, 32, 4, Position);
    WriteTestMovie(other, 6, 16, 8, 2, [](int, int, int) { return uint16_t{7}; });
    zel::CZelfDoc doc;
    CountingObserver views;
    doc.AttachObserver(&views);
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    ASSERT_EQ(doc.ShowFrame(2), 1);
    const void* samples = doc.samples();
    const uint8_t* bitmap = doc.displayBitmap();
    const int updates = views.updates;

    EXPECT_FALSE(doc.OpenMovie("/nonexistent.zel", true));
    EXPECT_EQ(doc.LastOpenFailure().code, zel::ProblemCode::CannotOpenFile);
    EXPECT_EQ(views.updates, updates);
    ASSERT_NE(doc.reader(), nullptr);
    EXPECT_EQ(doc.pathName(), movie.path());
    EXPECT_EQ(doc.samples(), samples);
    EXPECT_EQ(doc.displayBitmap(), bitmap);
    EXPECT_EQ(doc.SampleAt(0), Position(2, 0, 0));
    ASSERT_EQ(doc.ShowFrame(3), 1);
    EXPECT_EQ(doc.SampleAt(0), Position(3, 0, 0));

    // A second movie replaces the first whole, and the views hear of it once it is in place.
    ASSERT_TRUE(doc.OpenMovie(other.path(), false));
    EXPECT_EQ(views.updates, updates + 1);
    EXPECT_EQ(doc.width(), 16);
    EXPECT_EQ(doc.frameCount(), 2);
    EXPECT_EQ(doc.SampleAt(16 * 8 - 1), 7);
    EXPECT_NE(doc.displayBitmap(), nullptr);
}

TEST(Document, EveryViewHearsOnlyFinishedOperations) {
    TempFile movie;
    WriteTestMovie(movie, 6, 64, 32, 3, Position);
    TempFolder out;
    const std::string tiff = out.path + "/f.tif";
    zel::CZelfDoc doc;
    // When told of the repaint, the view finds the file written and the frame rendered.
    struct Checking : CountingObserver {
        zel::CZelfDoc* doc = nullptr;
        std::string tiff;
        bool fileThere = false;
        int shownTop = -1;
        void RepaintViews() override {
            CountingObserver::RepaintViews();
            fileThere = std::filesystem::exists(tiff);
            shownTop = doc->DisplayRowsView().Row(0)[0];
        }
    } first;
    first.doc = &doc;
    first.tiff = tiff;
    CountingObserver second;
    doc.AttachObserver(&first);
    doc.AttachObserver(&second);
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    ASSERT_EQ(doc.ExportFrame(2, 1, tiff, 16, 16), 1);
    EXPECT_TRUE(first.fileThere);
    EXPECT_EQ(first.shownTop, Position(2, 0, 0) >> 2);
    EXPECT_EQ(second.repaints, 1);
    doc.DetachObserver(&second);
    doc.SetGain(2);
    EXPECT_EQ(first.updates, second.updates + 1);
}

TEST(Document, DisplayRowsStayPutUntilAnOpen) {
    TempFile movie;
    WriteTestMovie(movie, 6, 30, 4, 2, Position, [](zelgen::MovieSpec& s) {  // rows padded to 32 bytes
        s.correction.kind = 3;
        s.correction.width = 30;
        s.correction.height = 4;
    });
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    const zel::DisplayRows rows = doc.DisplayRowsView();
    ASSERT_NE(rows.bits, nullptr);
    EXPECT_EQ(rows.stride, 32);
    EXPECT_TRUE(rows.bottomUp);
    EXPECT_EQ(rows.Row(0), rows.bits + 3 * 32);
    EXPECT_EQ(rows.Row(1)[29], Position(0, 29, 1) >> 2);
    ASSERT_EQ(doc.ShowFrame(1), 1);
    doc.SetGain(0);
    ASSERT_EQ(doc.ShowCorrectionData(1), 1);  // rendered in place, not rebuilt
    EXPECT_EQ(doc.DisplayRowsView().bits, rows.bits);
    ASSERT_EQ(doc.ShowCorrectionData(0), 1);
    EXPECT_EQ(doc.DisplayRowsView().bits, rows.bits);
    EXPECT_EQ(doc.DisplayRowsView().Row(0)[0], Position(1, 0, 0));  // auto depth 8: shown as it is
}

TEST(Document, TopDownDisplayStoresTheTopRowFirst) {
    TempFile movie;
    WriteTestMovie(movie, 6, 30, 4, 2, Position);
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    CountingObserver views;
    doc.AttachObserver(&views);
    doc.UseTopDownDisplay();
    EXPECT_EQ(views.updates, 1);  // a new bitmap: the views hear of it
    const zel::DisplayRows rows = doc.DisplayRowsView();
    EXPECT_FALSE(rows.bottomUp);
    EXPECT_EQ(rows.Row(0), rows.bits);
    EXPECT_EQ(rows.Row(3)[29], Position(0, 29, 3) >> 2);
    int32_t storedHeight = 0;
    std::memcpy(&storedHeight, doc.displayBitmap() + 8, 4);
    EXPECT_EQ(storedHeight, -4);  // a top-down bitmap says so in its header
    ASSERT_EQ(doc.ShowFrame(1), 1);
    EXPECT_EQ(doc.DisplayRowsView().Row(0)[0], Position(1, 0, 0) >> 2);
}

// The screen layout shows what the grey bytes show, at every gain, frame after frame.
TEST(Document, ScreenPixelsAreTheGreyDisplayWidened) {
    TempFile movie;
    WriteTestMovie(movie, 6, 30, 4, 3, [](int n, int x, int y) {
        return static_cast<uint16_t>((n * 97 + x * 31 + y * 7) * 5 % 1024);  // every level, dark to saturated
    });
    zel::CZelfDoc grey, screen;
    ASSERT_TRUE(grey.OpenMovie(movie.path(), false));
    ASSERT_TRUE(screen.OpenMovie(movie.path(), false));
    CountingObserver greyView, screenView;
    grey.AttachObserver(&greyView);
    screen.AttachObserver(&screenView);
    screen.UseXrgbDisplay();
    EXPECT_EQ(screenView.updates, 1);  // a new bitmap: the views hear of it
    screen.UseTopDownDisplay();
    EXPECT_EQ(screenView.updates, 2);
    screen.UseXrgbDisplay();  // already so: nothing changes
    EXPECT_EQ(screenView.updates, 2);
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_EQ(grey.ShowFrame(frame), 1);
        ASSERT_EQ(screen.ShowFrame(frame), 1);
        for (int gain = 0; gain <= 7; ++gain) {
            grey.SetGain(gain);
            screen.SetGain(gain);
            const zel::DisplayRows g = grey.DisplayRowsView(), s = screen.DisplayRowsView();
            ASSERT_EQ(s.bytesPerPixel, 4);
            ASSERT_EQ(s.Columns(), 32);
            ASSERT_EQ(s.stride, 128);
            ASSERT_EQ(g.Columns(), 32);
            ASSERT_FALSE(s.bottomUp);
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 32; ++x) {
                    uint32_t word = 0;
                    std::memcpy(&word, s.Row(y) + 4 * x, 4);
                    ASSERT_EQ(word, 0xFF000000u | g.Row(y)[x] * 0x010101u)
                        << "frame " << frame << " gain " << gain << " at " << x << ", " << y;
                }
            }
        }
    }
}

TEST(Document, RunsRefuseWhatWouldReplaceTheirBuffers) {
    TempFile movie;
    WriteTestMovie(movie, 6, 64, 32, 3, Position, [](zelgen::MovieSpec& s) {
        s.correction.kind = 3;
        s.correction.width = 64;
        s.correction.height = 32;
    });
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), true));
    const zel::RunOutcome run = doc.RunFrames({1, 1}, [&](int) {
        EXPECT_FALSE(doc.OpenMovie(movie.path(), true));
        EXPECT_EQ(doc.LastOpenFailure().code, zel::ProblemCode::RunInProgress);
        EXPECT_EQ(doc.ShowCorrectionData(1), 0);
        EXPECT_EQ(doc.ApplyBlackBalance(movie.path()).code, zel::ProblemCode::RunInProgress);
        EXPECT_FALSE(doc.BlackBalanced());
        EXPECT_EQ(doc.ShowFrame(2), 1);  // what runs do is allowed
        return zel::Problem{};
    });
    EXPECT_TRUE(run.Completed());
    EXPECT_EQ(doc.ShowCorrectionData(1), 1);
    EXPECT_TRUE(doc.OpenMovie(movie.path(), true));
}

TEST(Document, ExportFrameNeverWritesOverItsInputsOrWritesBlack) {
    TempFile movie;
    WriteTestMovie(movie, 6, 64, 32, 2, Position);
    TempFolder out;
    const std::string link = out.path + "/link.tif";
#ifdef _WIN32  // a symbolic link needs a privilege there; a hard link is the movie too
    std::filesystem::create_hard_link(movie.path(), link);
#else
    std::filesystem::create_symlink(movie.path(), link);
#endif
    const auto original = FileBytes(movie.path());
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    for (const std::string& target : {movie.path(), link}) {
        EXPECT_EQ(doc.ExportFrame(1, 1, target, 16, 16), 0) << target;
        EXPECT_NE(doc.ExportError().find("is the movie"), std::string::npos);
    }
    EXPECT_EQ(FileBytes(movie.path()), original);
    EXPECT_TRUE(doc.IsInputFile(link));
    EXPECT_FALSE(doc.IsInputFile(out.path + "/new.tif"));
    // Source bits of 0 would make every pixel black.
    EXPECT_EQ(doc.ExportFrame(1, 1, out.path + "/black.tif", 0, 8), 0);
    // A write that fails says why.
    EXPECT_EQ(doc.ExportFrame(1, 1, out.path + "/missing/x.tif", 16, 16), 0);
    EXPECT_NE(doc.ExportError().find("No such file or directory"), std::string::npos) << doc.ExportError();
    EXPECT_EQ(FilesIn(out.path), std::vector<std::string>{"link.tif"});
}
