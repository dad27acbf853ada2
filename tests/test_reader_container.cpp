// The file header, the byte order and the chunk directory, on hand-built files.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>  // mkfifo
#endif

#include "MovieBytes.h"
#include "TempFile.h"
#include "reader/MovieReader.h"

using namespace zeltest;

namespace {

struct Opened {
    zel::CMovieReader reader;
    int result = 0;
};

void OpenBytes(Opened& o, MovieBytes& m, int correction = 1) {
    const TempFile file(m.bytes());
    o.result = o.reader.Open(file.path(), correction);
}

}  // namespace

TEST(ReaderContainer, WorkedExampleOffsetsInBothByteOrders) {
    for (const bool big : {false, true}) {
        MovieBytes m = OlderMovie("rwm7", 64, 32, 3, big);
        Opened o;
        OpenBytes(o, m);
        ASSERT_EQ(o.result, 1) << o.reader.OpenError();
        EXPECT_EQ(o.reader.Parameters().nativeOrder, big ? 0 : 1);
        EXPECT_EQ(o.reader.Parameters().genpOffset, 512);
        EXPECT_EQ(o.reader.Parameters().playOffset, 1104);
        EXPECT_EQ(o.reader.Parameters().fszpOffset, 2752);
        EXPECT_EQ(o.reader.Parameters().framOffset, 3152);
        EXPECT_EQ(o.reader.Parameters().chunkCount, 4);
        EXPECT_EQ(o.reader.Parameters().genpVersion, 0x20000);
        EXPECT_EQ(o.reader.Parameters().width, 64);
        EXPECT_EQ(o.reader.Parameters().height, 32);
        EXPECT_EQ(o.reader.Parameters().frameCount, 3);
        EXPECT_EQ(o.reader.Parameters().frameStride, 64 * 32 * 10 / 8);
    }
}

TEST(ReaderContainer, OnlyMMMMMeansBigEndian) {
    // Four zero bytes at 20..23 mean little-endian; a big-endian reading of the same
    // file would see a directory count of 0x04000000.
    MovieBytes m = OlderMovie("rwm7", 64, 32, 1);
    Opened o;
    OpenBytes(o, m);
    ASSERT_EQ(o.result, 1);
    EXPECT_EQ(o.reader.Parameters().nativeOrder, 1);

    MovieBytes other = OlderMovie("rwm7", 64, 32, 1);
    other.Tag(20, "MMMN");
    Opened o2;
    OpenBytes(o2, other);
    EXPECT_EQ(o2.result, 1);
    EXPECT_EQ(o2.reader.Parameters().nativeOrder, 1);
}

TEST(ReaderContainer, DuplicateAndUnknownEntries) {
    // GENP, PLAY, an unknown chunk of 100 bytes after a lead of 8, FSZP, FRAM, a second PLAY
    // and a second FRAM: the unknown chunk shifts FSZP; the second PLAY wins, the first FRAM wins.
    MovieBytes m(false);
    m.U32(16, 512);
    const int n = 7;
    m.U32(44, n);
    m.Entry(n, 0, "GENP", 0, 592, 0x20000);
    m.Entry(n, 1, "PLAY", 0, 1648, 0x20000);
    m.Entry(n, 2, "ABCD", 8, 100, 0);
    m.Entry(n, 3, "FSZP", 0, 400, 0x20001);
    m.Entry(n, 4, "FRAM", 0, 800, 0x20002);
    m.Entry(n, 5, "PLAY", 0, 1648, 0x20003);
    m.Entry(n, 6, "FRAM", 0, 800, 0x20004);
    const size_t play2 = 512 + 592 + 1648 + 108 + 400 + 800;
    const size_t fszp = 512 + 592 + 1648 + 108;
    m.Tag(512 + 80, "rwm7");
    m.U16(play2 + 274, 1);
    m.U32(play2 + 274 + 14, 0);  // one frame, 0..0
    m.U16(fszp + 52, 32);
    m.U16(fszp + 54, 16);
    m.U32(fszp + 96, 32 * 16 * 10 / 8);
    m.Resize(play2 + 1648 + 800);
    Opened o;
    OpenBytes(o, m);
    ASSERT_EQ(o.result, 1) << o.reader.OpenError();
    EXPECT_EQ(o.reader.Parameters().fszpOffset, static_cast<int64_t>(fszp));
    EXPECT_EQ(o.reader.Parameters().fszpVersion, 0x20001);
    EXPECT_EQ(o.reader.Parameters().playOffset, static_cast<int64_t>(play2));
    EXPECT_EQ(o.reader.Parameters().playVersion, 0x20003);
    EXPECT_EQ(o.reader.Parameters().framOffset, static_cast<int64_t>(fszp + 400));
    EXPECT_EQ(o.reader.Parameters().framVersion, 0x20002);
    EXPECT_EQ(o.reader.Parameters().frameCount, 1);
}

