// Stack export through the core (document/StackExport.h): the file equals the command-line
// tool's stack byte for byte (pages, description, calibration), and whatever stops or
// fails it - a stop request, also one during the last frame, an unreadable frame, a
// refusal - leaves no file and an older one as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DocumentFixture.h"
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
        const TempFile source;
        WriteTestMovie(source, 4, 40, 12, 6, [](int n, int x, int y) {
            return static_cast<uint16_t>((n * 977 + x * 131 + y * 29 + x * y) % 4096);
        });
        fs::copy_file(source.path(), movie);
        ASSERT_TRUE(doc.OpenMovie(movie, true)) << doc.OpenError();
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

}  // namespace
