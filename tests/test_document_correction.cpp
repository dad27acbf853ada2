// Black balance from a dark reference movie, the frame averaging behind it, and the
// display of the correction data.

#include <gtest/gtest.h>

#include <cstdlib>

#include "DocumentFixture.h"
#include "TempFile.h"
#include "document/ZelfDoc.h"

using namespace zeltest;

namespace {

constexpr int W = 32, H = 16;

// A 10-bit raster movie (kind 3 correction with zero offsets unless adjusted).
void WriteCorrected(const TempFile& file, int kind, const SampleFunction& f, int frames = 2,
                    const std::function<void(zelgen::CorrectionSpec&)>& tables = {}) {
    WriteTestMovie(file, 6, W, H, frames, f, [&](zelgen::MovieSpec& s) {
        s.correction.kind = kind;
        s.correction.width = W;
        s.correction.height = H;
        if (tables) tables(s.correction);
    });
}

}  // namespace

TEST(AverageFrames, UsesAtMostSixteenFramesAndTruncates) {
    const struct {
        int frames;
        int expected;  // average of frame values n * 3 over the frames used
    } cases[] = {{3, 3}, {40, 22}, {1, 0}};
    for (const auto& c : cases) {
        TempFile dark;
        WriteCorrected(dark, 0, [](int n, int, int) { return static_cast<uint16_t>(n * 3); }, c.frames);
        std::vector<uint16_t> buffer(W * H, 7);
        zel::ReferenceInfo info;
        ASSERT_EQ(zel::AverageFrames(dark.path(), buffer.data(), W * H * 2, &info), 1) << info.problem.Text();
        EXPECT_EQ(buffer[0], c.expected) << c.frames << " frames";  // 40 frames: (0 + ... + 45) / 16 = 22
    }
    TempFile three;
    WriteCorrected(three, 0, [](int n, int, int) { return static_cast<uint16_t>(n == 0 ? 10 : n == 1 ? 11 : 13); }, 3);
    std::vector<uint16_t> buffer(W * H);
    ASSERT_EQ(zel::AverageFrames(three.path(), buffer.data(), W * H * 2), 1);
    EXPECT_EQ(buffer[5], 11);  // 34 / 3
    // Too small a buffer, no frames, no file.
    EXPECT_EQ(zel::AverageFrames(three.path(), buffer.data(), W * H * 2 - 1), 0);
    TempFile empty;
    WriteCorrected(empty, 0, [](int, int, int) { return uint16_t{0}; }, 0);
    zel::ReferenceInfo info;
    EXPECT_EQ(zel::AverageFrames(empty.path(), buffer.data(), W * H * 2, &info), 0);
    EXPECT_NE(info.problem.Text().find("no frames"), std::string::npos);
    EXPECT_EQ(zel::AverageFrames("/nonexistent.zel", buffer.data(), W * H * 2), 0);
}

// Also with the next frame decoded ahead: the frame after the balance is balanced too.
TEST(BlackBalance, SubtractsTheDarkLevelFromEveryLaterFrame) {
    for (const int kind : {3, 9, -3, -9}) {  // negative: decoding ahead
        TempFile movie, dark;
        WriteCorrected(movie, std::abs(kind), [](int n, int x, int) { return static_cast<uint16_t>(200 + n + x); }, 3);
        WriteCorrected(dark, 0, [](int n, int x, int) { return static_cast<uint16_t>(x == 0 ? 250 : 20 + n); }, 2);
        zel::CZelfDoc doc;
        doc.SetDecodeAhead(kind < 0);
        ASSERT_TRUE(doc.OpenMovie(movie.path(), true));
        ASSERT_EQ(doc.ShowFrame(1), 1);
        const int before = doc.SampleAt(3);
        const zel::Problem problem = doc.ApplyBlackBalance(dark.path());
        ASSERT_FALSE(problem) << problem.Text();
        EXPECT_TRUE(doc.BlackBalanced());
        // The dark level averages to 20 (frames 20 and 21); the frame shown was read again.
        EXPECT_EQ(doc.reader()->OffsetTable()[3], -20);
        EXPECT_EQ(doc.CurrentFrame(), 1);
        if (std::abs(kind) == 3) {
            EXPECT_EQ(before, 204);
            EXPECT_EQ(doc.SampleAt(3), 204 - 20);
            EXPECT_EQ(doc.SampleAt(0), 0);  // 201 - 250 clamps at black
            ASSERT_EQ(doc.ShowFrame(2), 1);
            EXPECT_EQ(doc.SampleAt(3), 205 - 20);
        } else {
            // Gain 1.0 (512) and pedestal 32: 32 + (v - dark).
            EXPECT_EQ(doc.SampleAt(3), 32 + 204 - 20);
        }
    }
}

