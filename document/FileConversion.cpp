#include "document/FileConversion.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "document/ZelfDoc.h"
#include "fileio/ReplacingFile.h"
#include "imaging/TiffImage.h"
#include "platform/FileIdentity.h"
#include "platform/LargeBlock.h"

namespace zel {

struct FileConversion::Buffer {
    platform::LargeBlock file;  // a whole TIFF file: the head, then the pixels
    int frame = -1;

    uint8_t* Pixels() const { return file.get() + kTiffHeadSize; }
};

// The buffers, free or queued for the writer, under one lock. Waits end when what they
// wait for arrives or the run stops.
class FileConversion::Pool {
public:
    Pool(size_t count, int decoders) : buffers_(count), decodersLeft_(decoders) {
        for (Buffer& buffer : buffers_) free_.push_back(&buffer);
    }

    std::vector<Buffer>& Buffers() { return buffers_; }

    // A free buffer, or null once the run stops.
    Buffer* TakeFree(const std::atomic<bool>& stop) {
        std::unique_lock<std::mutex> lock(lock_);
        freed_.wait(lock, [&] { return stop || !free_.empty(); });
        if (stop) return nullptr;
        Buffer* buffer = free_.back();
        free_.pop_back();
        return buffer;
    }

    void Queue(Buffer* buffer) {
        {
            const std::lock_guard<std::mutex> lock(lock_);
            filled_.push_back(buffer);
        }
        queued_.notify_one();  // the writer
    }

    // The next buffer to write, or null when the run stops or every decoder is done and
    // nothing is left to write.
    Buffer* TakeFilled(const std::atomic<bool>& stop) {
        std::unique_lock<std::mutex> lock(lock_);
        queued_.wait(lock, [&] { return stop || !filled_.empty() || decodersLeft_ == 0; });
        if (stop || filled_.empty()) return nullptr;
        Buffer* buffer = filled_.front();
        filled_.pop_front();
        return buffer;
    }

    void GiveBack(Buffer* buffer) {
        {
            const std::lock_guard<std::mutex> lock(lock_);
            free_.push_back(buffer);
        }
        freed_.notify_one();
    }

    void DecoderDone() {
        {
            const std::lock_guard<std::mutex> lock(lock_);
            --decodersLeft_;
        }
        queued_.notify_one();
    }

    // Wakes every wait, to look at the stop flag.
    void Wake() {
        { const std::lock_guard<std::mutex> lock(lock_); }
        freed_.notify_all();
        queued_.notify_all();
    }

private:
    std::vector<Buffer> buffers_;
    std::mutex lock_;
    std::condition_variable freed_;   // decoders wait for a free buffer
    std::condition_variable queued_;  // the writer waits for a filled one
    std::vector<Buffer*> free_;
    std::deque<Buffer*> filled_;
    int decodersLeft_;
};

namespace {

FileConversionResult& Refused(FileConversionResult& result, Problem problem) {
    result.end = RunEnd::Failed;
    result.problem = std::move(problem);
    return result;
}

// Pixels decoded straight into the file's buffer: 16-bit samples written at 16 bits as
// they stand. Otherwise they are decoded apart and converted into it.
bool DecodedInPlace(const CZelfDoc& doc, const ConversionDepths& depths) {
    return depths.sourceBits == 16 && depths.outputBits == 16 && doc.bytesPerSample() == 2;
}

}  // namespace

FileConversion::FileConversion(const ConversionPattern& pattern, const ConversionDepths& depths)
    : pattern_(pattern), depths_(depths) {}

void FileConversion::RequestStop() {
    stop_ = true;
    const std::lock_guard<std::mutex> lock(poolLock_);
    if (pool_ != nullptr) pool_->Wake();
}

void FileConversion::Fail(Problem problem) {
    {
        const std::lock_guard<std::mutex> lock(failureLock_);
        if (!failure_) failure_ = std::move(problem);
    }
    RequestStop();
}

FileConversionResult FileConversion::Run(const std::vector<CZelfDoc*>& docs, const FrameSpan& span,
                                         const std::function<void()>& tick) {
    FileConversionResult result;
    if (docs.empty() || docs.front() == nullptr || docs.front()->samples() == nullptr) {
        result.end = RunEnd::Failed;
        result.problem = {ProblemCode::NoFrameShown};
        return result;
    }
    const CZelfDoc& movie = *docs.front();
    const int64_t frames = int64_t{span.last} - span.first + 1;
    const int decoders = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(docs.size()), std::max<int64_t>(frames, 1)));

    // Every file has the same head; 16-bit samples written as they stand get the
    // document's own, byte for byte.
    const int64_t pixelBytes = int64_t{depths_.outputBits / 8} * movie.width() * movie.height();
    fileBytes_ = static_cast<size_t>(kTiffHeadSize + pixelBytes);
    uint8_t head[kTiffHeadSize];
    if (DecodedInPlace(movie, depths_))
        std::memcpy(head, movie.tiffImageData(), kTiffHeadSize);
    else if (WriteTiffHeader(depths_.outputBits, movie.height(), head, movie.width()) == nullptr)
        return Refused(result, {ProblemCode::UnsupportedDepth,
                                {std::to_string(depths_.sourceBits), std::to_string(depths_.outputBits)}});
    Pool pool(static_cast<size_t>(decoders) + 2, decoders);
    for (Buffer& buffer : pool.Buffers()) {
        buffer.file = platform::AllocateLargeBlock(fileBytes_);
        if (!buffer.file)
            return Refused(result, {ProblemCode::WriteFailed, {"not enough memory to convert " + movie.pathName()}});
        std::memcpy(buffer.file.get(), head, kTiffHeadSize);
        // Black until decoded, as the document's own frame is: samples a decode leaves
        // unwritten (a frame its stored layout does not wholly cover) must read as the
        // document's do, never as another file's pixels or leftover heap bytes.
        std::memset(buffer.Pixels(), 0, static_cast<size_t>(pixelBytes));
    }
    {
        const std::lock_guard<std::mutex> lock(poolLock_);
        pool_ = &pool;
    }

    std::vector<std::thread> threads;
    for (int d = 0; d < decoders; ++d) {
        const int first = span.first + static_cast<int>(frames * d / decoders);
        const int last = span.first + static_cast<int>(frames * (d + 1) / decoders) - 1;
        threads.emplace_back([this, &docs, d, first, last, &pool] { Decode(*docs[static_cast<size_t>(d)], first, last, pool); });
    }
    std::thread writer([this, &docs, &pool] { Write(docs, pool); });
    // The caller's ticks until the writer is done.
    {
        std::mutex waitLock;
        std::unique_lock<std::mutex> lock(waitLock);
        while (!writerDone_.load()) {
            if (tick) tick();
            writerFinished_.wait_for(lock, std::chrono::milliseconds(20), [&] { return writerDone_.load(); });
        }
    }
    writer.join();
    for (std::thread& thread : threads) thread.join();
    {
        const std::lock_guard<std::mutex> lock(poolLock_);
        pool_ = nullptr;
    }
    if (tick) tick();

    result.filesWritten = FilesWritten();
    const std::lock_guard<std::mutex> lock(failureLock_);
    if (failure_) {
        result.end = RunEnd::Failed;
        result.problem = failure_;
    } else if (result.filesWritten < frames) {
        result.end = RunEnd::Stopped;
    }
    return result;
}

