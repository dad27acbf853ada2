// Video export: FFV1 frames decoded back equal the 16-bit TIFF files, H.264 frames the
// 8-bit rendering within compression's error, the rate stands exactly in the file, what
// is refused is refused with its reason, and a stopped or failing run leaves nothing.
// Videos are read back through FFmpeg's own decoders. A build without video export only
// checks that the command refuses.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "DocumentFixture.h"
#include "RunProcess.h"
#include "TempFile.h"
#include "TempFolder.h"

#ifdef ZEL_VIDEO
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "FileSizeLimit.h"
#include "document/ConversionNaming.h"
#include "document/ZelfDoc.h"
#include "imaging/DisplayBitmap.h"
#include "video/VideoExport.h"
#include "zelwriter/FrameEncoder.h"
#endif

using namespace zeltest;
namespace fs = std::filesystem;

#ifndef ZEL_VIDEO

TEST(VideoExport, ABuildWithoutFfmpegRefusesTheCommand) {
    TempFile movie;
    WriteTestMovie(movie, 4, 16, 8, 2, [](int, int, int) -> uint16_t { return 0; });
    TempFolder out;
    const ProcessResult r = RunCommand(Cli() + " video " + Quote(movie.path()) + " " + Quote(out.path + "/v.mkv"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("this build has no video export"), std::string::npos) << r.err;
    EXPECT_TRUE(FilesIn(out.path).empty());
}

#else

namespace {

// A video read back: its stream's figures and every frame's plane 0 (grey or Y) values.
struct DecodedVideo {
    std::string codec;
    int width = 0;
    int height = 0;
    AVRational frameRate{0, 1};
    AVRational timeBase{0, 1};
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
    std::vector<int64_t> timestamps;  // of the packets, in timeBase
    std::vector<std::vector<uint16_t>> frames;
};

DecodedVideo Decode(const std::string& path) {
    DecodedVideo video;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return video;
    avformat_find_stream_info(format, nullptr);
    const AVStream* stream = format->streams[0];
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext* codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, stream->codecpar);
    avcodec_open2(codec, decoder, nullptr);
    video.codec = decoder->name;
    video.frameRate = stream->avg_frame_rate;
    video.timeBase = stream->time_base;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const auto take = [&] {
        while (avcodec_receive_frame(codec, frame) == 0) {
            video.width = frame->width;
            video.height = frame->height;
            video.range = frame->color_range;
            const bool wide = frame->format == AV_PIX_FMT_GRAY16LE;
            std::vector<uint16_t> values;
            for (int y = 0; y < frame->height; ++y) {
                const uint8_t* row = frame->data[0] + static_cast<ptrdiff_t>(y) * frame->linesize[0];
                for (int x = 0; x < frame->width; ++x)
                    values.push_back(wide ? static_cast<uint16_t>(row[2 * x] | row[2 * x + 1] << 8) : row[x]);
            }
            video.frames.push_back(std::move(values));
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        video.timestamps.push_back(packet->pts);
        avcodec_send_packet(codec, packet);
        av_packet_unref(packet);
        take();
    }
    avcodec_send_packet(codec, nullptr);
    take();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return video;
}

// Opens the movie into doc and plans a video of it (the plan's refusal fails the test).
zel::VideoPlan Plan(zel::CZelfDoc& doc, const std::string& movie, const std::string& target,
                    const zel::VideoOptions& options = {}) {
    zel::VideoPlan plan;
    EXPECT_TRUE(doc.OpenMovie(movie, true)) << doc.OpenError();
    const zel::VideoRefusal refused = zel::PlanVideo(target, options, doc, plan);
    EXPECT_FALSE(refused) << refused.Text();
    return plan;
}

// The pixels of a 16-bit TIFF written by the document for frame n.
std::vector<uint16_t> TiffValues(zel::CZelfDoc& doc, int n, const std::string& path) {
    const zel::ConversionDepths depths = zel::ChooseConversionDepths(doc.bitDepth(), true);
    EXPECT_EQ(doc.ExportFrame(n, 1, path, depths.sourceBits, 16), 1) << doc.ExportError();
    const std::string bytes = Slurp(path);
    std::vector<uint16_t> values;
    for (size_t i = 200; i + 1 < bytes.size(); i += 2)
        values.push_back(static_cast<uint16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8));
    return values;
}

// Samples over the layout's whole range (companded layouts hold only their curve's values).
zeltest::SampleFunction NoiseOf(int format) {
    return [format](int n, int x, int y) -> uint16_t {
        std::mt19937 random(static_cast<unsigned>(n * 100003 + y * 1009 + x + format * 7));
        const uint16_t max = zelgen::MaxSampleOfFormat(format);
        if (format == 2 || format == 5) return zelgen::ExpandedValue(static_cast<uint8_t>(random()));
        return static_cast<uint16_t>(random() % (max + 1u));
    };
}

// A disc over a ramp, moving: something an encoder meets in practice.
uint16_t Scene(int n, int x, int y) {
    const int dx = x - 10 - 3 * n, dy = y - 16;
    if (dx * dx + dy * dy < 64) return 1000;
    return static_cast<uint16_t>(100 + x * 12);
}

}  // namespace

