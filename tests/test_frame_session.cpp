// The document's frame session: runs over frames (a cut movie, a stop, a failing work,
// a run inside a run), the frame range and playback plans, the measurement shapes, and
// what the samples show.

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "DocumentFixture.h"
#include "MovieBytes.h"
#include "TempFile.h"
#include "document/ZelfDoc.h"

using namespace zeltest;
using zel::FrameRange;
using zel::FrameSpan;
using zel::ProblemCode;
using zel::RangeMode;
using zel::RunEnd;

namespace {

constexpr int W = 16, H = 8;

// A 10-frame 8-bit movie whose frame n holds 10 + n in every pixel. `wholeFrames`
// below 10 cuts the file half way into frame `wholeFrames`, as a recording broken off.
std::vector<uint8_t> MovieOfTen(int wholeFrames = 10) {
    MovieBytes m = NewerMovie("abcd", 0, 8, W, H, 10);
    for (int n = 0; n < 10; ++n)
        for (int i = 0; i < W * H; ++i) m.U8(kFramNew + static_cast<size_t>(n) * W * H + i, static_cast<uint8_t>(10 + n));
    if (wholeFrames < 10) m.Resize(kFramNew + static_cast<size_t>(wholeFrames) * W * H + W * H / 2);
    return m.bytes();
}

}  // namespace

TEST(FrameSession, RunOverACutMovieEndsAtTheFirstMissingFrame) {
    const TempFile file(MovieOfTen(8));
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(file.path(), false)) << doc.OpenError();
    ASSERT_EQ(doc.frameCount(), 10);
    std::vector<int> worked;
    const zel::RunOutcome run = doc.RunFrames({0, 9}, [&](int frame) {
        worked.push_back(frame);
        EXPECT_EQ(doc.SampleAt(0), 10 + frame);  // the work sees its own frame
        return zel::Problem{};
    });
    EXPECT_EQ(run.end, RunEnd::Failed);
    EXPECT_EQ(run.problem.code, ProblemCode::FrameUnreadable);
    EXPECT_EQ(run.problem.Text(), "frame 8 cannot be read");
    EXPECT_EQ(run.framesDone, 8);
    EXPECT_EQ(run.lastDone, 7);
    EXPECT_EQ(worked, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(doc.CurrentFrame(), 7);
    EXPECT_EQ(doc.SampleAt(0), 17);
    EXPECT_FALSE(doc.RunInProgress());
}

TEST(FrameSession, StopAfterAFrameAndNoRunInsideARun) {
    const TempFile file(MovieOfTen());
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(file.path(), false));
    doc.RequestStop();  // no run: nothing to stop, and the next run is not stopped by it
    std::string events;
    const zel::RunOutcome run = doc.RunFrames(
        {2, 6},
        [&](int frame) {
            events += " w" + std::to_string(frame);
            EXPECT_TRUE(doc.RunInProgress());
            const zel::RunOutcome inner = doc.RunFrames({0, 9});
            EXPECT_EQ(inner.end, RunEnd::Failed);
            EXPECT_EQ(inner.problem.code, ProblemCode::RunInProgress);
            EXPECT_EQ(inner.framesDone, 0);
            return zel::Problem{};
        },
        [&](int frame) {
            events += " a" + std::to_string(frame);
            if (frame == 4) doc.RequestStop();
        });
    EXPECT_EQ(events, " w2 a2 w3 a3 w4 a4");
    EXPECT_EQ(run.end, RunEnd::Stopped);
    EXPECT_EQ(run.framesDone, 3);
    EXPECT_EQ(run.lastDone, 4);
    EXPECT_EQ(doc.CurrentFrame(), 4);
    EXPECT_FALSE(doc.RunInProgress());
    // The stop was for that run only.
    const zel::RunOutcome next = doc.RunFrames({8, 9});
    EXPECT_TRUE(next.Completed());
    EXPECT_EQ(next.framesDone, 2);
    EXPECT_EQ(doc.CurrentFrame(), 9);
}

