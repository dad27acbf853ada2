#pragma once
// A multi-page TIFF (a stack) written page by page through libtiff while holding one
// page at a time, and the page pixels of a frame, which equal the single-file
// conversion's pixels for it.
//
// Layout: every page's directory comes first, then the pages' pixels back to back, one
// uncompressed strip per page, little-endian, grey, 8 or 16 bits per sample. ImageJ
// reads a file whose first description says "images=N" as N images stored one after the
// other from the first page's strip on (it ignores the other directories), so the pixels
// must be contiguous; every other TIFF reader follows the directories. The first page
// carries the description.
//
// A stack whose offsets could pass 4 GiB cannot be a classic TIFF with a directory per
// page, and ImageJ 1.x has no BigTIFF reader. Such a stack is written as ImageJ writes
// its own large stacks: a classic TIFF with the first page's directory alone, the
// description saying images=N, and every page's pixels contiguous from that page's strip
// on, past 4 GiB if need be; ImageJ and tifffile find the other pages from images=N, any
// other reader sees the first page only. On request (forceBigTiff) the stack is a BigTIFF
// with a directory per page instead, for readers that follow directories.
//
// The file is written under a temporary name beside the target (see ReplacingFile) and
// renamed onto the target only once every page is in it; a writer that is abandoned, or
// fails, removes its temporary file and leaves an existing target as it was. libtiff
// never opens a file itself: it reads and writes the temporary file through the file
// layer (platform::File), so names and paths work as everywhere else, also on Windows.
// Failures say why: "cannot write out/s.tif: No space left on device" with the system's
// reason, or libtiff's own text when the system gave none.

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <system_error>

#include "fileio/ReplacingFile.h"
#include "imaging/ImageBuffer.h"

struct tiff;  // libtiff's TIFF

namespace zel {

// The largest offset a classic TIFF can hold.
inline constexpr int64_t kClassicTiffLimit = 0xFFFFFFFF;

// What every page of a stack looks like.
struct TiffStackShape {
    int width = 0;
    int height = 0;
    int bitsPerSample = 16;  // 8 or 16
    int pages = 0;
    bool forceBigTiff = false;  // a BigTIFF with a directory per page, whatever the size
    // The largest offset the directory-per-page classic layout may need; past it the stack
    // becomes an ImageJ large stack. Only tests lower it, to see that layout at small sizes.
    int64_t largeStackThreshold = kClassicTiffLimit;
    // Pixels per unit of length (both axes) when the pixel size is known, 0 otherwise.
    // Written as the resolution tags, with the unit "cm" or "in" as TIFF's resolution
    // unit and any other unit as none: that unit is the description's `unit`, which
    // is how ImageJ writes and reads a calibration in micrometres or millimetres.
    double pixelsPerUnit = 0.0;
    std::string resolutionUnit{};  // "cm", "in", or anything else (none)
};

enum class TiffStackLayout {
    Classic,        // a classic TIFF, a directory per page
    ImageJLarge,    // a classic TIFF, the first page's directory alone, the pixels contiguous
    BigTiff,        // a BigTIFF, a directory per page
};

// Bytes of one page's pixels; 0 for a shape that cannot be written (a side below 1, a
// depth other than 8 or 16, no pages).
int64_t TiffStackPageBytes(const TiffStackShape& shape);

// True when a classic TIFF of `pages` pages of `pageBytes` pixel bytes, with other
// bytes (the description) besides, could need an offset past `limit` (4 GiB), so it
// cannot have a directory per page. Leaves room for each page's directory and the header.
bool StackNeedsBigTiff(int64_t pages, int64_t pageBytes, int64_t otherBytes = 0,
                       int64_t limit = kClassicTiffLimit);

// The layout of a stack of this shape whose description takes `descriptionBytes`:
// BigTiff when forced, Classic while StackNeedsBigTiff says no at the shape's threshold,
// otherwise ImageJLarge - or BigTiff when even the first page alone would pass 4 GiB.
TiffStackLayout ChooseTiffStackLayout(const TiffStackShape& shape, int64_t descriptionBytes);

// The description ImageJ reads as a time series of `pages` frames, each one line
// "key=value": ImageJ=1.11a, images, frames, slices=1, channels=1, then
// finterval=<seconds per frame> when the period is known (above 0), tunit=s,
// unit=<unit> ("pixel" when uncalibrated) and loop=false.
std::string ImageJStackDescription(int pages, int framePeriodUs, const std::string& unit = "pixel");

class TiffStackWriter {
public:
    TiffStackWriter();
    ~TiffStackWriter();  // abandons a stack that was not committed
    TiffStackWriter(const TiffStackWriter&) = delete;
    TiffStackWriter& operator=(const TiffStackWriter&) = delete;
    TiffStackWriter(TiffStackWriter&&) = delete;  // libtiff reports errors to this object
    TiffStackWriter& operator=(TiffStackWriter&&) = delete;