void FileConversion::Decode(CZelfDoc& doc, int first, int last, Pool& pool) {
    const int64_t frameBytes = int64_t{doc.width()} * doc.height() * doc.bytesPerSample();
    const bool inPlace = DecodedInPlace(doc, depths_);
    const int layoutCode = depths_.outputBits * 32 + doc.bytesPerSample();
    // Frames that are converted are decoded here first; the document's own samples keep
    // the frame it shows.
    std::vector<uint8_t> decoded(inPlace ? 0 : static_cast<size_t>(frameBytes));
    for (int n = first; n <= last && !stop_; ++n) {
        Buffer* buffer = pool.TakeFree(stop_);
        if (buffer == nullptr) break;
        void* target = inPlace ? static_cast<void*>(buffer->Pixels()) : decoded.data();
        if (Problem problem = doc.ReadFrameInto(n, target, frameBytes)) {
            pool.GiveBack(buffer);
            Fail(std::move(problem));
            break;
        }
        if (!inPlace)
            FillTiffImage(doc.height(), layoutCode, depths_.sourceBits, buffer->Pixels(), doc.width(), target);
        buffer->frame = n;
        pool.Queue(buffer);
    }
    pool.DecoderDone();
}

void FileConversion::Write(const std::vector<CZelfDoc*>& docs, Pool& pool) {
    const std::vector<FileIdentity> inputs = docs.front()->InputFiles();
    ReplacingFile file;
    while (Buffer* buffer = pool.TakeFilled(stop_)) {
        const std::string name = NumberedFileName(pattern_.folder, pattern_.baseName, buffer->frame, pattern_.extension);
        // The range was checked before the run; a link made to an input since is refused too.
        if (!inputs.empty()) {
            const std::optional<FileIdentity> target = IdentityOfPath(name);
            if (target && std::find(inputs.begin(), inputs.end(), *target) != inputs.end()) {
                Fail({ProblemCode::OutputIsInput, {name}});
                break;
            }
        }
        std::string error;
        if (!(file.Create(name, &error) && file.Write(buffer->file.get(), fileBytes_, &error) && file.Commit(&error))) {
            Fail({ProblemCode::WriteFailed, {error.empty() ? "cannot write " + name : error}});
            break;
        }
        written_.fetch_add(1, std::memory_order_relaxed);
        pool.GiveBack(buffer);
    }
    writerDone_ = true;
    writerFinished_.notify_all();
}

}  // namespace zel
