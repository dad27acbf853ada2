#pragma once
// CZelfDoc: one open movie with its current frame, display bitmap, display gain and
// conversion range, and the operations the views, the main frame and the command-line
// tool call on it. No GUI dependency: views listen through DocumentObserver.
//
// The current frame's samples live in the pixel area of an in-memory 16-bit (8-bit for
// 8-bit movies) TIFF image, so a 16-bit conversion of a 10- or 12-bit movie writes that
// block as it stands. Pointers into the buffers are always derived from the buffers
// (samples(), displayBitmap()), never kept as copies that could go stale.
//
// Observers are told only after an operation has finished changing the document, so a
// view that reads the document from its notification always sees a consistent state.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decode/AoiStatistics.h"
#include "document/DocumentObserver.h"
#include "platform/FileIdentity.h"
#include "imaging/ImageBuffer.h"
#include "reader/MovieReader.h"
#include "reader/Problem.h"

namespace zel {

// Outcome of a black balance, for the caller to report.
struct BlackBalanceResult {
    bool applied = false;
    std::string problem;  // why nothing was changed
};

// What AverageFrames learned about the reference movie.
struct ReferenceInfo {
    std::string problem;  // why the average failed
    int width = 0;
    int height = 0;
    std::optional<FileIdentity> file;
};

// Averages up to the first 16 frames of the movie at path (read without correction)
// into buffer (capacityBytes). Returns 1 on success, 0 on failure (info->problem says why).
int AverageFrames(const std::string& path, uint16_t* buffer, int64_t capacityBytes, ReferenceInfo* info = nullptr);

// The display bitmap's pixel rows. Stored bottom-up: row y of the image (0 = top) starts
// at bits + (height - 1 - y) x stride. Row(y) gives it either way.
struct DisplayRows {
    const uint8_t* bits = nullptr;  // first stored row
    int width = 0;                  // pixels of the image per row
    int height = 0;
    int stride = 0;                 // bytes from one stored row to the next (width rounded up to 4)
    bool bottomUp = true;

    const uint8_t* Row(int y) const {
        return bits + static_cast<int64_t>(bottomUp ? height - 1 - y : y) * stride;
    }
};

class CZelfDoc {
public:
    CZelfDoc() = default;
    ~CZelfDoc() = default;
    CZelfDoc(const CZelfDoc&) = delete;
    CZelfDoc& operator=(const CZelfDoc&) = delete;

    // Opens the movie, reads frame 0 and renders it at gain 1. The new movie is prepared
    // aside and takes the document's place only when everything succeeded: false (with
    // OpenError() saying why) leaves an open document exactly as it was.
    bool OpenMovie(const std::string& path, bool applyCorrection);
    const std::string& OpenError() const { return openError_; }
    const Problem& LastOpenFailure() const { return openFailure_; }

    // Views. An attached observer is told of every change until it is detached; the
    // display bitmap is built when the first one attaches.
    void AttachObserver(DocumentObserver* observer);
    void DetachObserver(DocumentObserver* observer);

    // A run (playback, conversion, export) shows frame after frame. While one is in
    // progress a second cannot begin, and the operations that replace the document's
    // buffers or tables (open, correction-data display, black balance) are refused.
    bool BeginRun();
    void EndRun();
    bool RunInProgress() const { return runInProgress_; }

    int CurrentDisplayDepth() const;

    // Reads frame n into the sample buffer, renders it and repaints the views. 1 on
    // success; 0 leaves the current frame as it was.
    int ShowFrame(int n);

    int SetConversionRange(int start, int end, int allFrames);
    // Reads frame `frame` (and shows it); with write != 0 also writes it as a TIFF file
    // of outputBits (8 or 16) from samples of sourceBits (1 to 16). 1 on success; 0 when
    // the arguments are out of range, the frame cannot be read, fileName is the movie or
    // its black reference, or the file cannot be written (ExportError() says why).
    int ExportFrame(int frame, int write, const std::string& fileName, int sourceBits, int outputBits);
    const std::string& ExportError() const { return exportError_; }

    // True when path names the movie file or the black reference in use (also through
    // links): such a path must never be written.
    bool IsInputFile(const std::string& path) const;

    void SetGain(int g);
    // -1 outside the frame; 0 monochrome; 1, 2, 4 for a red, green, blue mosaic pixel.
    int GetPointValue(int x, int y, int16_t& red, int16_t& green, int16_t& blue) const;
    // Samples along the line from (x0, y0) toward (x1, y1), one per step of the longer
    // axis, at most capacity; points outside the frame give 0. Returns the count.
    int GetProfile(int x0, int y0, int x1, int y1, int capacity, int16_t* values) const;
    double GetAoiStatistics(int x0, int y0, int x1, int y1, AoiStatistics& stats) const;
    // Replaces the correction offsets by the negated dark level averaged from the
    // reference movie, so that every later frame read subtracts it.
    BlackBalanceResult ApplyBlackBalance(const std::string& path);
    // 0: the frame; 1: the offset (FPN) data; 2: the gain data, as an image. 1 when shown;
    // 0 when there is nothing to show (no such table) or a run is in progress, and then
    // nothing changes.
    int ShowCorrectionData(int mode);

    // The current frame's sample at pixel index i, at the buffer's real width.
    int SampleAt(int64_t i) const;

    // The current frame's samples (width x height, top row first); null before an open.
    void* samples() const { return tiffImage.tiffData; }
    // The whole in-memory TIFF image of the current frame; null before an open.
    const uint8_t* tiffImageData() const { return tiffImage.tiffBlock.get(); }
    // The display bitmap (header, grey palette, pixels) as last built; null until a view
    // attaches or DisplayPixels() asks for it.
    const uint8_t* displayBitmap() const { return displayImage.dibBlock.get(); }

    // The display bitmap's pixels, brought up to date first (and built on first use).
    // With views attached every frame change renders at once; without views (headless
    // conversion) rendering waits until someone asks, since nobody would see it. Null
    // when the bitmap cannot be built (a later call tries again).
    const uint8_t* DisplayPixels();
    // The same pixels as rows; bits is null when there is no bitmap. The address changes
    // only with an open or a change of row order, both of which notify the views.
    DisplayRows DisplayRowsView();
    // Stores the display's rows top row first from now on (a screen draws them without
    // flipping); the default is bottom-up, as the bitmap format stores them.
    void UseTopDownDisplay();

    // ---- Fields ----
    std::unique_ptr<CMovieReader> reader;
    ImageBuffer tiffImage;
    ImageBuffer displayImage;
    int width = 0;
    int height = 0;
    int frameCount = 0;
    int bitDepth = 0;
    int bytesPerSample = 0;
    std::string movieTitle;
    std::string pathName;
    int convertFirst = 0;
    int convertLast = 0;
    int convertAllFrames = 1;
    int autoDepth = 0;
    int gainIndex = 1;
    int correctionOn = 0;

private:
    // Builds the display bitmap when there is none; false when it cannot be built.
    bool EnsureDisplay();
    // Re-renders the samples into the display bitmap at the current depth.
    void Render();
    // After the samples changed: render now if anyone views the document, else later.
    void FrameChanged();
    void RepaintViews() const;
    void UpdateAllViews() const;
    // Reads frame n into samples; 1 on success.
    int ReadIntoSamples(int n);
    bool RefuseOpen(Problem failure);

    std::vector<DocumentObserver*> observers_;
    bool displayStale_ = false;
    bool displayTopDown_ = false;
    bool runInProgress_ = false;
    std::optional<FileIdentity> blackReference_;
    Problem openFailure_;
    std::string openError_;
    std::string exportError_;
};

}  // namespace zel
