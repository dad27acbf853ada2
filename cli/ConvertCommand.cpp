// zeltiff16-cli convert: one numbered TIFF file per frame, through the document's
// ExportFrame so that the files are byte-identical to the GUI's. With several jobs the
// range is cut into contiguous pieces, one per worker, each with its own document and
// reader, so that every worker reads its frames in order without seeking. With --stack the
// frames go into one multi-page TIFF instead (StackCommand.cpp).

#include "cli/ConvertCommand.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "cli/StackCommand.h"
#include "document/ConversionNaming.h"
#include "document/ConversionWorkers.h"
#include "document/OutputCheck.h"
#include "platform/Files.h"
#include "platform/Process.h"

namespace zel::cli {

namespace {

bool IsFolder(const std::string& path) {
    return platform::KindOfPath(path.empty() ? "." : path) == platform::PathKind::Directory;
}

std::string MiB(int64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB"; }

struct Job {
    ConversionPattern pattern;
    ConversionDepths depths;
    std::atomic<int64_t> done{0};
    std::atomic<bool> stop{false};
    std::mutex errorLock;
    std::string error;
    int exitCode = kExitOk;

    void Fail(int code, const std::string& message) {
        const std::lock_guard<std::mutex> lock(errorLock);
        if (exitCode == kExitOk) {
            exitCode = code;
            error = message;
        }
        stop = true;
    }

    std::string NameOf(int frame) const {
        return NumberedFileName(pattern.folder, pattern.baseName, frame, pattern.extension);
    }

    // Converts frames first..last with doc. A stop takes effect between frames, so every
    // file is either complete or never appears.
    void Convert(CZelfDoc& doc, int first, int last) {
        if (stop) return;
        const RunOutcome run = doc.RunFrames(
            {first, last}, [&](int n) { return doc.WriteCurrentFrame(NameOf(n), depths.sourceBits, depths.outputBits); },
            [&](int) {
                ++done;
                if (stop) doc.RequestStop();
            });
        if (run.end == RunEnd::Failed) Fail(kExitFailure, run.problem.Text());
    }
};

// An output name that is the movie or the black reference (a link to it, or a movie
// named like a numbered output) is refused before anything is written.
int CheckOutputs(const CZelfDoc& doc, const Job& job, int first, int last) {
    if (const Problem clash = CheckOutputsAreNotInputs(doc, job.pattern, {first, last}))
        return RefuseInputAsOutput(doc, clash.arguments.at(0));
    return kExitOk;
}

int Workers(const ConvertOptions& options, const CZelfDoc& doc, const ConversionDepths& depths, int frames) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int wanted = std::min(options.jobs > 0 ? options.jobs : cores, frames);
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

    Job job;
    job.pattern = ChooseConversionPattern(options.output, first.movieTitle(), IsFolder(options.output));
    if (!IsFolder(job.pattern.folder)) {
        Complain("the output folder " + job.pattern.folder + " does not exist");
        return kExitFailure;
    }
    job.depths = ChooseConversionDepths(first.bitDepth(), options.bits == 16);
    if (options.stack) return RunStackConversion(options, first, firstFrame, lastFrame, job.pattern, job.depths);
    if (const int code = CheckOutputs(first, job, firstFrame, lastFrame); code != kExitOk) return code;

    const int frames = lastFrame - firstFrame + 1;
    const int workers = Workers(options, first, job.depths, frames);

    // Worker w converts a contiguous piece; the first piece uses the document opened above.
    std::vector<std::unique_ptr<CZelfDoc>> docs;
    for (int w = 1; w < workers; ++w) {
        docs.push_back(std::make_unique<CZelfDoc>());
        if (const int code = OpenDocument(*docs.back(), options); code != kExitOk) return code;
    }
    Progress progress("converting", frames);
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        const int from = firstFrame + static_cast<int>(static_cast<int64_t>(frames) * w / workers);
        const int to = firstFrame + static_cast<int>(static_cast<int64_t>(frames) * (w + 1) / workers) - 1;
        CZelfDoc& doc = w == 0 ? first : *docs[static_cast<size_t>(w - 1)];
        threads.emplace_back([&job, &doc, from, to] { job.Convert(doc, from, to); });
    }
    while (job.done < frames && !job.stop) {
        if (InterruptWatch::Signal() != 0) job.stop = true;
        progress.Update(job.done);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (auto& thread : threads) thread.join();
    progress.Update(job.done);

    if (job.exitCode != kExitOk) {
        Complain(job.error);
        return job.exitCode;
    }
    if (InterruptWatch::Signal() != 0 && job.done < frames) {
        Complain("interrupted; " + std::to_string(job.done.load()) + " of " + std::to_string(frames) +
                 " files were written completely and are kept");
        return InterruptWatch::ExitCode();
    }
    return kExitOk;
}

}  // namespace zel::cli
