// Stack export through the core (document/StackExport.h): the file equals the command-line
// tool's stack byte for byte (pages, description, calibration), and whatever stops or
// fails it - a stop request, also one during the last frame, an unreadable frame, a
// refusal, a page its writer thread cannot write - leaves no file and an older one as it
// was.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DocumentFixture.h"
#include "FileSizeLimit.h"
#include "FolderTest.h"
#include "RunProcess.h"
#include "TempFile.h"
#include "document/StackExport.h"
#include "document/ZelfDoc.h"

namespace {

using namespace zeltest;
namespace fs = std::filesystem;

class StackExport : public FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
        movie = Path("m.zel");
        MakeMovie(movie, 6);
        ASSERT_TRUE(doc.OpenMovie(movie, true)) << doc.OpenError();
    }
    // A 40 x 12, 12-bit movie of `frames` different frames.
    static void MakeMovie(const std::string& path, int frames) {
        const TempFile source;
        WriteTestMovie(source, 4, 40, 12, frames, [](int n, int x, int y) {
            return static_cast<uint16_t>((n * 977 + x * 131 + y * 29 + x * y) % 4096);
        });
        fs::copy_file(source.path(), path);
    }
    // The tool's stack of the same movie, span and options.
    std::string CliStack(const std::string& name, const std::string& options) const {
        const ProcessResult r =
            RunCommand(Cli() + " convert " + Quote(movie) + " " + Quote(Path(name)) + " --stack " + options);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return Slurp(Path(name));
    }

    std::string movie;
    zel::CZelfDoc doc;
};

TEST_F(StackExport, EqualsTheToolsStackAtBothDepthsWithTheCalibration) {
    zel::Calibration calibration;
    ASSERT_FALSE(zel::ParsePixelSize("12.5um", calibration));
    doc.SetPixelCalibration(calibration);
    for (const int bits : {16, 8}) {
        const std::string path = Path("core" + std::to_string(bits) + ".tif");
        std::vector<int> seen;
        zel::StackExportResult written;
        const zel::RunOutcome run =
            zel::ExportTiffStack(doc, {1, 4}, {path, bits, false}, [&](int n) { seen.push_back(n); }, &written);
        ASSERT_TRUE(run.Completed()) << run.problem.Text();
        EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
        EXPECT_EQ(written.layout, zel::TiffStackLayout::Classic);
        EXPECT_EQ(written.pages, 4);
        const std::string tool = CliStack("cli.tif", "--start 1 --end 4 --pixel-size 12.5um --bits " + std::to_string(bits));
        EXPECT_GT(tool.size(), size_t{4} * 40 * 12 * (bits / 8));
        EXPECT_TRUE(Slurp(path) == tool) << bits << " bits";
    }
    const zel::RunOutcome big = zel::ExportTiffStack(doc, {0, 5}, {Path("big.tif"), 16, true}, {}, nullptr);
    ASSERT_TRUE(big.Completed()) << big.problem.Text();
    EXPECT_TRUE(Slurp(Path("big.tif")) == CliStack("cli.tif", "--bigtiff --pixel-size 12.5um"));
}

TEST_F(StackExport, AStopLeavesNothingAndKeepsTheOlderFile) {
    const std::string path = Path("s.tif");
    Put(path, "old");
    for (const int stopAt : {2, 5}) {  // part-way, and during the last frame
        const zel::RunOutcome run = zel::ExportTiffStack(doc, {0, 5}, {path, 16, false}, [&](int n) {
            if (n == stopAt) doc.RequestStop();
        });
        EXPECT_EQ(run.end, zel::RunEnd::Stopped) << stopAt;
        EXPECT_EQ(run.lastDone, stopAt);
        EXPECT_EQ(Names(), (std::vector<std::string>{"m.zel", "s.tif"}));
        EXPECT_EQ(Slurp(path), "old");
    }
    EXPECT_FALSE(doc.RunInProgress());
}

