#pragma once

#include <vector>

#include "cli/CommonOptions.h"

namespace zel::cli {

struct MeasureOptions : FrameWorkOptions {
    std::vector<int> corners;  // x0 y0 x1 y1 of the profile line or the AOI rectangle
    bool table = false;        // a table for analysis tools instead of the window's CSV
};

// The profile of a line over a frame range, as the GUI's profile export writes it.
int RunProfile(const MeasureOptions& options);
// The AOI statistics over a frame range, as the GUI's AOI export writes them.
int RunAoi(const MeasureOptions& options);

}  // namespace zel::cli