TEST(BlackBalance, UnusableReferencesChangeNothing) {
    TempFile movie, small, eight, empty;
    WriteCorrected(movie, 3, [](int, int, int) { return uint16_t{300}; });
    WriteTestMovie(small, 6, 16, 16, 2, [](int, int, int) { return uint16_t{5}; });
    WriteTestMovie(eight, -1, W, H, 2, [](int, int, int) { return uint16_t{5}; });
    WriteCorrected(empty, 0, [](int, int, int) { return uint16_t{0}; }, 0);
    const struct {
        std::string path;
        const char* says;
    } cases[] = {{small.path(), "differ"}, {eight.path(), "8-bit"}, {empty.path(), "no frames"}, {"/nonexistent.zel", "cannot open"}};
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), true));
    for (const auto& c : cases) {
        const zel::Problem problem = doc.ApplyBlackBalance(c.path);
        EXPECT_TRUE(problem) << c.path;
        EXPECT_NE(problem.Text().find(c.says), std::string::npos) << problem.Text();
        EXPECT_EQ(doc.reader()->OffsetTable()[0], 0);
        EXPECT_FALSE(doc.BlackBalanced());
        EXPECT_EQ(doc.SampleAt(0), 300);
    }
    // Opened without correction, or with a kind that has no offsets to apply (5): refused,
    // nothing changes, rather than a success that changes nothing.
    TempFile kind5;
    WriteCorrected(kind5, 5, [](int, int, int) { return uint16_t{300}; });
    const struct {
        std::string path;
        bool correction;
        zel::ProblemCode refusal;
    } plainCases[] = {{movie.path(), false, zel::ProblemCode::OpenedWithoutCorrection},
                      {kind5.path(), true, zel::ProblemCode::NoOffsetsToBalance}};
    for (const auto& [path, correction, refusal] : plainCases) {
        zel::CZelfDoc plain;
        ASSERT_TRUE(plain.OpenMovie(path, correction));
        EXPECT_EQ(plain.ApplyBlackBalance(movie.path()).code, refusal) << path;
        EXPECT_EQ(plain.SampleAt(0), 300);
    }
}

TEST(BlackBalance, TablesLargerThanTheFrameBalanceTheFramesWindow) {
    TempFile movie, wide;
    WriteCorrected(movie, 0, [](int, int, int) { return uint16_t{120}; });
    WriteTestMovie(wide, 6, W, H, 1, [](int, int, int) { return uint16_t{300}; }, [](zelgen::MovieSpec& s) {
        s.correction.kind = 3;
        s.correction.width = W + 8;
        s.correction.height = H + 2;
    });
    zel::CZelfDoc windowed;
    ASSERT_TRUE(windowed.OpenMovie(wide.path(), true));
    ASSERT_FALSE(windowed.ApplyBlackBalance(movie.path()));
    EXPECT_EQ(windowed.SampleAt(0), 180);
    EXPECT_EQ(windowed.SampleAt(W * H - 1), 180);
}

