#pragma once
// The stages of CMovieReader::Open, each in its own translation unit. Every stage
// returns false with the problem filled in when the file cannot be read safely.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "reader/Problem.h"

namespace zel {

class CMovieReader;

constexpr int kFileHeaderSize = 512;

// Fills `failure` and returns false, for the stages' early returns.
inline bool Reject(Problem& failure, ProblemCode problem, std::vector<std::string> arguments = {}) {
    failure = Problem{problem, std::move(arguments)};
    return false;
}

struct OpenSteps {
    // Magic, byte order and chunk directory of the 512-byte file header.
    static bool ReadContainer(CMovieReader& r, const uint8_t* header, Problem& failure);
    // "GENP", "PLAY" and "FSZP": camera, geometry, packing, frame count and rate, per-frame
    // headers, and the derived sizes.
    static bool ReadRecords(CMovieReader& r, const uint8_t* header, Problem& failure);
    // "FPNP" header and, when asked for, the correction tables. Fails only when the
    // tables cannot be allocated; unusable tables leave the movie without correction.
    static bool LoadCorrection(CMovieReader& r, bool applyCorrection, Problem& failure);
    // Reads `size` bytes of a record at `offset`, which must lie wholly inside the file.
    static bool ReadRecord(const CMovieReader& r, int64_t offset, uint8_t* dest, int64_t size, const char* name,
                           Problem& failure);
};

}  // namespace zel
