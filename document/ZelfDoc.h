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
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decode/AoiStatistics.h"
#include "document/Calibration.h"
#include "document/FrameRange.h"
#include "document/FrameRun.h"
#include "document/Measurements.h"
#include "document/DocumentObserver.h"
#include "platform/FileIdentity.h"
#include "imaging/DisplayBitmap.h"
#include "imaging/ImageBuffer.h"
#include "reader/MovieReader.h"
#include "reader/Problem.h"

namespace zel {

// What AverageFrames learned about the reference movie.
struct ReferenceInfo {
    Problem problem;  // why the average failed
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
    int stride = 0;                 // bytes from one stored row to the next (Columns() pixels)
    bool bottomUp = true;
    int bytesPerPixel = 1;          // 1: grey bytes; 4: 32-bit screen pixels (DisplayLayout::xrgb)

    const uint8_t* Row(int y) const {
        return bits + static_cast<int64_t>(bottomUp ? height - 1 - y : y) * stride;
    }
    // Pixels per stored row: the width rounded up to 4, the padding shown black.
    int Columns() const { return bytesPerPixel > 0 ? stride / bytesPerPixel : 0; }
};

class CZelfDoc {
public:
    CZelfDoc() = default;
    ~CZelfDoc() = default;
    CZelfDoc(const CZelfDoc&) = delete;
    CZelfDoc& operator=(const CZelfDoc&) = delete;

    // Opens the movie, reads frame 0 and renders it at gain 1. The new movie is prepared
    // aside and takes the document's place only when everything succeeded: false (with
    // LastOpenFailure() saying why) leaves an open document exactly as it was.
    bool OpenMovie(const std::string& path, bool applyCorrection);
    std::string OpenError() const { return openFailure_.Text(); }
    const Problem& LastOpenFailure() const { return openFailure_; }

    // From now on (this movie and any opened later), runs of frames read in order
    // (playback, conversions, exports) have each next frame decoded and corrected on a
    // second core while the current one is rendered, painted or written. Off by default:
    // callers that decode on threads of their own keep their cores.
    void SetDecodeAhead(bool on);

    // Views. An attached observer is told of every change until it is detached; the
    // display bitmap is built when the first one attaches.
    void AttachObserver(DocumentObserver* observer);
    void DetachObserver(DocumentObserver* observer);

    // ---- The frame session ----
    // The frame whose samples the document holds (and its views show), -1 when none is
    // (before an open, or after frame 0 could not be read).
    int CurrentFrame() const { return currentFrame_; }
    // What the samples show: 0 the current frame, 1 the offset (FPN) data, 2 the gain data.
    int DataDisplayMode() const { return dataDisplay_; }

    // Reads frame n into the sample buffer, renders it and repaints the views. 1 on
    // success; 0 leaves the current frame as it was (LastFrameProblem() says why).
    int ShowFrame(int n);
    const Problem& LastFrameProblem() const { return frameProblem_; }

    // Shows the frames of `span` in order. After each frame, `work` (if any) does its
    // part (writes a file, records a row) and `afterFrame` (if any) runs (progress, the
    // event queue). The run ends after the last frame, at the first frame that cannot be
    // read or whose work fails, or after the frame during which RequestStop was called.
    // A second run while one lasts is refused (RunInProgress), as are open, black balance
    // and the correction-data display.
    RunOutcome RunFrames(const FrameSpan& span, const FrameWork& work = {},
                         const std::function<void(int frame)>& afterFrame = {});
    bool RunInProgress() const { return runInProgress_; }
    // Asks the run in progress to stop after its current frame; nothing without a run.
    void RequestStop();

    // The frame range, as the user set it (checked where it is used: SpanOfRange).
    const FrameRange& Range() const { return range_; }
    void SetRange(const FrameRange& range) { range_ = range; }
    // Sets the range after checking it: allFrames != 0 selects every frame; otherwise
    // start..end must lie in the movie (0, and nothing changes, when it does not).
    int SetConversionRange(int start, int end, int allFrames);
    int convertFirst() const;
    int convertLast() const;
    int convertAllFrames() const { return range_.mode == RangeMode::Identical ? 0 : 1; }

    // The pixel size the user gave for this movie (not known until given).
    const Calibration& PixelCalibration() const { return calibration_; }
    void SetPixelCalibration(const Calibration& calibration) { calibration_ = calibration; }

    // ---- Conversion ----
    // Reads frame `frame` (and shows it); with write != 0 also writes it as a TIFF file
    // of outputBits (8 or 16) from samples of sourceBits (1 to 16). 1 on success; 0 when
    // the arguments are out of range, the frame cannot be read, fileName is the movie or
    // its black reference, or the file cannot be written (ExportError() says why).
    int ExportFrame(int frame, int write, const std::string& fileName, int sourceBits, int outputBits);
    // Writes the frame the document holds as ExportFrame does, without reading.
    Problem WriteCurrentFrame(const std::string& fileName, int sourceBits, int outputBits);
    std::string ExportError() const { return exportProblem_.Text(); }
    const Problem& LastExportProblem() const { return exportProblem_; }

    // True when path names the movie file or the black reference in use (also through
    // links): such a path must never be written.
    bool IsInputFile(const std::string& path) const;
    // The files IsInputFile guards (the movie, the black reference in use), for a result
    // that outlives the document and must not be saved over them either.
    std::vector<FileIdentity> InputFiles() const;

    // Reads frame n into a caller's buffer of `bytes` bytes (width x height samples),
    // leaving the document's own frame as it is.
    Problem ReadFrameInto(int n, void* buffer, int64_t bytes);

