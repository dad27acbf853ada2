// The recording records. "GENP" names the camera; "PLAY" holds the mode word, the
// segment table, the frame rate and, in the newer layout (version 0x30000 on), the frame
// geometry that older files keep in "FSZP". From these follow the stored packing
// (pixelFormat), the sample depth, the per-frame header layout and the derived sizes.

#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "platform/FileData.h"
#include "reader/ByteOrder.h"
#include "reader/MovieReader.h"
#include "reader/OpenSteps.h"

namespace zel {

namespace {

constexpr int kNewerLayoutVersion = 0x30000;
constexpr int kGenpOlderSize = 592, kGenpNewerSize = 512;
constexpr int kPlayOlderSize = 1648, kPlayNewerSize = 1792;
constexpr int kFszpSize = 400;
constexpr int kSegmentEntries = kMaxFrameSegments;
// Frames from this size on are looked at for holes before they are read.
constexpr int64_t kSparseCheckBytes = int64_t{64} << 20;

// Where the fields of "PLAY" lie in each layout.
struct PlayLayout {
    int playWord, correctionPoint;
    int segmentTable, segmentEntrySize;
    int segFirst, segLast, segWord1, segByte1, segByte3, segWord2;
    int rateIndex, rateIndexWidth, rateNumerator, rateNumeratorWidth, rateDenominator;
};
constexpr PlayLayout kOlderPlay{168, 170, 274, 64, 10, 14, 30, 32, 35, 38, 1590, 2, 1626, 2, 1632};
constexpr PlayLayout kNewerPlay{162, 164, 182, 68, 18, 22, 38, 40, 43, 46, 1626, 1, 1668, 4, 1664};

constexpr int kRateTable[9] = {0, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000};

bool CameraIs(const MovieParameters& r, const char (&code)[5]) {
    return std::memcmp(r.cameraCode.data(), code, 4) == 0;
}

void ReadPlayCommon(MovieParameters& r, const RecordView& play, const PlayLayout& at) {
    const uint16_t mode = play.U16(160);
    r.colorPattern = mode & 0x0f;
    r.sensorMode = (mode >> 4) & 0x0f;
    r.playWord = play.S16(at.playWord);
    r.correctionPoint = play.S16(at.correctionPoint);

    const size_t seg0 = at.segmentTable;
    r.firstFrameNo = play.S32(seg0 + at.segFirst);
    r.lastFrameNo = play.S32(seg0 + at.segLast);
    r.segmentWord1 = play.S16(seg0 + at.segWord1);
    r.segmentByte1 = play.S8(seg0 + at.segByte1);
    r.segmentByte2 = play.S8(seg0 + at.segByte1 + 1);
    r.segmentByte3 = play.S8(seg0 + at.segByte3);
    r.segmentByte4 = play.S8(seg0 + at.segByte3 + 1);
    r.segmentByte5 = play.S8(seg0 + at.segByte3 + 2);
    r.segmentWord2 = play.S16(seg0 + at.segWord2);
    r.segmentWord3 = play.S16(seg0 + at.segWord2 + 2);

    r.rateIndex = at.rateIndexWidth == 1 ? play.S8(at.rateIndex) : play.S16(at.rateIndex);
    r.rateNumerator = 0;
    r.rateDenominator = 1;
    if (r.rateIndex == -1) {
        r.rateNumerator = at.rateNumeratorWidth == 2 ? play.S16(at.rateNumerator) : play.S32(at.rateNumerator);
        r.rateDenominator = play.S32(at.rateDenominator);
    } else if (r.rateIndex >= 1 && r.rateIndex <= 8) {
        r.rateNumerator = 1;
        r.rateDenominator = kRateTable[r.rateIndex];
    }
}

// Sum of the frames of every recording segment of kinds 1 to 5, in 64 bits: sixteen
// segments of 32-bit frame numbers can exceed what an int holds. The segments counted are
// kept, in table order, for the frames' camera numbers.
int64_t CountFrames(const RecordView& play, const PlayLayout& at, MovieParameters& r) {
    int64_t total = 0;
    r.frameSegmentCount = 0;
    for (int i = 0; i < kSegmentEntries; ++i) {
        const size_t entry = at.segmentTable + static_cast<size_t>(i) * at.segmentEntrySize;
        const uint16_t kind = play.U16(entry);
        const int64_t first = play.S32(entry + at.segFirst);
        const int64_t last = play.S32(entry + at.segLast);
        if (kind >= 1 && kind <= 5 && last >= first) {
            total += last - first + 1;
            r.frameSegments[static_cast<size_t>(r.frameSegmentCount++)] = {kind, first, last};
        }
    }
    return total;
}

void ChooseOlderDecoder(MovieParameters& r) {
    if (CameraIs(r, "rwt2") || CameraIs(r, "rwt3")) {
        if (r.colorPattern == 0) r.colorPattern = 2;
        r.pixelFormat = 1;
    } else if (CameraIs(r, "hzn1")) {
        r.colorPattern = 2;
        r.pixelFormat = -1;
        r.storedBits = 8;
    }
}

void ChooseNewerDecoder(MovieParameters& r) {
    if (CameraIs(r, "hz8 ")) {
        if (r.sensorMode == 1 || r.sensorMode == 3)
            r.pixelFormat = r.storedBits == 8 ? 5 : 6;
        else if (r.sensorMode == 2)
            r.pixelFormat = r.storedBits == 8 ? 2 : 3;
        else
            r.pixelFormat = 0;
    } else if (r.cameraCode[0] == 'h' && r.cameraCode[1] == 'z') {
        if (r.colorPattern == 0) r.colorPattern = 2;
        r.pixelFormat = r.storedBits == 8 ? 2 : r.storedBits == 10 ? 3 : 4;
    } else {
        r.pixelFormat = -1;
        r.storedBits = 8;
    }
}

// Bits per stored pixel that each decoder consumes.
int StoredBitsOfFormat(int pixelFormat) {
    switch (pixelFormat) {
        case -1: case 2: case 5: return 8;
        case 4: return 12;
        default: return 10;
    }
}

int32_t FramePeriodUs(int64_t numerator, int64_t denominator) {
    if (denominator == 0) return 0;  // unknown rate
    const int64_t period = numerator * 1000000 / denominator;
    return period >= INT_MIN && period <= INT_MAX ? static_cast<int32_t>(period) : 0;
}

}  // namespace

bool OpenSteps::ReadRecords(CMovieReader& r, const uint8_t* header, Problem& failure) {
    const RecordView fileHeader(header, kFileHeaderSize, r.nativeOrder != 0);
    const bool native = r.nativeOrder != 0;

    r.pixelFormat = 0;
    if (r.genpOffset == 0) return Reject(failure, ProblemCode::RecordMissing, {"GENP"});
    uint8_t genp[kGenpOlderSize];
    const int genpSize = r.genpVersion < kNewerLayoutVersion ? kGenpOlderSize : kGenpNewerSize;
    if (!ReadRecord(r, r.genpOffset, genp, genpSize, "GENP", failure)) return false;
    std::memcpy(r.cameraCode.data(), genp + 80, 4);
    r.generalWord = RecordView(genp, genpSize, native).S16(84);

    if (r.playOffset == 0) return Reject(failure, ProblemCode::RecordMissing, {"PLAY"});
    const bool newer = r.playVersion >= kNewerLayoutVersion;
    uint8_t playBytes[kPlayNewerSize];
    const int playSize = newer ? kPlayNewerSize : kPlayOlderSize;
    if (!ReadRecord(r, r.playOffset, playBytes, playSize, "PLAY", failure)) return false;
    const RecordView play(playBytes, playSize, native);
    const PlayLayout& at = newer ? kNewerPlay : kOlderPlay;
    ReadPlayCommon(r, play, at);

    const int64_t frames = CountFrames(play, at, r);
    if (frames > INT_MAX) return Reject(failure, ProblemCode::TooManyFrames, {std::to_string(frames)});
    r.frameCount = static_cast<int>(frames);

    if (newer) {
        r.fileRate = play.S32(1540);
        r.width = play.S16(1544);
        r.height = play.S16(1546);
        r.frameStride = play.S32(1588);
        r.storedBits = play.U8(1596);
        ChooseNewerDecoder(r);
    } else {
        if (r.fszpOffset == 0) return Reject(failure, ProblemCode::FrameSizeRecordMissing);
        uint8_t fszpBytes[kFszpSize];
        if (!ReadRecord(r, r.fszpOffset, fszpBytes, kFszpSize, "FSZP", failure)) return false;
        const RecordView fszp(fszpBytes, kFszpSize, native);
        r.fileRate = fszp.S32(48);
        r.width = fszp.S16(52);
        r.height = fszp.S16(54);
        r.frameStride = fszp.S32(96);
        r.storedBits = 10;
        ChooseOlderDecoder(r);
    }

    if (r.colorPattern == 0 && !CameraIs(r, "rwm7")) r.colorPattern = 2;
    r.bitDepth = r.pixelFormat == -1 ? 8 : r.pixelFormat == 4 ? 12 : 10;

    if (r.width <= 0 || r.height <= 0)
        return Reject(failure, ProblemCode::InvalidFrameSize, {std::to_string(r.width), std::to_string(r.height)});
    // A decoder consumes a fixed number of bits per pixel; any other count would make it
    // read past the stored frame.
    if (r.storedBits != StoredBitsOfFormat(r.pixelFormat))
        return Reject(failure, ProblemCode::StoredBitsMismatch,
                      {std::to_string(r.storedBits), std::to_string(r.pixelFormat),
                       std::to_string(StoredBitsOfFormat(r.pixelFormat))});

    // Per-frame headers count only from header version 0x10001 on.
    const int32_t headerVersion = fileHeader.S32(24);
    const uint16_t flags = fileHeader.U16(36);
    if (headerVersion > 0x10000 && (flags & 1) != 0) {
        r.frameHeaderFlags = flags;
        r.frameHeaderPlace = (flags & 4) != 0 ? -1 : 1;
        r.frameHeaderSize = r.storedBits * 8;
    }
    r.headerWord = fileHeader.U16(38);

    const int64_t pixels = static_cast<int64_t>(r.width) * r.height;
    const int64_t storedPixelBytes = pixels * r.storedBits / 8;
    const int64_t sampleBytes = pixels * ((r.bitDepth + 7) / 8);
    if (storedPixelBytes > INT_MAX || sampleBytes > INT_MAX)
        return Reject(failure, ProblemCode::FrameTooLarge, {std::to_string(r.width), std::to_string(r.height)});
    r.frameBytes = static_cast<int>(storedPixelBytes);
    r.pixelCount = static_cast<int>(pixels);
    r.segmentFrames = static_cast<int>(static_cast<int64_t>(r.lastFrameNo) - r.firstFrameNo + 1);

    // Frames are read back to back; a stride shorter than one stored frame would make
    // them overlap. Longer strides are padding, skipped on every read.
    const int64_t storedFrame = static_cast<int64_t>(r.frameHeaderSize) + r.frameBytes;
    if (r.frameStride <= 0 || r.frameStride < storedFrame)
        return Reject(failure, ProblemCode::StrideTooShort, {std::to_string(r.frameStride), std::to_string(storedFrame)});
    r.framesPerGiB = 0x3fffffff / r.frameStride;

    if (r.framOffset <= 0 || r.framOffset > r.fileHandle.Size())
        return Reject(failure, r.framOffset == 0 ? ProblemCode::FramChunkMissing : ProblemCode::FramChunkOutsideFile);
    // Later frames may be missing from a cut recording and are refused one by one, but a
    // file that cannot hold even one frame shows nothing: refusing it here also keeps its
    // owners from allocating frame buffers that a few header bytes asked for.
    if (r.fileHandle.Size() - r.framOffset < storedFrame) {
        if (r.frameCount == 0) return Reject(failure, ProblemCode::NoFrames);
        return Reject(failure, ProblemCode::FirstFrameCut, {std::to_string(storedFrame)});
    }
    // A file can also reach the size its header claims without holding it: a few
    // kilobytes made sparse. Reading such a frame would cost gigabytes of memory and
    // seconds for a picture of zeros, so a large first frame of which less than an eighth
    // is stored is refused like a cut one. (Smaller frames are simply read: a black frame
    // copied sparsely is still a frame, and reading it costs little.)
    if (storedFrame >= kSparseCheckBytes) {
        const std::optional<int64_t> stored = platform::FileStoredBytesIn(r.filePath, r.framOffset, storedFrame);
        if (stored && *stored < storedFrame / 8)
            return Reject(failure, ProblemCode::FirstFrameNotStored,
                          {std::to_string(storedFrame), std::to_string(*stored)});
    }

    if (r.rateIndex == 0) {
        r.rateNumerator = 1;
        r.rateDenominator = r.fileRate;
    }
    r.framePeriodUs = FramePeriodUs(r.rateNumerator, r.rateDenominator);
    return true;
}

}  // namespace zel
