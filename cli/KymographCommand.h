#pragma once

#include "cli/MeasureCommand.h"

namespace zel::cli {

// The profile of a line over a frame range as a 16-bit grey TIFF image, a row per frame:
// the rows of the profile command's CSV.
int RunKymograph(const MeasureOptions& options);

}  // namespace zel::cli
