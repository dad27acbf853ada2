#include "cli/CommonOptions.h"

#include <algorithm>
#include <cstdio>

namespace zel::cli {

void Complain(const std::string& message) { std::fprintf(stderr, "zeltiff16-cli: %s\n", message.c_str()); }

int OpenDocument(CZelfDoc& doc, const FrameWorkOptions& options) {
    Calibration calibration;
    if (!options.pixelSize.empty()) {
        if (const Problem refused = ParsePixelSize(options.pixelSize, calibration)) {
            Complain("--pixel-size: " + refused.Text());
            return kExitUsage;
        }
    }
    if (!doc.OpenMovie(options.movie, !options.noCorrection)) {
        Complain(options.movie + ": " + doc.OpenError());
        return kExitFailure;
    }
    if (!options.noCorrection && !doc.reader()->CorrectionNote().empty())
        Complain(options.movie + ": opened without correction: " + doc.reader()->CorrectionNote());
    if (!options.blackReference.empty()) {
        if (const Problem refused = doc.ApplyBlackBalance(options.blackReference)) {
            Complain("black balance from " + options.blackReference + " not applied: " + refused.Text());
            return kExitFailure;
        }
    }
    doc.SetPixelCalibration(calibration);
    return kExitOk;
}

int RefuseInputAsOutput(const CZelfDoc& doc, const std::string& path) {
    if (!doc.IsInputFile(path)) return kExitOk;
    Complain("the output " + path + " is the movie or its black reference; choose another name");
    return kExitUsage;
}

int ResolveRange(const CZelfDoc& doc, const FrameWorkOptions& options, int& first, int& last) {
    const int count = doc.frameCount(), held = doc.FramesHeld();
    // Without --end the range runs to the last frame the file holds: a header may claim
    // frames a cut file does not have.
    const bool toTheEnd = !options.end.has_value();
    const int end = toTheEnd ? std::max(held, 1) - 1 : *options.end;
    FrameSpan span;
    if (const Problem outside = CheckSpan(options.start.value_or(0), end, count, span)) {
        Complain(outside.code == ProblemCode::NoFrames ? options.movie + ": " + outside.Text() : outside.Text());
        return kExitUsage;
    }
    if (toTheEnd && held < count)
        Complain(options.movie + ": the file holds only " + std::to_string(held) + " of " + std::to_string(count) +
                 " frames (it is cut short); the range ends at frame " + std::to_string(span.last));
    first = span.first;
    last = span.last;
    return kExitOk;
}

}  // namespace zel::cli
