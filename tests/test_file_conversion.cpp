// Conversion to numbered TIFF files with decoding and writing overlapped
// (document/FileConversion.h): the files are byte for byte those the document writes one at
// a time, at every depth and with any number of decoders; a stop, an unreadable frame or
// a failed write ends the run between files, leaving only complete files.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "DocumentFixture.h"
#include "FolderTest.h"
#include "RunProcess.h"
#include "TempFile.h"
#include "document/FileConversion.h"
#include "document/ZelfDoc.h"

namespace {

using namespace zeltest;
namespace fs = std::filesystem;

class FileConversion : public FolderTest {
protected:
    // Opens `count` documents of a movie of this layout (12-bit tiles, or 8-bit samples).
    void Open(int pixelFormat, int frames, int count) {
        movie = Path(std::to_string(pixelFormat + 1) + ".zel");
        const TempFile source;
        WriteTestMovie(source, pixelFormat, 40, 12, frames, [](int n, int x, int y) {
            return static_cast<uint16_t>((n * 977 + x * 131 + y * 29 + x * y) % 4096);
        });
        fs::copy_file(source.path(), movie);
        for (int d = 0; d < count; ++d) {
            docs.push_back(std::make_unique<zel::CZelfDoc>());
            ASSERT_TRUE(docs.back()->OpenMovie(movie, true)) << docs.back()->OpenError();
        }
    }
    std::vector<zel::CZelfDoc*> Decoders() const {
        std::vector<zel::CZelfDoc*> list;
        for (const auto& doc : docs) list.push_back(doc.get());
        return list;
    }
    zel::ConversionPattern Pattern(const std::string& folderName) const {
        fs::create_directories(folder / folderName);
        return zel::ChooseConversionPattern(Path(folderName) + "/f.tif", "m.zel", false);
    }
    // Frame n as the document writes it on its own.
    std::string Expected(int n, const zel::ConversionDepths& depths) {
        zel::CZelfDoc single;
        EXPECT_TRUE(single.OpenMovie(movie, true));
        EXPECT_TRUE(single.ShowFrame(n));
        const std::string path = Path("expected.tif");
        EXPECT_FALSE(single.WriteCurrentFrame(path, depths.sourceBits, depths.outputBits));
        return Slurp(path);
    }

    std::string movie;
    std::vector<std::unique_ptr<zel::CZelfDoc>> docs;
};

TEST_F(FileConversion, FilesAreTheDocumentsAtEveryDepthWithAnyNumberOfDecoders) {
    for (const int pixelFormat : {4, -1}) {
        docs.clear();
        Open(pixelFormat, 9, 3);
        for (const bool sixteen : {true, false}) {
            const zel::ConversionDepths depths = zel::ChooseConversionDepths(docs[0]->bitDepth(), sixteen);
            for (const size_t decoders : {size_t{1}, size_t{3}}) {
                const std::string name = "out" + std::to_string(pixelFormat) + std::to_string(sixteen) +
                                         std::to_string(decoders);
                zel::FileConversion conversion(Pattern(name), depths);
                std::vector<zel::CZelfDoc*> used = Decoders();
                used.resize(decoders);
                const zel::FileConversionResult done = conversion.Run(used, {2, 8});
                ASSERT_EQ(done.end, zel::RunEnd::Completed) << done.problem.Text();
                EXPECT_EQ(done.filesWritten, 7);
                EXPECT_EQ(FilesIn(Path(name)).size(), 7u);
                for (int n = 2; n <= 8; ++n) {
                    const std::string got = Slurp(zel::NumberedFileName(Path(name) + "/", "f", n, ".tif"));
                    const std::string want = Expected(n, depths);
                    size_t at = 0;
                    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
                    EXPECT_TRUE(got == want) << "layout " << pixelFormat << ", frame " << n << ", " << decoders
                                             << " decoders, " << (sixteen ? 16 : 8) << " bits: sizes " << got.size()
                                             << " and " << want.size() << ", first difference at " << at;
                }
            }
        }
    }
}

TEST_F(FileConversion, AStopLeavesOnlyCompleteFiles) {
    Open(4, 400, 2);
    const zel::ConversionDepths depths = zel::ChooseConversionDepths(docs[0]->bitDepth(), true);
    zel::FileConversion conversion(Pattern("out"), depths);
    // The first tick comes as the run starts, long before 400 files are written.
    const zel::FileConversionResult done = conversion.Run(Decoders(), {0, 399}, [&] { conversion.RequestStop(); });
    if (done.end == zel::RunEnd::Completed) GTEST_SKIP() << "the run finished before the first tick";
    ASSERT_EQ(done.end, zel::RunEnd::Stopped);
    const std::vector<std::string> names = FilesIn(Path("out"));
    EXPECT_EQ(static_cast<int64_t>(names.size()), done.filesWritten);  // no temporary files left
    for (const std::string& name : names) {
        const int n = std::stoi(name.substr(2, 6));
        EXPECT_EQ(Slurp(Path("out/" + name)), Expected(n, depths)) << name;
    }
}

TEST_F(FileConversion, AnUnreadableFrameOrAFailedWriteEndsTheRunWithItsReason) {
    Open(4, 12, 1);
    const zel::ConversionDepths depths = zel::ChooseConversionDepths(docs[0]->bitDepth(), true);
    {
        zel::FileConversion conversion(Pattern("missing-later"), depths);
        fs::remove_all(Path("missing-later"));
        const zel::FileConversionResult done = conversion.Run(Decoders(), {0, 3});
        ASSERT_EQ(done.end, zel::RunEnd::Failed);
        EXPECT_EQ(done.problem.code, zel::ProblemCode::WriteFailed);
        EXPECT_NE(done.problem.Text().find("No such file or directory"), std::string::npos) << done.problem.Text();
        EXPECT_EQ(done.filesWritten, 0);
    }
    // The file loses its last frames after it was opened.
    fs::resize_file(movie, fs::file_size(movie) - 600 * 5);
    zel::FileConversion conversion(Pattern("cut"), depths);
    const zel::FileConversionResult done = conversion.Run(Decoders(), {0, 11});
    ASSERT_EQ(done.end, zel::RunEnd::Failed);
    EXPECT_EQ(done.problem.code, zel::ProblemCode::FrameUnreadable) << done.problem.Text();
    const std::vector<std::string> names = FilesIn(Path("cut"));
    EXPECT_EQ(static_cast<int64_t>(names.size()), done.filesWritten);
    EXPECT_LT(done.filesWritten, 12);
}

}  // namespace
