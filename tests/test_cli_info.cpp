// zeltiff16-cli info: output, JSON keys, exit codes, messages, and files cut short.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <regex>

#include "RunProcess.h"
#include "TempFile.h"
#include "reader/WholeFrames.h"
#include "reader/MovieReader.h"
#include "zelwriter/MovieWriter.h"

using namespace zeltest;

namespace {

void WriteMovie(const TempFile& file, zelgen::MovieSpec spec, int frames = 2) {
    std::string error;
    ASSERT_TRUE(zelgen::WriteMovie(file.path(), spec, frames,
                                   [&](int, uint16_t* s) { std::fill_n(s, spec.width * spec.height, 100); }, &error))
        << error;
}

// A 64 x 32 movie of 12-bit tiles read out from the centre, with gain correction.
zelgen::MovieSpec TwelveBitCorrected() {
    zelgen::MovieSpec spec = *zelgen::SpecForPixelFormat(4, true);
    spec.width = 64;
    spec.height = 32;
    spec.correction.kind = 9;
    spec.correction.width = 64;
    spec.correction.height = 32;
    return spec;
}

int CountLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

}  // namespace

TEST(CliInfo, JsonHasTheReaderFieldsInOrder) {
    TempFile movie;
    WriteMovie(movie, TwelveBitCorrected(), 5);
    const ProcessResult r = RunCommand(Cli() + " info --json " + Quote(movie.path()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> expected = {
        "fileName", "cameraCode", "width", "height", "frameCount", "bitDepth", "storedBits", "pixelFormat",
        "colorPattern", "sensorMode", "nativeOrder", "frameStride", "frameBytes", "frameHeaderPlace",
        "frameHeaderSize", "rateIndex", "rateNumerator", "rateDenominator", "framePeriodUs", "fileRate",
        "correctionKind", "fileCorrectionKind", "correctionWidth", "correctionHeight", "correctionPoint",
        "correctionLow", "correctionHigh", "pedestal", "firstFrameNo", "lastFrameNo", "chunkCount", "genpOffset",
        "playOffset", "fszpOffset", "fpnpOffset", "dsppOffset", "dfctOffset", "framOffset", "genpVersion",
        "playVersion", "fszpVersion", "fpnpVersion", "dsppVersion", "dfctVersion", "framVersion"};
    std::vector<std::string> keys;
    const std::regex key("\"([A-Za-z]+)\": ");
    for (std::sregex_iterator it(r.out.begin(), r.out.end(), key), end; it != end; ++it) keys.push_back((*it)[1]);
    EXPECT_EQ(keys, expected);
    EXPECT_NE(r.out.find("\"width\": 64,"), std::string::npos);
    EXPECT_NE(r.out.find("\"bitDepth\": 12,"), std::string::npos);
    EXPECT_NE(r.out.find("\"frameCount\": 5,"), std::string::npos);
    EXPECT_NE(r.out.find("\"correctionKind\": 9,"), std::string::npos);
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(r.out.substr(r.out.size() - 2), "}\n");

    const ProcessResult plain = RunCommand(Cli() + " info --no-correction --json " + Quote(movie.path()));
    EXPECT_NE(plain.out.find("\"correctionKind\": 0,"), std::string::npos);
    EXPECT_NE(plain.out.find("\"fileCorrectionKind\": 9,"), std::string::npos);

    const ProcessResult text = RunCommand(Cli() + " info " + Quote(movie.path()));
    EXPECT_EQ(text.exitCode, 0);
    // Seven summary lines and a blank one, then a line per field.
    EXPECT_EQ(CountLines(text.out), 8 + static_cast<int>(expected.size()));
    EXPECT_NE(text.out.find("cameraCode"), std::string::npos);
}

TEST(CliInfo, FailuresSayWhyOnOneLine) {
    TempFile notMovie(std::vector<uint8_t>(600, 'x'));
    TempFile tooShort(std::vector<uint8_t>(100, 0));
    const struct {
        std::string args;
        int code;
        const char* says;
    } cases[] = {
        {"info /nonexistent/movie.zel", 1, "cannot open the file: No such file or directory"},
        {"info " + Quote(notMovie.path()), 1, "not a movie file"},
        {"info " + Quote(tooShort.path()), 1, "shorter than the 512-byte"},
        {"info /tmp", 1, "directory"},
        {"", 2, ""},
        {"info", 2, "MOVIE"},
        {"info a.zel --frobnicate", 2, "frobnicate"},
        {"unknown-command", 2, ""},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunCommand(Cli() + " " + c.args);
        EXPECT_EQ(r.exitCode, c.code) << c.args << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
        if (c.code == 1) {
            EXPECT_EQ(CountLines(r.err), 1) << r.err;
            EXPECT_EQ(r.out, "");
        }
    }
}

TEST(CliInfo, UnusableCorrectionIsReported) {
    TempFile movie;
    zelgen::MovieSpec spec = *zelgen::SpecForPixelFormat(6, true);
    spec.width = 64;
    spec.height = 32;
    spec.correction.kind = 3;
    spec.correction.width = 32;  // smaller than the frame
    spec.correction.height = 32;
    WriteMovie(movie, spec);
    const ProcessResult r = RunCommand(Cli() + " info --json " + Quote(movie.path()));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("opened without correction"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("\"correctionKind\": 0,"), std::string::npos);
}

TEST(CliInfo, CutShortMovieIsReportedWithItsParametersAsRecorded) {
    TempFile movie;
    zelgen::MovieSpec spec = *zelgen::SpecForPixelFormat(4, true);
    spec.headerPlace = 1;
    spec.frameStride = 64 * 32 * 2 + 256;  // padding after each frame
    WriteMovie(movie, spec, 10);
    int64_t endOfFrame2 = 0;
    {
        zel::CMovieReader reader;
        ASSERT_EQ(reader.Open(movie.path(), 0), 1) << reader.OpenError();
        ASSERT_LT(reader.Parameters().frameHeaderSize + reader.Parameters().frameBytes, reader.Parameters().frameStride);
        endOfFrame2 = reader.Parameters().framOffset + 2 * int64_t{reader.Parameters().frameStride} + reader.Parameters().frameHeaderSize + reader.Parameters().frameBytes;
    }
    const std::string info = Cli() + " info " + Quote(movie.path());
    const ProcessResult wholeText = RunCommand(info), wholeJson = RunCommand(info + " --json");
    ASSERT_EQ(wholeJson.err, "");

    // Frame 2 ends exactly at the end of the file (its padding is gone): three whole frames.
    const struct {
        int64_t size;
        const char* holds;
    } cuts[] = {{endOfFrame2, "3"}, {endOfFrame2 - 1, "2"}};
    for (const auto& cut : cuts) {
        std::filesystem::resize_file(movie.path(), static_cast<uintmax_t>(cut.size));
        const std::string says = "zeltiff16-cli: " + movie.path() + ": the file holds only " + cut.holds +
                                 " of 10 frames (it is cut short)\n";
        const ProcessResult text = RunCommand(info), json = RunCommand(info + " --json");
        EXPECT_EQ(text.exitCode, 0);
        EXPECT_EQ(json.exitCode, 0);
        EXPECT_EQ(text.err, says);
        EXPECT_EQ(json.err, says);
        EXPECT_EQ(text.out, wholeText.out);
        EXPECT_EQ(json.out, wholeJson.out);
    }
}

TEST(WholeFramesInFile, CountsFramesThatEndWithinTheFile) {
    zel::MovieParameters movie;
    movie.framOffset = 1000;
    movie.frameStride = 100;
    movie.frameHeaderSize = 8;
    movie.frameBytes = 80;  // frame n spans 1000 + 100n .. 1088 + 100n
    movie.frameCount = 10;
    using zel::WholeFramesInFile;
    EXPECT_EQ(WholeFramesInFile(movie, 0), 0);
    EXPECT_EQ(WholeFramesInFile(movie, 1087), 0);
    EXPECT_EQ(WholeFramesInFile(movie, 1088), 1);
    EXPECT_EQ(WholeFramesInFile(movie, 1287), 2);
    EXPECT_EQ(WholeFramesInFile(movie, 1288), 3);
    EXPECT_EQ(WholeFramesInFile(movie, 1988), 10);
    EXPECT_EQ(WholeFramesInFile(movie, INT64_MAX), 10);

    movie.frameStride = 0;  // every frame in the same place
    EXPECT_EQ(WholeFramesInFile(movie, 1087), 0);
    EXPECT_EQ(WholeFramesInFile(movie, 1088), 10);

    // Offsets beyond 32 bits, and a frame count no one could loop over.
    movie.frameCount = INT_MAX;
    movie.frameStride = 1 << 30;
    const int64_t lastEnd = 1000 + (int64_t{INT_MAX} - 1) * (1 << 30) + 88;
    EXPECT_EQ(WholeFramesInFile(movie, lastEnd), INT_MAX);
    EXPECT_EQ(WholeFramesInFile(movie, lastEnd - 1), INT_MAX - 1);
    EXPECT_EQ(WholeFramesInFile(movie, INT64_MAX), INT_MAX);
}

TEST(CliInfo, PlainOutputStartsWithASummaryForPeople) {
    TempFile movie;
    WriteMovie(movie, TwelveBitCorrected(), 5);
    const std::string info = Cli() + " info " + Quote(movie.path());
    const ProcessResult corrected = RunCommand(info);
    ASSERT_EQ(corrected.exitCode, 0);
    EXPECT_EQ(corrected.out.rfind("Movie        ", 0), 0u) << corrected.out;
    for (const char* line : {"Frame size   64 x 32 pixels\n", "Frames       5\n", "(layout 4)\n", "Samples      12-bit",
                             "Correction   offsets and gains (kind 9), applied\n", "\nfileName "})
        EXPECT_NE(corrected.out.find(line), std::string::npos) << line << " in\n" << corrected.out;
    EXPECT_NE(RunCommand(info + " --no-correction").out.find("not applied: opened without correction"), std::string::npos);
    // The JSON stays one object, without the summary.
    EXPECT_EQ(RunCommand(info + " --json").out.front(), '{');
}
