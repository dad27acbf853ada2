// zeltiff16-cli convert: one numbered TIFF file per frame, byte for byte the GUI's, through
// the core's FileConversion: --jobs decoders (each with its own document and reader,
// reading a contiguous piece in order) and a writer thread, so that decoding overlaps
// writing. With --stack the frames go into one multi-page TIFF instead (StackCommand.cpp).

#include "cli/ConvertCommand.h"

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "cli/StackCommand.h"
#include "document/ConversionNaming.h"
#include "document/ConversionWorkers.h"
#include "document/FileConversion.h"
#include "document/OutputCheck.h"
#include "platform/Files.h"
#include "platform/Process.h"

namespace zel::cli {

namespace {

bool IsFolder(const std::string& path) {
    return platform::KindOfPath(path.empty() ? "." : path) == platform::PathKind::Directory;
}

std::string MiB(int64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB"; }

// An output name that is the movie or the black reference (a link to it, or a movie
// named like a numbered output) is refused before anything is written.
int CheckOutputs(const CZelfDoc& doc, const ConversionPattern& pattern, int first, int last) {
    if (const Problem clash = CheckOutputsAreNotInputs(doc, pattern, {first, last}))
        return RefuseInputAsOutput(doc, clash.arguments.at(0));
    return kExitOk;
}

int Workers(const ConvertOptions& options, const CZelfDoc& doc, const ConversionDepths& depths, int frames) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int wanted = std::min(options.jobs > 0 ? options.jobs : DefaultDecoderCount(cores), frames);
    const int64_t perWorker = ConversionWorkerBytes(doc, depths);
    const int64_t budget = platform::PhysicalMemoryBytes() / kMemoryShareDivisor;
    const int workers = ChooseWorkerCount(wanted, frames, perWorker, budget);
    if (workers < wanted)
        Complain("using " + std::to_string(workers) + " of " + std::to_string(wanted) + " workers: each needs " +
                 MiB(perWorker) + ", and the workers may use at most " + MiB(budget) + " (half the memory)");
    return workers;
}

}  // namespace

int RunConvert(const ConvertOptions& options) {
    if (options.stack && !StackConversionAvailable()) {
        Complain(kNoStackConversion);
        return kExitUsage;
    }
    const InterruptWatch interrupts;
    CZelfDoc first;
    if (const int code = OpenDocument(first, options); code != kExitOk) return code;
    int firstFrame = 0, lastFrame = 0;
    if (const int code = ResolveRange(first, options, firstFrame, lastFrame); code != kExitOk) return code;

    const ConversionPattern pattern =
        ChooseConversionPattern(options.output, first.movieTitle(), IsFolder(options.output));
    if (!IsFolder(pattern.folder)) {
        Complain("the output folder " + pattern.folder + " does not exist");
        return kExitFailure;
    }
    const ConversionDepths depths = ChooseConversionDepths(first.bitDepth(), options.bits == 16);
    if (options.stack) return RunStackConversion(options, first, firstFrame, lastFrame, pattern, depths);
    if (const int code = CheckOutputs(first, pattern, firstFrame, lastFrame); code != kExitOk) return code;

    const int frames = lastFrame - firstFrame + 1;
    const int decoders = Workers(options, first, depths, frames);
    // Each decoder has a document of its own; the first is the one opened above.
    std::vector<std::unique_ptr<CZelfDoc>> more;
    std::vector<CZelfDoc*> docs{&first};
    for (int d = 1; d < decoders; ++d) {
        more.push_back(std::make_unique<CZelfDoc>());
        if (const int code = OpenDocument(*more.back(), options); code != kExitOk) return code;
        docs.push_back(more.back().get());
    }
    FileConversion conversion(pattern, depths);
    Progress progress("converting", frames);
    const FileConversionResult done = conversion.Run(docs, {firstFrame, lastFrame}, [&] {
        if (InterruptWatch::Signal() != 0) conversion.RequestStop();
        progress.Update(conversion.FilesWritten());
    });

    if (done.end == RunEnd::Failed) {
        Complain(done.problem.Text());
        return kExitFailure;
    }
    if (done.end == RunEnd::Stopped) {
        Complain("interrupted; " + std::to_string(done.filesWritten) + " of " + std::to_string(frames) +
                 " files were written completely and are kept");
        return InterruptWatch::ExitCode();
    }
    return kExitOk;
}

}  // namespace zel::cli