TEST_F(StackExport, RefusalsAndFailuresSayWhyAndLeaveNothing) {
    const std::string path = Path("s.tif");
    Put(path, "old");
    const std::string original = Slurp(movie);
    const auto refused = [&](const zel::FrameSpan& span, const zel::StackExportOptions& options) {
        const zel::RunOutcome run = zel::ExportTiffStack(doc, span, options);
        EXPECT_EQ(run.end, zel::RunEnd::Failed);
        EXPECT_EQ(run.framesDone, 0);
        return run.problem;
    };
    EXPECT_EQ(refused({0, 5}, {movie, 16, false}).code, zel::ProblemCode::OutputIsInput);
    EXPECT_EQ(refused({3, 6}, {path, 16, false}).Text(), "frame range 3..6 lies outside the movie's frames 0..5");
    EXPECT_EQ(refused({4, 3}, {path, 16, false}).code, zel::ProblemCode::RangeOutside);
    EXPECT_EQ(refused({0, 5}, {path, 12, false}).Text(), "cannot write 12-bit samples as a 12-bit file");
    const zel::Problem missing = refused({0, 5}, {Path("missing/s.tif"), 16, false});
    EXPECT_EQ(missing.code, zel::ProblemCode::WriteFailed);
    EXPECT_NE(missing.Text().find("No such file or directory"), std::string::npos) << missing.Text();
    EXPECT_EQ(Slurp(movie), original);

    // A file cut inside its last frame: the pages before it are written, then the run
    // fails on that frame and the stack is dropped.
    fs::resize_file(movie, fs::file_size(movie) - 100);
    zel::CZelfDoc cut;
    ASSERT_TRUE(cut.OpenMovie(movie, true)) << cut.OpenError();
    const zel::RunOutcome run = zel::ExportTiffStack(cut, {0, 5}, {path, 16, false});
    EXPECT_EQ(run.end, zel::RunEnd::Failed);
    EXPECT_EQ(run.problem.code, zel::ProblemCode::FrameUnreadable);
    EXPECT_EQ(run.framesDone, 5);
    EXPECT_EQ(Names(), (std::vector<std::string>{"m.zel", "s.tif"}));
    EXPECT_EQ(Slurp(path), "old");
}

// The pages are written on a thread of their own. A page it cannot write - one in the
// middle of a long span, or the last, when the session is over - fails the export with
// the system's whole reason; a failure in the middle ends the session within the few
// pages in flight instead of converting every frame; nothing is left either way.
TEST_F(StackExport, APageTheWriterCannotWriteFailsTheRunAndLeavesNothing) {
    constexpr int kFrames = 30;
    constexpr int64_t kPageBytes = 40 * 12 * 2;
    const std::string longMovie = Path("long.zel");
    MakeMovie(longMovie, kFrames);
    const std::string path = Path("s.tif");
    int64_t fullSize = 0;
    {
        zel::CZelfDoc whole;
        ASSERT_TRUE(whole.OpenMovie(longMovie, true)) << whole.OpenError();
        ASSERT_TRUE(zel::ExportTiffStack(whole, {0, kFrames - 1}, {path, 16, false}).Completed());
        fullSize = static_cast<int64_t>(fs::file_size(path));
    }
    Put(path, "old");
    // The pages lie back to back at the end of the file: page 20 of 30, then the last, fail.
    for (const int64_t limit : {fullSize - 10 * kPageBytes, fullSize - 1}) {
        const std::string report = WithFileSizeLimit(static_cast<rlim_t>(limit), [&] {
            zel::CZelfDoc child;
            if (!child.OpenMovie(longMovie, true)) return std::string("cannot open");
            int calls = 0;
            const zel::RunOutcome run =
                zel::ExportTiffStack(child, {0, kFrames - 1}, {path, 16, false}, [&](int) { ++calls; });
            if (run.end != zel::RunEnd::Failed) return std::string("not failed");
            if (run.framesDone != calls) return "afterFrame called " + std::to_string(calls) + " times";
            return std::to_string(run.framesDone) + " " + run.problem.Text();
        });
        const size_t space = report.find(' ');
        ASSERT_NE(space, std::string::npos) << report;
        EXPECT_EQ(report.substr(space + 1), "cannot write " + path + ": File too large") << limit;
        const int done = std::stoi(report.substr(0, space));
        if (limit == fullSize - 1)
            EXPECT_EQ(done, kFrames);
        else
            EXPECT_LT(done, kFrames);
        EXPECT_EQ(Names(), (std::vector<std::string>{"long.zel", "m.zel", "s.tif"}));
        EXPECT_EQ(Slurp(path), "old");
    }
}

}  // namespace