TEST(FrameSession, AFailingWorkEndsTheRunAtItsFrame) {
    const TempFile file(MovieOfTen());
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(file.path(), false));
    std::vector<int> after;
    const zel::RunOutcome run = doc.RunFrames(
        {3, 8},
        [](int frame) { return frame == 5 ? zel::Problem{ProblemCode::WriteFailed, {"disk full"}} : zel::Problem{}; },
        [&](int frame) { after.push_back(frame); });
    EXPECT_EQ(run.end, RunEnd::Failed);
    EXPECT_EQ(run.problem.code, ProblemCode::WriteFailed);
    EXPECT_EQ(run.problem.Text(), "disk full");
    EXPECT_EQ(run.framesDone, 2);
    EXPECT_EQ(run.lastDone, 4);
    EXPECT_EQ(after, (std::vector<int>{3, 4}));
    EXPECT_FALSE(doc.RunInProgress());
}

TEST(FrameRanges, SpansAreCheckedAgainstTheMovie) {
    FrameSpan span;
    const zel::Problem reversed = zel::CheckSpan(5, 2, 10, span);
    EXPECT_EQ(reversed.code, ProblemCode::RangeOutside);
    EXPECT_EQ(reversed.Text(), "frame range 5..2 lies outside the movie's frames 0..9");
    EXPECT_EQ(zel::CheckSpan(0, 10, 10, span).code, ProblemCode::RangeOutside);
    EXPECT_EQ(zel::CheckSpan(-1, 3, 10, span).code, ProblemCode::RangeOutside);
    EXPECT_EQ(zel::CheckSpan(0, 0, 0, span).code, ProblemCode::NoFrames);
    ASSERT_FALSE(zel::CheckSpan(9, 9, 10, span));
    EXPECT_EQ(span, (FrameSpan{9, 9}));

    // Neither and All cover every frame whatever Start and End say; Identical is checked.
    for (const RangeMode mode : {RangeMode::Neither, RangeMode::All}) {
        span = {};
        ASSERT_FALSE(zel::SpanOfRange({mode, 7, 3}, 10, 10, span));
        EXPECT_EQ(span, (FrameSpan{0, 9}));
        EXPECT_EQ(span.Count(), 10);
        EXPECT_EQ(zel::SpanOfRange({mode, 0, 0}, 0, 0, span).code, ProblemCode::NoFrames);
    }
    ASSERT_FALSE(zel::SpanOfRange({RangeMode::Identical, 3, 4}, 10, 10, span));
    EXPECT_EQ(span, (FrameSpan{3, 4}));
    EXPECT_EQ(zel::SpanOfRange({RangeMode::Identical, 5, 2}, 10, 10, span).code, ProblemCode::RangeOutside);
    EXPECT_EQ(zel::SpanOfRange({RangeMode::Identical, 8, 10}, 10, 10, span).code, ProblemCode::RangeOutside);

    // A file holding 3 of its 2^31 - 1 recorded frames: "all frames" are the 3 it holds;
    // a chosen range is checked against the frames recorded (and the run then stops at
    // the first frame the file does not hold, saying so).
    ASSERT_FALSE(zel::SpanOfRange({RangeMode::All, 0, 0}, INT32_MAX, 3, span));
    EXPECT_EQ(span, (FrameSpan{0, 2}));
    ASSERT_FALSE(zel::SpanOfRange({RangeMode::Identical, 1, 5}, 10, 3, span));
    EXPECT_EQ(span, (FrameSpan{1, 5}));
}

