// The profile and AOI CSV files byte for byte, their edge cases, the decimal point under
// another locale, and exports that fail or never end: they leave no file behind and an
// existing file of the CSV's name as it was.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "TempFile.h"
#include "document/CsvExport.h"

namespace {

using zel::AoiCsvWriter;
using zel::AoiStatistics;
using zel::ChannelStatistics;
using zel::ProfileCsvWriter;
using zeltest::TempFile;
using zeltest::WithFileSizeLimit;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::string LastLine(const std::string& text) { return text.substr(text.rfind('\n', text.size() - 2) + 1); }

const std::string kAverage = "\r\n\"Average in all frames\"\r\n";

ChannelStatistics Channel(double average, int minimum, int maximum) {
    return {static_cast<int16_t>(maximum), static_cast<int16_t>(minimum), average};
}

AoiStatistics Grey(double average, int minimum, int maximum) {
    const ChannelStatistics c = Channel(average, minimum, maximum);
    return {c, c, c};
}

TEST(ProfileCsv, TwoFramesByteForByte) {
    TempFile csv(".csv");
    ProfileCsvWriter w;
    std::string error;
    ASSERT_TRUE(w.Begin(csv.path(), "C:\\data\\shot1.zel", {5, 7, 2, 7}, &error)) << error;
    const int16_t first[] = {10, 20, 30}, second[] = {11, 21, 33};
    EXPECT_TRUE(w.WriteRow(first));
    EXPECT_TRUE(w.WriteRow(second));
    EXPECT_EQ(w.Rows(), 2);
    EXPECT_TRUE(w.End(&error)) << error;
    EXPECT_FALSE(w.IsOpen());
    EXPECT_EQ(ReadAll(csv.path()), "\"Zelf File Name : C:\\data\\shot1.zel\"\r\n\"Profile : (5, 7) - (2, 7)\"\r\n"
                                   "\"Gray value\"\r\n   10,   20,   30\r\n   11,   21,   33\r\n" +
                                       kAverage + "   11,   21,   32\r\n");
}

TEST(ProfileCsv, AveragesRoundTruncateAndDoNotOverflow) {
    TempFile small(".csv"), large(".csv");
    ProfileCsvWriter w;
    ASSERT_TRUE(w.Begin(small.path(), "m.zel", {0, 0, 4, 0}));
    const int16_t rows[3][4] = {{-3, 32767, -32768, 1}, {-4, 32767, -32768, 2}, {-4, 32767, -32768, 2}};
    for (const auto& r : rows) ASSERT_TRUE(w.WriteRow(r));
    ASSERT_TRUE(w.End());
    // (sum + rows / 2) / rows truncated toward zero: -10 / 3 -> -3, 6 / 3 -> 2.
    EXPECT_EQ(LastLine(ReadAll(small.path())), "   -3,32767,-32767,    2\r\n");

    // 70000 rows of 32767 sum beyond 2^31; the writer is reusable after End.
    ASSERT_TRUE(w.Begin(large.path(), "m.zel", {0, 0, 2, 0}));
    for (int i = 0; i < 70000; ++i) ASSERT_TRUE(w.WriteRow(rows[0] + 1));
    ASSERT_TRUE(w.End());
    EXPECT_EQ(LastLine(ReadAll(large.path())), "32767,-32767\r\n");
}

TEST(CsvExport, ExportsWithoutRowsOrSamples) {
    TempFile none(".csv"), empty(".csv"), grey(".csv"), colour(".csv");
    ProfileCsvWriter p;
    ASSERT_TRUE(p.Begin(none.path(), "m.zel", {1, 1, 4, 1}));
    ASSERT_TRUE(p.End());
    EXPECT_EQ(ReadAll(none.path()), "\"Zelf File Name : m.zel\"\r\n\"Profile : (1, 1) - (4, 1)\"\r\n"
                                    "\"Gray value\"\r\n" + kAverage + "    0,    0,    0\r\n");
    // A profile of no samples writes empty rows.
    ASSERT_TRUE(p.Begin(empty.path(), "m.zel", {2, 2, 2, 2}));
    EXPECT_TRUE(p.WriteRow(nullptr));
    ASSERT_TRUE(p.End());
    EXPECT_EQ(ReadAll(empty.path()), "\"Zelf File Name : m.zel\"\r\n\"Profile : (2, 2) - (2, 2)\"\r\n"
                                     "\"Gray value\"\r\n\r\n" + kAverage + "\r\n");

    AoiCsvWriter a;
    ASSERT_TRUE(a.Begin(grey.path(), "m.zel", {}, false));
    ASSERT_TRUE(a.End());
    EXPECT_EQ(LastLine(ReadAll(grey.path())), "   0.00,    0,    0\r\n");
    ASSERT_TRUE(a.Begin(colour.path(), "m.zel", {}, true));
    ASSERT_TRUE(a.End());
    EXPECT_EQ(LastLine(ReadAll(colour.path())), "   0.00,   0.00,   0.00,    0,    0,    0,    0,    0,    0\r\n");
}

// Line 1 stays one field for a CSV reader whatever the path holds: the '"' doubled, the
// ',' and line breaks inside the quotes, and a Latin-1 byte as U+FFFD (readers take UTF-8).
TEST(CsvExport, MoviePathIsOneQuotedUtf8Field) {
    TempFile csv(".csv");
    AoiCsvWriter w;
    ASSERT_TRUE(w.Begin(csv.path(), "/data/say \"hi\", then\nstop\r\ncaf\xe9.zel", {0, 0, 1, 1}, false));
    ASSERT_TRUE(w.End());
    const std::string head = "\"Zelf File Name : /data/say \"\"hi\"\", then\nstop\r\ncaf\xEF\xBF\xBD.zel\"\r\n\"AOI : ";
    EXPECT_EQ(ReadAll(csv.path()).substr(0, head.size()), head);
}

TEST(AoiCsv, MonochromeByteForByteWithCornersAsDrawn) {
    TempFile csv(".csv");
    AoiCsvWriter w;
    std::string error;
    ASSERT_TRUE(w.Begin(csv.path(), "/data/shot1.zel", {50, 40, 10, 20}, false, &error)) << error;
    AoiStatistics first = Grey(100.5, 90, 110);
    first.green = first.blue = Channel(1, 1, 1);  // only the first channel counts
    EXPECT_TRUE(w.WriteRow(first));
    EXPECT_TRUE(w.WriteRow(Grey(101.25, 85, 108)));
    EXPECT_TRUE(w.End(&error)) << error;
    EXPECT_EQ(ReadAll(csv.path()), "\"Zelf File Name : /data/shot1.zel\"\r\n\"AOI : (50, 40) - (10, 20)\"\r\n"
                                   "\"GRYave\",\"Min\",\"Max\"\r\n 100.50,   90,  110\r\n 101.25,   85,  108\r\n" +
                                       kAverage + " 100.88,   85,  110\r\n");
}

TEST(AoiCsv, ColourRowsMatchPrintfInTheCLocale) {
    TempFile csv(".csv");
    AoiCsvWriter w;
    ASSERT_TRUE(w.Begin(csv.path(), "c.zel", {0, 0, 9, 9}, true));
    // Ties, negatives, and values wider than the field.
    const AoiStatistics rows[] = {
        {Channel(0.125, 5, 20), Channel(2.675, 20, 30), Channel(-0.005, -7, 4095)},
        {Channel(1234567.895, -32768, 32767), Channel(0.0, 0, 0), Channel(99999.999, 3, 3)},
    };
    std::string expected = "\"Zelf File Name : c.zel\"\r\n\"AOI : (0, 0) - (9, 9)\"\r\n"
                           "\"Rave\",\"Gave\",\"Bave\",\"Rmin\",\"Rmax\",\"Gmin\",\"Gmax\",\"Bmin\",\"Bmax\"\r\n";
    char line[256];
    const char* format = "%7.2f,%7.2f,%7.2f, %4d, %4d, %4d, %4d, %4d, %4d\r\n";
    for (const AoiStatistics& s : rows) {
        ASSERT_TRUE(w.WriteRow(s));
        std::snprintf(line, sizeof line, format, s.red.average, s.green.average, s.blue.average, s.red.minimum,
                      s.red.maximum, s.green.minimum, s.green.maximum, s.blue.minimum, s.blue.maximum);
        expected += line;
    }
    std::snprintf(line, sizeof line, format, (0.125 + 1234567.895) / 2, 2.675 / 2, (-0.005 + 99999.999) / 2, -32768,
                  32767, 0, 30, -7, 4095);
    ASSERT_TRUE(w.End());
    EXPECT_EQ(ReadAll(csv.path()), expected + kAverage + line);
}

// A locale with a decimal comma for the test's duration: an installed one, or one
// compiled into a temporary folder when the locale sources are there.
class CommaLocale {
public:
    CommaLocale() {
        if (TrySet()) return;
        built_ = std::filesystem::temp_directory_path().string() + "/zeltest_locale_" + std::to_string(::getpid());
        std::filesystem::create_directories(built_);
        // localedef may exit non-zero for mere warnings: judge by what it wrote.
        const std::string command = "localedef -i de_DE -f UTF-8 '" + built_ + "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) == -1 || !Exists(built_ + "/de_DE.UTF-8/LC_NUMERIC")) return;
        ::setenv("LOCPATH", built_.c_str(), 1);
        TrySet();
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, "C");
        if (built_.empty()) return;
        ::unsetenv("LOCPATH");
        std::filesystem::remove_all(built_);
    }
    bool TrySet() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') return active = true;
        }
        std::setlocale(LC_ALL, "C");
        return false;
    }
    bool active = false;

