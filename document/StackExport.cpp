#include "document/StackExport.h"

#include <string>
#include <utility>

#include "document/ConversionNaming.h"
#include "document/ZelfDoc.h"

namespace zel {

namespace {

RunOutcome FailedBefore(Problem problem) {
    RunOutcome outcome;
    outcome.end = RunEnd::Failed;
    outcome.problem = std::move(problem);
    return outcome;
}

// The shape of every page, with the pixel size as the resolution where it is known.
TiffStackShape ShapeOf(const CZelfDoc& doc, const TiffPageBuilder& pages, int count, bool bigTiff) {
    TiffStackShape shape;
    shape.width = doc.width();
    shape.height = doc.height();
    shape.bitsPerSample = pages.OutputBits();
    shape.pages = count;
    shape.forceBigTiff = bigTiff;
    const Calibration& calibration = doc.PixelCalibration();
    if (calibration.Known()) {
        shape.pixelsPerUnit = 1.0 / calibration.pixelSize;
        shape.resolutionUnit = calibration.unit;
    }
    return shape;
}

}  // namespace

RunOutcome ExportTiffStack(CZelfDoc& doc, const FrameSpan& span, const StackExportOptions& options,
                           const std::function<void(int frame)>& afterFrame, StackExportResult* result) {
    if (doc.reader() == nullptr) return FailedBefore({ProblemCode::NoFrames});
    FrameSpan checked;
    if (Problem outside = CheckSpan(span.first, span.last, doc.frameCount(), checked))
        return FailedBefore(std::move(outside));  // a stack of no pages is no stack
    if (options.outputBits != 8 && options.outputBits != 16)
        return FailedBefore(
            {ProblemCode::UnsupportedDepth, {std::to_string(doc.bitDepth()), std::to_string(options.outputBits)}});
    if (doc.IsInputFile(options.target)) return FailedBefore({ProblemCode::OutputIsInput, {options.target}});
    if (doc.RunInProgress()) return FailedBefore({ProblemCode::RunInProgress});

    const ConversionDepths depths = ChooseConversionDepths(doc.bitDepth(), options.outputBits == 16);
    std::string error;
    TiffPageBuilder pages;
    if (!pages.Prepare(doc.width(), doc.height(), doc.bytesPerSample(), depths.sourceBits, depths.outputBits, &error))
        return FailedBefore({ProblemCode::WriteFailed, {"cannot write " + options.target + ": " + error}});
    const int count = static_cast<int>(checked.Count());
    const Calibration& calibration = doc.PixelCalibration();
    const std::string description = ImageJStackDescription(count, doc.reader()->Parameters().framePeriodUs,
                                                           calibration.Known() ? calibration.unit : "pixel");
    TiffStackWriter stack;
    if (!stack.Open(options.target, ShapeOf(doc, pages, count, options.bigTiff), description, &error))
        return FailedBefore({ProblemCode::WriteFailed, {error}});

    RunOutcome run = doc.RunFrames(
        checked,
        [&](int) -> Problem {
            if (!stack.AddPage(pages.Page(doc.samples()), &error)) return {ProblemCode::WriteFailed, {error}};
            return {};
        },
        afterFrame);
    // A stop asked for during the last frame's afterFrame still means: write nothing.
    if (run.end == RunEnd::Completed && run.stopRequested) run.end = RunEnd::Stopped;
    if (run.end != RunEnd::Completed) {
        stack.Abandon();
        return run;
    }
    const TiffStackLayout layout = stack.Layout();
    if (!stack.Commit(&error)) {
        run.end = RunEnd::Failed;
        run.problem = {ProblemCode::WriteFailed, {error}};
        return run;
    }
    if (result != nullptr) *result = {layout, count};
    return run;
}

}  // namespace zel
