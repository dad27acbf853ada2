// Frame access: the position marker and its seeks, partial buffers, per-frame headers,
// padding, refusals that leave the buffer alone, reading and decoding ahead, and movies
// far beyond 4 GiB.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "DocumentFixture.h"
#include "MovieBytes.h"
#include "TempFile.h"
#include "reader/MovieReader.h"

using namespace zeltest;

namespace {

constexpr int W = 16, H = 8, kFrames = 10;

// An 8-bit movie (stored samples kept as they are) whose frame n holds n * 16 + pixel
// index mod 16, with `header` bytes per frame (place 1 before, -1 after) and `padding`.
MovieBytes PlainMovie(int place = 0, int padding = 0, bool big = false) {
    const int header = place != 0 ? 64 : 0;
    const int32_t stride = W * H + header + padding;
    MovieBytes m = NewerMovie("abcd", 0, 8, W, H, kFrames, big);
    m.U32(kPlayNew + 1588, static_cast<uint32_t>(stride));
    m.U32(48 + 32 + 8, static_cast<uint32_t>(stride * kFrames));
    if (place != 0) {
        m.U32(24, 0x10001);
        m.U16(36, place == 1 ? 1 : 5);
    }
    m.Resize(kFramNew + static_cast<size_t>(stride) * kFrames);
    for (int n = 0; n < kFrames; ++n) {
        const size_t frame = kFramNew + static_cast<size_t>(stride) * n;
        const size_t pixels = frame + (place == 1 ? header : 0);
        for (int i = 0; i < W * H; ++i) m.U8(pixels + i, static_cast<uint8_t>(n * 16 + i % 16));
        if (place != 0) {
            const size_t h = place == 1 ? frame : frame + W * H;
            m.U32(h, 1000 + n);
            m.U32(h + 4, 2000 + n);
            m.U32(h + 8, 3);
            m.U16(h + 12, 4);
            m.U16(h + 14, 5);
            m.U32(h + 16, 6);
            for (int k = 0; k < 6; ++k) m.U16(h + 20 + 2 * k, static_cast<uint16_t>(7 + k));
            m.U16(h + 62, 0xffff);  // beyond the 32 bytes kept
        }
    }
    return m;
}

struct Movie {
    explicit Movie(MovieBytes m) : file(m.bytes()) { EXPECT_EQ(reader.Open(file.path(), 1), 1) << reader.OpenError(); }
    // Reads frame n and returns the frame index its pixels show (-1 on failure).
    int Read(int n) {
        std::vector<uint8_t> buffer(W * H);
        if (reader.ReadFrame(buffer.data(), n, W * H) != W * H) return -1;
        return buffer[0] / 16;
    }
    TempFile file;
    zel::CMovieReader reader;
};

}  // namespace

TEST(ReaderFrames, SequentialReadsMakeOneSeek) {
    Movie movie(PlainMovie());
    EXPECT_EQ(movie.reader.Parameters().filePosFrame, zel::kPositionUnknown);
    EXPECT_EQ(movie.reader.SeekCount(), 0u);
    for (int n = 0; n < 3; ++n) EXPECT_EQ(movie.Read(n), n);
    EXPECT_EQ(movie.reader.SeekCount(), 1u);
    EXPECT_EQ(movie.reader.Parameters().filePosFrame, 2);
}

// A sequential run reads the next frame ahead on another thread: a jump away from the
// fetched frame, a frame cut from the file's end and a reopen in mid-fetch must all still
// give the right frames (the sanitizers watch the thread's buffer).
TEST(ReaderFrames, ReadAheadFollowsJumpsCutsAndReopens) {
    MovieBytes cut = PlainMovie(1, 3);
    cut.Resize(cut.bytes().size() - 10);  // the last frame is incomplete
    Movie movie(cut);
    for (const int n : {0, 1, 2, 7, 3, 4, 8}) EXPECT_EQ(movie.Read(n), n);  // fetching 9 fails
    EXPECT_EQ(movie.Read(9), -1);
    EXPECT_EQ(movie.reader.Parameters().frameInfo.value1, 1008u);  // a refusal changes nothing
    EXPECT_EQ(movie.Read(5), 5);
    EXPECT_EQ(movie.Read(6), 6);  // frame 7 now in flight
    TempFile other(PlainMovie(-1).bytes());
    ASSERT_EQ(movie.reader.Open(other.path(), 1), 1);
    for (const int n : {7, 8, 9}) EXPECT_EQ(movie.Read(n), n);
    EXPECT_EQ(movie.reader.Parameters().frameInfo.value2, 2009u);
}