TEST(VideoExport, Ffv1FramesHoldTheSixteenBitTiffValuesOfEveryLayout) {
    int layouts = 0;
    for (int format = -1; format <= 6; ++format) {
        const bool newer = zelgen::SpecForPixelFormat(format, true).has_value();
        if (!newer && !zelgen::SpecForPixelFormat(format, false)) continue;
        ++layouts;
        // 64 x 32 is whole in every layout; odd sides, which FFV1 keeps, leave some
        // layouts' last pixels unstored (0).
        for (const auto& [w, h] : {std::pair{64, 32}, std::pair{21, 13}}) {
            const std::string what = "layout " + std::to_string(format) + " " + std::to_string(w) + " x " + std::to_string(h);
            TempFile movie, video(".mkv"), tiff(".tif");
            WriteTestMovie(movie, format, w, h, 3, NoiseOf(format));
            zel::CZelfDoc doc;
            const zel::VideoPlan plan = Plan(doc, movie.path(), video.path());
            ASSERT_EQ(plan.codec, zel::VideoCodec::Ffv1);
            const zel::RunOutcome run = zel::ExportVideo(doc, {0, 2}, plan);
            ASSERT_TRUE(run.Completed()) << run.problem.Text();
            const DecodedVideo decoded = Decode(video.path());
            EXPECT_EQ(decoded.codec, "ffv1");
            ASSERT_EQ(decoded.frames.size(), 3u) << what;
            EXPECT_EQ(decoded.width, w);
            EXPECT_EQ(decoded.height, h);
            for (int n = 0; n < 3; ++n) {
                EXPECT_EQ(decoded.frames[n], TiffValues(doc, n, tiff.path())) << what << " frame " << n;
                // 8-bit movies' TIFF values are the samples x 256, the others the samples.
                const int shift = doc.bitDepth() == 8 ? 8 : 0;
                if (w == 64) {
                    EXPECT_EQ(decoded.frames[n][5 * w + 7], NoiseOf(format)(n, 7, 5) << shift) << what;
                }
            }
        }
    }
    EXPECT_EQ(layouts, 8);
}

TEST(VideoExport, H264FramesShowTheRenderingAtTheGainPaddedToEvenSides) {
    TempFile movie, video(".mp4");
    WriteTestMovie(movie, 6, 45, 33, 6, Scene);  // 10-bit raster, odd sides
    zel::CZelfDoc doc;
    zel::VideoOptions options;
    options.gain = zel::VideoGain{false, 2};  // depth 9: v >> 1
    const zel::VideoPlan plan = Plan(doc, movie.path(), video.path(), options);
    ASSERT_EQ(plan.codec, zel::VideoCodec::H264);
    EXPECT_EQ(plan.renderDepth, 9);
    ASSERT_TRUE(zel::ExportVideo(doc, {0, 5}, plan).Completed());

    const DecodedVideo decoded = Decode(video.path());
    EXPECT_EQ(decoded.codec, "h264");
    EXPECT_EQ(decoded.range, AVCOL_RANGE_MPEG);
    ASSERT_EQ(decoded.frames.size(), 6u);
    ASSERT_EQ(decoded.width, 46);
    ASSERT_EQ(decoded.height, 34);
    double error = 0.0;
    int count = 0;
    for (int n = 0; n < 6; ++n) {
        std::vector<uint16_t> samples(45 * 33);
        for (int y = 0; y < 33; ++y)
            for (int x = 0; x < 45; ++x) samples[y * 45 + x] = Scene(n, x, y);
        std::vector<uint8_t> rendering(45 * 33);
        zel::ConvertSamplesTo8Bit(-33, rendering.data(), 2, 9, -45, samples.data());
        for (int y = 0; y < 34; ++y) {
            for (int x = 0; x < 46; ++x) {
                // A player's full-range value of the limited-range Y; the padding repeats the edge.
                const double shown = (decoded.frames[n][y * 46 + x] - 16) * 255.0 / 219.0;
                error += std::fabs(shown - rendering[std::min(y, 32) * 45 + std::min(x, 44)]);
                ++count;
            }
        }
    }
    EXPECT_LT(error / count, 2.0);
}

