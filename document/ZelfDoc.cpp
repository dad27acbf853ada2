#include "document/ZelfDoc.h"

#include <algorithm>

#include "imaging/DisplayBitmap.h"
#include "imaging/TiffImage.h"

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
    openError_ = openFailure_.Text();
    return false;
}

bool CZelfDoc::OpenMovie(const std::string& path, bool applyCorrection) {
    if (runInProgress_) return RefuseOpen({ProblemCode::RunInProgress, {}});
    auto fresh = std::make_unique<CMovieReader>();
    if (!fresh->Open(path, applyCorrection ? 1 : 0)) return RefuseOpen(fresh->LastOpenFailure());

    const int newWidth = fresh->width, newHeight = fresh->height, newDepth = fresh->bitDepth;
    const int newBytes = newDepth > 8 ? 2 : 1;
    ImageBuffer frame;
    InitImageBuffer(frame);
    if (BuildTiffImage(newHeight, frame, newBytes, newDepth, newWidth, nullptr) == nullptr)
        return RefuseOpen({ProblemCode::NoMemoryForFrame, {std::to_string(newWidth), std::to_string(newHeight)}});
    // A failed read of frame 0 (an I/O error) leaves the frame black rather than failing the open.
    const int64_t frameBytes = static_cast<int64_t>(newWidth) * newHeight * newBytes;
    fresh->ReadFrame(frame.tiffData, 0, frameBytes);
    const int depth = SignificantBits(LargestSample(frame.tiffData, newBytes, static_cast<int64_t>(newWidth) * newHeight));

    // Views draw the bitmap from the moment they are told of the new movie, so it is
    // built before anything is replaced.
    ImageBuffer display;
    InitImageBuffer(display);
    if (!observers_.empty() &&
        BuildDisplayBitmap(display, newBytes, newDepth, newWidth, newHeight, frame.tiffData, displayTopDown_) == nullptr)
        return RefuseOpen({ProblemCode::NoMemoryForDisplay, {}});

    // Nothing can fail from here on.
    reader = std::move(fresh);
    tiffImage = std::move(frame);
    displayImage = std::move(display);
    openFailure_ = Problem{};
    openError_.clear();
    pathName = path;
    movieTitle = reader->fileName;
    correctionOn = applyCorrection ? 1 : 0;
    width = newWidth;
    height = newHeight;
    frameCount = reader->frameCount;
    bitDepth = newDepth;
    bytesPerSample = newBytes;
    convertFirst = 0;
    convertLast = frameCount - 1;
    convertAllFrames = 1;
    autoDepth = depth;
    gainIndex = 1;
    blackReference_.reset();
    displayStale_ = false;
    UpdateAllViews();
    return true;
}

void CZelfDoc::AttachObserver(DocumentObserver* observer) {
    if (observer == nullptr || std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) return;
    observers_.push_back(observer);
    if (reader) EnsureDisplay();
}