// Decoding ahead on the fetch thread gives exactly the frames a read decodes in place, in
// every layout, with per-frame headers before or after the pixels and gain correction: in
// runs, after jumps, with partial buffers, across a change of the offsets in mid-run, and
// when switched off in mid-run. A frame the layout does not cover whole (10 x 5 in the
// lane packing) is never decoded ahead, so its untouched samples are the buffer's own.
TEST(ReaderFrames, DecodingAheadGivesTheFramesReadInPlace) {
    struct Case {
        int format, width, height, headerPlace;
    };
    for (const Case c : {Case{0, 64, 32, 1}, Case{1, 64, 32, -1}, Case{3, 64, 32, 0}, Case{4, 32, 32, 1},
                         Case{6, 64, 32, -1}, Case{0, 10, 5, 0}}) {
        SCOPED_TRACE("format " + std::to_string(c.format) + ", " + std::to_string(c.width) + " x " +
                     std::to_string(c.height));
        const int frames = 8, samples = c.width * c.height;
        TempFile file;
        WriteTestMovie(file, c.format, c.width, c.height, frames,
                       [](int n, int x, int y) { return static_cast<uint16_t>((n * 131 + x * 17 + y * 29) % 1000); },
                       [&](zelgen::MovieSpec& s) {
                           s.headerPlace = c.headerPlace;
                           s.correction.kind = 9;
                           s.correction.width = c.width;
                           s.correction.height = c.height;
                           for (int i = 0; i < samples; ++i) {
                               s.correction.offsets.push_back(static_cast<int16_t>(i % 7 - 3));
                               s.correction.gains.push_back(static_cast<int16_t>(480 + i % 64));
                           }
                       });
        zel::CMovieReader ahead, inPlace;
        ASSERT_EQ(ahead.Open(file.path(), 1), 1) << ahead.OpenError();
        ASSERT_EQ(inPlace.Open(file.path(), 1), 1);
        ASSERT_TRUE(ahead.HasCorrection());
        ahead.SetDecodeAhead(true);
        std::vector<uint16_t> a(samples, 0xAAAA), b(samples, 0xAAAA);
        const auto same = [&](int n, int64_t bytes) {
            const int got = ahead.ReadFrame(a.data(), n, bytes);
            EXPECT_EQ(got, inPlace.ReadFrame(b.data(), n, bytes)) << "frame " << n;
            EXPECT_EQ(a, b) << "frame " << n;
            EXPECT_EQ(ahead.Parameters().frameInfo.value1, inPlace.Parameters().frameInfo.value1) << "frame " << n;
        };
        const int64_t whole = samples * 2;
        for (const int n : {0, 1, 2, 3, 6, 7, 2, 3}) same(n, whole);
        same(4, whole / 2);  // half the rows, in a run
        same(5, whole);
        // New offsets take effect on the next frame, although it was decoded ahead (the
        // pause lets the fetch thread finish it with the old ones; no time is measured).
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const std::vector<int16_t> offsets(samples, -40);
        ASSERT_TRUE(ahead.ReplaceOffsets(offsets.data(), samples));
        ASSERT_TRUE(inPlace.ReplaceOffsets(offsets.data(), samples));
        same(6, whole);
        ahead.SetDecodeAhead(false);
        same(7, whole);
        for (const int n : {1, 2, 3}) same(n, whole);
    }
}

TEST(ReaderFrames, RandomAccessSeeks) {
    Movie movie(PlainMovie());
    EXPECT_EQ(movie.Read(5), 5);
    const uint64_t base = movie.reader.SeekCount();  // straight to frame 5
    EXPECT_EQ(base, 1u);
    EXPECT_EQ(movie.Read(5), 5);  // again: seeks back
    EXPECT_EQ(movie.reader.SeekCount(), base + 1);
    EXPECT_EQ(movie.Read(4), 4);  // backwards: seeks
    EXPECT_EQ(movie.reader.SeekCount(), base + 2);
    EXPECT_EQ(movie.Read(5), 5);  // next: no seek
    EXPECT_EQ(movie.reader.SeekCount(), base + 2);

    ASSERT_EQ(movie.reader.ForceSeekFrame(7), 0);
    EXPECT_EQ(movie.reader.Parameters().filePosFrame, 7);
    const uint64_t forced = movie.reader.SeekCount();
    EXPECT_EQ(movie.Read(8), 8);  // reads on
    EXPECT_EQ(movie.reader.SeekCount(), forced);
    ASSERT_EQ(movie.reader.ForceSeekFrame(7), 0);
    EXPECT_EQ(movie.Read(7), 7);  // seeks back
    EXPECT_EQ(movie.reader.SeekCount(), forced + 2);
    EXPECT_EQ(movie.reader.ForceSeekFrame(kFrames), -1);
    EXPECT_EQ(movie.reader.Parameters().filePosFrame, zel::kPositionUnknown);
}

TEST(ReaderFrames, IndexAndBufferLimits) {
    Movie movie(PlainMovie());
    std::vector<uint8_t> buffer(W * H, 0xee);
    EXPECT_EQ(movie.reader.ReadFrame(buffer.data(), kFrames, W * H), 0);
    EXPECT_EQ(movie.reader.ReadFrame(buffer.data(), -1, W * H), 0);
    EXPECT_EQ(movie.reader.ReadFrame(nullptr, 0, W * H), 0);
    EXPECT_EQ(movie.reader.ReadFrame(buffer.data(), 0, W * 3), 0);  // room for 3 rows
    EXPECT_EQ(buffer, std::vector<uint8_t>(W * H, 0xee));
    // Room for 7 rows reads 4.
    EXPECT_EQ(movie.reader.ReadFrame(buffer.data(), 3, W * 7), W * 4);
    EXPECT_EQ(buffer[4 * W - 1], 3 * 16 + 15);
    EXPECT_EQ(buffer[4 * W], 0xee);
    // The partial read left the file at the next frame.
    EXPECT_EQ(movie.Read(4), 4);
    EXPECT_EQ(movie.Read(5), 5);
}

