#include "document/ZelfDoc.h"

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

}  // namespace

bool CZelfDoc::OpenMovie(const std::string& path, bool applyCorrection) {
    openError_.clear();
    pathName = path;
    correctionOn = applyCorrection ? 1 : 0;
    reader = std::make_unique<CMovieReader>();
    if (!reader->Open(path, correctionOn)) {
        openError_ = reader->OpenError();
        reader.reset();
        return false;
    }
    movieTitle = reader->fileName;
    width = reader->width;
    height = reader->height;
    frameCount = reader->frameCount;
    bitDepth = reader->bitDepth;
    bytesPerSample = bitDepth > 8 ? 2 : 1;
    convertFirst = 0;
    convertLast = frameCount - 1;
    convertAllFrames = 1;

    InitImageBuffer(tiffImage);
    InitImageBuffer(displayImage);
    tiffImageData = BuildTiffImage(height, tiffImage, bytesPerSample, bitDepth, width, nullptr);
    if (tiffImageData == nullptr) {
        openError_ = "not enough memory for a frame of " + std::to_string(width) + " x " + std::to_string(height);
        reader.reset();
        return false;
    }
    samples = tiffImage.tiffData;
    // A failed read of frame 0 (an I/O error) leaves the frame black rather than failing the open.
    ReadIntoSamples(0);

    int largest = 0;
    const int64_t count = static_cast<int64_t>(width) * height;
    for (int64_t i = 0; i < count; ++i) largest = std::max(largest, SampleAt(i));
    autoDepth = SignificantBits(largest);

    gainIndex = 1;
    displayBitmap = BuildDisplayBitmap(displayImage, bytesPerSample, bitDepth, width, height, samples);
    if (displayBitmap == nullptr) {
        openError_ = "not enough memory for the display bitmap";
        reader.reset();
        return false;
    }
    displayStale_ = false;
    UpdateAllViews();
    return true;
}

int CZelfDoc::SampleAt(int64_t i) const {
    if (bytesPerSample == 1) return static_cast<const uint8_t*>(samples)[i];
    return static_cast<const int16_t*>(samples)[i];
}

int CZelfDoc::CurrentDisplayDepth() const { return gainIndex != 0 ? bitDepth - gainIndex + 1 : autoDepth; }

void CZelfDoc::Render() {
    if (displayImage.dibBits == nullptr || samples == nullptr) return;
    ConvertSamplesTo8Bit(height, displayImage.dibBits, bytesPerSample, CurrentDisplayDepth(), width, samples);
    displayStale_ = false;
}

void CZelfDoc::FrameChanged() {
    if (observer_ != nullptr) {
        Render();
        observer_->RepaintViews();
    } else {
        displayStale_ = true;
    }
}

const uint8_t* CZelfDoc::DisplayPixels() {
    if (displayStale_) Render();
    return displayImage.dibBits;
}

void CZelfDoc::RepaintViews() const {
    if (observer_ != nullptr) observer_->RepaintViews();
}

void CZelfDoc::UpdateAllViews() const {
    if (observer_ != nullptr) observer_->UpdateAllViews();
}

int CZelfDoc::ReadIntoSamples(int n) {
    if (!reader || samples == nullptr) return 0;
    const int64_t bytes = static_cast<int64_t>(width) * height * bytesPerSample;
    return reader->ReadFrame(samples, n, bytes) == bytes ? 1 : 0;
}

int CZelfDoc::ShowFrame(int n) {
    if (!ReadIntoSamples(n)) return 0;
    FrameChanged();
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

int CZelfDoc::ExportFrame(int frame, int write, const std::string& fileName, int sourceBits, int outputBits) {
    if (sourceBits > 16 || (outputBits != 8 && outputBits != 16) || frame < 0 || frame >= frameCount) return 0;
    // A frame that cannot be read is reported, never written under its name with the
    // previous frame's pixels.
    if (!ReadIntoSamples(frame)) return 0;
    FrameChanged();
    if (write == 0) return 1;
    if (sourceBits == 16 && outputBits == 16 && bytesPerSample == 2)
        return WriteTiffFile(tiffImage, fileName);  // the frame was decoded into this block

    ImageBuffer temporary;
    InitImageBuffer(temporary);
    // The low byte names the width of the samples as they are held, so a caller asking
    // for more source bits than an 8-bit movie has can never make the builder over-read.
    const int layoutCode = outputBits * 32 + bytesPerSample;
    if (BuildTiffImage(height, temporary, layoutCode, sourceBits, width, samples) == nullptr) return 0;
    return WriteTiffFile(temporary, fileName);
}

void CZelfDoc::SetGain(int g) {
    if (g == gainIndex || g < 0 || g > 7) return;
    gainIndex = g;
    Render();
    UpdateAllViews();
}

}  // namespace zel