TEST(FrameRanges, PlaybackPlans) {
    const FrameRange all{RangeMode::All, 0, 9}, identical{RangeMode::Identical, 2, 6};
    zel::PlaybackPlan plan;
    ASSERT_FALSE(zel::PlanPlayback(all, 10, 10, 4, 0, plan));  // play: from the frame shown to the end
    EXPECT_EQ(plan.span, (FrameSpan{4, 9}));
    EXPECT_EQ(plan.progressHigh, 10);
    ASSERT_FALSE(zel::PlanPlayback(all, INT32_MAX, 3, 1, 0, plan));  // play stops at the frames held
    EXPECT_EQ(plan.span, (FrameSpan{1, 2}));
    ASSERT_FALSE(zel::PlanPlayback(all, 10, 10, 4, -1, plan));
    EXPECT_EQ(plan.span, (FrameSpan{3, 3}));
    // A step beyond either end plans nothing, in either mode.
    for (const FrameRange& range : {all, identical}) {
        ASSERT_FALSE(zel::PlanPlayback(range, 10, 10, 9, +1, plan));
        EXPECT_EQ(plan.span.Count(), 0);
        ASSERT_FALSE(zel::PlanPlayback(range, 10, 10, 0, -1, plan));
        EXPECT_EQ(plan.span.Count(), 0);
    }
    // In the Identical mode a step plays the range, and the progress bar spans it.
    ASSERT_FALSE(zel::PlanPlayback(identical, 10, 10, 8, +1, plan));
    EXPECT_EQ(plan.span, (FrameSpan{2, 6}));
    EXPECT_EQ(plan.progressLow, 2);
    EXPECT_EQ(plan.progressHigh, 7);
    EXPECT_EQ(zel::PlanPlayback({RangeMode::Identical, 5, 2}, 10, 10, 0, 0, plan).code, ProblemCode::RangeOutside);
    EXPECT_EQ(plan.span.Count(), 0);
    EXPECT_EQ(zel::PlanPlayback(all, 0, 0, 0, 0, plan).code, ProblemCode::NoFrames);
}

TEST(Measurements, ShapesKnowTheirSamplesAndWhetherTheyFit) {
    EXPECT_EQ((zel::ProfileLine{0, 0, 5, 2}.SampleCount()), 5);
    EXPECT_EQ((zel::ProfileLine{3, 3, 1, 9}.SampleCount()), 6);
    EXPECT_EQ((zel::ProfileLine{-2, 0, -7, 0}.SampleCount()), 5);
    EXPECT_EQ((zel::ProfileLine{4, 4, 4, 4}.SampleCount()), 0);
    EXPECT_EQ((zel::ProfileLine{INT_MIN, 0, INT_MAX, 0}.SampleCount()), INT_MAX);  // no overflow

    EXPECT_FALSE((zel::ProfileLine{15, 7, 0, 0}.CheckInside(W, H)));
    const zel::Problem off = zel::ProfileLine{0, 0, 16, 3}.CheckInside(W, H);
    EXPECT_EQ(off.code, ProblemCode::PointOutside);
    EXPECT_EQ(off.Text(), "the profile line's point (16, 3) lies outside the 16 x 8 frame");
    EXPECT_EQ(zel::ProfileLine({-1, 0, 3, 3}).CheckInside(W, H).Text(),
              "the profile line's point (-1, 0) lies outside the 16 x 8 frame");

    EXPECT_FALSE((zel::AoiRect{15, 7, 0, 0}.CheckInside(W, H)));  // corners in either order
    EXPECT_EQ(zel::AoiRect({2, 8, 3, 3}).CheckInside(W, H).Text(),
              "the rectangle's point (2, 8) lies outside the 16 x 8 frame");
    EXPECT_EQ(zel::AoiRect({2, 2, 3, -1}).CheckInside(W, H).Text(),
              "the rectangle's point (3, -1) lies outside the 16 x 8 frame");
}

TEST(FrameSession, CorrectionDataIsShownUntilAFrameIs) {
    TempFile movie, tiff(".tif");
    WriteTestMovie(movie, 6, W, H, 3, [](int n, int, int) { return static_cast<uint16_t>(100 + n); },
                   [](zelgen::MovieSpec& s) {
                       s.correction.kind = 3;
                       s.correction.width = W;
                       s.correction.height = H;
                       s.correction.offsets.assign(W * H, -7);
                   });
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), false));
    ASSERT_EQ(doc.ShowFrame(1), 1);
    EXPECT_EQ(doc.DataDisplayMode(), 0);
    ASSERT_EQ(doc.ShowCorrectionData(1), 1);
    EXPECT_EQ(doc.DataDisplayMode(), 1);
    EXPECT_EQ(doc.SampleAt(0), 7);
    // The offsets are no frame: they are never written as one.
    EXPECT_EQ(doc.WriteCurrentFrame(tiff.path(), 16, 16).code, zel::ProblemCode::NoFrameShown);
    EXPECT_FALSE(std::filesystem::exists(tiff.path()));
    ASSERT_EQ(doc.ShowFrame(2), 1);
    EXPECT_EQ(doc.DataDisplayMode(), 0);
    EXPECT_EQ(doc.SampleAt(0), 102);
}
