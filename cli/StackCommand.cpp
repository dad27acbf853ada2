// The stack run: one document reads the frames in order; each becomes a page through the
// same sample conversion as the numbered files and goes straight to the writer, so the
// run holds one frame and one page whatever the length of the range. A stack in any
// layout but the everyday one (classic, a directory per page) is named on stderr with the
// reason, since only some readers open it: ImageJ 1.x opens no BigTIFF, and readers
// other than ImageJ and tifffile see one page of an ImageJ large stack.

#include "cli/StackCommand.h"

#include <optional>
#include <string>

#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "imaging/TiffStack.h"

namespace zel::cli {

namespace {

// One line on the layout of a finished stack, or nothing for the classic one.
std::string LayoutNote(const TiffStackWriter& stack, int pages, bool bigtiffAsked) {
    switch (stack.Layout()) {
    case TiffStackLayout::Classic:
        return {};
    case TiffStackLayout::ImageJLarge:
        return "the stack passes 4 GiB: written as an ImageJ large stack (one directory, images=" +
               std::to_string(pages) + ", data contiguous); --bigtiff writes BigTIFF instead";
    case TiffStackLayout::BigTiff:
        break;
    }
    return bigtiffAsked ? "written as BigTIFF (a directory per page), as --bigtiff asks; ImageJ 1.x cannot open it"
                        : "a single page passes 4 GiB: written as BigTIFF (a directory per page), which ImageJ 1.x "
                          "cannot open";
}

}  // namespace

bool StackConversionAvailable() { return true; }

int RunStackConversion(const ConvertOptions& options, CZelfDoc& doc, int first, int last,
                       const ConversionPattern& pattern, const ConversionDepths& depths) {
    const std::string target = pattern.folder + pattern.baseName + pattern.extension;
    if (const int code = RefuseInputAsOutput(doc, target); code != kExitOk) return code;

    std::string error;
    TiffPageBuilder pages;
    if (!pages.Prepare(doc.width(), doc.height(), doc.bytesPerSample(), depths.sourceBits, depths.outputBits, &error)) {
        Complain("cannot write " + target + ": " + error);
        return kExitFailure;
    }
    const int frames = last - first + 1;
    TiffStackShape shape;
    shape.width = doc.width();
    shape.height = doc.height();
    shape.bitsPerSample = pages.OutputBits();
    shape.pages = frames;
    shape.forceBigTiff = options.bigtiff;
    TiffStackWriter stack;
    const Calibration& calibration = doc.PixelCalibration();
    if (calibration.Known()) {
        shape.pixelsPerUnit = 1.0 / calibration.pixelSize;
        shape.resolutionUnit = calibration.unit;
    }
    const std::string unit = calibration.Known() ? calibration.unit : "pixel";
    if (!stack.Open(target, shape, ImageJStackDescription(frames, doc.reader()->Parameters().framePeriodUs, unit),
                    &error)) {
        Complain(error);
        return kExitFailure;
    }

    std::optional<Progress> progress(std::in_place, "converting", frames);
    const auto interrupted = [&] {
        stack.Abandon();
        Complain("interrupted; the stack was not written, and " + target + " is as it was");
        return InterruptWatch::ExitCode();
    };
    if (InterruptWatch::Signal() != 0) return interrupted();
    const RunOutcome run = doc.RunFrames(
        {first, last},
        [&](int) -> Problem {
            if (!stack.AddPage(pages.Page(doc.samples()), &error)) return {ProblemCode::WriteFailed, {error}};
            return {};
        },
        [&](int n) {
            progress->Update(n - first + 1);
            if (InterruptWatch::Signal() != 0) doc.RequestStop();
        });
    if (run.end == RunEnd::Stopped) return interrupted();
    if (run.end == RunEnd::Failed) {
        stack.Abandon();
        if (run.problem.code == ProblemCode::FrameUnreadable)
            Complain("cannot write " + target + ": frame " + run.problem.arguments.at(0) + " of " + options.movie +
                     " cannot be read");
        else
            Complain(run.problem.Text());
        return kExitFailure;
    }
    const std::string note = LayoutNote(stack, frames, options.bigtiff);
    if (!stack.Commit(&error)) {
        Complain(error);
        return kExitFailure;
    }
    progress.reset();  // the bar's line ends before the note
    if (!note.empty()) Complain(note);
    return kExitOk;
}

}  // namespace zel::cli
