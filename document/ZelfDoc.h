#pragma once
// CZelfDoc: one open movie with its current frame, display bitmap, display gain and
// conversion range, and the operations the views, the main frame and the command-line
// tool call on it. No GUI dependency: views listen through DocumentObserver.
//
// The current frame's samples live in the pixel area of an in-memory 16-bit (8-bit for
// 8-bit movies) TIFF image, so a 16-bit conversion of a 10- or 12-bit movie writes that
// block as it stands.

#include <cstdint>
#include <memory>
#include <string>

#include "decode/AoiStatistics.h"
#include "document/DocumentObserver.h"
#include "imaging/ImageBuffer.h"
#include "reader/MovieReader.h"

namespace zel {

// Outcome of a black balance, for the caller to report.
struct BlackBalanceResult {
    bool applied = false;
    std::string problem;  // why nothing was changed
};

// Averages up to the first 16 frames of the movie at path (read without correction)
// into buffer (capacityBytes). Returns 1 on success, 0 on failure (problem says why).
int AverageFrames(const std::string& path, uint16_t* buffer, int64_t capacityBytes, std::string* problem = nullptr,
                  int* width = nullptr, int* height = nullptr);

class CZelfDoc {
public:
    CZelfDoc() = default;
    ~CZelfDoc() = default;
    CZelfDoc(const CZelfDoc&) = delete;
    CZelfDoc& operator=(const CZelfDoc&) = delete;

    // Opens the movie, reads frame 0 and renders it at gain 1. false (OpenError() says
    // why) when the movie cannot be read.
    bool OpenMovie(const std::string& path, bool applyCorrection);
    const std::string& OpenError() const { return openError_; }

    void SetObserver(DocumentObserver* observer) { observer_ = observer; }

    int CurrentDisplayDepth() const;

    // Reads frame n into the sample buffer, renders it and repaints the views. 1 on
    // success; 0 leaves the current frame as it was.
    int ShowFrame(int n);

    int SetConversionRange(int start, int end, int allFrames);
    // Reads frame `frame` (and shows it); with write != 0 also writes it as a TIFF file
    // of outputBits (8 or 16) from samples of sourceBits. 1 on success; 0 when the
    // arguments are out of range, the frame cannot be read or the file cannot be written.
    int ExportFrame(int frame, int write, const std::string& fileName, int sourceBits, int outputBits);

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
    // 0: the frame; 1: the offset (FPN) data; 2: the gain data, as an image.
    int ShowCorrectionData(int mode);

    // The current frame's sample at pixel index i, at the buffer's real width.
    int SampleAt(int64_t i) const;

    // The display bitmap's pixels, brought up to date first. With views attached every
    // frame change renders at once; without views (headless conversion) rendering waits
    // until someone asks, since nobody would see it.
    const uint8_t* DisplayPixels();

    // ---- Fields ----
    std::unique_ptr<CMovieReader> reader;
    ImageBuffer tiffImage;
    ImageBuffer displayImage;
    uint8_t* tiffImageData = nullptr;
    const uint8_t* displayBitmap = nullptr;
    void* samples = nullptr;  // points into tiffImage
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
    // Re-renders the samples into the display bitmap at the current depth.
    void Render();
    // After the samples changed: render now if anyone views the document, else later.
    void FrameChanged();
    void RepaintViews() const;
    void UpdateAllViews() const;
    // Reads frame n into samples; 1 on success.
    int ReadIntoSamples(int n);
    // Copies the frame-sized window of a correction table into samples.
    bool CopyCorrectionWindow(const int16_t* table, int mode);

    DocumentObserver* observer_ = nullptr;
    bool displayStale_ = false;
    std::string openError_;
};

}  // namespace zel