    // ---- Display ----
    int CurrentDisplayDepth() const;
    void SetGain(int g);

    // ---- Measurements of the frame held ----
    // -1 outside the frame; 0 monochrome; 1, 2, 4 for a red, green, blue mosaic pixel.
    int GetPointValue(int x, int y, int16_t& red, int16_t& green, int16_t& blue) const;
    // Samples along the line from (x0, y0) toward (x1, y1), one per step of the longer
    // axis, at most capacity; points outside the frame give 0. Returns the count.
    int GetProfile(int x0, int y0, int x1, int y1, int capacity, int16_t* values) const;
    // The line's SampleCount() samples, into `values` (runs reuse one buffer) or a new vector.
    void Profile(const ProfileLine& line, std::vector<int16_t>& values) const;
    std::vector<int16_t> Profile(const ProfileLine& line) const;
    double GetAoiStatistics(int x0, int y0, int x1, int y1, AoiStatistics& stats) const;
    AoiStatistics Statistics(const AoiRect& rect) const;
    // The fuller figures of the rectangle in the current samples (count, exact sums,
    // standard deviation, true extremes); all zero without samples.
    AoiSummary Summary(const AoiRect& rect) const;
    // The movie has a colour mosaic.
    bool IsColour() const;
    // Replaces the correction offsets by the negated dark level averaged from the
    // reference movie, so that every later frame read subtracts it. No problem: applied.
    Problem ApplyBlackBalance(const std::string& path);
    // True once a black balance is in force.
    bool BlackBalanced() const { return blackReference_.has_value(); }
    // 0: the frame; 1: the offset (FPN) data; 2: the gain data, as an image. 1 when shown;
    // 0 when there is nothing to show (no such table) or a run is in progress, and then
    // nothing changes.
    int ShowCorrectionData(int mode);

    // The current frame's sample at pixel index i, at the buffer's real width.
    int SampleAt(int64_t i) const;

    // The current frame's samples (width x height, top row first); null before an open.
    void* samples() const { return tiffImage_.tiffData; }
    // The whole in-memory TIFF image of the current frame; null before an open.
    const uint8_t* tiffImageData() const { return tiffImage_.tiffBlock.get(); }
    // The display bitmap (header, grey palette unless 32-bit, pixels) as last built; null
    // until a view attaches or DisplayPixels() asks for it.
    const uint8_t* displayBitmap() const { return displayImage_.dibBlock.get(); }

    // The display bitmap's pixels, brought up to date first (and built on first use).
    // With views attached every frame change renders at once; without views (headless
    // conversion) rendering waits until someone asks, since nobody would see it. Null
    // when the bitmap cannot be built (a later call tries again).
    const uint8_t* DisplayPixels();
    // The same pixels as rows; bits is null when there is no bitmap. The address changes
    // only with an open or a change of layout, both of which notify the views.
    DisplayRows DisplayRowsView();
    // Stores the display's rows top row first from now on (a screen draws them without
    // flipping); the default is bottom-up, as the bitmap format stores them.
    void UseTopDownDisplay();
    // Stores the display as 32-bit screen pixels from now on (a screen copies them without
    // converting each pixel); the default is one grey byte per pixel.
    void UseXrgbDisplay();

    // ---- The movie's figures ----
    const CMovieReader* reader() const { return reader_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    int frameCount() const { return frameCount_; }
    // The whole frames the file holds: frameCount() unless the file is cut short (or its
    // header claims more frames than it stores).
    int FramesHeld() const;
    int bitDepth() const { return bitDepth_; }
    int bytesPerSample() const { return bytesPerSample_; }
    const std::string& movieTitle() const { return movieTitle_; }
    const std::string& pathName() const { return pathName_; }
    int autoDepth() const { return autoDepth_; }
    int gainIndex() const { return gainIndex_; }
    int correctionOn() const { return correctionOn_; }

private:
    // Builds the display bitmap when there is none; false when it cannot be built.
    bool EnsureDisplay();
    // Switches the display's layout; a bitmap already built is built anew (a new address,
    // so the views hear of it).
    void ChangeDisplayLayout(DisplayLayout layout);
    // Re-renders the samples into the display bitmap at the current depth.
    void Render();
    // After the samples changed: render now if anyone views the document, else later.
    void FrameChanged();
    void RepaintViews() const;
    void UpdateAllViews() const;
    // Reads frame n into samples; 1 on success (the current frame is then n).
    int ReadIntoSamples(int n);
    bool RefuseOpen(Problem failure);
    Problem FailExport(Problem problem);

    std::unique_ptr<CMovieReader> reader_;
    ImageBuffer tiffImage_;
    ImageBuffer displayImage_;
    int width_ = 0;
    int height_ = 0;
    int frameCount_ = 0;
    int bitDepth_ = 0;
    int bytesPerSample_ = 0;
    std::string movieTitle_;
    std::string pathName_;
    FrameRange range_;
    Calibration calibration_;
    int autoDepth_ = 0;
    int gainIndex_ = 1;
    int correctionOn_ = 0;
    int currentFrame_ = -1;
    int dataDisplay_ = 0;

    std::vector<DocumentObserver*> observers_;
    bool displayStale_ = false;
    DisplayLayout displayLayout_;
    bool runInProgress_ = false;
    bool decodeAhead_ = false;
    bool stopRequested_ = false;
    std::optional<FileIdentity> blackReference_;
    Problem openFailure_;
    Problem frameProblem_;
    Problem exportProblem_;
};

}  // namespace zel
