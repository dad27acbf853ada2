// The file layer (platform/) on whichever system the tests run: reading with 64-bit
// offsets, refusing what is not a regular file, creating without ever opening an existing
// file, sharing with other open files, file identity, and paths with non-ASCII characters
// or longer than Windows' classic 260 characters, through the layer and through its users
// (ReplacingFile, MovieFile). The same tests run on Linux and, cross-built, under Wine.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/FileIdentity.h"
#include "fileio/ReplacingFile.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Utf8Path.h"
#include "reader/MovieFile.h"
#ifdef _WIN32
#include "platform/WindowsText.h"
#endif

namespace zel::platform {
namespace {

namespace fs = std::filesystem;

// A std::filesystem path for a UTF-8 path. On Windows, one too long for the classic limit
// is given in its "\\?\" form: std::filesystem passes paths to the system as they are.
fs::path Fs(const std::string& utf8) {
    fs::path path = PathFromUtf8(utf8);
#ifdef _WIN32
    if (path.native().size() >= 248)
        path = fs::path(L"\\\\?\\" + fs::absolute(path).lexically_normal().make_preferred().native());
#endif
    return path;
}

std::string ReadAll(const std::string& utf8) {
    std::ifstream in(Fs(utf8), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const std::string& utf8, const std::string& bytes) {
    std::ofstream(Fs(utf8), std::ios::binary) << bytes;
}

std::string Pattern(size_t size) {
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>((i * 13 + i / 256) & 0xFF);
    return text;
}

// A fresh folder of its own (UTF-8 path in `folder`), removed with its contents afterwards.
class PlatformFiles : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        folder = Utf8OfPath(fs::temp_directory_path() /
                            ("zel_platform_" + std::to_string(ProcessId()) + "_" + std::to_string(counter++)));
        fs::create_directories(Fs(folder));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(Fs(folder), ignored);
    }
    std::string Path(const std::string& name) const { return folder + "/" + name; }
    std::vector<std::string> Names(const std::string& utf8) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Fs(utf8))) names.push_back(Utf8OfPath(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string folder;
};

TEST_F(PlatformFiles, ReadsAtThePositionAndAtOffsets) {
    const std::string bytes = Pattern(300000);
    Put(Path("a.bin"), bytes);
    File file;
    ASSERT_FALSE(file.OpenForReading(Path("a.bin")));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Size(), std::optional<int64_t>(300000));

    std::string chunk(1000, '\0');
    std::error_code error;
    EXPECT_EQ(file.Read(chunk.data(), 1000, error), 1000);
    EXPECT_EQ(chunk, bytes.substr(0, 1000));
    // A read at an offset leaves the position alone.
    EXPECT_EQ(file.ReadAt(200000, chunk.data(), 1000, error), 1000);
    EXPECT_EQ(chunk, bytes.substr(200000, 1000));
    EXPECT_EQ(file.Read(chunk.data(), 1000, error), 1000);
    EXPECT_EQ(chunk, bytes.substr(1000, 1000));
    EXPECT_TRUE(file.Skip(3000));
    EXPECT_EQ(file.Read(chunk.data(), 1000, error), 1000);
    EXPECT_EQ(chunk, bytes.substr(5000, 1000));
    EXPECT_TRUE(file.Seek(299500));
    EXPECT_EQ(file.Read(chunk.data(), 1000, error), 500);  // short at the end only
    EXPECT_EQ(chunk.substr(0, 500), bytes.substr(299500));
    EXPECT_EQ(file.Read(chunk.data(), 1000, error), 0);
    EXPECT_EQ(file.ReadAt(300000, chunk.data(), 10, error), 0);
    EXPECT_EQ(file.ReadAt(299995, chunk.data(), 10, error), 5);
    EXPECT_FALSE(file.Seek(-1));
    EXPECT_FALSE(file.Skip(-1));
    EXPECT_FALSE(file.Close());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Read(chunk.data(), 10, error), -1);
    EXPECT_FALSE(file.Close());  // harmless when closed
}

