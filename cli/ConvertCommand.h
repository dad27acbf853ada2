#pragma once

#include "cli/CommonOptions.h"

namespace zel::cli {

struct ConvertOptions : FrameWorkOptions {
    int bits = 16;
    int jobs = 0;  // 0: one per core
    bool stack = false;  // one multi-page TIFF instead of numbered files
    bool bigtiff = false;  // the stack as a BigTIFF (a directory per page) whatever its size
};

// Writes one TIFF per frame, named as the GUI names them. Returns the exit code.
int RunConvert(const ConvertOptions& options);

}  // namespace zel::cli
