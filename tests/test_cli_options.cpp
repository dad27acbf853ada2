// zeltiff16-cli option values: integers are decimal only, --version, the help texts and
// an unknown command.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "DocumentFixture.h"
#include "RunProcess.h"
#include "TempFile.h"
#include "TempFolder.h"
#include "cli/DecimalInt.h"

using namespace zeltest;
using zel::cli::ParseDecimalInt;
namespace fs = std::filesystem;

namespace {

uint16_t Value(int n, int x, int y) { return static_cast<uint16_t>((n + x + y) % 4096); }

}  // namespace

TEST(DecimalInt, AcceptsSignedDecimalDigitsOnly) {
    EXPECT_EQ(ParseDecimalInt("0"), 0);
    EXPECT_EQ(ParseDecimalInt("001000"), 1000);
    EXPECT_EQ(ParseDecimalInt("08"), 8);
    EXPECT_EQ(ParseDecimalInt("+7"), 7);
    EXPECT_EQ(ParseDecimalInt("-010"), -10);
    EXPECT_EQ(ParseDecimalInt("-0"), 0);
    EXPECT_EQ(ParseDecimalInt("2147483647"), INT_MAX);
    EXPECT_EQ(ParseDecimalInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseDecimalInt("0000000000002147483647"), INT_MAX);

    for (const char* refused : {"", "+", "-", "0x3", "0X3", "0o7", "0b1", "08x", "1e3", "1.0", " 1", "1 ", "+-1",
                                "-+1", "++1", "--1", "2147483648", "-2147483649", "99999999999999999999"})
        EXPECT_EQ(ParseDecimalInt(refused), std::nullopt) << "'" << refused << "'";
}

TEST(CliOptions, FrameIndicesWithLeadingZerosAreDecimal) {
    TempFile movie;
    WriteTestMovie(movie, 4, 32, 16, 12, Value);
    TempFolder out;
    const ProcessResult r = RunCommand(Cli() + " convert " + Quote(movie.path()) + " " + Quote(out.path + "/f.tif") +
                                       " --start 09 --end 010 --bits 016 --jobs 01");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(FilesIn(out.path), (std::vector<std::string>{"f_000009.tif", "f_000010.tif"}));
    // 16 bits per sample, not the 14 an octal reading of "016" would give (and refuse).
    EXPECT_EQ(fs::file_size(out.path + "/f_000009.tif"), 200u + 32 * 16 * 2);
}

TEST(CliOptions, CornersAreDecimal) {
    TempFile movie;
    WriteTestMovie(movie, 4, 32, 16, 2, Value);
    TempFolder out;
    const std::string csv = out.path + "/a.csv";
    const ProcessResult r =
        RunCommand(Cli() + " aoi " + Quote(movie.path()) + " " + Quote(csv) + " --rect 0 0 010 3 --end +0");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(Slurp(csv).find("\"AOI : (0, 0) - (10, 3)\""), std::string::npos) << Slurp(csv);

    const std::string profile = out.path + "/p.csv";
    ASSERT_EQ(RunCommand(Cli() + " profile " + Quote(movie.path()) + " " + Quote(profile) + " --line 00 1 012 01").exitCode,
              0);
    EXPECT_NE(Slurp(profile).find("\"Profile : (0, 1) - (12, 1)\""), std::string::npos) << Slurp(profile);
}

TEST(CliOptions, AnythingButDecimalIsAUsageError) {
    TempFile movie;
    WriteTestMovie(movie, 4, 32, 16, 12, Value);
    TempFolder out;
    const std::string convert = Cli() + " convert " + Quote(movie.path()) + " " + Quote(out.path + "/x.tif");
    const std::string aoi = Cli() + " aoi " + Quote(movie.path()) + " " + Quote(out.path + "/x.csv");
    const std::string profile = Cli() + " profile " + Quote(movie.path()) + " " + Quote(out.path + "/x.csv");
    const struct {
        std::string command;
        const char* option;
    } cases[] = {
        {convert + " --start 0x3", "--start"},
        {convert + " --start 08x", "--start"},
        {convert + " --start ''", "--start"},
        {convert + " --start ' 1'", "--start"},
        {convert + " --end 2147483648", "--end"},
        {convert + " --end -0x1", "--end"},
        {convert + " --bits 0x10", "--bits"},
        {convert + " --bits 010", "--bits"},  // ten, not eight
        {convert + " --jobs 1e1", "--jobs"},
        {aoi + " --rect 0 0 0b1 3", "--rect"},
        {profile + " --line 0 0 5 5.0", "--line"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunCommand(c.command);
        EXPECT_EQ(r.exitCode, 2) << c.command << ": " << r.err;
        EXPECT_NE(r.err.find(c.option), std::string::npos) << c.command << ": " << r.err;
        EXPECT_TRUE(FilesIn(out.path).empty()) << c.command;
    }
}

TEST(CliOptions, VersionIsPrintedOnStdout) {
    for (const char* args : {" --version", " --version info"}) {
        const ProcessResult r = RunCommand(Cli() + args);
        EXPECT_EQ(r.exitCode, 0) << args << ": " << r.err;
        EXPECT_TRUE(std::regex_match(r.out, std::regex(R"(zeltiff16-cli \d+\.\d+\.\d+\.\d+\n)"))) << r.out;
        EXPECT_EQ(r.err, "");
    }
}

TEST(CliOptions, HelpOfEveryCommandShowsDefaultsAndExitStatus) {
    for (const char* command : {"info", "convert", "profile", "aoi"}) {
        const ProcessResult r = RunCommand(Cli() + " " + command + " --help");
        ASSERT_EQ(r.exitCode, 0) << command << ": " << r.err;
        for (const char* status : {"Exit status:", "  0 ", "  1 ", "  2 ", "  130, 143 "})
            EXPECT_NE(r.out.find(status), std::string::npos) << command << " lacks '" << status << "':\n" << r.out;
        if (std::string(command) == "info") continue;
        EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(--start INT +First.*default 0\))"))) << r.out;
        EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(--end INT +Last.*default the last frame)"))) << r.out;
    }
    const std::string convert = RunCommand(Cli() + " convert --help").out;
    EXPECT_TRUE(std::regex_search(convert, std::regex(R"(--bits .*\(default 16\))"))) << convert;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::string decoders = std::to_string(cores > 1 ? cores - 1 : 1);
    EXPECT_TRUE(std::regex_search(convert, std::regex(R"(--jobs .*default: one per core but one, at least 1; )" +
                                                      decoders + " here")))
        << convert;
}

TEST(CliOptions, AnUnknownCommandIsNamed) {
    TempFile movie;
    WriteTestMovie(movie, 4, 32, 16, 2, Value);
    for (const std::string& args :
         {std::string(" bogus"), " bogus " + Quote(movie.path()), std::string(" --json bogus")}) {
        const ProcessResult r = RunCommand(Cli() + args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.err.find("unknown command 'bogus'"), std::string::npos) << args << ": " << r.err;
        EXPECT_EQ(r.out, "") << args;
    }
}