TEST_F(PlatformFiles, OffsetsBeyondFourGib) {
    const int64_t far = (int64_t{5} << 30) + 7;  // sparse where the system allows
    {
        std::ofstream create(Fs(Path("big.bin")));
    }
    fs::resize_file(Fs(Path("big.bin")), static_cast<uintmax_t>(far));
    {
        std::fstream tail(Fs(Path("big.bin")), std::ios::binary | std::ios::in | std::ios::out | std::ios::ate);
        tail.write("tail", 4);
    }
    MovieFile movie;
    std::string reason;
    std::error_code system;
    ASSERT_TRUE(movie.Open(Path("big.bin"), reason, system)) << reason;
    EXPECT_EQ(movie.Size(), far + 4);
    char text[4] = {};
    EXPECT_TRUE(movie.ReadAt(far, text, 4));
    EXPECT_EQ(std::string(text, 4), "tail");
    EXPECT_TRUE(movie.Seek(far - 2));
    char more[6] = {};
    EXPECT_EQ(movie.Read(more, 6), 6);
    EXPECT_EQ(std::string(more + 2, 4), "tail");
    EXPECT_EQ(movie.SeekCount(), 1u);
}

TEST_F(PlatformFiles, RefusesWhatIsNotARegularFile) {
    File file;
    EXPECT_EQ(file.OpenForReading(folder), std::errc::is_a_directory);
    EXPECT_EQ(file.OpenForReading(Path("missing")), std::errc::no_such_file_or_directory);
    EXPECT_EQ(file.OpenForReading(Path("missing")).message(), "No such file or directory");
    EXPECT_EQ(file.OpenForReading(Path("missing/a.bin")), std::errc::no_such_file_or_directory);
    EXPECT_EQ(file.OpenForReading(""), std::errc::no_such_file_or_directory);
#ifdef _WIN32
    const std::string device = "NUL";
#else
    const std::string device = "/dev/null";
#endif
    EXPECT_EQ(file.OpenForReading(device), NotRegularFile());
    EXPECT_EQ(NotRegularFile().message(), "not a regular file");
    EXPECT_FALSE(file.IsOpen());

    MovieFile movie;
    std::string reason;
    std::error_code system;
    EXPECT_FALSE(movie.Open(folder, reason, system));
    EXPECT_EQ(reason, "is a directory");
    EXPECT_FALSE(movie.Open(device, reason, system));
    EXPECT_EQ(reason, "is not a regular file");
    EXPECT_FALSE(movie.Open(Path("missing"), reason, system));
    EXPECT_EQ(reason, "No such file or directory");

    EXPECT_EQ(KindOfPath(folder), PathKind::Directory);
    EXPECT_EQ(KindOfPath(device), PathKind::Other);
    EXPECT_EQ(KindOfPath(Path("missing")), PathKind::Absent);
    Put(Path("plain"), "x");
    EXPECT_EQ(KindOfPath(Path("plain")), PathKind::Regular);
}

