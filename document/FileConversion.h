#pragma once
// A span of frames converted to numbered TIFF files, decoding and writing at once.
//
// Decoders, one per document given (each with its own reader of the same movie), work
// through contiguous pieces of the span in order, so that each reads without seeking.
// Each decodes a frame into a buffer from a fixed pool, every buffer a whole TIFF file
// (the head is written once, the pixels per frame), and queues it for the writer: a
// thread of its own that writes each queued buffer as a file (to a temporary name beside
// it, then renamed) and hands it back. So the next frames are decoded while one is being
// written; memory is the pool, two buffers more than there are decoders, whatever the
// span's length; and nothing is allocated per frame.
//
// The files are byte for byte those the document's WriteCurrentFrame writes. Every file
// is either complete or never appears: a stop or a failure ends the run between files,
// and frames decoded but not yet written are dropped.
//
//   FileConversion conversion(pattern, depths);
//   FileConversionResult done = conversion.Run(docs, span, [&] { progress(conversion.FilesWritten()); });

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "document/ConversionNaming.h"
#include "document/FrameRange.h"
#include "document/FrameRun.h"
#include "reader/Problem.h"

namespace zel {

class CZelfDoc;

struct FileConversionResult {
    RunEnd end = RunEnd::Completed;
    int64_t filesWritten = 0;
    Problem problem;  // Failed: the first failure (an unreadable frame, a file that could not be written)
};

class FileConversion {
public:
    FileConversion(const ConversionPattern& pattern, const ConversionDepths& depths);
    FileConversion(const FileConversion&) = delete;
    FileConversion& operator=(const FileConversion&) = delete;

    // Converts span with one decoder per document (at least one, all of the same movie,
    // none running anything else) and blocks until it is done, stopped or failed. One
    // run per object. While
    // it waits, the calling thread calls `tick` every few milliseconds (progress, a
    // look at the signals, RequestStop).
    FileConversionResult Run(const std::vector<CZelfDoc*>& docs, const FrameSpan& span,
                             const std::function<void()>& tick = {});

    // From any thread: decoders stop before their next frame, the writer after the file
    // it is writing.
    void RequestStop();
    // Files written completely so far; from any thread.
    int64_t FilesWritten() const { return written_.load(std::memory_order_relaxed); }

private:
    struct Buffer;
    class Pool;

    void Decode(CZelfDoc& doc, int first, int last, Pool& pool);
    void Write(const std::vector<CZelfDoc*>& docs, Pool& pool);
    void Fail(Problem problem);

    ConversionPattern pattern_;
    ConversionDepths depths_;
    size_t fileBytes_ = 0;  // of every file: the head and the pixels
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> written_{0};
    std::mutex failureLock_;
    Problem failure_;
    std::mutex poolLock_;  // guards pool_, which RequestStop wakes
    Pool* pool_ = nullptr;
    std::atomic<bool> writerDone_{false};
    std::condition_variable writerFinished_;
};

}  // namespace zel