private:
    std::string built_;
};

TEST(AoiCsv, DecimalPointWhateverTheLocale) {
    CommaLocale locale;
    if (!locale.active) GTEST_SKIP() << "no locale with a decimal comma available";
    TempFile csv(".csv");
    AoiCsvWriter w;
    ASSERT_TRUE(w.Begin(csv.path(), "m.zel", {}, false));
    ASSERT_TRUE(w.WriteRow(Grey(100.875, 1, 2)));
    ASSERT_TRUE(w.End());
    EXPECT_EQ(LastLine(ReadAll(csv.path())), " 100.88,    1,    2\r\n");
}

TEST(CsvFailures, BeginRefusals) {
    const std::string tmp = std::filesystem::temp_directory_path().string();
    const std::string missing = tmp + "/zel_no_such_dir/x.csv";
    std::string error;
    ProfileCsvWriter p;
    EXPECT_FALSE(p.Begin(missing, "m.zel", {0, 0, 3, 0}, &error));
    EXPECT_EQ(error, "cannot create " + missing + ": No such file or directory");
    EXPECT_FALSE(p.IsOpen());
    EXPECT_FALSE(p.WriteRow(nullptr));
    EXPECT_FALSE(p.End());

    // A device is refused, and neither written nor replaced.
    AoiCsvWriter a;
    struct stat full {};
    if (::stat("/dev/full", &full) == 0 && S_ISCHR(full.st_mode)) {
        error.clear();
        EXPECT_FALSE(a.Begin("/dev/full", "m.zel", {}, true, &error));
        EXPECT_EQ(error.rfind("cannot create /dev/full: ", 0), 0u) << error;
        EXPECT_EQ(::lstat("/dev/full", &full), 0);
        EXPECT_TRUE(S_ISCHR(full.st_mode));
    }

    // One export at a time: a second Begin leaves the first alone.
    TempFile csv(".csv"), other(".csv");
    ASSERT_TRUE(a.Begin(csv.path(), "m.zel", {}, false));
    EXPECT_FALSE(a.Begin(other.path(), "m.zel", {}, false, &error));
    EXPECT_FALSE(Exists(other.path()));
    EXPECT_TRUE(a.WriteRow(Grey(1, 1, 1)));
    EXPECT_TRUE(a.End());
    EXPECT_EQ(a.Rows(), 1);
}

