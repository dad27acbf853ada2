// Writing a stack through libtiff. Every directory is written first with its strip
// arrays held back (TIFFDeferStrileArrayWriting); then the writer walks back through the
// directories, appends each page's strip at the end of the file and fills in that
// directory's strip offset and byte count where they were held back. One strip per page
// keeps both values inside the directory entry, so nothing but pixels is ever appended
// after the directories and the pages lie back to back, as ImageJ expects.
//
// An ImageJ large stack has one directory: libtiff writes it and the first page's strip
// as above, and the later pages go straight into the file after that strip. libtiff is
// never told of them, since a classic TIFF's offsets could not name them past 4 GiB, and
// it appends nothing on closing: the directory was complete once the strip was filled in.
//
// libtiff reports errors through a handler given to this file alone (TIFFClientOpenExt
// with its options), which keeps the first text; libtiff's global handlers are neither
// changed nor called. libtiff reads and writes the temporary file that ReplacingFile
// created through the procedures of TiffStackIo, at offsets of the writer's own; a
// failing read or write keeps the system's reason.

#include "imaging/TiffStack.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "imaging/TiffImage.h"

namespace zel {

namespace {

// Room kept for each page's directory: its 14 entries and the two resolution values take
// 190 bytes in a classic TIFF.
constexpr int64_t kDirectoryRoom = 512;
// Room for the 8-byte header and alignment.
constexpr int64_t kHeadRoom = 64 * 1024;

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

bool Refuse(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// Whole microseconds as seconds, exactly and in every locale: 1000 gives "0.001".
std::string Seconds(int microseconds) {
    std::string fraction = std::to_string(microseconds % 1000000);
    fraction.insert(0, 6 - fraction.size(), '0');
    fraction.erase(fraction.find_last_not_of('0') + 1);
    const std::string whole = std::to_string(microseconds / 1000000);
    return fraction.empty() ? whole : whole + "." + fraction;
}

}  // namespace

int64_t TiffStackPageBytes(const TiffStackShape& shape) {
    if (shape.width < 1 || shape.height < 1 || shape.pages < 1 ||
        (shape.bitsPerSample != 8 && shape.bitsPerSample != 16))
        return 0;
    return static_cast<int64_t>(shape.width) * shape.height * (shape.bitsPerSample / 8);
}

bool StackNeedsBigTiff(int64_t pages, int64_t pageBytes, int64_t otherBytes, int64_t limit) {
    if (pages <= 0) return false;
    const int64_t room = limit - kHeadRoom - std::max<int64_t>(otherBytes, 0);
    if (room <= 0) return true;
    // pages x (pageBytes + kDirectoryRoom) > room, without the product overflowing.
    return std::max<int64_t>(pageBytes, 0) + kDirectoryRoom > room / pages;
}

TiffStackLayout ChooseTiffStackLayout(const TiffStackShape& shape, int64_t descriptionBytes) {
    if (shape.forceBigTiff) return TiffStackLayout::BigTiff;
    const int64_t pageBytes = TiffStackPageBytes(shape);
    if (!StackNeedsBigTiff(shape.pages, pageBytes, descriptionBytes, shape.largeStackThreshold))
        return TiffStackLayout::Classic;
    // The one directory, the description and the first page's strip must lie within a
    // classic TIFF's offsets; a page that alone passes 4 GiB leaves BigTIFF only.
    return StackNeedsBigTiff(1, pageBytes, descriptionBytes) ? TiffStackLayout::BigTiff
                                                             : TiffStackLayout::ImageJLarge;
}

std::string ImageJStackDescription(int pages, int framePeriodUs, const std::string& unit) {
    const std::string count = std::to_string(pages);
    std::string text = "ImageJ=1.11a\nimages=" + count + "\nframes=" + count + "\nslices=1\nchannels=1\n";
    if (framePeriodUs > 0) text += "finterval=" + Seconds(framePeriodUs) + "\n";
    return text + "tunit=s\nunit=" + unit + "\nloop=false\n";
}

// ---- libtiff's file ----

struct TiffStackIo {
    static TiffStackWriter& Writer(thandle_t handle) { return *reinterpret_cast<TiffStackWriter*>(handle); }
    static void Keep(TiffStackWriter& writer, const std::error_code& failure) {
        if (!writer.systemReason_) writer.systemReason_ = failure;
    }
    static tmsize_t Read(thandle_t handle, void* data, tmsize_t size) {
        TiffStackWriter& writer = Writer(handle);
        if (size < 0) return -1;
        std::error_code failure;
        const int64_t got = writer.file_.TemporaryFile().ReadAt(writer.position_, data, static_cast<size_t>(size), failure);
        if (got < 0) {
            Keep(writer, failure);
            return -1;
        }
        writer.position_ += got;
        return static_cast<tmsize_t>(got);
    }
    static tmsize_t Write(thandle_t handle, void* data, tmsize_t size) {
        TiffStackWriter& writer = Writer(handle);
        if (writer.discarding_) return size;
        if (size < 0) return -1;
        if (const std::error_code failure =
                writer.file_.TemporaryFile().WriteAt(writer.position_, data, static_cast<size_t>(size))) {
            Keep(writer, failure);
            return -1;
        }
        writer.position_ += size;
        return size;
    }
    static toff_t Seek(thandle_t handle, toff_t offset, int whence) {
        TiffStackWriter& writer = Writer(handle);
        int64_t base = 0;
        if (whence == SEEK_CUR) {
            base = writer.position_;
        } else if (whence == SEEK_END) {
            const std::optional<int64_t> size = writer.file_.TemporaryFile().Size();
            if (!size) return static_cast<toff_t>(-1);
            base = *size;
        }
        const int64_t position = base + static_cast<int64_t>(offset);  // libtiff's negative offsets wrap
        if (position < 0) return static_cast<toff_t>(-1);
        writer.position_ = position;
        return static_cast<toff_t>(position);
    }
    static toff_t Size(thandle_t handle) {
        const std::optional<int64_t> size = Writer(handle).file_.TemporaryFile().Size();
        return size ? static_cast<toff_t>(*size) : 0;
    }
    static int Close(thandle_t) { return 0; }  // the ReplacingFile closes the file
    static int Map(thandle_t, void**, toff_t*) { return 0; }  // never mapped
    static void Unmap(thandle_t, void*, toff_t) {}
};

// ---- TiffStackWriter ----

void TiffStackWriter::TiffCloser::operator()(tiff* file) const { TIFFClose(file); }

TiffStackWriter::TiffStackWriter() = default;

TiffStackWriter::~TiffStackWriter() { Abandon(); }

int TiffStackWriter::CaptureError(tiff*, void* self, const char*, const char* format, va_list arguments) {
    const int systemError = errno;  // before anything here can change it (a failed allocation)
    auto& writer = *static_cast<TiffStackWriter*>(self);
    if (writer.libtiffReason_.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, arguments);
        writer.libtiffReason_ = text;
        if (!writer.systemReason_ && systemError != 0) writer.systemReason_ = {systemError, std::generic_category()};
    }
    return 1;  // handled: libtiff's global handlers print nothing
}

int TiffStackWriter::IgnoreWarning(tiff*, void*, const char*, const char*, va_list) { return 1; }

void TiffStackWriter::Expect() {
    libtiffReason_.clear();
    systemReason_.clear();
    errno = 0;
}

bool TiffStackWriter::Fail(const char* action, std::string* error) {
    std::string reason = systemReason_             ? systemReason_.message()
                         : !libtiffReason_.empty() ? libtiffReason_
                                                   : std::string("libtiff gave no reason");
    std::string text = std::string("cannot ") + action + " " + file_.Target() + ": " + reason;
    Abandon();
    return Refuse(error, std::move(text));
}

bool TiffStackWriter::Open(const std::string& target, const TiffStackShape& shape, const std::string& description,
                           std::string* error) {
    Abandon();
    const int64_t pageBytes = TiffStackPageBytes(shape);
    if (pageBytes == 0)
        return Refuse(error, "cannot create " + target + ": a stack needs pages of 8 or 16 bits, at least 1 x 1");
    const TiffStackLayout layout = ChooseTiffStackLayout(shape, static_cast<int64_t>(description.size()));
    if (layout == TiffStackLayout::ImageJLarge &&
        description.find("\nimages=" + std::to_string(shape.pages) + "\n") == std::string::npos)
        return Refuse(error, "cannot create " + target + ": a stack past 4 GiB needs an ImageJ description of its " +
                                 std::to_string(shape.pages) + " images, by which its later pages are found");
    if (!file_.Create(target, error)) return false;
    shape_ = shape;
    pageBytes_ = pageBytes;
    layout_ = layout;
    firstStrip_ = 0;
    if (!OpenTiff(error)) return false;
    const int directories = layout_ == TiffStackLayout::ImageJLarge ? 1 : shape.pages;
    for (int page = 0; page < directories; ++page) {
        Expect();
        if (!WriteDirectory(page, description)) return Fail("write", error);
    }
    Expect();
    if (!TIFFSetDirectory(tiff_.get(), 0)) return Fail("write", error);
    return true;
}

bool TiffStackWriter::OpenTiff(std::string* error) {
    const std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options) return Fail("create", error);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &TiffStackWriter::CaptureError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &TiffStackWriter::IgnoreWarning, this);
    // libtiff writes the temporary file ReplacingFile made, and reads it too: walking the
    // directories reads them back. "l": little-endian; "8": BigTIFF.
    Expect();
    position_ = 0;
    tiff_.reset(TIFFClientOpenExt(file_.TemporaryPath().c_str(), layout_ == TiffStackLayout::BigTiff ? "w8l" : "wl",
                                  reinterpret_cast<thandle_t>(this), &TiffStackIo::Read, &TiffStackIo::Write,
                                  &TiffStackIo::Seek, &TiffStackIo::Close, &TiffStackIo::Size, &TiffStackIo::Map,
                                  &TiffStackIo::Unmap, options.get()));
    return tiff_ != nullptr || Fail("create", error);
}