TEST(VideoExport, TheRateStandsExactlyInTheFile) {
    TempFile movie;
    WriteTestMovie(movie, 4, 16, 16, 5, Scene);  // recorded at 10000 frames/s
    {
        TempFile video(".mp4");
        zel::CZelfDoc doc;
        zel::VideoOptions options;
        options.paceValue = *zel::ParseVideoFraction("30000/1001");
        const zel::VideoPlan plan = Plan(doc, movie.path(), video.path(), options);
        ASSERT_TRUE(zel::ExportVideo(doc, {0, 4}, plan).Completed());
        const DecodedVideo decoded = Decode(video.path());
        EXPECT_EQ(av_cmp_q(decoded.frameRate, AVRational{30000, 1001}), 0);
        ASSERT_EQ(decoded.frames.size(), 5u);
        std::vector<int64_t> stamps = decoded.timestamps;
        std::sort(stamps.begin(), stamps.end());
        for (int k = 0; k < 5; ++k)  // frame k at k x 1001/30000 s, exactly
            EXPECT_EQ(av_cmp_q(av_mul_q(AVRational{static_cast<int>(stamps[k]), 1}, decoded.timeBase),
                               AVRational{k * 1001, 30000}),
                      0);
    }
    {
        TempFile video(".mkv");
        zel::CZelfDoc doc;
        zel::VideoOptions options;
        options.pace = zel::VideoPace::RecordingSpeed;
        options.paceValue = *zel::ParseVideoFraction("0.0025");  // 10000 frames/s x 0.0025 = 25
        const zel::VideoPlan plan = Plan(doc, movie.path(), video.path(), options);
        EXPECT_EQ(plan.frameRate, (zel::VideoFraction{25, 1}));
        ASSERT_TRUE(zel::ExportVideo(doc, {1, 4}, plan).Completed());
        const DecodedVideo decoded = Decode(video.path());
        EXPECT_EQ(av_cmp_q(decoded.frameRate, AVRational{25, 1}), 0);
        EXPECT_EQ(decoded.frames.size(), 4u);
        EXPECT_EQ(decoded.timestamps, (std::vector<int64_t>{0, 40, 80, 120}));  // milliseconds
    }
}

TEST(VideoExport, RatesAndGainsAreReadExactly) {
    EXPECT_EQ(zel::ParseVideoFraction("29.97"), (zel::VideoFraction{2997, 100}));
    EXPECT_EQ(zel::ParseVideoFraction("60/2"), (zel::VideoFraction{30, 1}));
    EXPECT_EQ(zel::ParseVideoFraction("0.5"), (zel::VideoFraction{1, 2}));
    for (const char* bad : {"", "0", "-1", "30.", "1/0", "1e3", "abc", "99999999999999999999", "3000000000"})
        EXPECT_FALSE(zel::ParseVideoFraction(bad)) << bad;
    EXPECT_EQ(zel::ParseVideoGain("auto"), (zel::VideoGain{true, 1}));
    EXPECT_EQ(zel::ParseVideoGain("64"), (zel::VideoGain{false, 64}));
    EXPECT_FALSE(zel::ParseVideoGain("3"));
    std::string bad;
    EXPECT_FALSE(zel::ParseVideoOverlays("time,time", &bad));
    EXPECT_FALSE(zel::ParseVideoOverlays("time,clock", &bad));
    EXPECT_EQ(bad, "clock");
    const auto overlays = zel::ParseVideoOverlays("frame,scalebar");
    ASSERT_TRUE(overlays);
    EXPECT_TRUE(overlays->frameNumber && overlays->scaleBar && !overlays->time);
}

