// The stack run: the core's stack export (document/StackExport.h) with a progress bar and
// Ctrl-C. A stack in any layout but the everyday one (classic, a directory per page) is
// named on stderr with the reason, since only some readers open it: ImageJ 1.x opens no
// BigTIFF, and readers other than ImageJ and tifffile see one page of an ImageJ large stack.

#include "cli/StackCommand.h"

#include <optional>
#include <string>

#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "document/StackExport.h"

namespace zel::cli {

namespace {

// One line on the layout of a finished stack, or nothing for the classic one.
std::string LayoutNote(TiffStackLayout layout, int pages, bool bigtiffAsked) {
    switch (layout) {
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

    const auto interrupted = [&] {
        Complain("interrupted; the stack was not written, and " + target + " is as it was");
        return InterruptWatch::ExitCode();
    };
    if (InterruptWatch::Signal() != 0) return interrupted();
    std::optional<Progress> progress(std::in_place, "converting", int64_t{last} - first + 1);
    StackExportResult written;
    const RunOutcome run = ExportTiffStack(
        doc, {first, last}, {target, depths.outputBits, options.bigtiff},
        [&](int n) {
            progress->Update(int64_t{n} - first + 1);
            if (InterruptWatch::Signal() != 0) doc.RequestStop();
        },
        &written);
    if (run.end == RunEnd::Stopped) return interrupted();
    if (run.end == RunEnd::Failed) {
        if (run.problem.code == ProblemCode::FrameUnreadable)
            Complain("cannot write " + target + ": frame " + run.problem.arguments.at(0) + " of " + options.movie +
                     " cannot be read");
        else
            Complain(run.problem.Text());
        return kExitFailure;
    }
    progress.reset();  // the bar's line ends before the note
    if (const std::string note = LayoutNote(written.layout, written.pages, options.bigtiff); !note.empty())
        Complain(note);
    return kExitOk;
}

}  // namespace zel::cli