bool TiffStackWriter::WriteDirectory(int page, const std::string& description) {
    TIFF* const file = tiff_.get();
    const auto width = static_cast<uint32_t>(shape_.width), height = static_cast<uint32_t>(shape_.height);
    const auto bits = static_cast<uint16_t>(shape_.bitsPerSample);
    const bool calibrated = shape_.pixelsPerUnit > 0.0 && std::isfinite(shape_.pixelsPerUnit);
    // libtiff stores the resolution as the nearest rational it can form.
    const double resolution = calibrated ? shape_.pixelsPerUnit : 1.0;
    const uint16_t resolutionUnit = !calibrated                      ? uint16_t{RESUNIT_NONE}
                                    : shape_.resolutionUnit == "cm" ? uint16_t{RESUNIT_CENTIMETER}
                                    : shape_.resolutionUnit == "in" ? uint16_t{RESUNIT_INCH}
                                                                     : uint16_t{RESUNIT_NONE};
    const bool described = page > 0 || description.empty() ||
                           TIFFSetField(file, TIFFTAG_IMAGEDESCRIPTION, description.c_str()) != 0;
    // The tags of the single-file TIFF, in the same order.
    return described && TIFFSetField(file, TIFFTAG_SUBFILETYPE, uint32_t{0}) != 0 &&
           TIFFSetField(file, TIFFTAG_IMAGEWIDTH, width) != 0 && TIFFSetField(file, TIFFTAG_IMAGELENGTH, height) != 0 &&
           TIFFSetField(file, TIFFTAG_BITSPERSAMPLE, bits) != 0 &&
           TIFFSetField(file, TIFFTAG_COMPRESSION, uint16_t{COMPRESSION_NONE}) != 0 &&
           TIFFSetField(file, TIFFTAG_PHOTOMETRIC, uint16_t{PHOTOMETRIC_MINISBLACK}) != 0 &&
           TIFFSetField(file, TIFFTAG_SAMPLESPERPIXEL, uint16_t{1}) != 0 &&
           TIFFSetField(file, TIFFTAG_ROWSPERSTRIP, height) != 0 &&
           TIFFSetField(file, TIFFTAG_XRESOLUTION, resolution) != 0 &&
           TIFFSetField(file, TIFFTAG_YRESOLUTION, resolution) != 0 &&
           TIFFSetField(file, TIFFTAG_PLANARCONFIG, uint16_t{PLANARCONFIG_CONTIG}) != 0 &&
           TIFFSetField(file, TIFFTAG_RESOLUTIONUNIT, resolutionUnit) != 0 &&
           TIFFDeferStrileArrayWriting(file) != 0 && TIFFWriteCheck(file, 0, "TiffStackWriter") != 0 &&
           TIFFWriteDirectory(file) != 0;
}

