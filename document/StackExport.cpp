#include "document/StackExport.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "document/ConversionNaming.h"
#include "document/ZelfDoc.h"

namespace zel {

namespace {

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

// Page buffers between the frame session and the stack: one being written, one queued,
// one being filled with the frame just shown.
constexpr int kPagesInFlight = 3;

// The pages on their way into the stack: a fixed pool of page buffers, allocated once,
// and a thread of its own that writes the queued ones in order through the stack writer
// and hands each back. That thread makes every AddPage call while it runs; the caller
// touches the stack again (Commit, Abandon) only after Finish or Cancel has joined it.
// The first failure to write ends the thread; TakeFree then hands out no more buffers.
class PageWriter {
public:
    PageWriter(TiffStackWriter& stack, std::vector<std::unique_ptr<uint8_t[]>> pages)
        : stack_(stack), pages_(std::move(pages)) {
        // Room for every buffer in either list: queuing and handing back never allocate.
        free_.reserve(pages_.size());
        queued_.reserve(pages_.size());
        for (const auto& page : pages_) free_.push_back(page.get());
        thread_ = std::thread([this] { Write(); });
    }
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;
    ~PageWriter() { Cancel(); }  // also when the frame session throws

    // A free page buffer to fill, waiting while every buffer is queued; null once a page
    // could not be written.
    uint8_t* TakeFree() {
        std::unique_lock<std::mutex> lock(lock_);
        changed_.wait(lock, [&] { return failure_ || !free_.empty(); });
        if (failure_) return nullptr;
        uint8_t* page = free_.back();
        free_.pop_back();
        return page;
    }

    // Hands a filled buffer (from TakeFree) to be written after those queued before it.
    void Queue(uint8_t* page) {
        {
            const std::lock_guard<std::mutex> lock(lock_);
            queued_.push_back(page);
        }
        changed_.notify_all();
    }

    // The first write failure so far, with its whole reason.
    Problem Failure() {
        const std::lock_guard<std::mutex> lock(lock_);
        return failure_;
    }

    // Writes whatever is queued, ends the thread and says what went wrong, if anything.
    Problem Finish() {
        End(false);
        return failure_;  // the thread is joined: nothing changes it any more
    }

    // Drops the queued pages and ends the thread once the page in hand is written.
    void Cancel() { End(true); }

private:
    void End(bool dropQueued) {
        {
            const std::lock_guard<std::mutex> lock(lock_);
            finishing_ = true;
            if (dropQueued) queued_.clear();
        }
        changed_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    void Write() {
        std::unique_lock<std::mutex> lock(lock_);
        while (true) {
            changed_.wait(lock, [&] { return finishing_ || !queued_.empty(); });
            if (queued_.empty()) return;  // finishing, and everything is written
            uint8_t* const page = queued_.front();
            queued_.erase(queued_.begin());
            lock.unlock();
            std::string error;
            const bool written = stack_.AddPage(page, &error);
            lock.lock();
            if (!written) {
                failure_ = {ProblemCode::WriteFailed, {error}};
                changed_.notify_all();
                return;
            }
            free_.push_back(page);
            changed_.notify_all();
        }
    }

    TiffStackWriter& stack_;
    const std::vector<std::unique_ptr<uint8_t[]>> pages_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<uint8_t*> free_;
    std::vector<uint8_t*> queued_;  // oldest first
    bool finishing_ = false;
    Problem failure_;
    std::thread thread_;  // last: started once everything above is in place
};

// kPagesInFlight buffers of a page each; none when memory runs out.
std::vector<std::unique_ptr<uint8_t[]>> PageBuffers(int64_t pageBytes) {
    std::vector<std::unique_ptr<uint8_t[]>> pages;
    try {
        for (int i = 0; i < kPagesInFlight; ++i)
            pages.push_back(std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(pageBytes)));
    } catch (const std::bad_alloc&) {
        pages.clear();
    }
    return pages;
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
    std::vector<std::unique_ptr<uint8_t[]>> buffers = PageBuffers(pages.PageBytes());
    if (buffers.empty())
        return FailedBefore({ProblemCode::WriteFailed, {"cannot write " + options.target + ": not enough memory"}});
    TiffStackWriter stack;
    if (!stack.Open(options.target, ShapeOf(doc, pages, count, options.bigTiff), description, &error))
        return FailedBefore({ProblemCode::WriteFailed, {error}});

    PageWriter writer(stack, std::move(buffers));  // after the stack: joined before it goes
    RunOutcome run = doc.RunFrames(
        checked,
        [&](int) -> Problem {
            uint8_t* const page = writer.TakeFree();
            if (page == nullptr) return writer.Failure();
            pages.PageInto(doc.samples(), page);
            writer.Queue(page);
            return {};
        },
        afterFrame);
    // A stop asked for during the last frame's afterFrame still means: write nothing.
    if (run.end == RunEnd::Completed && run.stopRequested) run.end = RunEnd::Stopped;
    if (run.end != RunEnd::Completed) {
        writer.Cancel();
        stack.Abandon();
        return run;
    }
    // The last pages may still be on their way; a failure among them fails the run.
    if (Problem failure = writer.Finish()) {
        stack.Abandon();
        run.end = RunEnd::Failed;
        run.problem = std::move(failure);
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
