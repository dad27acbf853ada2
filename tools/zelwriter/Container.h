#pragma once
// Everything of a movie file that precedes the frames: header, directory and chunks.

#include <cstdint>
#include <string>
#include <vector>

#include "zelwriter/MovieSpec.h"

namespace zelgen {

inline constexpr uint32_t kFileHeaderBytes = 512;
inline constexpr int32_t kOlderRecordVersion = 0x20000;
inline constexpr int32_t kNewerRecordVersion = 0x30000;

struct ContainerPlan {
    MovieLayout layout;
    std::vector<uint8_t> prefix;  // the file's bytes up to the start of "FRAM"
};

// False with a message for specs that cannot be written.
bool PlanContainer(const MovieSpec& spec, int frameCount, ContainerPlan& plan, std::string& error);

}  // namespace zelgen
