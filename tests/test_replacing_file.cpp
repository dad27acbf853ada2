// ReplacingFile: the target shows the old file until Commit and the complete new one
// after it; abandoned and failed files leave no trace; failures give the system's reason.

#include "FileSizeLimit.h"
#include "FolderTest.h"
#include "document/CsvExport.h"
#include "fileio/ReplacingFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace zel {
namespace {

namespace fs = std::filesystem;
using zeltest::WithFileSizeLimit;

class ReplacingFiles : public zeltest::FolderTest {
protected:
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

// Distinct bytes, so that a chunk written twice, lost or out of order shows.
std::string Pattern(size_t size) {
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>('!' + (i * 7 + i / 251) % 90);
    return text;
}

TEST_F(ReplacingFiles, TargetShowsTheOldFileUntilCommit) {
    const std::string target = Path("a.dat");
    Put(target, "old");
    ReplacingFile file;
    ASSERT_TRUE(file.Create(target));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Target(), target);
    EXPECT_EQ(file.TemporaryPath().rfind(target + ".partial-", 0), 0u) << file.TemporaryPath();

    // Small writes across the buffer's size, then one larger than the buffer on top of
    // buffered bytes.
    const std::string expected = Pattern(300000);
    size_t at = 0;
    for (size_t chunk = 1; at + chunk <= 150000; at += chunk, chunk = chunk % 997 + 13) {
        ASSERT_TRUE(file.Write(expected.data() + at, chunk));
    }
    ASSERT_TRUE(file.Write(expected.substr(at, 100000)));
    at += 100000;
    ASSERT_TRUE(file.Write(expected.substr(at)));
    ASSERT_TRUE(file.Flush());
    EXPECT_EQ(Read(target), "old");

    std::string error;
    ASSERT_TRUE(file.Commit(&error)) << error;
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.TemporaryPath().empty());
    const std::string written = Read(target);
    ASSERT_EQ(written.size(), expected.size());
    const auto firstDifference = std::mismatch(written.begin(), written.end(), expected.begin()).first;
    EXPECT_EQ(firstDifference - written.begin(), std::ssize(written)) << "the first byte that differs";
    EXPECT_EQ(Names(), std::vector<std::string>{"a.dat"});
}

TEST_F(ReplacingFiles, AbandonedFilesLeaveTheFolderAsItWas) {
    Put(Path("kept"), "old");
    {
        ReplacingFile file;
        ASSERT_TRUE(file.Create(Path("kept")));
        ASSERT_TRUE(file.Write("new"));
        ASSERT_TRUE(file.Flush());
        file.Abandon();
        EXPECT_FALSE(file.IsOpen());
        EXPECT_FALSE(file.Commit());

        ASSERT_TRUE(file.Create(Path("never")));
        ASSERT_TRUE(file.Write("new"));
        ASSERT_TRUE(file.Create(Path("kept")));  // abandons the file for "never"
        ASSERT_TRUE(file.Write("new"));
    }  // the destructor abandons the second file for "kept"
    EXPECT_EQ(Names(), std::vector<std::string>{"kept"});
    EXPECT_EQ(Read(Path("kept")), "old");
}

TEST_F(ReplacingFiles, ALinkIsReplacedAndTheFileItPointsToNeverTouched) {
    Put(Path("real"), "precious");
    fs::create_symlink("real", Path("link"));
    ReplacingFile file;
    ASSERT_TRUE(file.Create(Path("link")));
    ASSERT_TRUE(file.Write("new"));
    file.Abandon();
    EXPECT_TRUE(fs::is_symlink(Path("link")));
    EXPECT_EQ(Read(Path("real")), "precious");

    ASSERT_TRUE(file.Create(Path("link")));
    ASSERT_TRUE(file.Write("new"));
    ASSERT_TRUE(file.Commit());
    EXPECT_FALSE(fs::is_symlink(Path("link")));
    EXPECT_EQ(Read(Path("link")), "new");
    EXPECT_EQ(Read(Path("real")), "precious");
    EXPECT_EQ(Names(), (std::vector<std::string>{"link", "real"}));
}

