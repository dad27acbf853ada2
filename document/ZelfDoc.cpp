#include "document/ZelfDoc.h"

#include <algorithm>

#include "imaging/DisplayBitmap.h"
#include "imaging/TiffImage.h"
#include "reader/WholeFrames.h"

namespace zel {

namespace {

// Number of significant bits of v (1 for 0 and 1), at most 17.
int SignificantBits(int v) {
    int n = 1;
    while ((v >>= 1) != 0 && n < 17) ++n;
    return n;
}

int LargestSample(const void* samples, int bytesPerSample, int64_t count) {
    int largest = 0;
    if (bytesPerSample == 1) {
        const auto* bytes = static_cast<const uint8_t*>(samples);
        for (int64_t i = 0; i < count; ++i) largest = std::max<int>(largest, bytes[i]);
    } else {
        const auto* words = static_cast<const int16_t*>(samples);
        for (int64_t i = 0; i < count; ++i) largest = std::max<int>(largest, words[i]);
    }
    return largest;
}

}  // namespace

bool CZelfDoc::RefuseOpen(Problem failure) {
    openFailure_ = std::move(failure);
    return false;
}

Problem CZelfDoc::FailExport(Problem problem) {
    exportProblem_ = problem;
    return problem;
}

bool CZelfDoc::OpenMovie(const std::string& path, bool applyCorrection) {
    if (runInProgress_) return RefuseOpen({ProblemCode::RunInProgress});
    auto fresh = std::make_unique<CMovieReader>();
    if (!fresh->Open(path, applyCorrection ? 1 : 0)) return RefuseOpen(fresh->LastOpenFailure());
    fresh->SetDecodeAhead(decodeAhead_);

    const MovieParameters& movie = fresh->Parameters();
    const int newWidth = movie.width, newHeight = movie.height, newDepth = movie.bitDepth;
    const int newBytes = newDepth > 8 ? 2 : 1;
    ImageBuffer frame;
    InitImageBuffer(frame);
    if (BuildTiffImage(newHeight, frame, newBytes, newDepth, newWidth, nullptr) == nullptr)
        return RefuseOpen({ProblemCode::NoMemoryForFrame, {std::to_string(newWidth), std::to_string(newHeight)}});
    // A failed read of frame 0 (an I/O error) leaves the frame black rather than failing
    // the open; the document then holds no frame until one is read.
    const int64_t frameBytes = static_cast<int64_t>(newWidth) * newHeight * newBytes;
    const bool frameZero = movie.frameCount > 0 && fresh->ReadFrame(frame.tiffData, 0, frameBytes) == frameBytes;
    const int depth = SignificantBits(LargestSample(frame.tiffData, newBytes, static_cast<int64_t>(newWidth) * newHeight));

    // Views draw the bitmap from the moment they are told of the new movie, so it is
    // built before anything is replaced.
    ImageBuffer display;
    InitImageBuffer(display);
    if (!observers_.empty() &&
        BuildDisplayBitmap(display, newBytes, newDepth, newWidth, newHeight, frame.tiffData, displayLayout_) == nullptr)
        return RefuseOpen({ProblemCode::NoMemoryForDisplay, {}});

    // Nothing can fail from here on.
    reader_ = std::move(fresh);
    tiffImage_ = std::move(frame);
    displayImage_ = std::move(display);
    openFailure_ = Problem{};
    pathName_ = path;
    movieTitle_ = movie.fileName;
    correctionOn_ = applyCorrection ? 1 : 0;
    width_ = newWidth;
    height_ = newHeight;
    frameCount_ = movie.frameCount;
    bitDepth_ = newDepth;
    bytesPerSample_ = newBytes;
    range_ = FrameRange{RangeMode::All, 0, frameCount_ - 1};
    autoDepth_ = depth;
    gainIndex_ = 1;
    currentFrame_ = frameZero ? 0 : -1;
    dataDisplay_ = 0;
    blackReference_.reset();
    displayStale_ = false;
    UpdateAllViews();
    return true;
}

void CZelfDoc::SetDecodeAhead(bool on) {
    decodeAhead_ = on;
    if (reader_) reader_->SetDecodeAhead(on);
}

void CZelfDoc::AttachObserver(DocumentObserver* observer) {
    if (observer == nullptr || std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) return;
    observers_.push_back(observer);
    if (reader_) EnsureDisplay();
}

void CZelfDoc::DetachObserver(DocumentObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void CZelfDoc::RequestStop() {
    if (runInProgress_) stopRequested_ = true;
}

RunOutcome CZelfDoc::RunFrames(const FrameSpan& span, const FrameWork& work,
                               const std::function<void(int frame)>& afterFrame) {
    RunOutcome outcome;
    if (runInProgress_) {
        outcome.end = RunEnd::Failed;
        outcome.problem = {ProblemCode::RunInProgress};
        return outcome;
    }
    runInProgress_ = true;
    stopRequested_ = false;
    for (int64_t n = span.first; n <= span.last; ++n) {
        const int frame = static_cast<int>(n);
        if (!ShowFrame(frame)) {
            outcome.end = RunEnd::Failed;
            outcome.problem = frameProblem_;
            break;
        }
        if (work) {
            if (Problem problem = work(frame)) {
                outcome.end = RunEnd::Failed;
                outcome.problem = std::move(problem);
                break;
            }
        }
        ++outcome.framesDone;
        outcome.lastDone = frame;
        if (afterFrame) afterFrame(frame);
        if (stopRequested_) {
            outcome.stopRequested = true;
            if (n < span.last) outcome.end = RunEnd::Stopped;
            break;
        }
    }
    runInProgress_ = false;
    stopRequested_ = false;
    return outcome;
}

int CZelfDoc::SampleAt(int64_t i) const {
    if (bytesPerSample_ == 1) return static_cast<const uint8_t*>(samples())[i];
    return static_cast<const int16_t*>(samples())[i];
}

int CZelfDoc::CurrentDisplayDepth() const { return gainIndex_ != 0 ? bitDepth_ - gainIndex_ + 1 : autoDepth_; }

bool CZelfDoc::EnsureDisplay() {
    if (displayImage_.dibBlock) return true;
    if (samples() == nullptr) return false;
    if (BuildDisplayBitmap(displayImage_, bytesPerSample_, CurrentDisplayDepth(), width_, height_, samples(),
                           displayLayout_) == nullptr)
        return false;
    displayStale_ = false;
    return true;
}

void CZelfDoc::Render() {
    if (displayImage_.dibBits == nullptr || samples() == nullptr) {
        displayStale_ = true;  // built later from whatever the samples then hold
        return;
    }
    const int rows = displayLayout_.topDown ? -height_ : height_;
    if (displayLayout_.xrgb)
        ConvertSamplesToXrgb(rows, displayImage_.dibBits, bytesPerSample_, CurrentDisplayDepth(), width_, samples());
    else
        ConvertSamplesTo8Bit(rows, displayImage_.dibBits, bytesPerSample_, CurrentDisplayDepth(), width_, samples());
    displayStale_ = false;
}

void CZelfDoc::FrameChanged() {
    if (!observers_.empty()) {
        EnsureDisplay();
        Render();
    } else {
        displayStale_ = true;
    }
}

const uint8_t* CZelfDoc::DisplayPixels() {
    if (!EnsureDisplay()) return nullptr;
    if (displayStale_) Render();
    return displayImage_.dibBits;
}

DisplayRows CZelfDoc::DisplayRowsView() {
    DisplayRows rows;
    rows.bits = DisplayPixels();
    if (rows.bits == nullptr) return rows;
    rows.width = width_;
    rows.height = height_;
    rows.bytesPerPixel = displayLayout_.xrgb ? 4 : 1;
    rows.stride = (width_ + 3) / 4 * 4 * rows.bytesPerPixel;
    rows.bottomUp = !displayLayout_.topDown;
    return rows;
}

void CZelfDoc::UseTopDownDisplay() {
    DisplayLayout layout = displayLayout_;
    layout.topDown = true;
    ChangeDisplayLayout(layout);
}

void CZelfDoc::UseXrgbDisplay() {
    DisplayLayout layout = displayLayout_;
    layout.xrgb = true;
    ChangeDisplayLayout(layout);
}

void CZelfDoc::ChangeDisplayLayout(DisplayLayout layout) {
    if (layout.topDown == displayLayout_.topDown && layout.xrgb == displayLayout_.xrgb) return;
    displayLayout_ = layout;
    if (!displayImage_.dibBlock) return;
    FreeImageBuffer(displayImage_);
    InitImageBuffer(displayImage_);
    if (!observers_.empty()) EnsureDisplay();
    UpdateAllViews();
}

void CZelfDoc::RepaintViews() const {
    // A copy: a view may detach itself while it is told.
    const auto observers = observers_;
    for (DocumentObserver* observer : observers) observer->RepaintViews();
}

void CZelfDoc::UpdateAllViews() const {
    const auto observers = observers_;
    for (DocumentObserver* observer : observers) observer->UpdateAllViews();
}

int CZelfDoc::ReadIntoSamples(int n) {
    frameProblem_ = Problem{};
    if (!reader_ || samples() == nullptr || n < 0 || n >= frameCount_) {
        frameProblem_ = {ProblemCode::FrameOutside, {std::to_string(n), std::to_string(frameCount_ - 1)}};
        return 0;
    }
    const int64_t bytes = static_cast<int64_t>(width_) * height_ * bytesPerSample_;
    if (reader_->ReadFrame(samples(), n, bytes) != bytes) {
        frameProblem_ = {ProblemCode::FrameUnreadable, {std::to_string(n)}};
        return 0;
    }
    currentFrame_ = n;
    dataDisplay_ = 0;
    return 1;
}

int CZelfDoc::ShowFrame(int n) {
    if (!ReadIntoSamples(n)) return 0;
    FrameChanged();
    RepaintViews();
    return 1;
}

Problem CZelfDoc::ReadFrameInto(int n, void* buffer, int64_t bytes) {
    if (!reader_ || n < 0 || n >= frameCount_)
        return {ProblemCode::FrameOutside, {std::to_string(n), std::to_string(frameCount_ - 1)}};
    const int64_t frameBytes = static_cast<int64_t>(width_) * height_ * bytesPerSample_;
    if (bytes < frameBytes || reader_->ReadFrame(buffer, n, frameBytes) != frameBytes)
        return {ProblemCode::FrameUnreadable, {std::to_string(n)}};
    return {};
}

int CZelfDoc::SetConversionRange(int start, int end, int allFrames) {
    if (allFrames != 0) {
        range_ = FrameRange{RangeMode::All, 0, frameCount_ - 1};
        return 1;
    }
    FrameSpan span;
    if (CheckSpan(start, end, frameCount_, span)) return 0;
    range_ = FrameRange{RangeMode::Identical, start, end};
    return 1;
}

int CZelfDoc::FramesHeld() const {
    return reader_ ? std::min(frameCount_, WholeFramesInFile(reader_->Parameters(), reader_->FileSize())) : 0;
}

int CZelfDoc::convertFirst() const { return range_.mode == RangeMode::Identical ? range_.first : 0; }

int CZelfDoc::convertLast() const { return range_.mode == RangeMode::Identical ? range_.last : frameCount_ - 1; }

bool CZelfDoc::IsInputFile(const std::string& path) const {
    const std::optional<FileIdentity> target = IdentityOfPath(path);
    if (!target) return false;
    if (reader_ && reader_->Identity() == target) return true;
    return blackReference_ == target;
}

std::vector<FileIdentity> CZelfDoc::InputFiles() const {
    std::vector<FileIdentity> files;
    if (reader_) {
        if (const std::optional<FileIdentity> movie = reader_->Identity()) files.push_back(*movie);
    }
    if (blackReference_) files.push_back(*blackReference_);
    return files;
}

int CZelfDoc::ExportFrame(int frame, int write, const std::string& fileName, int sourceBits, int outputBits) {
    exportProblem_ = Problem{};
    if (frame < 0 || frame >= frameCount_)
        return !FailExport({ProblemCode::FrameOutside, {std::to_string(frame), std::to_string(frameCount_ - 1)}});
    // Samples of no significant bits would be written as black files.
    if (sourceBits < 1 || sourceBits > 16 || (outputBits != 8 && outputBits != 16))
        return !FailExport({ProblemCode::UnsupportedDepth, {std::to_string(sourceBits), std::to_string(outputBits)}});
    if (write != 0 && IsInputFile(fileName)) return !FailExport({ProblemCode::OutputIsInput, {fileName}});
    // A frame that cannot be read is reported, never written under its name with the
    // previous frame's pixels.
    if (!ReadIntoSamples(frame)) return !FailExport(frameProblem_);
    FrameChanged();
    const int result = write != 0 ? !WriteCurrentFrame(fileName, sourceBits, outputBits) : 1;
    RepaintViews();
    return result;
}

Problem CZelfDoc::WriteCurrentFrame(const std::string& fileName, int sourceBits, int outputBits) {
    exportProblem_ = Problem{};
    if (samples() == nullptr || currentFrame_ < 0 || dataDisplay_ != 0) return FailExport({ProblemCode::NoFrameShown});
    if (sourceBits < 1 || sourceBits > 16 || (outputBits != 8 && outputBits != 16))
        return FailExport({ProblemCode::UnsupportedDepth, {std::to_string(sourceBits), std::to_string(outputBits)}});
    if (IsInputFile(fileName)) return FailExport({ProblemCode::OutputIsInput, {fileName}});
    std::string error;
    bool written = false;
    if (sourceBits == 16 && outputBits == 16 && bytesPerSample_ == 2) {
        written = WriteTiffFile(tiffImage_, fileName, &error) != 0;  // the frame was decoded into this block
    } else {
        ImageBuffer temporary;
        InitImageBuffer(temporary);
        // The low byte names the width of the samples as they are held, so a caller
        // asking for more source bits than an 8-bit movie has can never make the
        // builder over-read.
        const int layoutCode = outputBits * 32 + bytesPerSample_;
        if (BuildTiffImage(height_, temporary, layoutCode, sourceBits, width_, samples()) == nullptr)
            error = "not enough memory to build " + fileName;
        else
            written = WriteTiffFile(temporary, fileName, &error) != 0;
    }
    if (!written) return FailExport({ProblemCode::WriteFailed, {error.empty() ? "cannot write " + fileName : error}});
    return {};
}

void CZelfDoc::SetGain(int g) {
    if (g == gainIndex_ || g < 0 || g > 7) return;
    gainIndex_ = g;
    Render();
    UpdateAllViews();
}

}  // namespace zel
