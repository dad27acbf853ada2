// zeltiff16-cli video: the options read into the core's VideoOptions, checked by PlanVideo
// before anything is written (refusals are usage errors, exit 2), then the core's export
// with a progress bar. Ctrl-C stops between frames: the unfinished video is removed and
// an older file of that name kept.

#include "cli/VideoCommand.h"

#include <optional>

#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "video/VideoExport.h"

namespace zel::cli {

namespace {

// The options' texts as the core's values; kExitUsage with a message for a bad one.
int ReadOptions(const VideoCommandOptions& given, VideoOptions& options) {
    if (!given.codec.empty()) options.codec = ParseVideoCodec(given.codec);  // CLI11 checked the name
    if (!given.fps.empty() || !given.speed.empty()) {
        const bool speed = !given.speed.empty();
        const std::optional<VideoFraction> value = ParseVideoFraction(speed ? given.speed : given.fps);
        if (!value) {
            Complain(std::string(speed ? "--speed " : "--fps ") + (speed ? given.speed : given.fps) +
                     ": not a positive number (write e.g. 30, 29.97 or 30000/1001)");
            return kExitUsage;
        }
        options.pace = speed ? VideoPace::RecordingSpeed : VideoPace::FramesPerSecond;
        options.paceValue = *value;
    }
    if (!given.gain.empty()) options.gain = ParseVideoGain(given.gain);  // CLI11 checked the value
    if (!given.overlay.empty()) {
        std::string bad;
        const std::optional<OverlayOptions> overlays = ParseVideoOverlays(given.overlay, &bad);
        if (!overlays) {
            Complain("--overlay: '" + bad + "' is not an overlay, or is named twice (overlays: time, frame, scalebar)");
            return kExitUsage;
        }
        options.overlays = *overlays;
    }
    return kExitOk;
}

}  // namespace

int RunVideo(const VideoCommandOptions& given, char** /*argv*/) {
    const InterruptWatch interrupts;
    VideoOptions options;
    if (const int code = ReadOptions(given, options); code != kExitOk) return code;
    CZelfDoc doc;
    int first = 0, last = 0;
    if (const int code = OpenDocument(doc, given); code != kExitOk) return code;
    if (const int code = ResolveRange(doc, given, first, last); code != kExitOk) return code;
    if (const int code = RefuseInputAsOutput(doc, given.output); code != kExitOk) return code;
    VideoPlan plan;
    if (const VideoRefusal refused = PlanVideo(given.output, options, doc, plan)) {
        Complain(refused.Text());
        return kExitUsage;
    }

    const auto interrupted = [&] {
        Complain("interrupted; the video was not written, and " + given.output + " is as it was");
        return InterruptWatch::ExitCode();
    };
    if (InterruptWatch::Signal() != 0) return interrupted();
    RunOutcome run;
    {
        Progress progress("encoding", int64_t{last} - first + 1);
        run = ExportVideo(doc, {first, last}, plan, [&](int n) {
            progress.Update(int64_t{n} - first + 1);
            if (InterruptWatch::Signal() != 0) doc.RequestStop();
        });
    }
    if (run.end == RunEnd::Stopped) return interrupted();
    if (run.end == RunEnd::Failed) {
        if (run.problem.code == ProblemCode::FrameUnreadable)
            Complain("cannot write " + given.output + ": frame " + run.problem.arguments.at(0) + " of " + given.movie +
                     " cannot be read");
        else
            Complain(run.problem.Text());
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace zel::cli
