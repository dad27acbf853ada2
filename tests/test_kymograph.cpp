// The kymograph: its rows are the profiles of the span's frames, its file is the 16-bit
// TIFF of those values, and what cannot be made (a line of no samples, a size past the
// limits, an unreadable frame, a stop) leaves nothing behind.

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DocumentFixture.h"
#include "MovieBytes.h"
#include "TempFile.h"
#include "document/Kymograph.h"
#include "document/KymographDisplay.h"
#include "document/ZelfDoc.h"
#include "imaging/TiffImage.h"

using namespace zeltest;
using zel::FrameSpan;
using zel::ProblemCode;
using zel::ProfileLine;
using zel::RunEnd;

namespace {

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A 12-bit movie of 40 x 24 whose samples differ with frame and position.
void WriteMovie(const TempFile& file) {
    WriteTestMovie(file, 4, 40, 24, 6, [](int n, int x, int y) { return static_cast<uint16_t>((n * 37 + x * 3 + y * 11) % 4096); });
}

}  // namespace

TEST(Kymograph, RowsAreTheProfilesOfTheSpanAndTheFileHoldsThem) {
    TempFile movie;
    WriteMovie(movie);
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), true)) << doc.OpenError();
    const ProfileLine line{30, 20, 3, 2};  // right to left, x-major, slanted
    zel::Kymograph kymograph;
    std::vector<int> shown;
    const zel::RunOutcome run = zel::BuildKymograph(doc, line, {2, 4}, kymograph, [&](int n) { shown.push_back(n); });
    ASSERT_TRUE(run.Completed()) << run.problem.Text();
    EXPECT_EQ(shown, (std::vector<int>{2, 3, 4}));
    ASSERT_FALSE(kymograph.Empty());
    ASSERT_EQ(kymograph.Width(), line.SampleCount());
    ASSERT_EQ(kymograph.Height(), 3);

    const TempFile tiff(".tif");
    ASSERT_FALSE(kymograph.Save(tiff.path()));
    const std::string file = Bytes(tiff.path());
    ASSERT_EQ(file.size(), 200u + 3u * 27u * 2u);
    const auto* block = reinterpret_cast<const uint8_t*>(file.data());
    EXPECT_EQ(zel::GetTiffTagValue(256, block, file.size()), 27);  // width: the samples
    EXPECT_EQ(zel::GetTiffTagValue(257, block, file.size()), 3);   // height: the frames
    EXPECT_EQ(zel::GetTiffTagValue(258, block, file.size()), 16);

    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(doc.ShowFrame(2 + k), 1);
        const std::vector<int16_t> profile = doc.Profile(line);
        std::vector<int16_t> row(static_cast<size_t>(kymograph.Width()));
        kymograph.CopyRow(k, row.data());
        EXPECT_EQ(row, profile) << "frame " << 2 + k;
        for (size_t i = 0; i < row.size(); ++i) {
            const size_t at = 200 + (static_cast<size_t>(k) * row.size() + i) * 2;
            ASSERT_EQ(block[at] | block[at + 1] << 8, static_cast<uint16_t>(profile[i])) << k << ", " << i;
        }
    }
}

TEST(Kymograph, EightBitSamplesKeepTheProfileValues) {
    MovieBytes m = NewerMovie("abcd", 0, 8, 16, 8, 3);
    for (int n = 0; n < 3; ++n)
        for (int i = 0; i < 16 * 8; ++i) m.U8(kFramNew + static_cast<size_t>(n) * 16 * 8 + i, static_cast<uint8_t>(200 + n));
    const TempFile movie(m.bytes());
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false)) << doc.OpenError();
    zel::Kymograph kymograph;
    ASSERT_TRUE(zel::BuildKymograph(doc, {0, 0, 5, 5}, {0, 2}, kymograph).Completed());
    EXPECT_EQ(kymograph.At(0, 0), 200);
    EXPECT_EQ(kymograph.At(2, 4), 202);  // as the CSV writes it, not scaled by 256
}