// A fresh folder for one test, removed with everything in it afterwards.
class CsvTargets : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "zel_csv_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string Path(const std::string& name) const { return (folder / name).string(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static void Put(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

    std::filesystem::path folder;
};

TEST_F(CsvTargets, ExportNeverEndedLeavesTheFolderAsItWas) {
    Put(Path("old.csv"), "old data");
    {
        ProfileCsvWriter p;
        AoiCsvWriter a;
        ASSERT_TRUE(p.Begin(Path("old.csv"), "m.zel", {0, 0, 1, 0}));
        ASSERT_TRUE(a.Begin(Path("new.csv"), "m.zel", {}, true));
        const int16_t v = 1;
        ASSERT_TRUE(p.WriteRow(&v));
        ASSERT_TRUE(a.WriteRow(Grey(1, 1, 1)));
        // The names only ever show complete files.
        EXPECT_EQ(ReadAll(Path("old.csv")), "old data");
        EXPECT_FALSE(Exists(Path("new.csv")));
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"old.csv"});
    EXPECT_EQ(ReadAll(Path("old.csv")), "old data");
}

// The target is a link to an existing file. Exports that fail, at Begin or part way
// through the rows, leave both as they were; a complete one replaces the link.
TEST_F(CsvTargets, FailedExportsLeaveALinkedFileUntouched) {
    Put(Path("real.csv"), "precious");
    std::filesystem::create_symlink("real.csv", Path("link.csv"));
    const std::string target = Path("link.csv");
    const std::string tooLarge = "cannot write " + target + ": File too large";

    const std::string atBegin = WithFileSizeLimit(10, [&target] {
        std::string error;
        ProfileCsvWriter w;
        return w.Begin(target, "m.zel", {0, 0, 16, 0}, &error) ? std::string("begun") : error;
    });
    EXPECT_EQ(atBegin, tooLarge);

    const std::string partWay = WithFileSizeLimit(300, [&target] {
        std::string error;
        ProfileCsvWriter w;
        if (!w.Begin(target, "m.zel", {0, 0, 16, 0}, &error)) return "Begin: " + error;
        const std::vector<int16_t> row(16, 1234);
        for (int i = 0; i < 2000; ++i) w.WriteRow(row.data());
        return w.End(&error) ? std::string("ended") : error;
    });
    EXPECT_EQ(partWay, tooLarge);

    EXPECT_EQ(Names(), (std::vector<std::string>{"link.csv", "real.csv"}));
    EXPECT_TRUE(std::filesystem::is_symlink(target));
    EXPECT_EQ(ReadAll(Path("real.csv")), "precious");

    AoiCsvWriter a;
    ASSERT_TRUE(a.Begin(target, "m.zel", {}, false));
    ASSERT_TRUE(a.End());
    EXPECT_FALSE(std::filesystem::is_symlink(target));
    EXPECT_EQ(LastLine(ReadAll(target)), "   0.00,    0,    0\r\n");
    EXPECT_EQ(ReadAll(Path("real.csv")), "precious");
}

}  // namespace
