// What a hostile header costs: a movie whose header claims two thousand million frames
// but whose file holds three, and a frame of a gigabyte declared in a sparse file of a
// few kilobytes. Every command works on what the file holds, and all outputs of a range
// are checked against the inputs before the first is written.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "DocumentFixture.h"
#include "RunProcess.h"
#include "TempFile.h"
#include "TempFolder.h"
#include "document/FrameRange.h"
#include "document/OutputCheck.h"
#include "document/ZelfDoc.h"
#include "platform/FileData.h"

using namespace zeltest;
namespace fs = std::filesystem;

namespace {

uint16_t Value(int n, int x, int y) { return static_cast<uint16_t>((n * 37 + x * 3 + y * 11) % 1024); }

// Overwrites a little-endian value of `bytes` bytes at `offset` of the file.
void Patch(const std::string& path, int64_t offset, int64_t value, int bytes) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(offset);
    for (int i = 0; i < bytes; ++i) file.put(static_cast<char>((value >> (8 * i)) & 0xff));
}

zel::MovieParameters ParametersOf(const std::string& path) {
    zel::CMovieReader reader;
    EXPECT_EQ(reader.Open(path, 0), 1) << reader.OpenError();
    return reader.Parameters();
}

// A movie of three frames (newer record layout) whose first segment claims frames 0 ..
// 2^31 - 2: 2^31 - 1 frames recorded.
void WriteClaimingMovie(const TempFile& movie) {
    WriteTestMovie(movie, 6, 16, 8, 3, Value);
    const zel::MovieParameters p = ParametersOf(movie.path());
    ASSERT_EQ(p.firstFrameNo, 0);
    constexpr int kSegmentTable = 182, kSegmentLast = 22;  // where the PLAY record keeps them
    Patch(movie.path(), p.playOffset + kSegmentTable + kSegmentLast, INT32_MAX - 1, 4);
}

std::string TimedCli(const std::string& arguments) { return "timeout 20 " + Cli() + " " + arguments; }

}  // namespace

TEST(BoundedCost, AllFramesAreTheFramesTheFileHolds) {
    TempFile movie;
    WriteClaimingMovie(movie);
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), true));
    EXPECT_EQ(doc.frameCount(), INT32_MAX);
    EXPECT_EQ(doc.FramesHeld(), 3);

    TempFolder out;
    const std::string says = movie.path() + ": the file holds only 3 of 2147483647 frames (it is cut short)";
    ProcessResult r = RunCommand(TimedCli("convert " + Quote(movie.path()) + " " + Quote(out.path + "/f.tif") + " --jobs 2"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    EXPECT_EQ(FilesIn(out.path), (std::vector<std::string>{"f_000000.tif", "f_000001.tif", "f_000002.tif"}));

    r = RunCommand(TimedCli("convert " + Quote(movie.path()) + " " + Quote(out.path + "/s.tif") + " --stack"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_LT(fs::file_size(out.path + "/s.tif"), 4096u);  // three pages of 16 x 8, not 2^31 page headers

    r = RunCommand(TimedCli("aoi " + Quote(movie.path()) + " " + Quote(out.path + "/a.csv") + " --rect 0 0 3 3"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string csv = Slurp(out.path + "/a.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3 + 3 + 3);  // head, three rows, the average

    // A range that names frames the file lacks still stops at the first one, saying so.
    r = RunCommand(TimedCli("convert " + Quote(movie.path()) + " " + Quote(out.path + "/g.tif") + " --start 1 --end 5"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("frame 3 cannot be read"), std::string::npos) << r.err;
}

TEST(BoundedCost, EveryOutputIsCheckedBeforeTheFirstIsWritten) {
    TempFile movie;
    WriteTestMovie(movie, 6, 16, 8, 4, Value);
    TempFolder out;
    // The third output is a link to the movie: nothing may be written, frames 0 and 1 neither.
    fs::create_symlink(movie.path(), out.path + "/m_000002.tif");
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), true));
    const zel::Problem clash = zel::CheckOutputsAreNotInputs(doc, {out.path + "/", "m", ".tif"}, {0, 3});
    EXPECT_EQ(clash.code, zel::ProblemCode::OutputIsInput);
    EXPECT_EQ(clash.Text(), out.path + "/m_000002.tif is the movie being read; it is never overwritten");
    EXPECT_FALSE(zel::CheckOutputsAreNotInputs(doc, {out.path + "/", "m", ".tif"}, {3, 3000000}));
    EXPECT_FALSE(zel::CheckOutputsAreNotInputs(doc, {out.path + "/", "n", ".tif"}, {0, 3}));

    const ProcessResult r = RunCommand(TimedCli("convert " + Quote(movie.path()) + " " + Quote(out.path + "/m.tif")));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(FilesIn(out.path), (std::vector<std::string>{"m_000002.tif"}));
}

TEST(BoundedCost, ASparseFileWithoutItsFirstFrameIsRefused) {
    TempFile movie;
    WriteTestMovie(movie, 6, 16, 8, 1, Value);
    zel::MovieParameters p = ParametersOf(movie.path());
    // The header now declares 32764 x 32752 pixels; the file is made as long as that frame
    // needs without storing it.
    constexpr int kFrameWidth = 1544, kFrameHeight = 1546, kFrameStride = 1588;  // in the newer PLAY record
    const int64_t frameBytes = int64_t{32764} * 32752 * 10 / 8;
    Patch(movie.path(), p.playOffset + kFrameWidth, 32764, 2);
    Patch(movie.path(), p.playOffset + kFrameHeight, 32752, 2);
    Patch(movie.path(), p.playOffset + kFrameStride, frameBytes, 4);
    fs::resize_file(movie.path(), static_cast<uintmax_t>(p.framOffset + frameBytes + 4096));
    // Where the file system cannot tell holes from data the frame would really be read.
    const std::optional<int64_t> stored = zel::platform::FileStoredBytesIn(movie.path(), p.framOffset, frameBytes);
    if (!stored || *stored >= frameBytes / 8) GTEST_SKIP() << "this file system does not report holes";

    zel::CZelfDoc doc;
    EXPECT_FALSE(doc.OpenMovie(movie.path(), true));
    EXPECT_EQ(doc.LastOpenFailure().code, zel::ProblemCode::FirstFrameNotStored) << doc.OpenError();
    const ProcessResult r = RunCommand(TimedCli("info " + Quote(movie.path())));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("sparse file"), std::string::npos) << r.err;
}
