#include "video/VideoExport.h"

#include <algorithm>
#include <string>

#include "document/ConversionNaming.h"
#include "document/ZelfDoc.h"
#include "reader/FrameTime.h"
#include "video/Overlay.h"
#include "video/VideoEncoder.h"
#include "video/VideoFrames.h"

namespace zel {

namespace {

// What the overlays of frame n say.
OverlayContent ContentOf(const CZelfDoc& doc, int n) {
    OverlayContent content;
    content.frameIndex = n;
    const MovieParameters& movie = doc.reader()->Parameters();
    content.frameNumber = FrameNumber(movie, n);
    if (content.frameNumber) content.seconds = FrameTime(movie, *content.frameNumber);
    content.calibration = doc.PixelCalibration();
    return content;
}

// The white of the 16-bit TIFF values: 8-bit movies' samples are shifted to the top of
// 16 bits, deeper ones kept as they are (10-bit white is 1023).
int TiffValueFullScale(int bitDepth) {
    const int sourceBits = ChooseConversionDepths(bitDepth, true).sourceBits;
    const int bits = std::clamp(bitDepth + 16 - sourceBits, 1, 16);
    return (1 << bits) - 1;
}

// Fills the encoder's next picture with frame n, the one the document holds.
Problem MakePicture(const CZelfDoc& doc, const VideoPlan& plan, int n, VideoEncoder& encoder) {
    const VideoPicture picture = encoder.NextPicture();
    if (picture.planes[0] == nullptr)
        return {ProblemCode::WriteFailed, {"cannot write " + plan.target + ": no memory for a frame"}};
    const int w = plan.width, h = plan.height;
    const bool overlays = AnyOverlay(plan.overlays);
    if (plan.codec == VideoCodec::Ffv1) {
        FillTiffValuePicture(doc.samples(), doc.bytesPerSample(), doc.bitDepth(), w, h, picture.planes[0],
                             picture.strides[0]);
        if (overlays)
            DrawOverlays16(reinterpret_cast<uint16_t*>(picture.planes[0]), w, h, picture.strides[0] / 2,
                           TiffValueFullScale(doc.bitDepth()), plan.overlays, ContentOf(doc, n));
    } else {
        FillRenderingPicture(doc.samples(), doc.bytesPerSample(), plan.renderDepth, w, h, picture.planes[0],
                             picture.strides[0]);
        if (overlays) DrawOverlays8(picture.planes[0], w, h, picture.strides[0], plan.overlays, ContentOf(doc, n));
        FinishLumaPicture(w, h, plan.codedWidth, plan.codedHeight, picture.planes, picture.strides);
    }
    return {};
}

}  // namespace

RunOutcome ExportVideo(CZelfDoc& doc, const FrameSpan& span, const VideoPlan& plan,
                       const std::function<void(int frame)>& afterFrame) {
    if (doc.reader() == nullptr || doc.width() != plan.width || doc.height() != plan.height)
        return FailedBefore({ProblemCode::WriteFailed, {"cannot write " + plan.target + ": the video was planned for another movie"}});
    if (doc.IsInputFile(plan.target)) return FailedBefore({ProblemCode::OutputIsInput, {plan.target}});
    FrameSpan checked;
    if (Problem outside = CheckSpan(span.first, span.last, doc.frameCount(), checked))
        return FailedBefore(std::move(outside));  // a video of no frames is no video
    if (doc.RunInProgress()) return FailedBefore({ProblemCode::RunInProgress});

    VideoEncoder encoder;
    std::string error;
    if (!encoder.Open(plan, &error)) return FailedBefore({ProblemCode::WriteFailed, {error}});
    RunOutcome run = doc.RunFrames(
        span,
        [&](int n) -> Problem {
            if (Problem made = MakePicture(doc, plan, n, encoder)) return made;
            if (!encoder.WriteFrame(&error)) return {ProblemCode::WriteFailed, {error}};
            return {};
        },
        afterFrame);
    // A stop asked for during the last frame's afterFrame still means: write nothing.
    if (run.end == RunEnd::Completed && run.stopRequested) run.end = RunEnd::Stopped;
    if (run.end != RunEnd::Completed) {
        encoder.Abandon();
        return run;
    }
    if (!encoder.Commit(&error)) {
        run.end = RunEnd::Failed;
        run.problem = {ProblemCode::WriteFailed, {error}};
    }
    return run;
}

}  // namespace zel
