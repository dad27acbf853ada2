// Measurement tables: exact numbers, missing figures as empty cells, and a file that is
// only ever whole.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "TempFolder.h"
#include "document/MeasurementTable.h"

namespace {

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

zel::MovieParameters TwoSegments() {
    zel::MovieParameters movie;
    movie.frameSegments[0] = {1, -2, -1};
    movie.frameSegments[1] = {2, 7, 7};
    movie.frameSegmentCount = 2;
    movie.frameCount = 4;  // one frame more than the segments number
    movie.rateNumerator = 1;
    movie.rateDenominator = 10;
    return movie;
}

TEST(MeasurementTable, NumbersReadBackExactlyAndMissingOnesAreEmpty) {
    EXPECT_EQ(zel::NumberText(0.1), "0.1");
    EXPECT_EQ(zel::NumberText(-0.0001), "-1e-04");
    EXPECT_EQ(zel::NumberText(std::numeric_limits<double>::quiet_NaN()), "");
    const double third = 1.0 / 3.0;
    EXPECT_EQ(std::stod(zel::NumberText(third)), third);
}

TEST(MeasurementTable, AoiRowsCarryTimeNumberAndSummary) {
    const zeltest::TempFolder folder;
    const std::string path = folder.path + "/t.csv";
    const zel::MovieParameters movie = TwoSegments();
    zel::AoiSummary summary;
    summary.all = {3, 6, 14, 1, 3};  // samples 1, 2, 3
    zel::MeasurementTable table;
    ASSERT_FALSE(table.BeginAoi(path, false, {4, 1, 2, 3}, {0.5, "mm"}));
    for (int i : {0, 2, 3}) ASSERT_FALSE(table.WriteAoiRow(movie, i, summary));
    ASSERT_FALSE(table.End());
    EXPECT_EQ(Contents(path),
              "index,number,time,n,mean,std,min,max,width_mm,height_mm\n"
              "0,-2,-0.2,3,2,1,1,3,1.5,1.5\n"
              "2,7,0.7,3,2,1,1,3,1.5,1.5\n"
              "3,,,3,2,1,1,3,1.5,1.5\n");
}

TEST(MeasurementTable, AnUnfinishedTableLeavesTheOlderFile) {
    const zeltest::TempFolder folder;
    const std::string path = folder.path + "/t.csv";
    std::ofstream(path) << "older";
    {
        zel::MeasurementTable table;
        ASSERT_FALSE(table.BeginProfile(path, {0, 0, 3, 0}, {}));
        const int16_t values[3] = {1, -2, 3};
        ASSERT_FALSE(table.WriteProfileRow(TwoSegments(), 0, values));
    }  // never ended
    EXPECT_EQ(Contents(path), "older");
    EXPECT_EQ(zeltest::FilesIn(folder.path), std::vector<std::string>{"t.csv"});
}

}  // namespace
