// Text other programs read back: info --json of movies whose names are not UTF-8 or hold
// characters JSON escapes, read by python3's json module; and a POSIX name taken whole,
// its '\' included.

#ifndef _WIN32  // the command-line tool is run through a POSIX shell

#include <gtest/gtest.h>

#include <string>

#include "DocumentFixture.h"
#include "RunProcess.h"

using namespace zeltest;

namespace {

// The movie's fileName as a strict JSON reader reads info --json, printed with ascii() so
// that the comparison is plain ASCII. The exit status is the reader's: not 0 when the text
// is not UTF-8 or not JSON.
ProcessResult FileNameReadBack(const std::string& movie) {
    // In parentheses, so that RunCommand's redirections take the pair and not the reader alone.
    return RunCommand("(" + Cli() + " info --json " + Quote(movie) +
                      " | python3 -c 'import json, sys; print(ascii(json.load(sys.stdin.buffer)[\"fileName\"]))')");
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

uint16_t Flat(int, int, int) { return 100; }

class TextSafety : public ::testing::Test {
protected:
    void SetUp() override {
        static const bool reader = RunCommand("python3 -c ''").exitCode == 0;
        if (!reader) GTEST_SKIP() << "python3 is needed to read the JSON back";
    }
};

TEST_F(TextSafety, JsonOfALatin1NameIsUtf8WithReplacement) {
    const TempFile movie("_caf\xe9.zel");
    WriteTestMovie(movie, 6, 8, 4, 1, Flat);
    const ProcessResult r = FileNameReadBack(movie.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(EndsWith(r.out, "_caf\\ufffd.zel'\n")) << r.out;
}

TEST_F(TextSafety, BackslashIsPartOfAPosixName) {
    const TempFile movie("_q\"uote\\back.zel");
    WriteTestMovie(movie, 6, 8, 4, 1, Flat);
    const ProcessResult r = FileNameReadBack(movie.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // ascii() doubles the backslash.
    EXPECT_TRUE(EndsWith(r.out, "_q\"uote\\\\back.zel'\n")) << r.out;
}

}  // namespace

#endif