TEST(Kymograph, RefusalsReadNoFrame) {
    TempFile movie;
    WriteMovie(movie);
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), true));
    zel::Kymograph kymograph;
    int shown = 0;
    const auto count = [&](int) { ++shown; };

    zel::RunOutcome run = zel::BuildKymograph(doc, {7, 5, 7, 5}, {0, 5}, kymograph, count);
    EXPECT_EQ(run.end, RunEnd::Failed);
    EXPECT_EQ(run.problem.code, ProblemCode::EmptyProfileLine);
    EXPECT_EQ(run.problem.Text(),
              "the profile line starts and ends at (7, 5): it has no samples; draw it between two different points");
    run = zel::BuildKymograph(doc, {0, 0, 40, 5}, {0, 5}, kymograph, count);
    EXPECT_EQ(run.problem.code, ProblemCode::PointOutside);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(kymograph.Empty());
    EXPECT_EQ(doc.CurrentFrame(), 0);

    // The limits, in 64 bits: a side past 65535, more than 1 GiB, a span of 2^32 frames.
    EXPECT_FALSE(zel::CheckKymograph({0, 0, 65535, 0}, {0, 8191}, 70000, 1));  // 1 GiB exactly
    for (const auto& [line, span] : {std::pair{ProfileLine{0, 0, 65536, 0}, FrameSpan{0, 0}},
                                     std::pair{ProfileLine{0, 0, 1, 0}, FrameSpan{0, 65535}},
                                     std::pair{ProfileLine{0, 0, 65535, 0}, FrameSpan{0, 8192}},
                                     std::pair{ProfileLine{0, 0, 65535, 0}, FrameSpan{INT_MIN, INT_MAX}},
                                     std::pair{ProfileLine{0, 0, 5, 0}, FrameSpan{3, 2}}}) {
        const zel::Problem refused = zel::CheckKymograph(line, span, 70000, 1);
        EXPECT_EQ(refused.code, ProblemCode::KymographTooLarge) << span.first << ".." << span.last;
    }
}

TEST(Kymograph, AnUnreadableFrameOrAStopLeavesNothing) {
    // Ten 8-bit frames, the file cut half way into frame 4.
    MovieBytes m = NewerMovie("abcd", 0, 8, 16, 8, 10);
    m.Resize(kFramNew + 4 * 16 * 8 + 64);
    const TempFile movie(m.bytes());
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false)) << doc.OpenError();
    zel::Kymograph kymograph;
    zel::RunOutcome run = zel::BuildKymograph(doc, {0, 0, 9, 3}, {1, 8}, kymograph);
    EXPECT_EQ(run.end, RunEnd::Failed);
    EXPECT_EQ(run.problem.Text(), "frame 4 cannot be read");
    EXPECT_TRUE(kymograph.Empty());

    run = zel::BuildKymograph(doc, {0, 0, 9, 3}, {0, 3}, kymograph, [&](int n) {
        if (n == 1) doc.RequestStop();
    });
    EXPECT_EQ(run.end, RunEnd::Stopped);
    EXPECT_TRUE(kymograph.Empty());

    const TempFile tiff(".tif");
    EXPECT_EQ(kymograph.Save(tiff.path()).code, ProblemCode::WriteFailed);
    EXPECT_FALSE(std::filesystem::exists(tiff.path()));
}

TEST(Kymograph, NeverSavedOverItsMovieEvenAfterTheMovieIsClosed) {
    TempFile movie;
    WriteMovie(movie);
    const std::string before = Bytes(movie.path());
    zel::Kymograph kymograph;
    {
        zel::CZelfDoc doc;
        ASSERT_TRUE(doc.OpenMovie(movie.path(), true));
        ASSERT_TRUE(zel::BuildKymograph(doc, {0, 0, 4, 0}, {0, 1}, kymograph).Completed());
    }
    EXPECT_EQ(kymograph.Save(movie.path()).code, ProblemCode::OutputIsInput);
    EXPECT_EQ(Bytes(movie.path()), before);
}

TEST(Kymograph, AutoContrastSpansTheSamples) {
    MovieBytes m = NewerMovie("abcd", 0, 8, 16, 8, 2);
    for (int n = 0; n < 2; ++n)
        for (int i = 0; i < 16 * 8; ++i) m.U8(kFramNew + static_cast<size_t>(n) * 16 * 8 + i, static_cast<uint8_t>(10 * n + i % 16));
    const TempFile movie(m.bytes());
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    zel::Kymograph kymograph;
    ASSERT_TRUE(zel::BuildKymograph(doc, {0, 0, 3, 0}, {0, 1}, kymograph).Completed());  // 0 1 2 / 10 11 12
    const zel::GreyScale scale = zel::AutoContrast(kymograph);
    EXPECT_EQ(scale.low, 0);
    EXPECT_EQ(scale.high, 12);
    uint8_t grey[3];
    zel::GreyRow(kymograph, scale, 1, grey);
    EXPECT_EQ(grey[0], (10 * 255 + 6) / 12);
    EXPECT_EQ(grey[2], 255);
    zel::GreyRow(kymograph, {5, 5}, 0, grey);  // a flat scale shows black, no division by zero
    EXPECT_EQ(grey[1], 0);
}