TEST(CorrectionDisplay, ShowsOffsetsAndGainsThenTheFrameAgain) {
    for (const bool openedWithCorrection : {true, false}) {
        TempFile movie;
        WriteCorrected(movie, 9, [](int n, int, int) { return static_cast<uint16_t>(500 + n); }, 3,
                       [](zelgen::CorrectionSpec& c) {
                           c.offsets.assign(W * H, 0);
                           c.gains.assign(W * H, 512);
                           c.offsets[0] = -40 * 4;  // a 10-bit file stores offsets x 4
                           c.gains[1] = 0x1234;
                       });
        zel::CZelfDoc doc;
        ASSERT_TRUE(doc.OpenMovie(movie.path(), openedWithCorrection));
        ASSERT_EQ(doc.ShowFrame(2), 1);
        EXPECT_EQ(doc.ShowCorrectionData(1), 1);
        EXPECT_EQ(doc.SampleAt(0), 40);
        EXPECT_EQ(doc.ShowCorrectionData(2), 1);
        EXPECT_EQ(doc.SampleAt(1), 72);  // (0x1234 >> 6) & 0x1ff
        EXPECT_EQ(doc.SampleAt(2), 8);   // gain 1.0
        // The reader still stands at the frame shown before, with its own correction setting.
        EXPECT_EQ(doc.reader()->Parameters().filePosFrame, 2);
        EXPECT_EQ(doc.reader()->Parameters().correctionKind, openedWithCorrection ? 9 : 0);
        EXPECT_EQ(doc.ShowCorrectionData(0), 1);
        EXPECT_EQ(doc.SampleAt(5), openedWithCorrection ? 32 + 502 : 502);
    }
}

TEST(CorrectionDisplay, NothingToShowIsReportedAndChangesNothing) {
    // An 8-bit movie has no tables; kind 3 has offsets but no gains.
    TempFile eight, kind3;
    WriteTestMovie(eight, -1, W, H, 1, [](int, int, int) { return uint16_t{9}; });
    WriteCorrected(kind3, 3, [](int, int, int) { return uint16_t{9}; });
    for (const auto& [path, mode] : {std::pair{eight.path(), 1}, std::pair{kind3.path(), 2}}) {
        for (const bool correction : {true, false}) {
            zel::CZelfDoc doc;
            ASSERT_TRUE(doc.OpenMovie(path, correction));
            const std::vector<uint8_t> shown(doc.DisplayPixels(), doc.DisplayPixels() + W * H);
            EXPECT_EQ(doc.ShowCorrectionData(mode), 0) << path;
            EXPECT_EQ(doc.SampleAt(0), 9);
            EXPECT_EQ(std::vector<uint8_t>(doc.DisplayPixels(), doc.DisplayPixels() + W * H), shown);
        }
    }
}

TEST(CorrectionDisplay, ReadsTheTablesThroughTheOpenFile) {
    // After the movie's name is taken by another file, the display still shows the
    // tables of the movie that is open, and the frame position survives.
#ifdef _WIN32
    GTEST_SKIP() << "Windows refuses to replace a file that is open";
#endif
    TempFile movie, other;
    WriteCorrected(movie, 3, [](int n, int, int) { return static_cast<uint16_t>(100 + n); }, 3,
                   [](zelgen::CorrectionSpec& c) { c.offsets.assign(W * H, -7); });
    WriteCorrected(other, 3, [](int, int, int) { return uint16_t{1}; }, 1,
                   [](zelgen::CorrectionSpec& c) { c.offsets.assign(W * H, -50); });
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    ASSERT_EQ(doc.ShowFrame(1), 1);
    ASSERT_EQ(std::rename(other.path().c_str(), movie.path().c_str()), 0);
    ASSERT_EQ(doc.ShowCorrectionData(1), 1);
    EXPECT_EQ(doc.SampleAt(0), 7);
    EXPECT_TRUE(doc.reader()->IsOpen());
    EXPECT_EQ(doc.reader()->Parameters().correctionKind, 0);
    ASSERT_EQ(doc.ShowFrame(2), 1);  // sequential: the position marker still names frame 1
    EXPECT_EQ(doc.SampleAt(0), 102);
    EXPECT_EQ(doc.reader()->SeekCount(), 1u);
}