    // Creates the temporary file beside `target` and writes every page's directory (the
    // first page's alone for an ImageJ large stack), the first with `description` (none
    // when empty). An ImageJ large stack is refused unless the description says
    // "images=<pages>", without which its later pages could not be found. Abandons any
    // stack still open.
    bool Open(const std::string& target, const TiffStackShape& shape, const std::string& description,
              std::string* error = nullptr);
    // Writes the next page: TiffStackPageBytes(shape) bytes, top row first, samples in
    // little-endian order.
    bool AddPage(const void* pixels, std::string* error = nullptr);
    // Once every page is written: closes the file and renames it onto the target. The
    // stack is closed afterwards whatever the outcome; on failure it is abandoned.
    bool Commit(std::string* error = nullptr);
    // Closes and removes the temporary file; the target stays as it was.
    void Abandon();

    bool IsOpen() const { return tiff_ != nullptr; }
    // The layout of the stack opened last.
    TiffStackLayout Layout() const { return layout_; }
    bool IsBigTiff() const { return layout_ == TiffStackLayout::BigTiff; }
    int PagesWritten() const { return written_; }
    // The temporary file being written; empty while no stack is open.
    const std::string& TemporaryPath() const { return file_.TemporaryPath(); }

private:
    friend struct TiffStackIo;  // libtiff's reads and writes of the temporary file
    struct TiffCloser {
        void operator()(tiff* file) const;
    };
    static int CaptureError(tiff* file, void* self, const char* module, const char* format, va_list arguments);
    static int IgnoreWarning(tiff* file, void* self, const char* module, const char* format, va_list arguments);

    bool OpenTiff(std::string* error);
    bool WriteDirectory(int page, const std::string& description);
    // Clears the captured reason before a libtiff call.
    void Expect();
    // Abandons the stack and reports why `action` failed.
    bool Fail(const char* action, std::string* error);

    ReplacingFile file_;
    std::unique_ptr<tiff, TiffCloser> tiff_;
    TiffStackShape shape_;
    int64_t pageBytes_ = 0;
    TiffStackLayout layout_ = TiffStackLayout::Classic;
    int64_t firstStrip_ = 0;  // an ImageJ large stack's pixels start here
    int written_ = 0;
    std::string libtiffReason_;     // libtiff's first error text since Expect()
    std::error_code systemReason_;  // the system's first failure since Expect()
    int64_t position_ = 0;          // libtiff's position in the temporary file
    bool discarding_ = false;       // abandoning: what libtiff writes on closing goes nowhere
};

// The pixels the single-file conversion writes for a frame, made by the same code (the
// TIFF builder's sample conversion), either into a block of the builder's that is reused
// from page to page (Page) or into the caller's own (PageInto), e.g. one of a few pages
// queued for a writer thread.
class TiffPageBuilder {
public:
    // For frames of width x height samples of bytesPerSample bytes holding sourceBits
    // significant bits, written at outputBits (8 or 16). false (error says why) for
    // depths the single-file conversion refuses, sizes it cannot describe, or when memory
    // runs out.
    bool Prepare(int width, int height, int bytesPerSample, int sourceBits, int outputBits,
                 std::string* error = nullptr);
    // The page for a frame's samples, valid until the next call; null when not prepared
    // or when memory for the block runs out. Samples that the conversion writes as they
    // stand (16-bit samples at 16 bits) are handed back as they are.
    const void* Page(const void* samples);
    // The same page's bytes written to `page`, PageBytes() of them: a copy of samples
    // written as they stand. false when not prepared.
    bool PageInto(const void* samples, void* page) const;
    int64_t PageBytes() const { return pageBytes_; }
    int OutputBits() const { return outputBits_; }

private:
    ImageBuffer page_;  // built on Page's first call
    int width_ = 0;
    int height_ = 0;
    int layoutCode_ = 0;
    int sourceBits_ = 0;
    int outputBits_ = 0;
    int64_t pageBytes_ = 0;
    bool asTheyStand_ = false;
};

}  // namespace zel
