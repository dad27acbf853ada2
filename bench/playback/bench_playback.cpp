// Playback speed of the desktop application: a 1280 x 1024 10-bit movie played at zoom 1
// in one view, offscreen, through the main window's own run (read, decode and correct,
// render to the display bitmap, paint). Reports frames per second of the whole run with
// the processor time it took per frame (the window's thread, and all threads: the next
// frame is decoded on a second one), the split between read, render and paint measured
// frame by frame on the same movie, and the allocations made per painted frame in the
// steady state (counted through operator new; a full-frame allocation would show as a
// large one). The machine is shared: the processor times hold up better under load than
// the frame rates, and several alternating runs with their medians tell more than one.
//
// With the next frame decoded ahead, "read" is what reading costs the window's thread:
// the wait for that frame (nothing once it is ready) and copying it into place.
//
// Usage: QT_QPA_PLATFORM=offscreen build/bench/playback/zel_bench_playback [FRAMES]

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>

#include "view/CommandIds.h"
#include "app/ControlBar.h"
#include "app/MainFrame.h"
#include "app/ZelTiff16App.h"
#include "document/ZelfDoc.h"
#include "imaging/DisplayBitmap.h"
#include "view/ZelfView.h"
#include "zelwriter/MovieWriter.h"

namespace {

std::atomic<long> allocations{0};
std::atomic<long> largeAllocations{0};
constexpr size_t kLarge = 256 * 1024;

void Count(size_t size) {
    ++allocations;
    if (size >= kLarge) ++largeAllocations;
}

using Clock = std::chrono::steady_clock;
double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Processor time used so far by this thread and by the whole process, in milliseconds;
// zero where the system does not tell (the figures are then not printed).
struct CpuTimes {
    double thread = 0, process = 0;
};
#ifdef __unix__
constexpr bool kCpuTimesKnown = true;
double CpuMilliseconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}
CpuTimes CpuTimesNow() { return {CpuMilliseconds(CLOCK_THREAD_CPUTIME_ID), CpuMilliseconds(CLOCK_PROCESS_CPUTIME_ID)}; }
#else
constexpr bool kCpuTimesKnown = false;
CpuTimes CpuTimesNow() { return {}; }
#endif

}  // namespace

void* operator new(size_t size) {
    Count(size);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    QTemporaryDir folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    const std::string movie = (folder.path() + QStringLiteral("/playback.zel")).toStdString();

    auto spec = zelgen::SpecForPixelFormat(6, true);  // 10-bit raster, gain correction
    spec->width = 1280;
    spec->height = 1024;
    spec->correction.kind = 9;
    spec->correction.width = spec->width;
    spec->correction.height = spec->height;
    std::string error;
    if (!zelgen::WriteMovie(movie, *spec, frames,
                            [&](int n, uint16_t* out) {
                                for (int i = 0; i < 1280 * 1024; ++i) out[i] = static_cast<uint16_t>((i + 7 * n) & 1023);
                            },
                            &error)) {
        std::fprintf(stderr, "cannot write the movie: %s\n", error.c_str());
        return 1;
    }

    zel::gui::CZelTiff16App app(std::make_unique<zel::gui::NoDialogs>(), 1);
    app.InitInstance({QString::fromStdString(movie)});
    zel::gui::CMainFrame& frame = *app.MainFrame();
    frame.resize(1600, 1200);
    QApplication::processEvents();
    zel::CZelfDoc& doc = *frame.ActiveDocument();
    zel::gui::CZelfView& view = *frame.ActiveView();

    // The whole run, as the play button does it.
    QElapsedTimer timer;
    frame.ControlBar()->Button(zel::gui::kIdTop)->click();
    const CpuTimes before = CpuTimesNow();
    timer.start();
    frame.RunFrames(0);
    const double runSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const CpuTimes after = CpuTimesNow();

    // The split, frame by frame, with the allocations of the steady state. The frames are
    // read and rendered into buffers of the document's sizes (the document hands out its
    // own only to read), then the view paints; each step costs what it costs in the run.
    std::vector<uint16_t> samples(1280 * 1024);
    const zel::DisplayRows layout = doc.DisplayRowsView();
    std::vector<uint8_t> pixels(static_cast<size_t>(layout.stride) * doc.height());
    Clock::duration read{}, render{}, paint{};
    long allocationsBefore = 0, largeBefore = 0;
    for (int n = 0; n < frames; ++n) {
        if (n == 10) allocationsBefore = allocations, largeBefore = largeAllocations;
        const auto t0 = Clock::now();
        if (const zel::Problem problem = doc.ReadFrameInto(n, samples.data(), static_cast<int64_t>(samples.size()) * 2)) {
            std::fprintf(stderr, "%s\n", problem.Text().c_str());
            return 1;
        }
        const auto t1 = Clock::now();
        const int rows = layout.bottomUp ? doc.height() : -doc.height();
        if (layout.bytesPerPixel == 4)
            zel::ConvertSamplesToXrgb(rows, pixels.data(), doc.bytesPerSample(), doc.CurrentDisplayDepth(), doc.width(),
                                      samples.data());
        else
            zel::ConvertSamplesTo8Bit(rows, pixels.data(), doc.bytesPerSample(), doc.CurrentDisplayDepth(),
                                      doc.width(), samples.data());
        const auto t2 = Clock::now();
        view.RepaintViews();  // as the document has it repaint after each frame
        const auto t3 = Clock::now();
        read += t1 - t0;
        render += t2 - t1;
        paint += t3 - t2;
    }
    const int steady = frames - 10;
    const double perFrame = (Milliseconds(read) + Milliseconds(render) + Milliseconds(paint)) / frames;
    std::printf("playback of %d frames of 1280 x 1024 (10-bit, gain correction) at zoom 1, offscreen\n", frames);
    std::printf("  run (play button):     %7.1f frames/s\n", frames / runSeconds);
    if (kCpuTimesKnown)
        std::printf("  run processor time:    %.2f ms per frame on the window's thread, %.2f ms on all threads\n",
                    (after.thread - before.thread) / frames, (after.process - before.process) / frames);
    std::printf("  split per frame:       read %.2f ms, render %.2f ms, paint %.2f ms (%.1f frames/s)\n",
                Milliseconds(read) / frames, Milliseconds(render) / frames, Milliseconds(paint) / frames,
                1000.0 / perFrame);
    std::printf("  allocations per frame: %.1f (of %zu KiB or more: %.2f)\n",
                static_cast<double>(allocations - allocationsBefore) / steady, kLarge / 1024,
                static_cast<double>(largeAllocations - largeBefore) / steady);
    return 0;
}
