// Frame access. Frame n of "FRAM" starts at framOffset + n x frameStride and holds, in
// order, an optional per-frame header (place 1), the stored pixels and an optional
// per-frame header (place -1); the rest of the stride is padding. The position marker
// filePosFrame names the frame read last, so that sequential reads go on without a seek.

#include <cstring>
#include <new>

#include "decode/DecodeFrame.h"
#include "reader/ByteOrder.h"
#include "reader/CorrectionPass.h"
#include "reader/MovieReader.h"

namespace zel {

int CMovieReader::SeekFrame(int n) {
    // After positional reads the marker still names the frame read last, but the file
    // stands wherever it stood before them.
    const int p = fileAfterMarker_ ? filePosFrame : kPositionUnknown;
    fileAfterMarker_ = true;
    filePosFrame = kPositionUnknown;  // stays unknown if a seek fails
    const bool fileAtFrame = p >= kPositionAtFramStart && n == p + 1;
    if (!fileAtFrame && !fileHandle.Seek(framOffset + static_cast<int64_t>(n) * frameStride)) return -1;
    filePosFrame = n;
    return 0;
}

int CMovieReader::ForceSeekFrame(int n) {
    filePosFrame = kPositionUnknown;
    if (!IsOpen() || n < kPositionAtFramStart || n >= frameCount) return -1;
    if (!fileHandle.Seek(framOffset + (static_cast<int64_t>(n) + 1) * frameStride)) return -1;
    filePosFrame = n;
    fileAfterMarker_ = true;
    return 0;
}

void CMovieReader::ParseFrameHeader(const uint8_t* header) {
    const RecordView view(header, static_cast<size_t>(frameHeaderSize), nativeOrder != 0);
    frameInfo.value1 = view.U32(0);
    frameInfo.value2 = view.U32(4);
    frameInfo.value3 = view.U32(8);
    frameInfo.value4 = view.U16(12);
    frameInfo.value5 = view.U16(14);
    frameInfo.value6 = view.U32(16);
    for (size_t i = 0; i < frameInfo.value7to12.size(); ++i) frameInfo.value7to12[i] = view.U16(20 + 2 * i);
}

bool CMovieReader::FrameHeaderValues(int n, std::array<uint32_t, 12>& values) const {
    if (frameHeaderPlace == 0 || n < 0 || n >= frameCount || frameHeaderSize <= 0 ||
        frameHeaderSize > kMaxFrameHeaderSize || !WholeFrameInFile(n))
        return false;
    const int64_t frameStart = framOffset + static_cast<int64_t>(n) * frameStride;
    uint8_t header[kMaxFrameHeaderSize];
    if (!fileHandle.ReadAt(frameStart + (frameHeaderPlace == 1 ? 0 : frameBytes), header,
                           static_cast<size_t>(frameHeaderSize)))
        return false;
    const RecordView view(header, static_cast<size_t>(frameHeaderSize), nativeOrder != 0);
    values = {view.U32(0), view.U32(4), view.U32(8), view.U16(12), view.U16(14), view.U32(16)};
    for (size_t i = 0; i < 6; ++i) values[6 + i] = view.U16(20 + 2 * i);
    return true;
}

bool CMovieReader::WholeFrameInFile(int n) const {
    const int64_t frameStart = framOffset + static_cast<int64_t>(n) * frameStride;
    return frameStart <= fileHandle.Size() && fileHandle.Size() - frameStart >= frameHeaderSize + frameBytes;
}

bool CMovieReader::EnsureStaging(size_t bytes) {
    if (stagingSize_ >= bytes) return true;
    // One staging buffer for the reader's life, sized for a whole frame with its header.
    const auto size = static_cast<size_t>(frameHeaderSize + frameBytes);
    staging_.reset(new (std::nothrow) uint8_t[size]);
    stagingSize_ = staging_ ? size : 0;
    return stagingSize_ >= bytes;
}

bool CMovieReader::ReadInPlace(uint8_t* header, int64_t stored) {
    // The file must stand at the start of frame n + 1 afterwards; whatever is not read
    // (the rest of a partial frame, a trailing header, padding) is skipped.
    bool complete = true;
    if (frameHeaderPlace == 1) complete = fileHandle.Read(header, frameHeaderSize) == frameHeaderSize;
    complete = complete && fileHandle.Read(staging_.get(), static_cast<size_t>(stored)) == stored;
    int64_t unread = frameBytes - stored;
    if (complete && frameHeaderPlace == -1) {
        if (unread > 0) complete = fileHandle.Skip(unread);
        unread = 0;
        complete = complete && fileHandle.Read(header, frameHeaderSize) == frameHeaderSize;
    }
    unread += static_cast<int64_t>(frameStride) - frameHeaderSize - frameBytes;
    if (complete && unread > 0) complete = fileHandle.Skip(unread);
    return complete;
}

int CMovieReader::ReadFrame(void* buffer, int n, int64_t bufferBytes) {
    if (!IsOpen() || buffer == nullptr || n < 0 || n >= frameCount) return 0;

    const int64_t sampleSize = (bitDepth + 7) / 8;
    const int64_t rowBytes = static_cast<int64_t>(width) * sampleSize;
    int rows = height;
    if (bufferBytes < rowBytes * height) {
        const int64_t fit = bufferBytes / rowBytes;
        if (fit < 4) return 0;
        rows = static_cast<int>(fit & ~int64_t{3});
    }
    const int64_t stored = static_cast<int64_t>(storedBits) * rows * width / 8;
    // Frames are read on demand, so a file may claim more than it holds; a frame that is
    // not wholly in the file is refused before any buffer is allocated for it.
    const int64_t frameStart = framOffset + static_cast<int64_t>(n) * frameStride;
    if (!WholeFrameInFile(n)) return 0;

    // A run of frames read in order gets the next frame fetched while this one is worked on.
    const bool sequential = n == lastRead_ + 1 && lastRead_ >= 0;
    lastRead_ = n;
    const uint8_t* header = nullptr;
    const uint8_t* pixels = nullptr;
    uint8_t headerCopy[kMaxFrameHeaderSize];
    auto taken = FramePrefetch::Taken::Nothing;
    if (sequential) {
        // The frame's header and pixels as one positional read (checked above to lie in the file).
        const auto span = static_cast<size_t>(frameHeaderSize + frameBytes);
        if (!EnsureStaging(span)) return 0;
        // A whole frame decoded ahead is copied straight into the buffer.
        const size_t ahead = SampleBytesAhead();
        const bool whole = ahead > 0 && rows == height;
        taken = prefetch_.Take(frameStart, span, staging_, stagingSize_,
                               whole ? static_cast<uint8_t*>(buffer) : nullptr, whole ? ahead : 0);
        if (taken == FramePrefetch::Taken::Nothing && !fileHandle.ReadAt(frameStart, staging_.get(), span)) {
            lastRead_ = kPositionUnknown;
            return 0;
        }
        filePosFrame = n;
        fileAfterMarker_ = false;  // positional reads leave the file where it was
        header = staging_.get() + (frameHeaderPlace == 1 ? 0 : frameBytes);
        pixels = staging_.get() + (frameHeaderPlace == 1 ? frameHeaderSize : 0);
        if (n + 1 < frameCount && WholeFrameInFile(n + 1))
            prefetch_.Start(frameStart + frameStride, span, &aheadDecoder_, ahead);
    } else {
        prefetch_.Cancel();
        if (!EnsureStaging(static_cast<size_t>(stored)) || SeekFrame(n) != 0) return 0;
        if (!ReadInPlace(headerCopy, stored)) {
            // A short read leaves the caller's buffer as it was and the position unknown.
            filePosFrame = kPositionUnknown;
            lastRead_ = kPositionUnknown;
            return 0;
        }
        header = headerCopy;
        pixels = staging_.get();
    }

    if (frameHeaderPlace != 0) ParseFrameHeader(header);
    if (taken == FramePrefetch::Taken::Decoded) return static_cast<int>(rows * rowBytes);
    if (pixelFormat == -1)
        std::memcpy(buffer, pixels, static_cast<size_t>(stored));
    else
        DecodeAndCorrect(pixels, static_cast<size_t>(stored), rows, static_cast<uint16_t*>(buffer));
    return static_cast<int>(rows * rowBytes);
}

void CMovieReader::SetDecodeAhead(bool on) {
    if (on == decodeAhead_) return;
    prefetch_.Cancel();  // a fetch in progress was started under the other setting
    decodeAhead_ = on;
}

int64_t CMovieReader::WholeFrameStoredBytes() const { return static_cast<int64_t>(storedBits) * height * width / 8; }

size_t CMovieReader::SampleBytesAhead() const {
    // 8-bit frames are stored as they are: nothing to decode.
    if (!decodeAhead_ || pixelFormat == -1) return 0;
    if (!DecodeWritesEverySample(width, height, pixelFormat, static_cast<size_t>(WholeFrameStoredBytes()))) return 0;
    return static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(uint16_t);
}

void CMovieReader::AheadDecoder::Decode(const uint8_t* span, uint8_t* out) const {
    const uint8_t* pixels = span + (reader.frameHeaderPlace == 1 ? reader.frameHeaderSize : 0);
    reader.DecodeAndCorrect(pixels, static_cast<size_t>(reader.WholeFrameStoredBytes()), reader.height,
                            reinterpret_cast<uint16_t*>(out));
}

bool CMovieReader::HasCorrection() const {
    return offsetTable != nullptr && (correctionKind == 3 || correctionKind == 6 || correctionKind == 9);
}

void CMovieReader::DecodeAndCorrect(const uint8_t* stored, size_t storedBytes, int rows, uint16_t* buffer) const {
    // The decoder hands over each band of rows as it finishes it; correcting the band
    // then, while it is in cache, saves a second pass over the whole frame from memory.
    struct CorrectBands final : RowSink {
        const CMovieReader& reader;
        uint16_t* samples;
        CorrectBands(const CMovieReader& r, uint16_t* s) : reader(r), samples(s) {}
        void RowsDone(int firstRow, int count) override { reader.ApplyCorrection(samples, firstRow, count); }
    };
    CorrectBands correct(*this, buffer);
    DecodeFrame(stored, storedBytes, width, rows, buffer, pixelFormat, HasCorrection() ? &correct : nullptr);
}

void CMovieReader::ApplyCorrection(uint16_t* samples, int firstRow, int rows) const {
    if (!HasCorrection()) return;
    // The loaded tables are the frame's window of the stored ones: one entry per pixel.
    const int fullScale = (1 << bitDepth) - 1;
    for (int row = firstRow; row < firstRow + rows; ++row) {
        const int64_t at = static_cast<int64_t>(row) * width;
        uint16_t* line = samples + static_cast<int64_t>(row) * width;
        if (correctionKind == 3)
            OffsetCorrectRow(line, offsetTable + at, width, sampleFloor, fullScale);
        else
            GainCorrectRow(line, offsetTable + at, gainTable + at, width, sampleFloor, fullScale, pedestal);
    }
}

}  // namespace zel
