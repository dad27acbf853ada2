#pragma once
// Writer of ".zel" movie files for tests and demos (the program itself only reads them).
//
// File layout written: a header of 512 bytes ("ZELF", base offset, byte-order marker, header
// version, frame-header flags, chunk directory and version table), then the chunks in directory
// order: GENP, PLAY, FSZP (older layout), FPNP (when a correction kind is given), the extra
// chunks, and FRAM with the frames back to back. Frames are produced one at a time through a
// callback, so a movie of any length needs memory for one frame only.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "zelwriter/CameraRules.h"
#include "zelwriter/FrameEncoder.h"
#include "zelwriter/MovieSpec.h"

namespace zelgen {

// Fills width*height samples (top row first) of frame `index`.
using FrameSource = std::function<void(int index, uint16_t* samples)>;

// Value number k (1..12) of the per-frame header of frame n, as written and truncated to its
// field: value 1 is n itself, value k >= 2 is n*k + k (so frame 0 is recognisable too).
// Values 1, 2, 3 and 6 are 32-bit fields, the others 16-bit.
uint32_t FrameHeaderValue(int frame, int valueNumber);

// Bytes that fill the rest of each per-frame header and the padding of frames whose stride is
// larger than needed: recognisable, so a reader that lands there shows it.
inline constexpr uint8_t kHeaderFillByte = 0xEE;
inline constexpr uint8_t kStridePadByte = 0xDD;

// Where everything goes, without writing; nullopt (and a message) for specs that cannot be
// written: wrong camera code length, sizes outside 0..32767, more than 16 segments, values that
// do not fit their fields, tables of the wrong size, a negative chunk position.
std::optional<MovieLayout> PlanMovie(const MovieSpec& spec, int frameCount, std::string* error = nullptr);

// Writes the whole file; on failure the partial file is removed and false returned.
bool WriteMovie(const std::string& path, const MovieSpec& spec, int frameCount,
                const FrameSource& frameSamples, std::string* error = nullptr);

// The same bytes in memory; empty when that MovieSpec cannot be written.
std::vector<uint8_t> BuildMovieBytes(const MovieSpec& spec, int frameCount, const FrameSource& frameSamples);
std::vector<uint8_t> BuildMovieBytes(const MovieSpec& spec, int frameCount, const FrameSource& frameSamples,
                                     MovieLayout* layout, std::string* error = nullptr);

}  // namespace zelgen
