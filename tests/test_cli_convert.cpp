// zeltiff16-cli convert, profile and aoi end to end on movies from the movie writer.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "DocumentFixture.h"
#include "RunProcess.h"
#include "TempFile.h"
#include "TempFolder.h"
#include "reader/MovieReader.h"

using namespace zeltest;
namespace fs = std::filesystem;

namespace {

uint16_t Value(int n, int x, int y) { return static_cast<uint16_t>((n * 37 + x * 3 + y * 11) % 4096); }

}  // namespace

TEST(CliConvert, WritesNumberedFilesWithTheMovieSamples) {
    TempFile movie;
    WriteTestMovie(movie, 4, 32, 16, 6, Value);
    TempFolder out;
    const ProcessResult r =
        RunCommand(Cli() + " convert " + Quote(movie.path()) + " " + Quote(out.path + "/shot.tif") + " --start 2 --end 4 --jobs 1");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");  // quiet when stderr is not a terminal
    EXPECT_EQ(FilesIn(out.path), (std::vector<std::string>{"shot_000002.tif", "shot_000003.tif", "shot_000004.tif"}));

    zel::CMovieReader reader;
    ASSERT_EQ(reader.Open(movie.path(), 1), 1);
    std::vector<uint16_t> frame(32 * 16);
    ASSERT_EQ(reader.ReadFrame(frame.data(), 3, 32 * 16 * 2), 32 * 16 * 2);
    const std::string bytes = Slurp(out.path + "/shot_000003.tif");
    ASSERT_EQ(bytes.size(), 200u + 32 * 16 * 2);
    for (int i = 0; i < 32 * 16; ++i) {
        const int value = static_cast<uint8_t>(bytes[200 + 2 * i]) | static_cast<uint8_t>(bytes[201 + 2 * i]) << 8;
        ASSERT_EQ(value, frame[i]) << i;
    }

    TempFolder eight;
    ASSERT_EQ(RunCommand(Cli() + " convert " + Quote(movie.path()) + " " + Quote(eight.path + "/e.tiff") + " --bits 8").exitCode, 0);
    EXPECT_EQ(FilesIn(eight.path).size(), 6u);
    const std::string small = Slurp(eight.path + "/e_000003.tiff");
    ASSERT_EQ(small.size(), 200u + 32 * 16);
    EXPECT_EQ(static_cast<uint8_t>(small[200 + 5]), std::min(255, frame[5] >> 4));
}

TEST(CliConvert, ParallelJobsWriteIdenticalFiles) {
    TempFile movie;
    WriteTestMovie(movie, 1, 32, 16, 9, Value);  // centre-out quadrants, older layout, kind 0
    TempFolder one, two;
    ASSERT_EQ(RunCommand(Cli() + " convert " + Quote(movie.path()) + " " + Quote(one.path + "/f.tif") + " --jobs 1").exitCode, 0);
    ASSERT_EQ(RunCommand(Cli() + " convert " + Quote(movie.path()) + " " + Quote(two.path + "/f.tif") + " --jobs 2").exitCode, 0);
    const auto names = FilesIn(one.path);
    ASSERT_EQ(names.size(), 9u);
    EXPECT_EQ(names, FilesIn(two.path));
    for (const auto& name : names) EXPECT_EQ(Slurp(one.path + "/" + name), Slurp(two.path + "/" + name)) << name;
}

TEST(CliConvert, RefusalsWriteNothing) {
    TempFile movie;
    WriteTestMovie(movie, 6, 32, 16, 4, Value);
    TempFolder out;
    const std::string base = Cli() + " convert " + Quote(movie.path()) + " " + Quote(out.path + "/x.tif");
    const struct {
        std::string args;
        int code;
        const char* says;
    } cases[] = {
        {" --start 3 --end 4", 2, "outside the movie"},
        {" --start -1", 2, "outside the movie"},
        {" --start 3 --end 2", 2, "outside the movie"},
        {" --bits 12", 2, "bits"},
        {" --jobs 0", 2, "jobs"},
        {" --black-reference /nonexistent.zel", 1, "black balance"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunCommand(base + c.args);
        EXPECT_EQ(r.exitCode, c.code) << c.args << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
        EXPECT_TRUE(FilesIn(out.path).empty()) << c.args;
    }
    const ProcessResult missing = RunCommand(Cli() + " convert " + Quote(movie.path()) + " /nonexistent/folder/x.tif");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("does not exist"), std::string::npos);
}

TEST(CliMeasure, ProfileAndAoiCsv) {
    TempFile movie;
    WriteTestMovie(movie, 0, 64, 32, 3, [](int n, int x, int y) { return static_cast<uint16_t>(10 * n + x + 100 * (y % 2)); },
                   [](zelgen::MovieSpec& s) { s.newerLayout = false; s.cameraCode = "rwm7"; s.modeWord = 0; });
    TempFolder out;
    const std::string csv = out.path + "/p.csv";
    const ProcessResult r =
        RunCommand(Cli() + " profile " + Quote(movie.path()) + " " + Quote(csv) + " --line 2 4 5 4 --start 1 --end 2");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string expectedProfile = "\"Zelf File Name : " + fs::absolute(movie.path()).string() +
                                        "\"\r\n\"Profile : (2, 4) - (5, 4)\"\r\n\"Gray value\"\r\n"
                                        "   12,   13,   14\r\n   22,   23,   24\r\n"
                                        "\r\n\"Average in all frames\"\r\n   17,   18,   19\r\n";
    EXPECT_EQ(Slurp(csv), expectedProfile);

    const std::string aoi = out.path + "/a.csv";
    ASSERT_EQ(RunCommand(Cli() + " aoi " + Quote(movie.path()) + " " + Quote(aoi) + " --rect 3 1 0 0 --end 1").exitCode, 0);
    // Frame 0: values 0..3 and 100..103 -> average 51.5; frame 1: 61.5.
    const std::string expectedAoi = "\"Zelf File Name : " + fs::absolute(movie.path()).string() +
                                    "\"\r\n\"AOI : (3, 1) - (0, 0)\"\r\n\"GRYave\",\"Min\",\"Max\"\r\n"
                                    "  51.50,    0,  103\r\n  61.50,   10,  113\r\n"
                                    "\r\n\"Average in all frames\"\r\n  56.50,    0,  113\r\n";
    EXPECT_EQ(Slurp(aoi), expectedAoi);

    // Refusals: a point outside the frame, a range outside the movie; nothing is written.
    const std::string refused = out.path + "/r.csv";
    EXPECT_EQ(RunCommand(Cli() + " aoi " + Quote(movie.path()) + " " + Quote(refused) + " --rect 0 0 64 5").exitCode, 2);
    EXPECT_EQ(RunCommand(Cli() + " profile " + Quote(movie.path()) + " " + Quote(refused) + " --line 0 0 5 5 --end 3").exitCode, 2);
    EXPECT_EQ(RunCommand(Cli() + " profile " + Quote(movie.path()) + " " + Quote(refused) + " --line 0 0 5").exitCode, 2);
    EXPECT_FALSE(fs::exists(refused));
}
