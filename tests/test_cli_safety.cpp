// The command-line tool never destroys what the user owns: an input is never an output,
// an interrupted run leaves only complete files, paths are used literally, and a failure
// says why.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "DocumentFixture.h"
#include "RunProcess.h"
#include "TempFile.h"
#include "TempFolder.h"

using namespace zeltest;
namespace fs = std::filesystem;

namespace {

uint16_t Ramp(int n, int x, int y) { return static_cast<uint16_t>((n + x + 3 * y) % 1024); }

void WithCorrection(zelgen::MovieSpec& s, int kind) {
    s.correction.kind = kind;
    s.correction.width = s.width;
    s.correction.height = s.height;
}

// Runs a command line in a child process whose pid is known, so it can be signalled.
class Child {
public:
    explicit Child(const std::string& commandLine) {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/bin/sh", "sh", "-c", ("exec " + commandLine + " 2>/dev/null").c_str(), nullptr);
            ::_exit(127);
        }
    }
    void Signal(int signal) const { ::kill(pid_, signal); }
    // The exit code, or -1 when the child was killed by a signal.
    int Wait() const {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
};

bool WaitForAnyFile(const std::string& folder) {
    for (int i = 0; i < 5000; ++i) {
        if (!FilesIn(folder).empty()) return true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

}  // namespace

TEST(CliSafety, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsWritten) {
    TempFolder folder;
    const std::string movie = folder.path + "/m.zel", dark = folder.path + "/dark.zel";
    {
        const TempFile source, reference;
        WriteTestMovie(source, 6, 32, 16, 3, Ramp, [](zelgen::MovieSpec& s) { WithCorrection(s, 3); });
        WriteTestMovie(reference, 6, 32, 16, 2, Ramp);
        fs::copy_file(source.path(), movie);
        fs::copy_file(reference.path(), dark);
    }
    const std::string original = Slurp(movie), originalDark = Slurp(dark);
    fs::create_symlink(movie, folder.path + "/link.csv");
    fs::create_hard_link(movie, folder.path + "/x_000001.tif");  // a name the conversion would write

    const std::string m = Quote(movie), cli = Cli();
    const std::string commands[] = {
        cli + " aoi " + m + " " + m + " --rect 0 0 3 3",
        cli + " profile " + m + " " + Quote(folder.path + "/link.csv") + " --line 0 0 3 3",
        cli + " convert " + m + " " + Quote(folder.path + "/x.tif"),
        cli + " aoi " + m + " " + Quote(dark) + " --rect 0 0 3 3 --black-reference " + Quote(dark),
    };
    for (const std::string& command : commands) {
        const ProcessResult r = RunCommand(command);
        EXPECT_EQ(r.exitCode, 2) << command << ": " << r.err;
        EXPECT_NE(r.err.find("is the movie"), std::string::npos) << r.err;
        EXPECT_EQ(Slurp(movie), original) << command;
        EXPECT_EQ(Slurp(dark), originalDark) << command;
    }
    EXPECT_EQ(FilesIn(folder.path), (std::vector<std::string>{"dark.zel", "link.csv", "m.zel", "x_000001.tif"}));
}

TEST(CliSafety, InterruptedRunsKeepOnlyCompleteFiles) {
    constexpr int W = 1024, H = 1024, kFrames = 40;
    TempFile movie;
    WriteTestMovie(movie, 6, W, H, kFrames, Ramp);
    TempFolder frames, csv;

    Child convert(Cli() + " convert " + Quote(movie.path()) + " " + Quote(frames.path + "/f.tif") + " --jobs 2");
    ASSERT_TRUE(WaitForAnyFile(frames.path));
    convert.Signal(SIGINT);
    const int convertCode = convert.Wait();
    if (convertCode == 0) GTEST_SKIP() << "the conversion finished before the signal arrived";
    EXPECT_EQ(convertCode, 130);
    const auto written = FilesIn(frames.path);
    EXPECT_LT(written.size(), static_cast<size_t>(kFrames));
    for (const auto& name : written) {
        EXPECT_EQ(name.find(".partial"), std::string::npos) << name;
        EXPECT_EQ(fs::file_size(frames.path + "/" + name), 200u + 2u * W * H) << name;
    }

    Child aoi(Cli() + " aoi " + Quote(movie.path()) + " " + Quote(csv.path + "/a.csv") + " --rect 0 0 1023 1023");
    ASSERT_TRUE(WaitForAnyFile(csv.path));  // the export's temporary file
    aoi.Signal(SIGTERM);
    const int aoiCode = aoi.Wait();
    if (aoiCode == 0) GTEST_SKIP() << "the export finished before the signal arrived";
    EXPECT_EQ(aoiCode, 143);
    EXPECT_TRUE(FilesIn(csv.path).empty());
}

TEST(CliSafety, PathsAreLiteralAndFoldersTakeTheMovieName) {
    TempFile movie;
    WriteTestMovie(movie, 6, 32, 16, 2, Ramp);
    const std::string base = fs::path(movie.path()).stem().string();
    TempFolder out;
    fs::create_directory(out.path + "/run;2");
    fs::create_directory(out.path + "/frames");
    const std::string convert = Cli() + " convert " + Quote(movie.path()) + " ";
    ASSERT_EQ(RunCommand(convert + Quote(out.path + "/run;2/shot.tif")).exitCode, 0);
    EXPECT_EQ(FilesIn(out.path + "/run;2"), (std::vector<std::string>{"shot_000000.tif", "shot_000001.tif"}));
    for (const std::string& folder : {out.path + "/frames", out.path + "/frames/"}) {
        const ProcessResult r = RunCommand(convert + Quote(folder) + " --end 0");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(FilesIn(out.path + "/frames"), std::vector<std::string>{base + "_000000.tif"});
    }
    EXPECT_EQ(FilesIn(out.path), (std::vector<std::string>{"frames", "run;2"}));
}

TEST(CliSafety, FailuresSayWhyAndLeaveNothing) {
    TempFile movie, kind5;
    WriteTestMovie(movie, 6, 64, 64, 2, Ramp);
    WriteTestMovie(kind5, 6, 64, 64, 2, Ramp, [](zelgen::MovieSpec& s) { WithCorrection(s, 5); });
    TempFolder out;
    // A black balance that could change nothing is a failure, not a silent success.
    const ProcessResult balance = RunCommand(Cli() + " convert " + Quote(kind5.path()) + " " +
                                             Quote(out.path + "/b.tif") + " --black-reference " + Quote(movie.path()));
    EXPECT_EQ(balance.exitCode, 1);
    EXPECT_NE(balance.err.find("kind 5"), std::string::npos) << balance.err;
    // A file size limit makes every TIFF write fail part-way: the system's reason is named.
    const ProcessResult limited = RunCommand("trap '' XFSZ; ulimit -f 4; " + Cli() + " convert " +
                                             Quote(movie.path()) + " " + Quote(out.path + "/t.tif"));
    EXPECT_EQ(limited.exitCode, 1);
    EXPECT_NE(limited.err.find("File too large"), std::string::npos) << limited.err;
    EXPECT_TRUE(FilesIn(out.path).empty());
}