// A replaced file's permissions stay with its name, and are on the temporary from the
// start; a new file has those of any new file.
TEST_F(ReplacingFiles, TheNewFileKeepsTheReplacedFilesPermissions) {
    const auto modeOf = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777u;
    };
    const auto replace = [](const std::string& target, mode_t* temporaryMode = nullptr) {
        ReplacingFile file;
        std::string error;
        if (!file.Create(target, &error) || !file.Write("new", &error)) return error;
        struct stat st {};
        if (temporaryMode && ::stat(file.TemporaryPath().c_str(), &st) == 0) *temporaryMode = st.st_mode & 07777;
        return file.Commit(&error) ? std::string("ok") : error;
    };
    // A umask that a new file's mode shows, different from every replaced file's below.
    struct Umask {
        const mode_t kept = ::umask(022);
        ~Umask() { ::umask(kept); }
    } umask;
    Put(Path("private"), "old");
    fs::permissions(Path("private"), fs::perms::owner_read | fs::perms::owner_write);
    mode_t temporaryMode = 0;
    EXPECT_EQ(replace(Path("private"), &temporaryMode), "ok");
    EXPECT_EQ(temporaryMode, 0600u);
    EXPECT_EQ(modeOf(Path("private")), 0600u);

    Put(Path("shared"), "old");
    ::chmod(Path("shared").c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(Path("shared").c_str(), 4321, 4322), 0);  // someone else's file
    }
    EXPECT_EQ(replace(Path("shared")), "ok");
    EXPECT_EQ(modeOf(Path("shared")), 0640u);
    struct stat st {};
    ASSERT_EQ(::stat(Path("shared").c_str(), &st), 0);
    if (root) {
        EXPECT_EQ(std::make_pair(st.st_uid, st.st_gid), std::make_pair(uid_t{4321}, gid_t{4322}));
    }

    ::umask(027);
    EXPECT_EQ(replace(Path("new")), "ok");
    EXPECT_EQ(modeOf(Path("new")), 0640u);  // 0666 less the umask
}

// A file its owner may not write is refused before anything is written, also to root
// and also behind a link.
TEST_F(ReplacingFiles, WriteProtectedFilesAreRefused) {
    Put(Path("locked"), "old");
    fs::permissions(Path("locked"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_symlink("locked", Path("link"));
    ReplacingFile file;
    std::string error;
    EXPECT_FALSE(file.Create(Path("locked"), &error));
    EXPECT_EQ(error, "cannot write " + Path("locked") +
                         ": the file is write-protected (no write permission for its owner)");
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Create(Path("link"), &error));
    EXPECT_EQ(error, "cannot write " + Path("link") + ": the file is write-protected (no write permission for its owner)");
    EXPECT_TRUE(fs::is_symlink(Path("link")));
    EXPECT_EQ(Read(Path("locked")), "old");
    EXPECT_EQ(Names(), (std::vector<std::string>{"link", "locked"}));

    // The CSV export goes through the same file.
    ProfileCsvWriter csv;
    EXPECT_FALSE(csv.Begin(Path("locked"), "movie.zel", {5, 7, 2, 7}, &error));
    EXPECT_NE(error.find("write-protected"), std::string::npos) << error;
    EXPECT_EQ(Read(Path("locked")), "old");
}

TEST_F(ReplacingFiles, TemporaryNames) {
    // A name in use is someone else's file: skipped, never opened.
    const std::string target = Path("a.dat");
    const std::string taken = target + ".partial-" + std::to_string(::getpid()) + "-0";
    Put(taken, "not ours");
    ReplacingFile file;
    ASSERT_TRUE(file.Create(target));
    EXPECT_EQ(file.TemporaryPath(), target + ".partial-" + std::to_string(::getpid()) + "-1");
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Read(taken), "not ours");

    // A name too long to extend gets a short temporary name in the same folder.
    const std::string longest = Path(std::string(255, 'n'));
    ASSERT_TRUE(file.Create(longest));
    EXPECT_EQ(fs::path(file.TemporaryPath()).parent_path(), folder);
    EXPECT_EQ(fs::path(file.TemporaryPath()).filename().string().rfind(".zel-partial-", 0), 0u);
    ASSERT_TRUE(file.Write("long"));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Read(longest), "long");
    EXPECT_EQ(Names().size(), 3u);
}