bool TiffStackWriter::AddPage(const void* pixels, std::string* error) {
    if (!IsOpen()) return Refuse(error, "no stack is open");
    if (pixels == nullptr) return Refuse(error, "no pixels for page " + std::to_string(written_));
    if (written_ >= shape_.pages)
        return Refuse(error, "cannot write " + file_.Target() + ": all " + std::to_string(shape_.pages) +
                                 " pages are written already");
    TIFF* const file = tiff_.get();
    Expect();
    if (layout_ == TiffStackLayout::ImageJLarge && written_ > 0) {
        // Right after the page before; the file layer takes offsets past 4 GiB.
        if (const std::error_code failure = file_.TemporaryFile().WriteAt(firstStrip_ + written_ * pageBytes_, pixels,
                                                                          static_cast<size_t>(pageBytes_))) {
            systemReason_ = failure;
            return Fail("write", error);
        }
        ++written_;
        return true;
    }
    if (written_ > 0 && !TIFFReadDirectory(file)) return Fail("write", error);  // the next page's directory
    // libtiff takes the strip as void* but only writes it out: an uncompressed strip is
    // neither encoded nor swapped in place.
    if (TIFFWriteRawStrip(file, 0, const_cast<void*>(pixels), pageBytes_) != pageBytes_ ||
        !TIFFForceStrileArrayWriting(file))
        return Fail("write", error);
    if (written_ == 0) firstStrip_ = static_cast<int64_t>(TIFFGetStrileOffset(file, 0));
    ++written_;
    return true;
}

