// Path splitting, numbered TIFF names and the depth table of a conversion.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "document/ConversionNaming.h"

namespace {

using zel::ChooseConversionDepths;
using zel::NumberedFileName;
using zel::SplitPath;

struct Split {
    std::string folder, base, ext, result;
};

Split Parts(const std::string& path) {
    Split s;
    s.result = SplitPath(path, &s.folder, &s.base, &s.ext);
    return s;
}

void ExpectSplit(const std::string& path, const std::string& folder, const std::string& base, const std::string& ext) {
    SCOPED_TRACE(path);
    const Split s = Parts(path);
    EXPECT_EQ(s.folder, folder);
    EXPECT_EQ(s.base, base);
    EXPECT_EQ(s.ext, ext);
    EXPECT_EQ(s.result, base + ext);
}

TEST(SplitPath, WindowsAndPosixPaths) {
    ExpectSplit("C:\\data\\shot1.zel", "C:\\data\\", "shot1", ".zel");
    ExpectSplit("/home/user/shot.tif", "/home/user/", "shot", ".tif");
    ExpectSplit("C:/mixed\\dirs/a.tif", "C:/mixed\\dirs/", "a", ".tif");
    ExpectSplit("C:shot.tif", "C:", "shot", ".tif");
    ExpectSplit("\\\\server\\share\\x.csv", "\\\\server\\share\\", "x", ".csv");
    ExpectSplit("shot.zel", "", "shot", ".zel");
    ExpectSplit("shot", "", "shot", "");
    ExpectSplit("/data/", "/data/", "", "");
    ExpectSplit("", "", "", "");
    // A colon after the first character is not a drive.
    ExpectSplit("ab:c.tif", "", "ab:c", ".tif");
}

TEST(SplitPath, ExtensionIsFromTheLastDotOfTheLastComponent) {
    ExpectSplit("/out/a.b.tif", "/out/", "a.b", ".tif");
    ExpectSplit("/dir.v2/name", "/dir.v2/", "name", "");
    ExpectSplit("C:\\dir.v2\\name", "C:\\dir.v2\\", "name", "");
    ExpectSplit("/home/.profile", "/home/", "", ".profile");
    ExpectSplit("name.", "", "name", ".");
}

TEST(SplitPath, SemicolonCutsThePath) {
    ExpectSplit("C:\\data\\shot.tif;C:\\other\\x.tif", "C:\\data\\", "shot", ".tif");
    ExpectSplit("/a/b.tif;2", "/a/", "b", ".tif");
    // A ';' in first place does not cut (there would be nothing left).
    ExpectSplit(";x/y.tif", ";x/", "y", ".tif");
}

TEST(SplitPath, OutputsAreOptionalAndLongComponentsStayWhole) {
    EXPECT_EQ(SplitPath("C:\\data\\shot.zel", nullptr, nullptr, nullptr), "shot.zel");
    std::string base;
    EXPECT_EQ(SplitPath("/x/movie.zel", nullptr, &base, nullptr), "movie.zel");
    EXPECT_EQ(base, "movie");

    const std::string longDir(3000, 'd'), longName(600, 'n'), longExt(300, 'e');
    ExpectSplit("/" + longDir + "/" + longName + "." + longExt, "/" + longDir + "/", longName, "." + longExt);
}

TEST(NumberedFileName, AtLeastSixDigits) {
    EXPECT_EQ(NumberedFileName("C:\\out\\", "shot", 12, ".tif"), "C:\\out\\shot_000012.tif");
    EXPECT_EQ(NumberedFileName("/out/", "shot", 0, ".tif"), "/out/shot_000000.tif");
    EXPECT_EQ(NumberedFileName("", "a.b", 100, ".tif"), "a.b_000100.tif");
    EXPECT_EQ(NumberedFileName("", "s", 999999, ""), "s_999999");
    EXPECT_EQ(NumberedFileName("", "s", 1000000, ".tif"), "s_1000000.tif");
    EXPECT_EQ(NumberedFileName("", "s", INT_MAX, ".tif"), "s_2147483647.tif");
    // Negative frames print as "%6.6d" prints them: the sign, then six digits.
    EXPECT_EQ(NumberedFileName("", "s", -1, ".tif"), "s_-000001.tif");
    EXPECT_EQ(NumberedFileName("", "s", INT_MIN, ".tif"), "s_-2147483648.tif");
}

TEST(NumberedFileName, JoinsTheSplitOfAChosenName) {
    std::string folder, base, ext;
    SplitPath("C:\\out\\shot.tif", &folder, &base, &ext);
    EXPECT_EQ(NumberedFileName(folder, base, 101, ext), "C:\\out\\shot_000101.tif");
}

TEST(ChooseConversionDepths, TableOfSourceAndOutputBits) {
    struct Row {
        int bitDepth;
        bool sixteen;
        int source, output;
    };
    const Row rows[] = {
        {8, true, 8, 16},  {10, true, 16, 16}, {12, true, 16, 16},
        {8, false, 8, 8},  {10, false, 10, 8}, {12, false, 12, 8},
        // Outside the table: the rule still holds for 1..16, anything else cannot be converted.
        {16, false, 16, 8}, {4, true, 8, 16},  {0, true, 0, 16},
        {-8, false, 0, 8},  {17, true, 0, 16}, {INT_MAX, false, 0, 8},
    };
    for (const Row& r : rows) {
        const zel::ConversionDepths d = ChooseConversionDepths(r.bitDepth, r.sixteen);
        EXPECT_EQ(d.sourceBits, r.source) << r.bitDepth << " " << r.sixteen;
        EXPECT_EQ(d.outputBits, r.output) << r.bitDepth << " " << r.sixteen;
    }
}

}  // namespace