TEST_F(PlatformFiles, CreatesOnlyNewFiles) {
    Put(Path("taken"), "not ours");
    File file;
    EXPECT_EQ(file.CreateNew(Path("taken")), std::errc::file_exists);
    EXPECT_EQ(file.CreateNew(Path("missing/a.bin")), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(file.IsOpen());
    ASSERT_FALSE(file.CreateNew(Path("new")));
    const std::string bytes = Pattern(100000);
    EXPECT_FALSE(file.Write(bytes.data(), 60000));
    EXPECT_FALSE(file.Write(bytes.data() + 60000, 40000));
    EXPECT_FALSE(file.Close());
    EXPECT_EQ(ReadAll(Path("new")), bytes);
    EXPECT_EQ(ReadAll(Path("taken")), "not ours");

    EXPECT_FALSE(ReplaceFile(Path("new"), Path("taken")));
    EXPECT_EQ(ReadAll(Path("taken")), bytes);
    EXPECT_EQ(ReplaceFile(Path("new"), Path("other")), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(RemoveFile(Path("taken")));
    EXPECT_EQ(RemoveFile(Path("taken")), std::errc::no_such_file_or_directory);
    EXPECT_TRUE(Names(folder).empty());
}

// A movie can be read while another program writes it or reads it too (on Windows: the
// sharing modes of both opens allow it).
TEST_F(PlatformFiles, OpenFilesAreShared) {
    File writer;
    ASSERT_FALSE(writer.CreateNew(Path("growing.zel")));
    ASSERT_FALSE(writer.Write("first", 5));
    File reader, second;
    ASSERT_FALSE(reader.OpenForReading(Path("growing.zel")));
    ASSERT_FALSE(second.OpenForReading(Path("growing.zel")));
    ASSERT_FALSE(writer.Write("second", 6));
    std::error_code error;
    char text[11] = {};
    EXPECT_EQ(reader.Read(text, 11, error), 11);
    EXPECT_EQ(std::string(text, 11), "firstsecond");
    EXPECT_EQ(second.ReadAt(5, text, 6, error), 6);
    EXPECT_EQ(reader.Identity(), second.Identity());
    EXPECT_EQ(reader.Identity(), writer.Identity());

    // Renamed while open (on Windows: the readers share deletion), the file reads on.
    ASSERT_FALSE(writer.Close());
    EXPECT_FALSE(ReplaceFile(Path("growing.zel"), Path("moved.zel")));
    EXPECT_EQ(second.ReadAt(0, text, 5, error), 5);
    EXPECT_EQ(std::string(text, 5), "first");
    EXPECT_EQ(KindOfPath(Path("growing.zel")), PathKind::Absent);
    EXPECT_FALSE(ReplaceFile(Path("moved.zel"), Path("growing.zel")));

    // Also while a plain C++ stream (the C runtime, on Windows with its own sharing) reads.
    std::ifstream other(Fs(Path("growing.zel")), std::ios::binary);
    ASSERT_TRUE(other.good());
    MovieFile movie;
    std::string reason;
    std::error_code system;
    EXPECT_TRUE(movie.Open(Path("growing.zel"), reason, system)) << reason;
}

TEST_F(PlatformFiles, IdentityFollowsTheFileNotTheName) {
    Put(Path("a"), "a");
    Put(Path("b"), "b");
    fs::create_directories(Fs(Path("sub")));
    const auto a = IdentityOfPath(Path("a"));
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(IdentityOfPath(folder + "/sub/../a"), a);
    EXPECT_EQ(IdentityOfPath(folder + "/./a"), a);
#ifdef _WIN32
    std::string backslashes = Path("a");
    std::replace(backslashes.begin(), backslashes.end(), '/', '\\');
    EXPECT_EQ(IdentityOfPath(backslashes), a);
#endif
    EXPECT_NE(IdentityOfPath(Path("b")), a);
    EXPECT_EQ(IdentityOfPath(Path("missing")), std::nullopt);
    EXPECT_EQ(IdentityOfPath(""), std::nullopt);
    fs::create_hard_link(Fs(Path("a")), Fs(Path("hard")));
    EXPECT_EQ(IdentityOfPath(Path("hard")), a);

    File file;
    ASSERT_FALSE(file.OpenForReading(Path("hard")));
    EXPECT_EQ(file.Identity(), a);
    file.Close();
    EXPECT_EQ(file.Identity(), std::nullopt);
}

TEST_F(PlatformFiles, ReplacingFileOverTheLayer) {
    const std::string target = Path("out.csv");
    Put(target, "old");
    ReplacingFile file;
    std::string error;
    ASSERT_TRUE(file.Create(target, &error)) << error;
    EXPECT_EQ(file.TemporaryPath(), target + ".partial-" + std::to_string(ProcessId()) + "-0");
    ASSERT_TRUE(file.Write(Pattern(200000)));
    ASSERT_TRUE(file.Flush());
    EXPECT_EQ(ReadAll(target), "old");
    ASSERT_TRUE(file.Commit(&error)) << error;
    EXPECT_EQ(ReadAll(target), Pattern(200000));
    EXPECT_EQ(Names(folder), std::vector<std::string>{"out.csv"});

    ASSERT_TRUE(file.Create(target));
    ASSERT_TRUE(file.Write("lost"));
    file.Abandon();
    EXPECT_EQ(Names(folder), std::vector<std::string>{"out.csv"});

    EXPECT_FALSE(file.Create(folder, &error));
    EXPECT_EQ(error, "cannot create " + folder + ": Is a directory");
    EXPECT_FALSE(file.Create(Path("missing/a.csv"), &error));
    EXPECT_EQ(error, "cannot create " + Path("missing/a.csv") + ": No such file or directory");

    // A name too long to extend gets a short temporary name in the same folder.
    const std::string longest = Path(std::string(255, 'n'));
    ASSERT_TRUE(file.Create(longest, &error)) << error;
    EXPECT_EQ(fs::path(Fs(file.TemporaryPath())).filename().string().rfind(".zel-partial-", 0), 0u)
        << file.TemporaryPath();
    ASSERT_TRUE(file.Write("long"));
    ASSERT_TRUE(file.Commit(&error)) << error;
    EXPECT_EQ(ReadAll(longest), "long");
    EXPECT_EQ(Names(folder).size(), 2u);
}

#ifdef _WIN32
TEST_F(PlatformFiles, BackslashesSeparateFoldersOnWindows) {
    fs::create_directories(Fs(Path("sub")));
    std::string target = Path("sub/" + std::string(255, 'w'));
    std::replace(target.begin(), target.end(), '/', '\\');
    ReplacingFile file;
    std::string error;
    ASSERT_TRUE(file.Create(target, &error)) << error;
    EXPECT_NE(file.TemporaryPath().find("\\sub\\.zel-partial-"), std::string::npos) << file.TemporaryPath();
    ASSERT_TRUE(file.Commit(&error)) << error;
    EXPECT_EQ(Names(Path("sub")), std::vector<std::string>{std::string(255, 'w')});
}

TEST(WindowsPaths, WidePathsForTheSystem) {
    std::error_code error;
    EXPECT_EQ(SystemPath("C:\\data\\a.zel", error), L"C:\\data\\a.zel");
    EXPECT_FALSE(error);
    EXPECT_EQ(SystemPath("C:/d\xC3\xA9j\xC3\xA0/\xE5\x8B\x95\xE7\x94\xBB.zel", error), L"C:/d\u00e9j\u00e0/\u52d5\u753b.zel");
    const std::string deep = "C:\\" + std::string(300, 'x') + "\\..\\y.zel";
    EXPECT_EQ(SystemPath(deep, error), L"C:\\" + std::wstring(300, L'x') + L"\\..\\y.zel");  // short in full
    const std::string longer = "C:\\" + std::string(300, 'x') + "\\y.zel";
    EXPECT_EQ(SystemPath(longer, error), L"\\\\?\\C:\\" + std::wstring(300, L'x') + L"\\y.zel");
    EXPECT_EQ(SystemPath("C:/" + std::string(300, 'x') + "/./y.zel", error),
              L"\\\\?\\C:\\" + std::wstring(300, L'x') + L"\\y.zel");
    EXPECT_EQ(SystemPath("\\\\server\\share\\" + std::string(300, 'x'), error),
              L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'x'));
    EXPECT_EQ(SystemPath("\\\\?\\C:\\as\\is", error), L"\\\\?\\C:\\as\\is");
    EXPECT_EQ(SystemPath("NUL", error), L"\\\\.\\NUL");
    EXPECT_FALSE(error);
    SystemPath("", error);
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    SystemPath("bad \xFF text", error);
    EXPECT_EQ(error, std::errc::invalid_argument);
    EXPECT_EQ(WindowsError(2 /* ERROR_FILE_NOT_FOUND */), std::errc::no_such_file_or_directory);
    EXPECT_EQ(WindowsError(32 /* ERROR_SHARING_VIOLATION */).category().name(), std::string("windows"));
    EXPECT_FALSE(WindowsError(32).message().empty());
}
#endif

// Names in Japanese and with accents, for folders and files, read and written.
TEST_F(PlatformFiles, NonAsciiPaths) {
    const std::string sub = Path("\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF_d\xC3\xA9j\xC3\xA0_\xC3\xBC");  // データ_déjà_ü
    fs::create_directories(Fs(sub));
    const std::string target = sub + "/\xE5\x8B\x95\xE7\x94\xBB_\xC3\xB1.zel";  // 動画_ñ.zel
    EXPECT_EQ(KindOfPath(sub), PathKind::Directory);
    ReplacingFile file;
    std::string error;
    ASSERT_TRUE(file.Create(target, &error)) << error;
    ASSERT_TRUE(file.Write(Pattern(5000)));
    ASSERT_TRUE(file.Commit(&error)) << error;
    EXPECT_EQ(Names(sub), std::vector<std::string>{"\xE5\x8B\x95\xE7\x94\xBB_\xC3\xB1.zel"});
    EXPECT_EQ(KindOfPath(target), PathKind::Regular);
    EXPECT_TRUE(IdentityOfPath(target).has_value());

    MovieFile movie;
    std::error_code system;
    ASSERT_TRUE(movie.Open(target, error, system)) << error;
    EXPECT_EQ(movie.Size(), 5000);
    EXPECT_EQ(movie.Identity(), IdentityOfPath(target));
    std::string bytes(5000, '\0');
    EXPECT_TRUE(movie.ReadAt(0, bytes.data(), 5000));
    EXPECT_EQ(bytes, Pattern(5000));
}

// Paths of more than 260 characters: folders nested deep, and a long name at the end.
TEST_F(PlatformFiles, PathsLongerThan260Characters) {
    std::string deep = folder;
    for (int level = 0; level < 6; ++level) deep += "/level_" + std::to_string(level) + "_" + std::string(40, 'd');
    const std::string target = deep + "/" + std::string(60, 'f') + "_\xC3\xA9.tif";
    ASSERT_GT(target.size(), 300u);
    fs::create_directories(Fs(deep));
    EXPECT_EQ(KindOfPath(deep), PathKind::Directory);

    ReplacingFile file;
    std::string error;
    ASSERT_TRUE(file.Create(target, &error)) << error;
    ASSERT_TRUE(file.Write(Pattern(70000)));
    ASSERT_TRUE(file.Commit(&error)) << error;
    ASSERT_TRUE(file.Create(target, &error)) << error;  // and once more over the first
    ASSERT_TRUE(file.Write(Pattern(80000)));
    ASSERT_TRUE(file.Commit(&error)) << error;
    // (No listing of the folder: std::filesystem of mingw-w64 lists no folder this deep.)
    EXPECT_EQ(KindOfPath(target), PathKind::Regular);
    ASSERT_TRUE(file.Create(target, &error)) << error;
    const std::string temporary = file.TemporaryPath();
    EXPECT_EQ(KindOfPath(temporary), PathKind::Regular);
    file.Abandon();
    EXPECT_EQ(KindOfPath(temporary), PathKind::Absent);

    MovieFile movie;
    std::error_code system;
    ASSERT_TRUE(movie.Open(target, error, system)) << error;
    EXPECT_EQ(movie.Size(), 80000);
    std::string bytes(80000, '\0');
    EXPECT_EQ(movie.Read(bytes.data(), 80000), 80000);
    EXPECT_EQ(bytes, Pattern(80000));
    EXPECT_EQ(movie.Identity(), IdentityOfPath(target));
    File plain;
    EXPECT_EQ(plain.OpenForReading(deep), std::errc::is_a_directory);
    EXPECT_EQ(plain.OpenForReading(deep + "/missing"), std::errc::no_such_file_or_directory);
}

TEST(PlatformProcess, Basics) {
    EXPECT_GT(ProcessId(), 0);
    EXPECT_GT(PhysicalMemoryBytes(), int64_t{64} << 20);
    const InterruptCatcher catcher;
    EXPECT_EQ(InterruptCatcher::Received(), 0);
    char program[] = "program", text[] = "d\xC3\xA9j\xC3\xA0";
    char* argv[] = {program, text, nullptr};
    Utf8Arguments arguments(2, argv);
    ASSERT_GE(arguments.Count(), 1);
    EXPECT_EQ(arguments.Values()[arguments.Count()], nullptr);
#ifndef _WIN32
    EXPECT_EQ(arguments.Count(), 2);
    EXPECT_EQ(std::string(arguments.Values()[1]), text);
#endif
}

TEST(PlatformPaths, Utf8RoundTrip) {
    const std::string text = "a/\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF/d\xC3\xA9j\xC3\xA0.zel";
    EXPECT_EQ(Utf8OfPath(PathFromUtf8(text)), text);
    EXPECT_EQ(Utf8OfPath(PathFromUtf8(text).filename()), "d\xC3\xA9j\xC3\xA0.zel");
}

}  // namespace
}  // namespace zel::platform