void CZelfDoc::DetachObserver(DocumentObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

bool CZelfDoc::BeginRun() {
    if (runInProgress_) return false;
    runInProgress_ = true;
    return true;
}

void CZelfDoc::EndRun() { runInProgress_ = false; }

int CZelfDoc::SampleAt(int64_t i) const {
    if (bytesPerSample == 1) return static_cast<const uint8_t*>(samples())[i];
    return static_cast<const int16_t*>(samples())[i];
}

int CZelfDoc::CurrentDisplayDepth() const { return gainIndex != 0 ? bitDepth - gainIndex + 1 : autoDepth; }

bool CZelfDoc::EnsureDisplay() {
    if (displayImage.dibBlock) return true;
    if (samples() == nullptr) return false;
    if (BuildDisplayBitmap(displayImage, bytesPerSample, CurrentDisplayDepth(), width, height, samples(),
                           displayTopDown_) == nullptr)
        return false;
    displayStale_ = false;
    return true;
}

void CZelfDoc::Render() {
    if (displayImage.dibBits == nullptr || samples() == nullptr) {
        displayStale_ = true;  // built later from whatever the samples then hold
        return;
    }
    ConvertSamplesTo8Bit(displayTopDown_ ? -height : height, displayImage.dibBits, bytesPerSample,
                         CurrentDisplayDepth(), width, samples());
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
    return displayImage.dibBits;
}

DisplayRows CZelfDoc::DisplayRowsView() {
    DisplayRows rows;
    rows.bits = DisplayPixels();
    if (rows.bits == nullptr) return rows;
    rows.width = width;
    rows.height = height;
    rows.stride = (width + 3) / 4 * 4;
    rows.bottomUp = !displayTopDown_;
    return rows;
}

void CZelfDoc::UseTopDownDisplay() {
    if (displayTopDown_) return;
    displayTopDown_ = true;
    if (!displayImage.dibBlock) return;
    // Built already: build it anew in the new order (a new address, so the views hear of it).
    FreeImageBuffer(displayImage);
    InitImageBuffer(displayImage);
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
    if (!reader || samples() == nullptr) return 0;
    const int64_t bytes = static_cast<int64_t>(width) * height * bytesPerSample;
    return reader->ReadFrame(samples(), n, bytes) == bytes ? 1 : 0;
}

int CZelfDoc::ShowFrame(int n) {
    if (!ReadIntoSamples(n)) return 0;
    FrameChanged();
    RepaintViews();
    return 1;
}

int CZelfDoc::SetConversionRange(int start, int end, int allFrames) {
    if (allFrames != 0) {
        convertAllFrames = 1;
        convertFirst = 0;
        convertLast = frameCount - 1;
        return 1;
    }
    if (start < 0 || start > frameCount - 1 || end < start || end > frameCount - 1) return 0;
    convertAllFrames = 0;
    convertFirst = start;
    convertLast = end;
    return 1;
}

bool CZelfDoc::IsInputFile(const std::string& path) const {
    const std::optional<FileIdentity> target = IdentityOfPath(path);
    if (!target) return false;
    if (reader && reader->fileHandle.Identity() == target) return true;
    return blackReference_ == target;
}

int CZelfDoc::ExportFrame(int frame, int write, const std::string& fileName, int sourceBits, int outputBits) {
    exportError_.clear();
    // Samples of no significant bits would be written as black files.
    if (frame < 0 || frame >= frameCount) {
        exportError_ = "frame " + std::to_string(frame) + " lies outside the movie's frames 0.." +
                       std::to_string(frameCount - 1);
        return 0;
    }
    if (sourceBits < 1 || sourceBits > 16 || (outputBits != 8 && outputBits != 16)) {
        exportError_ = "cannot write " + std::to_string(sourceBits) + "-bit samples as a " +
                       std::to_string(outputBits) + "-bit file";
        return 0;
    }
    if (write != 0 && IsInputFile(fileName)) {
        exportError_ = fileName + " is the movie being read; it is never overwritten";
        return 0;
    }
    // A frame that cannot be read is reported, never written under its name with the
    // previous frame's pixels.
    if (!ReadIntoSamples(frame)) {
        exportError_ = "frame " + std::to_string(frame) + " cannot be read";
        return 0;
    }
    FrameChanged();
    int result = 1;
    if (write != 0) {
        if (sourceBits == 16 && outputBits == 16 && bytesPerSample == 2) {
            result = WriteTiffFile(tiffImage, fileName, &exportError_);  // the frame was decoded into this block
        } else {
            ImageBuffer temporary;
            InitImageBuffer(temporary);
            // The low byte names the width of the samples as they are held, so a caller
            // asking for more source bits than an 8-bit movie has can never make the
            // builder over-read.
            const int layoutCode = outputBits * 32 + bytesPerSample;
            if (BuildTiffImage(height, temporary, layoutCode, sourceBits, width, samples()) == nullptr) {
                exportError_ = "not enough memory to build " + fileName;
                result = 0;
            } else {
                result = WriteTiffFile(temporary, fileName, &exportError_);
            }
        }
    }
    RepaintViews();
    return result;
}

void CZelfDoc::SetGain(int g) {
    if (g == gainIndex || g < 0 || g > 7) return;
    gainIndex = g;
    Render();
    UpdateAllViews();
}

}  // namespace zel
