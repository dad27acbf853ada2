// zeltiff16-cli convert: one numbered TIFF file per frame, through the document's
// ExportFrame so that the files are byte-identical to the GUI's. With several jobs the
// range is cut into contiguous pieces, one per worker, each with its own document and
// reader, so that every worker reads its frames in order without seeking.

#include "cli/ConvertCommand.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/Progress.h"
#include "document/ConversionNaming.h"

namespace zel::cli {

namespace {

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.empty() ? "." : path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

struct Job {
    std::string folder, baseName, extension;
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

    // Converts frames first..last with doc.
    void Convert(CZelfDoc& doc, int first, int last) {
        for (int n = first; n <= last && !stop; ++n) {
            const std::string name = NumberedFileName(folder, baseName, n, extension);
            if (!doc.ExportFrame(n, 1, name, depths.sourceBits, depths.outputBits)) {
                Fail(kExitFailure, doc.ShowFrame(n) ? "cannot write " + name
                                                    : "frame " + std::to_string(n) + " cannot be read");
                return;
            }
            ++done;
        }
    }
};

}  // namespace

int RunConvert(const ConvertOptions& options) {
    CZelfDoc first;
    if (const int code = OpenDocument(first, options); code != kExitOk) return code;
    int firstFrame = 0, lastFrame = 0;
    if (const int code = ResolveRange(first, options, firstFrame, lastFrame); code != kExitOk) return code;

    Job job;
    SplitPath(options.output, &job.folder, &job.baseName, &job.extension);
    if (!IsFolder(job.folder)) {
        Complain("the output folder " + job.folder + " does not exist");
        return kExitFailure;
    }
    job.depths = ChooseConversionDepths(first.bitDepth, options.bits == 16);

    const int frames = lastFrame - firstFrame + 1;
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int workers = std::clamp(options.jobs > 0 ? options.jobs : cores, 1, frames);

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
        progress.Update(job.done);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (auto& thread : threads) thread.join();
    progress.Update(job.done);

    if (job.exitCode != kExitOk) {
        Complain(job.error);
        return job.exitCode;
    }
    return kExitOk;
}

}  // namespace zel::cli
