#pragma once
// A kymograph: the profile of one line over a span of frames as one image. Row k holds
// the profile of frame first + k, column i its sample i, so the image is the line's
// SampleCount() wide and the span's frame count high; a feature moving along the line
// draws a slanted track down the image.
//
// The samples are exactly the values the profile CSV writes for those frames (the
// document's Profile), held as the 16-bit TIFF of a frame holds samples: the 16 bits of
// each sample as they stand, little-endian, in the pixel area of an in-memory
// single-strip grey TIFF image (imaging/TiffImage.h). For a 10-, 12- or 16-bit movie that
// is the value a 16-bit conversion writes for the pixel. An 8-bit movie's kymograph keeps
// the profile's values 0..255 rather than scaling them by 256 as its 16-bit conversion
// does, so that the file reads back as the CSV's rows.
//
// The image lives in memory whole (one block of head and pixels, nothing per frame) and
// is written in one piece through a temporary file renamed onto the target, so a failed
// save leaves nothing and an older file of that name stays as it was.
//
// Limits, checked in 64-bit arithmetic before anything is read or allocated: the TIFF's
// width and height entries are SHORT, so at most 65535 samples and 65535 frames; and at
// most 1 GiB of samples in all, so that a long range of a long line is refused with a
// reason instead of taking the machine's memory.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/FrameRange.h"
#include "document/FrameRun.h"
#include "document/Measurements.h"
#include "imaging/ImageBuffer.h"
#include "platform/FileIdentity.h"
#include "reader/Problem.h"

namespace zel {

class CZelfDoc;
class ReplacingFile;

inline constexpr int64_t kKymographMaxSide = 65535;
inline constexpr int64_t kKymographMaxBytes = int64_t{1} << 30;

// Refuses a kymograph of `line` over `span` in frames of width x height: PointOutside for
// a line leaving the frame, EmptyProfileLine for a line of no samples, KymographTooLarge
// for an empty span or one of the limits above.
Problem CheckKymograph(const ProfileLine& line, const FrameSpan& span, int width, int height);

class Kymograph {
public:
    Kymograph() = default;

    bool Empty() const { return image_ == nullptr; }
    int Width() const { return width_; }    // samples per row
    int Height() const { return height_; }  // frames
    const ProfileLine& Line() const { return line_; }
    const FrameSpan& Span() const { return span_; }

    // The sample of frame Span().first + row at column; 0 outside the image.
    int16_t At(int row, int column) const;
    // Row `row` into out (Width() values); nothing outside the image.
    void CopyRow(int row, int16_t* out) const;

    // Writes the image as a 16-bit grey TIFF file. OutputIsInput when path is the movie or
    // the black reference the kymograph was made from (their identities are kept, so this
    // holds after the movie was closed); WriteFailed with the writer's whole account.
    Problem Save(const std::string& path) const;
    // The same into a file created early (a tool checks its output before the run):
    // writes and commits it, or abandons it on failure.
    Problem SaveInto(ReplacingFile& file) const;
    bool IsInput(const std::string& path) const;

private:
    friend class KymographBuilder;
    // The first byte of a row inside the pixel area (the caller has checked the row).
    uint8_t* RowBytes(int row) const;

    std::unique_ptr<ImageBuffer> image_;  // the TIFF image; null when empty
    int width_ = 0;
    int height_ = 0;
    ProfileLine line_;
    FrameSpan span_;
    std::vector<FileIdentity> inputs_;
};

// Fills a kymograph row by row, for callers that read the frames themselves.
class KymographBuilder {
public:
    // Checks (CheckKymograph) and allocates the image; NoMemoryForKymograph when memory
    // runs out. `inputs` are the files the kymograph must never be saved over.
    Problem Begin(const ProfileLine& line, const FrameSpan& span, int width, int height,
                  std::vector<FileIdentity> inputs = {});
    // The next frame's profile: its first Width() values (missing ones count as 0).
    // Ignored once every row is filled.
    void AddRow(const std::vector<int16_t>& values);
    bool Complete() const { return image_.image_ != nullptr && rows_ == image_.height_; }
    // The image once complete, else an empty one; the builder is empty afterwards.
    Kymograph Take();

private:
    Kymograph image_;
    int rows_ = 0;
};

// Shows the frames of `span` in doc (its RunFrames: progress and stops through
// afterFrame and RequestStop) and records each one's profile of `line`. `out` receives
// the kymograph only when every frame was read; otherwise it is left empty and the
// outcome says why (a refusal before the run reads no frame and is Failed).
RunOutcome BuildKymograph(CZelfDoc& doc, const ProfileLine& line, const FrameSpan& span, Kymograph& out,
                          const std::function<void(int frame)>& afterFrame = {});

}  // namespace zel
