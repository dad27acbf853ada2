// zeltiff16-cli kymograph end to end: the TIFF's rows are the profile CSV's rows of the
// same range, and what is refused or fails writes nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "DocumentFixture.h"
#include "MovieBytes.h"
#include "RunProcess.h"
#include "TempFile.h"
#include "TempFolder.h"
#include "imaging/TiffImage.h"

using namespace zeltest;
namespace fs = std::filesystem;

namespace {

using Rows = std::vector<std::vector<int>>;

// The frame rows of a profile CSV: after the three head lines, up to the blank line.
Rows CsvRows(const std::string& csv) {
    std::istringstream in(csv);
    std::string line;
    Rows rows;
    for (int i = 0; std::getline(in, line); ++i) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (i < 3) continue;
        if (line.empty()) break;
        std::vector<int> row;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');) row.push_back(std::stoi(field));
        rows.push_back(row);
    }
    return rows;
}

// The rows of a 16-bit grey single-strip TIFF, read through its directory.
Rows TiffRows(const std::string& file) {
    const auto* block = reinterpret_cast<const uint8_t*>(file.data());
    const int64_t width = zel::GetTiffTagValue(256, block, file.size());
    const int64_t height = zel::GetTiffTagValue(257, block, file.size());
    const int64_t strip = zel::GetTiffTagValue(273, block, file.size());
    EXPECT_EQ(zel::GetTiffTagValue(258, block, file.size()), 16);
    EXPECT_EQ(zel::GetTiffTagValue(279, block, file.size()), width * height * 2);
    Rows rows;
    if (strip <= 0 || static_cast<uint64_t>(strip + width * height * 2) > file.size()) return rows;
    for (int64_t y = 0; y < height; ++y) {
        std::vector<int> row;
        for (int64_t x = 0; x < width; ++x) {
            const uint8_t* at = block + strip + (y * width + x) * 2;
            row.push_back(static_cast<int16_t>(at[0] | at[1] << 8));  // the CSV writes them signed
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

TEST(CliKymograph, RowsAreTheProfileCsvRowsOfTheRange) {
    TempFile movie;
    WriteTestMovie(movie, 4, 48, 20, 7, [](int n, int x, int y) { return static_cast<uint16_t>((n * 53 + x * 7 + y * 13) % 4096); });
    TempFolder out;
    const std::string m = Quote(movie.path()), tiff = out.path + "/k.tif", csv = out.path + "/p.csv";
    const std::string range = " --line 40 2 5 17 --start 2 --end 5";
    const ProcessResult r = RunCommand(Cli() + " kymograph " + m + " " + Quote(tiff) + range);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(RunCommand(Cli() + " profile " + m + " " + Quote(csv) + range).exitCode, 0);
    const Rows expected = CsvRows(Slurp(csv));
    ASSERT_EQ(expected.size(), 4u);
    ASSERT_EQ(expected[0].size(), 35u);
    EXPECT_EQ(TiffRows(Slurp(tiff)), expected);

    // Without a range: every frame.
    ASSERT_EQ(RunCommand(Cli() + " kymograph " + m + " " + Quote(tiff) + " --line 0 0 9 0").exitCode, 0);
    EXPECT_EQ(TiffRows(Slurp(tiff)).size(), 7u);
    EXPECT_EQ(FilesIn(out.path), (std::vector<std::string>{"k.tif", "p.csv"}));  // no temporary left
}

TEST(CliKymograph, RefusalsAndFailuresWriteNothing) {
    // Ten 8-bit frames of 16 x 8, the file cut half way into frame 6.
    MovieBytes bytes = NewerMovie("abcd", 0, 8, 16, 8, 10);
    bytes.Resize(kFramNew + 6 * 16 * 8 + 64);
    TempFolder out;
    const std::string movie = out.path + "/m.zel", tiff = out.path + "/k.tif";
    {
        const TempFile source(bytes.bytes());
        fs::copy_file(source.path(), movie);
    }
    const std::string m = Quote(movie);
    const struct {
        std::string args;
        int code;
        const char* says;
    } cases[] = {
        {Quote(tiff) + " --line 3 3 3 3", 2, "has no samples"},
        {Quote(tiff) + " --line 0 0 16 3", 2, "outside"},
        {Quote(tiff) + " --line 0 0 5 5 --start 4 --end 10", 2, "outside the movie"},
        {m + " --line 0 0 5 5 --end 2", 2, "is the movie"},
        {Quote(out.path + "/none/k.tif") + " --line 0 0 5 5 --end 2", 1, "k.tif"},
        {Quote(tiff) + " --line 0 0 5 5 --start 2 --end 8", 1, "frame 6 cannot be read"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunCommand(Cli() + " kymograph " + m + " " + c.args);
        EXPECT_EQ(r.exitCode, c.code) << c.args << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
        EXPECT_EQ(FilesIn(out.path), std::vector<std::string>{"m.zel"}) << c.args;
    }

    // A failed run leaves an older file of that name as it was.
    ASSERT_EQ(RunCommand(Cli() + " kymograph " + m + " " + Quote(tiff) + " --line 0 0 5 5 --end 1").exitCode, 0);
    const std::string older = Slurp(tiff);
    EXPECT_EQ(RunCommand(Cli() + " kymograph " + m + " " + Quote(tiff) + " --line 0 0 9 5 --end 9").exitCode, 1);
    EXPECT_EQ(Slurp(tiff), older);
    EXPECT_EQ(FilesIn(out.path), (std::vector<std::string>{"k.tif", "m.zel"}));
}