TEST(ReaderContainer, HeaderAndDirectoryRefusals) {
    using P = zel::ProblemCode;
    struct Case {
        const char* what;
        void (*patch)(MovieBytes&);
        const char* reasonPart;
        P problem;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"wrong magic", [](MovieBytes& m) { m.Tag(0, "ZELG"); }, "ZELF", P::NotAMovie, {}},
        {"511 bytes", [](MovieBytes& m) { m.Resize(511); }, "shorter than the 512-byte", P::HeaderTooShort, {}},
        {"23 entries", [](MovieBytes& m) { m.U32(44, 23); }, "claims 23 entries; at most 22", P::TooManyChunks, {"23"}},
        {"no entries", [](MovieBytes& m) { m.U32(44, 0); }, "no \"GENP\"", P::RecordMissing, {"GENP"}},
        {"negative count", [](MovieBytes& m) { m.U32(44, 0xffffffffu); }, "no \"GENP\"", P::RecordMissing, {"GENP"}},
        {"no PLAY", [](MovieBytes& m) { m.Tag(48 + 16, "PLAX"); }, "no \"PLAY\"", P::RecordMissing, {"PLAY"}},
        {"older without FSZP", [](MovieBytes& m) { m.Tag(48 + 32, "FSZX"); }, "FSZP", P::FrameSizeRecordMissing, {}},
        {"no FRAM", [](MovieBytes& m) { m.Tag(48 + 48, "FRAX"); }, "no \"FRAM\"", P::FramChunkMissing, {}},
        {"record past the end", [](MovieBytes& m) { m.U32(48 + 4, 0x7fff0000); }, "does not lie inside",
         P::RecordOutsideFile, {"GENP", std::to_string(0x7fff0000 + 512)}},
        {"offset overflowing 32 bits", [](MovieBytes& m) { m.U32(16, 0xffffff00u); }, "does not lie inside",
         P::RecordOutsideFile, {"GENP", std::to_string(0xffffff00u)}},
    };
    for (const Case& c : cases) {
        MovieBytes m = OlderMovie("rwm7", 64, 32, 2);
        c.patch(m);
        Opened o;
        OpenBytes(o, m);
        EXPECT_EQ(o.result, 0) << c.what;
        EXPECT_FALSE(o.reader.IsOpen()) << c.what;
        EXPECT_NE(o.reader.OpenError().find(c.reasonPart), std::string::npos)
            << c.what << ": " << o.reader.OpenError();
        // The same reason as a code and arguments, for a front end to translate.
        EXPECT_EQ(o.reader.LastOpenFailure().code, c.problem) << c.what;
        EXPECT_EQ(o.reader.LastOpenFailure().arguments, c.arguments) << c.what;
        EXPECT_EQ(o.reader.LastOpenFailure().Text(), o.reader.OpenError());
    }
    zel::CMovieReader reader;
    EXPECT_EQ(reader.Open("/nonexistent/dir/movie.zel", 1), 0);
    EXPECT_NE(reader.OpenError().find("cannot open"), std::string::npos);
    EXPECT_EQ(reader.LastOpenFailure().code, zel::ProblemCode::CannotOpenFile);
    EXPECT_EQ(reader.LastOpenFailure().arguments, std::vector<std::string>{"No such file or directory"});
#ifndef _WIN32  // Windows has no FIFOs; test_platform_files.cpp refuses its devices
    // A FIFO with no writer must not make the open wait.
    const TempFile fifo(".fifo");
    ASSERT_EQ(::mkfifo(fifo.path().c_str(), 0600), 0);
    EXPECT_EQ(reader.Open(fifo.path(), 1), 0);
    EXPECT_NE(reader.OpenError().find("not a regular file"), std::string::npos);
    EXPECT_EQ(reader.Open("/dev/null", 1), 0);
#endif
}

#ifndef _WIN32  // a backslash in a file name is a separator on Windows
TEST(ReaderContainer, BackslashIsPartOfAPosixName) {
    MovieBytes m = OlderMovie("rwm7", 64, 32, 1);
    const TempFile file(m.bytes(), "_back\\slash.zel");
    zel::CMovieReader reader;
    ASSERT_EQ(reader.Open(file.path(), 1), 1);
    EXPECT_EQ(reader.Parameters().filePath, file.path());
    const std::string plain = file.path().substr(file.path().find_last_of('/') + 1);
    EXPECT_EQ(reader.Parameters().fileName, plain);
    EXPECT_NE(plain.find("_back\\slash"), std::string::npos);
}
#endif

TEST(ReaderContainer, ReopenResetsEverything) {
    MovieBytes big = OlderMovie("rwt2", 64, 32, 5, true);
    MovieBytes small = NewerMovie("qqqq", 0, 8, 16, 8, 2);
    const TempFile a(big.bytes()), b(small.bytes());
    zel::CMovieReader reader;
    ASSERT_EQ(reader.Open(a.path(), 1), 1);
    EXPECT_EQ(reader.Parameters().pixelFormat, 1);
    ASSERT_EQ(reader.Open(b.path(), 1), 1);
    EXPECT_EQ(reader.Parameters().nativeOrder, 1);
    EXPECT_EQ(reader.Parameters().pixelFormat, -1);
    EXPECT_EQ(reader.Parameters().fszpOffset, 0);
    EXPECT_EQ(reader.Parameters().frameCount, 2);
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.OffsetTable(), nullptr);
}

TEST(Problem, TemplatesTakeTheirArgumentsInOrder) {
    EXPECT_EQ(zel::FillTemplate("%2 before %1, 100%", {"a", "b"}), "b before a, 100%");
    EXPECT_EQ(zel::FillTemplate("%3 stays", {"a"}), "%3 stays");
    const zel::Problem failure{zel::ProblemCode::InvalidFrameSize, {"0", "-4"}};
    EXPECT_EQ(failure.Text(), "the frame size 0 x -4 is not valid");
}
