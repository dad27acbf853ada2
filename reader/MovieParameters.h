#pragma once
// The recording parameters of an open movie, as plain data. CMovieReader derives from
// this so that its owners read the fields directly (reader.width, reader.frameCount).

#include <array>
#include <cstdint>
#include <string>

namespace zel {

// The first 32 bytes of the most recently read per-frame header.
struct FrameInfo {
    uint32_t value1 = 0;
    uint32_t value2 = 0;
    uint32_t value3 = 0;
    uint16_t value4 = 0;
    uint16_t value5 = 0;
    uint32_t value6 = 0;
    std::array<uint16_t, 6> value7to12{};
};

// One entry of the recording's segment table that holds frames (kinds 1 to 5, last
// number not below the first): its frames are numbered first .. last by the camera.
struct FrameSegment {
    int kind = 0;
    int64_t first = 0;
    int64_t last = -1;
};
constexpr int kMaxFrameSegments = 16;

// Frame position marker values besides a frame index.
constexpr int kPositionUnknown = -2;
constexpr int kPositionAtFramStart = -1;

struct MovieParameters {
    std::string filePath;
    std::string fileName;
    int nativeOrder = 1;
    int pixelFormat = 0;
    int storedBits = 0;
    int bitDepth = 0;
    int frameHeaderPlace = 0;
    int frameHeaderSize = 0;
    FrameInfo frameInfo;
    int correctionKind = 0;
    int chunkCount = 0;
    int64_t genpOffset = 0, playOffset = 0, fszpOffset = 0, fpnpOffset = 0, dsppOffset = 0,
            dfctOffset = 0, framOffset = 0;
    int genpVersion = 0, playVersion = 0, fszpVersion = 0, fpnpVersion = 0, dsppVersion = 0,
        dfctVersion = 0, framVersion = 0;
    std::array<char, 4> cameraCode{};
    int firstFrameNo = 0;
    int lastFrameNo = 0;
    int segmentFrames = 0;
    int filePosFrame = kPositionUnknown;
    int generalWord = 0;
    int playWord = 0;
    int colorPattern = 0;
    int sensorMode = 0;
    int correctionPoint = 0;
    int width = 0;
    int height = 0;
    int pixelCount = 0;
    int frameStride = 0;
    int framesPerGiB = 0;
    int fileCorrectionKind = 0;
    int correctionWidth = 0;
    int correctionHeight = 0;
    int correctionProduct = 0;
    int segmentWord1 = 0, segmentByte1 = 0, segmentByte2 = 0, segmentByte3 = 0, segmentByte4 = 0,
        segmentByte5 = 0, segmentWord2 = 0, segmentWord3 = 0;
    int rateIndex = 0;
    int rateNumerator = 0;
    int rateDenominator = 1;
    int framePeriodUs = 0;
    int fileRate = 0;
    int correctionLow = 0;
    int correctionHigh = 0;
    std::array<uint32_t, 4> correctionTableOffset{};
    int16_t sampleFloor = 0;
    uint16_t pedestal = 0;
    int frameCount = 0;
    int frameBytes = 0;
    uint16_t frameHeaderFlags = 0;
    uint16_t headerWord = 0;
    // The segments that hold frames, in table order: frame index 0 is the first number of
    // the first of them.
    std::array<FrameSegment, kMaxFrameSegments> frameSegments{};
    int frameSegmentCount = 0;

};

}  // namespace zel