bool TiffStackWriter::Commit(std::string* error) {
    if (!IsOpen()) return Refuse(error, "no stack is open");
    if (written_ != shape_.pages) {
        std::string text = "cannot write " + file_.Target() + ": only " + std::to_string(written_) + " of " +
                           std::to_string(shape_.pages) + " pages were written";
        Abandon();
        return Refuse(error, std::move(text));
    }
    Expect();
    if (!TIFFFlush(tiff_.get())) return Fail("write", error);
    tiff_.reset();  // closing reports any failure to the handler
    if (systemReason_ || !libtiffReason_.empty()) return Fail("write", error);
    written_ = 0;
    return file_.Commit(error);
}

void TiffStackWriter::Abandon() {
    // Whatever libtiff still writes on closing goes nowhere; then the temporary goes.
    discarding_ = true;
    tiff_.reset();
    discarding_ = false;
    file_.Abandon();
    written_ = 0;
}

// ---- TiffPageBuilder ----

bool TiffPageBuilder::Prepare(int width, int height, int bytesPerSample, int sourceBits, int outputBits,
                              std::string* error) {
    InitImageBuffer(page_);  // releases an earlier Prepare's block
    outputBits_ = 0;
    pageBytes_ = 0;
    // The single-file conversion's own limits (CZelfDoc::ExportFrame).
    if (sourceBits < 1 || sourceBits > 16 || (outputBits != 8 && outputBits != 16))
        return Refuse(error, "cannot write " + std::to_string(sourceBits) + "-bit samples as a " +
                                 std::to_string(outputBits) + "-bit file");
    width_ = width;
    height_ = height;
    layoutCode_ = outputBits * 32 + bytesPerSample;
    sourceBits_ = sourceBits;
    asTheyStand_ = bytesPerSample == 2 && sourceBits == 16 && outputBits == 16;
    // Checks the sizes and the sample width as the single-file conversion does, by building
    // its image once; a builder used through PageInto alone holds no block of its own.
    ImageBuffer probe;
    InitImageBuffer(probe);
    if (BuildTiffImage(height, probe, layoutCode_, sourceBits, width, nullptr) == nullptr)
        return Refuse(error, "cannot build a " + std::to_string(width) + " x " + std::to_string(height) + " page of " +
                                 std::to_string(outputBits) + " bits");
    pageBytes_ = probe.imageSize;
    outputBits_ = outputBits;
    return true;
}

const void* TiffPageBuilder::Page(const void* samples) {
    if (outputBits_ == 0 || samples == nullptr) return nullptr;
    if (asTheyStand_) return samples;
    if (page_.tiffData == nullptr && BuildTiffImage(height_, page_, layoutCode_, sourceBits_, width_, nullptr) == nullptr)
        return nullptr;
    FillTiffImage(height_, layoutCode_, sourceBits_, page_.tiffData, width_, samples);
    return page_.tiffData;
}

bool TiffPageBuilder::PageInto(const void* samples, void* page) const {
    if (outputBits_ == 0 || samples == nullptr || page == nullptr) return false;
    // Samples written as they stand are copied by the same conversion (no shift).
    FillTiffImage(height_, layoutCode_, sourceBits_, static_cast<uint8_t*>(page), width_, samples);
    return true;
}

}  // namespace zel
