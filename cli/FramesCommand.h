#pragma once

#include <string>

namespace zel::cli {

struct FramesOptions {
    std::string movie;
    bool json = false;
    bool csv = false;
};

// Prints one record per frame the file holds: its index, the camera's frame number, its
// time from the trigger in seconds (none when the rate is unknown) and, for movies with
// per-frame headers, the twelve header values as stored. Returns the exit code.
int RunFrames(const FramesOptions& options);

}  // namespace zel::cli