TEST(VideoExport, RefusalsSayWhy) {
    TempFile movie, noRate;
    WriteTestMovie(movie, 4, 16, 16, 2, Scene);
    WriteTestMovie(noRate, 4, 16, 16, 2, Scene, [](zelgen::MovieSpec& spec) { spec.rateIndex = 9; });
    TempFolder out;
    const auto run = [&](const std::string& movieFile, const std::string& name, const std::string& options) {
        return RunCommand(Cli() + " video " + Quote(movieFile) + " " + Quote(out.path + "/" + name) + " " + options);
    };
    const auto refused = [&](const ProcessResult& r, const std::string& words) {
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find(words), std::string::npos) << r.err;
    };
    refused(run(movie.path(), "v.avi", ""), "name it .mkv (lossless FFV1) or .mp4 (H.264)");
    refused(run(movie.path(), "v.mp4", "--codec ffv1"), "FFV1 cannot be written into a .mp4 file");
    refused(run(noRate.path(), "v.mkv", "--speed 0.01"), "does not say its recording rate");
    refused(run(movie.path(), "v.mkv", "--gain 4"), "a display gain applies to H.264 only");
    refused(run(movie.path(), "v.mkv", "--speed 1"), "cannot play 10000 frames/s");
    refused(run(movie.path(), "v.mp4", "--fps 0"), "--fps 0: not a positive number");
    refused(run(movie.path(), "v.mp4", "--overlay scalebar"), "a scale bar needs the pixel size");
    refused(run(movie.path(), "v.mp4", "--overlay time,date"), "'date' is not an overlay");
    refused(run(movie.path(), "v.mp4", "--fps 30 --speed 1"), "--fps excludes --speed");
    EXPECT_TRUE(FilesIn(out.path).empty());
    // The same through the core, for the window's dialog: codes besides the text.
    zel::CZelfDoc doc;
    ASSERT_TRUE(doc.OpenMovie(movie.path(), true));
    zel::VideoPlan plan;
    EXPECT_EQ(zel::PlanVideo(out.path + "/v", {}, doc, plan).code, zel::VideoRefusalCode::UnknownExtension);
    zel::VideoOptions h264InMatroska;
    h264InMatroska.codec = zel::VideoCodec::H264;
    EXPECT_FALSE(zel::PlanVideo(out.path + "/v.MKV", h264InMatroska, doc, plan));
    EXPECT_EQ(plan.container, zel::VideoContainer::Matroska);
    // A reversed span writes nothing.
    EXPECT_EQ(zel::ExportVideo(doc, {1, 0}, plan).problem.code, zel::ProblemCode::RangeOutside);
    EXPECT_TRUE(FilesIn(out.path).empty());
    // The dialog's "as the window shows it": the document's gain.
    doc.SetGain(3);
    EXPECT_EQ(zel::DisplayGainOf(doc), (zel::VideoGain{false, 4}));
    doc.SetGain(0);
    EXPECT_EQ(zel::DisplayGainOf(doc), (zel::VideoGain{true, 1}));
}

