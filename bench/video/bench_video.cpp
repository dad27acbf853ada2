// Video export speed: 1280 x 1024 12-bit movies written as FFV1 (.mkv) and H.264 (.mp4)
// through the core's own run (ExportVideo: read, decode, correct, make the picture,
// encode, write), as the video command does it. Three pictures, since both encoders'
// cost depends on what they code: the demo's disc moving over a ramp (smooth, as a
// well-lit scene), and the same with camera-like noise of 4 counts (standard deviation)
// on every pixel, and of 64 counts (4 levels of the 8-bit rendering at gain 1, where
// H.264 must keep it). Reports frames per second of each, and of the reads alone; H.264
// at the default gain 1 and at gain 4.
//
// Usage: build/bench/video/zel_bench_video [FRAMES]   (default 120)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "document/ZelfDoc.h"
#include "video/VideoExport.h"
#include "zelwriter/CameraRules.h"
#include "zelwriter/DemoMovie.h"
#include "zelwriter/MovieWriter.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 1280, kHeight = 1024;

bool WriteBenchMovie(const std::string& path, int frames, double noise) {
    auto spec = zelgen::SpecForPixelFormat(4, true);  // 12-bit
    spec->width = kWidth;
    spec->height = kHeight;
    std::mt19937 random(7);
    std::normal_distribution<double> counts(0.0, noise);
    std::string error;
    const bool ok = zelgen::WriteMovie(
        path, *spec, frames,
        [&](int n, uint16_t* out) {
            zelgen::FillDemoFrame(zelgen::DemoPattern::Moving, n, frames, kWidth, kHeight, 4095, out);
            if (noise <= 0) return;
            for (int i = 0; i < kWidth * kHeight; ++i) {
                const double v = out[i] + counts(random);
                out[i] = static_cast<uint16_t>(v < 0 ? 0 : v > 4095 ? 4095 : v + 0.5);
            }
        },
        &error);
    if (!ok) std::fprintf(stderr, "cannot write the movie: %s\n", error.c_str());
    return ok;
}

// Frames per second of the run, or 0 on failure (said on stderr).
double Run(zel::CZelfDoc& doc, const std::string& target, int frames, const zel::VideoOptions& options = {}) {
    const zel::FrameSpan span{0, frames - 1};
    const auto start = Clock::now();
    zel::RunOutcome run;
    if (target.empty()) {
        run = doc.RunFrames(span);
    } else {
        zel::VideoPlan plan;
        if (const zel::VideoRefusal refused = zel::PlanVideo(target, options, doc, plan)) {
            std::fprintf(stderr, "%s\n", refused.Text().c_str());
            return 0;
        }
        run = zel::ExportVideo(doc, span, plan);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!run.Completed()) {
        std::fprintf(stderr, "%s\n", run.problem.Text().c_str());
        return 0;
    }
    return frames / seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 120;
    if (frames < 1) {
        std::fprintf(stderr, "usage: zel_bench_video [FRAMES]\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zel_bench_video";
    std::filesystem::create_directories(folder);
    std::printf("video export of %d frames of %d x %d, 12-bit\n", frames, kWidth, kHeight);
    std::printf("  %-24s %10s %10s %10s %10s\n", "picture", "read", "FFV1", "H.264", "H.264 x4");
    int status = 0;
    for (const double noise : {0.0, 4.0, 64.0}) {
        const std::string movie = (folder / "bench.zel").string();
        if (!WriteBenchMovie(movie, frames, noise)) return 1;
        zel::CZelfDoc doc;
        if (!doc.OpenMovie(movie, true)) {
            std::fprintf(stderr, "%s\n", doc.OpenError().c_str());
            return 1;
        }
        Run(doc, {}, frames);  // the file into the page cache
        const double read = Run(doc, {}, frames);
        const double ffv1 = Run(doc, (folder / "bench.mkv").string(), frames);
        const double h264 = Run(doc, (folder / "bench.mp4").string(), frames);
        const double mp4Bytes = static_cast<double>(std::filesystem::file_size(folder / "bench.mp4"));
        zel::VideoOptions gain4;
        gain4.gain = zel::VideoGain{false, 4};
        const double h264Gain4 = Run(doc, (folder / "bench.mp4").string(), frames, gain4);
        if (ffv1 == 0 || h264 == 0 || h264Gain4 == 0) status = 1;
        std::printf("  %-24s %8.1f/s %8.1f/s %8.1f/s %8.1f/s   (%.1f MB, %.1f MB, %.1f MB)\n",
                    noise == 0 ? "disc on a ramp" : noise < 10 ? "disc + noise (4 counts)" : "disc + noise (64 counts)",
                    read, ffv1, h264, h264Gain4,
                    static_cast<double>(std::filesystem::file_size(folder / "bench.mkv")) / 1e6,
                    mp4Bytes / 1e6, static_cast<double>(std::filesystem::file_size(folder / "bench.mp4")) / 1e6);
    }
    std::filesystem::remove_all(folder);
    return status;
}
