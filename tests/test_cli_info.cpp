// zeltiff16-cli info: output, JSON keys, exit codes and messages.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "RunProcess.h"
#include "TempFile.h"
#include "zelwriter/MovieWriter.h"

using namespace zeltest;

namespace {

void WriteMovie(const TempFile& file, zelgen::MovieSpec spec, int frames = 2) {
    std::string error;
    ASSERT_TRUE(zelgen::WriteMovie(file.path(), spec, frames,
                                   [&](int, uint16_t* s) { std::fill_n(s, spec.width * spec.height, 100); }, &error))
        << error;
}

int CountLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

}  // namespace

TEST(CliInfo, JsonHasTheReaderFieldsInOrder) {
    TempFile movie;
    zelgen::MovieSpec spec = *zelgen::SpecForPixelFormat(4, true);
    spec.width = 64;
    spec.height = 32;
    spec.correction.kind = 9;
    spec.correction.width = 64;
    spec.correction.height = 32;
    WriteMovie(movie, spec, 5);
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
    EXPECT_EQ(CountLines(text.out), static_cast<int>(expected.size()));
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
