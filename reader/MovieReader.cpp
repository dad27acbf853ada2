#include "reader/MovieReader.h"

#include <utility>

#include "reader/ByteOrder.h"
#include "reader/OpenSteps.h"

namespace zel {

namespace {

// The part of a path after its last separator. Both '/' and '\' separate, so paths
// written on either system name the same file.
std::string FileNameOf(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

uint16_t CMovieReader::Swap16(uint16_t v) const { return zel::Swap16(v, nativeOrder != 0); }

int CMovieReader::Fail(std::string reason) {
    Close();
    openError_ = std::move(reason);
    return 0;
}

int CMovieReader::Open(const std::string& path, int applyCorrection) {
    Close();
    static_cast<MovieParameters&>(*this) = MovieParameters{};
    openError_.clear();
    correctionNote_.clear();

    std::string reason;
    if (!fileHandle.Open(path, reason)) return Fail("cannot open the file: " + reason);
    filePath = path;
    fileName = FileNameOf(path);

    uint8_t header[kFileHeaderSize];
    if (fileHandle.Size() < kFileHeaderSize || !fileHandle.ReadAt(0, header, sizeof header))
        return Fail("the file is shorter than the 512-byte movie header");
    if (!OpenSteps::ReadContainer(*this, header, reason) ||
        !OpenSteps::ReadRecords(*this, header, reason) ||
        !OpenSteps::LoadCorrection(*this, applyCorrection != 0, reason))
        return Fail(std::move(reason));

    filePosFrame = kPositionUnknown;
    // A corrected sample never goes below black.
    sampleFloor = 0;
    const bool wideLevel = pixelFormat == 1 || pixelFormat == 4 || pixelFormat < 0 || pixelFormat > 6;
    pedestal = wideLevel ? 128 : 32;
    return 1;
}

void CMovieReader::Close() {
    fileHandle.Close();
    correctionBlock_.reset();
    offsetTable = nullptr;
    gainTable = nullptr;
    correctionEntries_ = 0;
    staging_.reset();
    stagingSize_ = 0;
}

}  // namespace zel
