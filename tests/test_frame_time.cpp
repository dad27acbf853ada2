// The camera's frame numbers and trigger-relative times: the walk over the segment table
// (gaps, negative numbers, entries that hold no frames), exact times from the rate, and
// the command-line tool's `frames` listing.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "DocumentFixture.h"
#include "RunProcess.h"
#include "TempFile.h"
#include "reader/FrameTime.h"
#include "reader/MovieReader.h"

using namespace zeltest;

namespace {

uint16_t Value(int n, int x, int y) { return static_cast<uint16_t>((n * 5 + x + y) % 1024); }

void Patch(const std::string& path, int64_t offset, int64_t value, int bytes) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(offset);
    for (int i = 0; i < bytes; ++i) file.put(static_cast<char>((value >> (8 * i)) & 0xff));
}

}  // namespace

TEST(FrameTime, NumbersFollowTheSegmentsInTableOrder) {
    zel::MovieParameters movie;
    movie.frameSegments[0] = {1, -5, -3};
    movie.frameSegments[1] = {2, 10, 11};
    movie.frameSegmentCount = 2;
    movie.frameCount = 5;
    const int64_t expected[] = {-5, -4, -3, 10, 11};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(zel::FrameNumber(movie, i), expected[i]) << i;
    EXPECT_FALSE(zel::FrameNumber(movie, 5));
    EXPECT_FALSE(zel::FrameNumber(movie, -1));
    movie.frameCount = 7;  // a count the segments do not hold
    EXPECT_FALSE(zel::FrameNumber(movie, 6));
    movie.frameSegmentCount = 99;  // never read past the table
    EXPECT_EQ(zel::FrameNumber(movie, 4), 11);
}

TEST(FrameTime, TheReaderKeepsOnlySegmentsThatHoldFrames) {
    TempFile file;
    WriteTestMovie(file, 6, 16, 8, 3, Value);
    zel::CMovieReader reader;
    ASSERT_EQ(reader.Open(file.path(), 0), 1);
    const int64_t table = reader.Parameters().playOffset + 182;  // 16 entries of 68 bytes in the newer PLAY
    constexpr int kEntry = 68, kFirst = 18, kLast = 22;
    const auto entry = [&](int i, int kind, int64_t first, int64_t last) {
        Patch(file.path(), table + i * kEntry, kind, 2);
        Patch(file.path(), table + i * kEntry + kFirst, first, 4);
        Patch(file.path(), table + i * kEntry + kLast, last, 4);
    };
    entry(0, 1, 100, 101);
    entry(1, 7, 0, 50);       // a kind that holds no frames
    entry(2, 2, 9, 3);        // reversed
    entry(3, 3, -1, 0);       // around the trigger
    ASSERT_EQ(reader.Open(file.path(), 0), 1);
    const zel::MovieParameters& movie = reader.Parameters();
    ASSERT_EQ(movie.frameCount, 4);
    const int64_t expected[] = {100, 101, -1, 0};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(zel::FrameNumber(movie, i), expected[i]) << i;
}

TEST(FrameTime, TimesAreTheExactRatioRounded) {
    zel::MovieParameters movie;
    movie.rateNumerator = 1;
    movie.rateDenominator = 3;
    EXPECT_EQ(zel::FrameTime(movie, 1), 1.0 / 3.0);
    EXPECT_EQ(zel::FrameTime(movie, -7), -7.0 / 3.0);
    EXPECT_EQ(zel::FrameTime(movie, 0), 0.0);
    movie.rateNumerator = 7;
    movie.rateDenominator = 1000003;
    for (const int64_t number : {int64_t{INT32_MAX}, int64_t{INT32_MIN}, int64_t{123456789}}) {
        const long double exact = static_cast<long double>(number) * 7 / 1000003;
        const double time = *zel::FrameTime(movie, number);
        EXPECT_LE(std::fabs(static_cast<long double>(time) - exact), std::fabs(exact) * 1.2e-16L) << number;
    }
    movie.rateDenominator = 0;  // unknown rate: no time
    EXPECT_FALSE(zel::FrameTime(movie, 1));
}

TEST(FrameTime, TimesForPeopleChooseTheirUnit) {
    EXPECT_EQ(zel::TimeText(-0.00125), "\u22121.250 ms");
    EXPECT_EQ(zel::TimeText(2.5), "2.500 s");
    EXPECT_EQ(zel::TimeText(0.0000125), "12.500 \u00b5s");
    EXPECT_EQ(zel::TimeText(0), "0.000 ms");
    EXPECT_EQ(zel::TimeText(-1e-10), "0.000 \u00b5s");  // no minus before a zero
}

TEST(FrameTime, TheToolListsEveryFrameHeld) {
    TempFile file;
    WriteTestMovie(file, 6, 16, 8, 3, Value);
    const ProcessResult csv = RunCommand(Cli() + " frames " + Quote(file.path()) + " --csv");
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    EXPECT_EQ(csv.out.substr(0, csv.out.find('\n')),
              "index,number,time,header1,header2,header3,header4,header5,header6,header7,header8,header9,header10,"
              "header11,header12");
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 4);
    const ProcessResult json = RunCommand(Cli() + " frames " + Quote(file.path()) + " --json");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(json.out.find("{\"index\": 2, \"number\": 2, \"time\": "), std::string::npos) << json.out;
    EXPECT_EQ(RunCommand(Cli() + " frames " + Quote(file.path()) + " --json --csv").exitCode, 2);
}
