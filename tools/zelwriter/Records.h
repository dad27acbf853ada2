#pragma once
// Byte images of the recording records ("GENP", "PLAY", "FSZP") and of the correction chunk
// ("FPNP"), in either layout and byte order.

#include <cstdint>
#include <string>
#include <vector>

#include "zelwriter/MovieSpec.h"

namespace zelgen {

// Record sizes of the two layouts.
inline constexpr uint32_t kGenpBytesOlder = 592, kGenpBytesNewer = 512;
inline constexpr uint32_t kPlayBytesOlder = 1648, kPlayBytesNewer = 1792;
inline constexpr uint32_t kFszpBytes = 400;
inline constexpr uint32_t kFpnpHeaderBytes = 128;
inline constexpr int kSegmentEntries = 16;

std::vector<uint8_t> BuildGenp(const MovieSpec& spec);

// segments: the resolved table (at most 16 entries); recordedStride: the stride to record;
// storedBits: the value for the newer layout's stored-bits byte. Values that do not fit their
// field make it fail with a message.
bool BuildPlay(const MovieSpec& spec, const std::vector<SegmentSpec>& segments, int32_t recordedStride,
               std::vector<uint8_t>& out, std::string& error);

std::vector<uint8_t> BuildFszp(const MovieSpec& spec, int32_t recordedStride);

// Header plus tables as the correction kind needs them.
bool BuildFpnp(const CorrectionSpec& c, bool bigEndian, std::vector<uint8_t>& out, std::string& error);

}  // namespace zelgen
