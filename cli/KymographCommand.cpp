// zeltiff16-cli kymograph: the core's kymograph of a line over a frame range, written as
// one 16-bit TIFF file. Everything that can be refused is refused before the first frame
// is read, and the output's temporary file is created then too, so a folder that cannot
// take it fails at once; the file is renamed onto the output only after every frame was
// read, so an interrupt or an unreadable frame leaves nothing (and an older file as it was).

#include "cli/KymographCommand.h"

#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "document/Kymograph.h"
#include "fileio/ReplacingFile.h"

namespace zel::cli {

int RunKymograph(const MeasureOptions& options) {
    const InterruptWatch interrupts;
    CZelfDoc doc;
    const auto& c = options.corners;
    const ProfileLine line{c[0], c[1], c[2], c[3]};
    int first = 0, last = 0;
    if (const int code = OpenDocument(doc, options); code != kExitOk) return code;
    if (const int code = ResolveRange(doc, options, first, last); code != kExitOk) return code;
    const FrameSpan span{first, last};
    if (const Problem refused = CheckKymograph(line, span, doc.width(), doc.height())) {
        Complain(refused.Text());
        return kExitUsage;
    }
    if (const int code = RefuseInputAsOutput(doc, options.output); code != kExitOk) return code;

    ReplacingFile file;
    std::string error;
    if (!file.Create(options.output, &error)) {
        Complain(error);
        return kExitFailure;
    }
    const auto interrupted = [] {
        Complain("interrupted; nothing was written");
        return InterruptWatch::ExitCode();
    };
    if (InterruptWatch::Signal() != 0) return interrupted();
    Kymograph kymograph;
    RunOutcome run;
    {
        Progress progress("kymograph", span.Count());
        run = BuildKymograph(doc, line, span, kymograph, [&](int n) {
            progress.Update(int64_t{n} - first + 1);
            if (InterruptWatch::Signal() != 0) doc.RequestStop();
        });
    }
    // A stop asked for during the last frame ends the run complete: still nothing is written.
    if (run.end == RunEnd::Stopped || InterruptWatch::Signal() != 0) return interrupted();
    if (run.end == RunEnd::Failed) {
        Complain(run.problem.Text());
        return kExitFailure;
    }
    if (const Problem failed = kymograph.SaveInto(file)) {
        Complain(failed.Text());
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace zel::cli
