#pragma once
// Plain description of a ".zel" movie to be written: what the recording records say, how the
// frames are laid out, and the optional correction data. The writer turns it into bytes exactly
// as the camera system lays them out, including deliberately odd values for robustness tests.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelgen {

// One entry of the recording segment table in "PLAY" (16 entries; unused ones stay zero).
struct SegmentSpec {
    int kind = 1;  // 1..5 count towards the frame count
    int32_t first = 0;
    int32_t last = 0;
    // Further per-segment values the reader keeps from entry 0 only.
    std::array<int16_t, 3> words{};  // segment word 1, 2, 3
    std::array<int8_t, 5> bytes{};   // segment byte 1 .. 5
};

// A chunk with a tag of the test's choosing, placed between the records and "FRAM".
struct ChunkSpec {
    std::string tag;     // exactly 4 characters
    int32_t lead = 0;    // lead distance written in the directory (the gap is filled with zeros)
    std::vector<uint8_t> body;
    int32_t version = 0;
};

// The "FPNP" chunk; kind 0 writes no chunk at all.
struct CorrectionSpec {
    int kind = 0;               // 3, 6, 9, or any other value written as is (header only)
    int width = 0, height = 0;  // table size; may exceed the frame (the frame uses the centred window)
    int low = 0, high = 0;      // kind 6 references; the byte at 105 stores high - 1
    int16_t factor1 = 1, factor2 = 1;  // the two product factors at 60 and 62
    // Stored contents, width*height entries each; an empty table is written as zeros
    // (gains as 512, that is 1.0).
    std::vector<int16_t> offsets;  // kind 3: signed bytes; kind 9: offset word; kind 6: T0
    std::vector<int16_t> gains;    // kind 6 and 9: the gain word as stored
    std::vector<int16_t> t1, t2, t3;  // kind 6 further offset tables
    // Recorded table offsets (relative to the chunk); by default they point at the tables.
    std::optional<std::array<uint32_t, 4>> tableOffsets;
};

struct MovieSpec {
    bool bigEndian = false;     // "MMMM" marker and every multi-byte value big-endian
    bool newerLayout = true;    // GENP/PLAY versions 0x30000 (older: 0x20000 plus an FSZP chunk)
    std::string cameraCode = "hz8 ";  // exactly 4 characters
    int modeWord = 0x10;        // PLAY mode word: bits 0-3 colour pattern, bits 4-7 sensor mode
    int storedBits = 10;        // newer layout only (older is 10, or 8 for "hzn1")
    int width = 64, height = 32;
    // 0 = header + pixel bytes; larger values pad each frame. Smaller (or negative) values are
    // recorded as given while the frames are still laid out whole: a file that lies.
    int32_t frameStride = 0;
    std::vector<SegmentSpec> segments;  // empty = one segment of kind 1 covering the frames written
    int rateIndex = 4;
    int32_t rateNumerator = 0, rateDenominator = 0;
    int32_t fileRate = 1000;
    int16_t correctionPoint = 0, playWord = 0, generalWord = 0;
    int headerPlace = 0;        // per-frame headers: 0 none, 1 before the pixels, -1 after them
    int32_t headerVersion = 0x10001;  // file header version; headers count only above 0x10000
    uint16_t headerWord = 0;    // file header offset 38
    CorrectionSpec correction;
    std::vector<ChunkSpec> extraChunks;  // between the records and "FRAM"

    // Knobs for unusual and broken files.
    uint32_t baseOffset = 0;          // 0 = 512, or just past the directory when it needs more room
    int32_t genpVersion = 0;          // 0 = chosen by newerLayout
    int32_t playVersion = 0;          // 0 = chosen by newerLayout
    bool includeGenp = true, includePlay = true, includeFszp = true;  // FSZP: older layout only
    int32_t framLead = 0;             // lead distance of "FRAM"
};

// What the reader will derive from a spec: the stored layout of the pixels.
struct StoredFormat {
    int pixelFormat = 0;  // -1 .. 6
    int storedBits = 10;  // bits per stored pixel after the camera rules
};

// Where the writer put things, for tests that check or patch bytes.
struct MovieLayout {
    uint64_t genp = 0, play = 0, fszp = 0, fpnp = 0, fram = 0;  // 0 = chunk not written
    std::vector<uint64_t> extras;   // one per extra chunk
    uint32_t baseOffset = 512;
    int chunkCount = 0;             // directory entries
    StoredFormat format;
    uint64_t headerBytes = 0;       // per-frame header size (0 without headers)
    uint64_t pixelBytes = 0;        // stored pixel bytes of one frame
    uint64_t frameStride = 0;       // distance between frames as laid out
    uint64_t fileSize = 0;
};

}  // namespace zelgen