TEST(ReaderFrames, PerFrameHeadersBeforeAndAfterInBothByteOrders) {
    for (const int place : {1, -1}) {
        for (const bool big : {false, true}) {
            Movie movie(PlainMovie(place, 0, big));
            EXPECT_EQ(movie.reader.Parameters().frameHeaderPlace, place);
            EXPECT_EQ(movie.reader.Parameters().frameHeaderSize, 64);
            for (const int n : {0, 1, 2, 6}) {
                EXPECT_EQ(movie.Read(n), n);
                const zel::FrameInfo& info = movie.reader.Parameters().frameInfo;
                EXPECT_EQ(info.value1, 1000u + n);
                EXPECT_EQ(info.value2, 2000u + n);
                EXPECT_EQ(info.value3, 3u);
                EXPECT_EQ(info.value4, 4u);
                EXPECT_EQ(info.value5, 5u);
                EXPECT_EQ(info.value6, 6u);
                EXPECT_EQ(info.value7to12[5], 12u);
            }
            EXPECT_EQ(movie.reader.SeekCount(), 2u);  // to frames 0 and 6; 1 and 2 follow on
        }
    }
}

TEST(ReaderFrames, PaddedStrideLandsOnEveryFrame) {
    for (const int place : {0, 1, -1}) {
        Movie movie(PlainMovie(place, 37));
        for (int n = 0; n < kFrames; ++n) EXPECT_EQ(movie.Read(n), n) << "place " << place;
        EXPECT_EQ(movie.Read(3), 3);
    }
}

TEST(ReaderFrames, TruncatedFrameFailsAndLeavesTheBuffer) {
    MovieBytes m = PlainMovie(-1);
    m.Resize(m.size() - 1);  // the last frame's trailing header is one byte short
    Movie movie(m);
    EXPECT_EQ(movie.reader.Parameters().frameCount, kFrames);
    EXPECT_EQ(movie.Read(kFrames - 2), kFrames - 2);
    std::vector<uint8_t> buffer(W * H, 0xee);
    EXPECT_EQ(movie.reader.ReadFrame(buffer.data(), kFrames - 1, W * H), 0);
    EXPECT_EQ(buffer, std::vector<uint8_t>(W * H, 0xee));
    EXPECT_EQ(movie.Read(1), 1);
}

TEST(ReaderFrames, ShortReadOfAFrameThatShrankAfterOpen) {
    // The file is cut after Open: the read comes back short.
    MovieBytes m = PlainMovie();
    TempFile file(m.bytes());
    zel::CMovieReader reader;
    ASSERT_EQ(reader.Open(file.path(), 1), 1);
    std::filesystem::resize_file(file.path(), kFramNew + W * H * 2 + 5);
    std::vector<uint8_t> buffer(W * H, 0xee);
    EXPECT_EQ(reader.ReadFrame(buffer.data(), 2, W * H), 0);
    EXPECT_EQ(buffer, std::vector<uint8_t>(W * H, 0xee));
    EXPECT_EQ(reader.Parameters().filePosFrame, zel::kPositionUnknown);
    EXPECT_EQ(reader.ReadFrame(buffer.data(), 1, W * H), W * H);
    EXPECT_EQ(buffer[0], 16);
}

TEST(ReaderFrames, SparseTwentyGibMovieOpensWithoutReadingFrames) {
    const int w = 1280, h = 1024, frames = 16384;  // 1.25 MiB frames, 20 GiB of them
    MovieBytes m = NewerMovie("abcd", 0, 8, w, h, 1);
    m.U32(kPlayNew + 182 + 22, frames - 1);
    m.U32(48 + 32 + 8, 0);
    m.Resize(kFramNew);
    TempFile file(m.bytes());
    const int64_t size = static_cast<int64_t>(kFramNew) + int64_t{w} * h * frames;
    std::filesystem::resize_file(file.path(), static_cast<uintmax_t>(size));
    zel::CMovieReader reader;
    ASSERT_EQ(reader.Open(file.path(), 1), 1) << reader.OpenError();
    EXPECT_EQ(reader.Parameters().frameCount, frames);
    EXPECT_EQ(reader.FileSize(), size);
    EXPECT_EQ(reader.SeekCount(), 0u);
    std::vector<uint8_t> buffer(static_cast<size_t>(w) * h, 0xee);
    EXPECT_EQ(reader.ReadFrame(buffer.data(), frames - 1, w * h), w * h);  // beyond 4 GiB
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(reader.ReadFrame(buffer.data(), frames, w * h), 0);
}
