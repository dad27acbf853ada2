#include "reader/MovieReader.h"

#include <algorithm>
#include <utility>

#include "platform/Files.h"
#include "reader/ByteOrder.h"
#include "reader/OpenSteps.h"

namespace zel {

namespace {

// The part of a path after its last separator: the system's separators only, since a
// '\' is an ordinary character of a POSIX file name (Windows takes '/' and '\').
std::string FileNameOf(const std::string& path) {
    const size_t cut = path.find_last_of(platform::PathSeparators());
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

uint16_t CMovieReader::Swap16(uint16_t v) const { return zel::Swap16(v, nativeOrder != 0); }

int CMovieReader::Fail(Problem failure) {
    Close();
    openFailure_ = std::move(failure);
    openError_ = openFailure_.Text();
    return 0;
}

int CMovieReader::Open(const std::string& path, int applyCorrection) {
    Close();
    static_cast<MovieParameters&>(*this) = MovieParameters{};
    openError_.clear();
    openFailure_ = Problem{};
    correctionNote_.clear();

    std::string reason;
    std::error_code system;
    if (!fileHandle.Open(path, reason, system)) return Fail({ProblemCode::CannotOpenFile, {reason}, system});
    filePath = path;
    fileName = FileNameOf(path);

    uint8_t header[kFileHeaderSize];
    if (fileHandle.Size() < kFileHeaderSize || !fileHandle.ReadAt(0, header, sizeof header))
        return Fail({ProblemCode::HeaderTooShort, {}});
    Problem failure;
    if (!OpenSteps::ReadContainer(*this, header, failure) || !OpenSteps::ReadRecords(*this, header, failure) ||
        !OpenSteps::LoadCorrection(*this, applyCorrection != 0, failure))
        return Fail(std::move(failure));

    filePosFrame = kPositionUnknown;
    fileAfterMarker_ = true;
    lastRead_ = kPositionUnknown;
    // A corrected sample never goes below black.
    sampleFloor = 0;
    const bool wideLevel = pixelFormat == 1 || pixelFormat == 4 || pixelFormat < 0 || pixelFormat > 6;
    pedestal = wideLevel ? 128 : 32;
    return 1;
}

bool CMovieReader::ReplaceOffsets(const int16_t* offsets, int64_t count) {
    if (offsetTable == nullptr || offsets == nullptr || count != correction_.entries) return false;
    prefetch_.Cancel();  // a frame decoded ahead with the old offsets, or being decoded, is dropped
    std::copy(offsets, offsets + count, offsetTable);
    return true;
}

void CMovieReader::Close() {
    prefetch_.Cancel();
    lastRead_ = kPositionUnknown;
    fileHandle.Close();
    correction_ = CorrectionTables{};
    offsetTable = nullptr;
    gainTable = nullptr;
    staging_.reset();
    stagingSize_ = 0;
}

}  // namespace zel
