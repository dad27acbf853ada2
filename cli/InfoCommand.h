#pragma once

#include <string>

namespace zel::cli {

struct InfoOptions {
    std::string movie;
    bool json = false;
    bool noCorrection = false;
};

// Prints the recording parameters of a movie. Returns the process exit code.
int RunInfo(const InfoOptions& options);

}  // namespace zel::cli