TEST(VideoExport, TheCommandWritesBothKindsWithOverlays) {
    TempFile movie;
    WriteTestMovie(movie, 6, 64, 48, 4, [](int, int, int) -> uint16_t { return 0; });  // black, 10-bit
    TempFolder out;
    const ProcessResult mp4 = RunCommand(Cli() + " video " + Quote(movie.path()) + " " + Quote(out.path + "/v.mp4") +
                                         " --start 1 --overlay frame,time --fps 12.5");
    ASSERT_EQ(mp4.exitCode, 0) << mp4.err;
    EXPECT_EQ(mp4.err, "");
    const DecodedVideo h264 = Decode(out.path + "/v.mp4");
    ASSERT_EQ(h264.frames.size(), 3u);
    EXPECT_EQ(av_cmp_q(h264.frameRate, AVRational{25, 2}), 0);
    EXPECT_GT(*std::max_element(h264.frames[0].begin(), h264.frames[0].end()), 200);  // the white text
    // The index comes before the frames, so players start before the whole file arrived.
    const std::string bytes = Slurp(out.path + "/v.mp4");
    EXPECT_LT(bytes.find("moov"), bytes.find("mdat"));

    const ProcessResult mkv = RunCommand(Cli() + " video " + Quote(movie.path()) + " " + Quote(out.path + "/v.mkv") +
                                         " --overlay scalebar --pixel-size 2um");
    ASSERT_EQ(mkv.exitCode, 0) << mkv.err;
    const DecodedVideo ffv1 = Decode(out.path + "/v.mkv");
    ASSERT_EQ(ffv1.frames.size(), 4u);
    // A 10-bit movie's white is 1023 among its 16-bit TIFF values.
    EXPECT_EQ(*std::max_element(ffv1.frames[3].begin(), ffv1.frames[3].end()), 1023);
    EXPECT_EQ(FilesIn(out.path), (std::vector<std::string>{"v.mkv", "v.mp4"}));
}

// The tool hands the command to its video program beside it, so that the other commands
// start without FFmpeg's libraries; without that program it says so.
TEST(VideoExport, TheToolWithoutItsVideoProgramSaysWhatIsMissing) {
    TempFile movie;
    WriteTestMovie(movie, 6, 16, 8, 2, [](int, int, int) -> uint16_t { return 0; });
    TempFolder alone;
    fs::copy_file(ZEL_CLI_PATH, alone.path + "/zeltiff16-cli");
    const ProcessResult r = RunCommand(Quote(alone.path + "/zeltiff16-cli") + " video " + Quote(movie.path()) + " " +
                                       Quote(alone.path + "/v.mkv"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot run " + alone.path + "/zeltiff16-cli-video (the tool's video program): No such file"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(FilesIn(alone.path), (std::vector<std::string>{"zeltiff16-cli"}));
}

TEST(VideoExport, AStoppedOrFailingRunLeavesNothingAndKeepsAnOlderFile) {
    TempFile movie;
    WriteTestMovie(movie, 4, 64, 32, 6, NoiseOf(4));
    TempFolder out;
    const std::string target = out.path + "/v.mkv";
    {
        std::ofstream older(target);
        older << "older";
    }
    zel::CZelfDoc doc;
    const zel::VideoPlan plan = Plan(doc, movie.path(), target);
    for (const int stopAt : {2, 5}) {  // part-way, and during the last frame
        const zel::RunOutcome stopped = zel::ExportVideo(doc, {0, 5}, plan, [&](int n) {
            if (n == stopAt) doc.RequestStop();
        });
        EXPECT_EQ(stopped.end, zel::RunEnd::Stopped);
        EXPECT_EQ(stopped.framesDone, stopAt + 1);
        EXPECT_EQ(Slurp(target), "older");
        EXPECT_EQ(FilesIn(out.path), std::vector<std::string>{"v.mkv"});
    }

    // A disk that fills: the system's reason, and again nothing left. The child process
    // opens the movie itself: the parent's reader threads are not in it.
    const std::string failure = WithFileSizeLimit(4096, [&] {
        zel::CZelfDoc child;
        const zel::VideoPlan childPlan = Plan(child, movie.path(), target);
        const zel::RunOutcome run = zel::ExportVideo(child, {0, 5}, childPlan);
        return run.end == zel::RunEnd::Failed ? run.problem.Text() : std::string("not failed");
    });
    EXPECT_EQ(failure, "cannot write " + target + ": File too large");
    EXPECT_EQ(Slurp(target), "older");
    EXPECT_EQ(FilesIn(out.path), std::vector<std::string>{"v.mkv"});

    // A folder that is not there: nothing written, exit 1.
    const ProcessResult r =
        RunCommand(Cli() + " video " + Quote(movie.path()) + " " + Quote(out.path + "/missing/v.mp4"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("missing/v.mp4"), std::string::npos) << r.err;
    EXPECT_EQ(FilesIn(out.path), std::vector<std::string>{"v.mkv"});
}

#endif