TEST_F(ReplacingFiles, CreateFailuresGiveTheReason) {
    ReplacingFile file;
    std::string error;
    EXPECT_FALSE(file.Create(Path("missing/a.dat"), &error));
    EXPECT_EQ(error, "cannot create " + Path("missing/a.dat") + ": No such file or directory");
    Put(Path("plain"), "x");
    EXPECT_FALSE(file.Create(Path("plain/a.dat"), &error));
    EXPECT_EQ(error, "cannot create " + Path("plain/a.dat") + ": Not a directory");
    EXPECT_FALSE(file.IsOpen());

    // Neither a folder nor a special file (also behind a link) can be replaced by a file.
    fs::create_directory(Path("folder"));
    EXPECT_FALSE(file.Create(Path("folder"), &error));
    EXPECT_EQ(error, "cannot create " + Path("folder") + ": Is a directory");
    fs::create_symlink("/dev/null", Path("null"));
    EXPECT_FALSE(file.Create(Path("null"), &error));
    EXPECT_EQ(error, "cannot create " + Path("null") + ": not a regular file");
    EXPECT_FALSE(file.Create("/dev/null", &error));
    struct stat device {};
    ASSERT_EQ(::lstat("/dev/null", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode));
    EXPECT_EQ(Names(), (std::vector<std::string>{"folder", "null", "plain"}));

    EXPECT_FALSE(file.Write("x", &error));
    EXPECT_EQ(error, "no file is open");
}

TEST_F(ReplacingFiles, UnwritableFolder) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    ReplacingFile file;
    std::string error;
    EXPECT_FALSE(file.Create(Path("a.dat"), &error));
    EXPECT_EQ(error, "cannot create " + Path("a.dat") + ": Permission denied");
}

// Writes past the limit fail whether they are buffered (failing at Commit) or large
// enough to go out at once (failing at that Write, and every call after it).
TEST_F(ReplacingFiles, WriteFailuresKeepTheTarget) {
    const std::string target = Path("a.dat");
    Put(target, "old");
    const std::string report = WithFileSizeLimit(1000, [&target] {
        std::string text, error;
        ReplacingFile file;
        const std::string bytes = Pattern(600);
        if (!file.Create(target) || !file.Write(bytes) || !file.Flush() || !file.Write(bytes)) return text;
        text += "commit: " + std::string(file.Commit(&error) ? "ok" : error) + "\n";

        if (!file.Create(target)) return text;
        text += "large: " + std::string(file.Write(Pattern(100000), &error) ? "ok" : error) + "\n";
        text += "then: " + std::string(file.Write("x", &error) ? "ok" : error) + "\n";
        text += "commit: " + std::string(file.Commit(&error) ? "ok" : error) + "\n";
        return text;
    });
    const std::string tooLarge = "cannot write " + target + ": File too large\n";
    EXPECT_EQ(report, "commit: " + tooLarge + "large: " + tooLarge + "then: " + tooLarge + "commit: " + tooLarge);
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"a.dat"});
}

TEST_F(ReplacingFiles, FailedRenameRemovesTheTemporary) {
    const std::string target = Path("a.dat");
    ReplacingFile file;
    ASSERT_TRUE(file.Create(target));
    ASSERT_TRUE(file.Write("new"));
    // A folder appears under the target's name meanwhile; a file cannot replace it.
    fs::create_directory(target);
    Put(Path("a.dat/keep"), "kept");
    std::string error;
    EXPECT_FALSE(file.Commit(&error));
    EXPECT_EQ(error.rfind("cannot create " + target + ": ", 0), 0u) << error;
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(Names(), std::vector<std::string>{"a.dat"});
    EXPECT_EQ(Read(Path("a.dat/keep")), "kept");
}

}  // namespace
}  // namespace zel
