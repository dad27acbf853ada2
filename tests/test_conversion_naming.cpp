// Path splitting, numbered TIFF names, the depth table and the worker count of a conversion.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "document/ConversionNaming.h"
#include "document/ConversionWorkers.h"

namespace {

using zel::NumberedFileName;
using zel::SplitPath;

TEST(SplitPath, FolderBaseNameAndExtension) {
    const std::string longDir(3000, 'd'), longName(600, 'n'), longExt(300, 'e');
    const struct {
        std::string path, folder, base, ext;
    } cases[] = {
        {"/home/user/shot.tif", "/home/user/", "shot", ".tif"},
        {"shot", "", "shot", ""},
        {"/data/", "/data/", "", ""},
        {"", "", "", ""},
        {"ab:c.tif", "", "ab:c", ".tif"},  // a colon after the first character is no drive
        // The extension starts at the last dot of the last component only.
        {"/out/a.b.tif", "/out/", "a.b", ".tif"},
        {"/home/.profile", "/home/", "", ".profile"},
        {"name.", "", "name", "."},
        // A ';' is part of the name wherever it stands: paths are used literally.
        {"run;2/shot.tif", "run;2/", "shot", ".tif"},
        // No component is truncated.
        {"/" + longDir + "/" + longName + "." + longExt, "/" + longDir + "/", longName, "." + longExt},
#ifdef _WIN32
        // '\' separates too, and a leading "X:" is the drive.
        {"C:\\data\\shot1.zel", "C:\\data\\", "shot1", ".zel"},
        {"C:/mixed\\dirs/a.tif", "C:/mixed\\dirs/", "a", ".tif"},
        {"C:shot.tif", "C:", "shot", ".tif"},
        {"\\\\server\\share\\x.csv", "\\\\server\\share\\", "x", ".csv"},
        {"C:\\dir.v2\\name", "C:\\dir.v2\\", "name", ""},
        {"C:\\data\\a;b.tif", "C:\\data\\", "a;b", ".tif"},
#else
        // '\' and ':' are ordinary characters of a POSIX name.
        {"/data/q\"uote\\back.zel", "/data/", "q\"uote\\back", ".zel"},
        {"C:shot.tif", "", "C:shot", ".tif"},
        {"out\\", "", "out\\", ""},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 60));
        std::string folder = "x", base = "x", ext = "x";
        EXPECT_EQ(SplitPath(c.path, &folder, &base, &ext), c.base + c.ext);
        EXPECT_EQ(folder, c.folder);
        EXPECT_EQ(base, c.base);
        EXPECT_EQ(ext, c.ext);
    }
    EXPECT_EQ(SplitPath("/data/shot.zel", nullptr, nullptr, nullptr), "shot.zel");
}

TEST(ChooseConversionPattern, FoldersReceiveTheMovieName) {
    const struct {
        std::string output;
        bool isFolder;
        std::string folder, base, ext;
    } cases[] = {
        {"frames", true, "frames/", "m", ".tif"},     // an existing folder
        {"frames/", false, "frames/", "m", ".tif"},   // a folder by its separator
#ifdef _WIN32
        {"out\\", false, "out\\", "m", ".tif"},
#endif
        {"frames/shot.tif", false, "frames/", "shot", ".tif"},
        {"shot", false, "", "shot", ""},
    };
    for (const auto& c : cases) {
        const zel::ConversionPattern p = zel::ChooseConversionPattern(c.output, "m.zel", c.isFolder);
        EXPECT_EQ(p.folder, c.folder) << c.output;
        EXPECT_EQ(p.baseName, c.base) << c.output;
        EXPECT_EQ(p.extension, c.ext) << c.output;
    }
}

TEST(NumberedFileName, AtLeastSixDigits) {
    std::string folder, base, ext;
    SplitPath("C:\\out\\shot.tif", &folder, &base, &ext);
    EXPECT_EQ(NumberedFileName(folder, base, 12, ext), "C:\\out\\shot_000012.tif");
    EXPECT_EQ(NumberedFileName("/out/", "a.b", 0, ".tif"), "/out/a.b_000000.tif");
    EXPECT_EQ(NumberedFileName("", "s", 999999, ""), "s_999999");
    EXPECT_EQ(NumberedFileName("", "s", 1000000, ".tif"), "s_1000000.tif");
    EXPECT_EQ(NumberedFileName("", "s", INT_MAX, ".tif"), "s_2147483647.tif");
    // Negative frames print as "%6.6d" prints them: the sign, then six digits.
    EXPECT_EQ(NumberedFileName("", "s", -1, ".tif"), "s_-000001.tif");
    EXPECT_EQ(NumberedFileName("", "s", INT_MIN, ".tif"), "s_-2147483648.tif");
}

TEST(ChooseConversionDepths, TableOfSourceAndOutputBits) {
    const struct {
        int bitDepth;
        bool sixteen;
        int source, output;
    } rows[] = {
        {8, true, 8, 16},  {10, true, 16, 16}, {12, true, 16, 16},
        {8, false, 8, 8},  {10, false, 10, 8}, {12, false, 12, 8},
        // Outside the table: the rule still holds for 1..16; other depths cannot be converted.
        {16, false, 16, 8}, {4, true, 8, 16},  {0, true, 0, 16},
        {-8, false, 0, 8},  {17, true, 0, 16}, {INT_MAX, false, 0, 8},
    };
    for (const auto& r : rows) {
        const zel::ConversionDepths d = zel::ChooseConversionDepths(r.bitDepth, r.sixteen);
        EXPECT_EQ(d.sourceBits, r.source) << r.bitDepth << " " << r.sixteen;
        EXPECT_EQ(d.outputBits, r.output) << r.bitDepth << " " << r.sixteen;
    }
}

}  // namespace

TEST(ChooseWorkerCount, NeverMoreThanFramesOrTheMemoryAllows) {
    EXPECT_EQ(zel::ChooseWorkerCount(8, 3, 1000, 0), 3);         // no more workers than frames
    EXPECT_EQ(zel::ChooseWorkerCount(0, 5, 1000, 0), 1);         // at least one
    EXPECT_EQ(zel::ChooseWorkerCount(4, 100, 1000, 2500), 2);    // two fit in the budget
    EXPECT_EQ(zel::ChooseWorkerCount(4, 100, 1000, 500), 1);     // one always runs
    EXPECT_EQ(zel::ChooseWorkerCount(4, 100, int64_t{1} << 40, int64_t{1} << 42), 4);
}
