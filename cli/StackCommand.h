#pragma once
// zeltiff16-cli convert --stack: the frames as the pages of one multi-page TIFF.

#include "cli/ConvertCommand.h"
#include "document/ConversionNaming.h"

namespace zel::cli {

// Whether this build writes stacks: they need libtiff (CMake option ZEL_TIFF_STACK). When
// it does not, RunStackConversion complains with kNoStackConversion and returns kExitUsage.
bool StackConversionAvailable();
inline constexpr const char* kNoStackConversion =
    "convert --stack is not available: this build has no libtiff, which writes the stacks "
    "(convert without --stack writes one TIFF file per frame)";

// Writes frames first..last of doc, read in order, as the pages of one TIFF stack named
// by the pattern (folder + base name + extension, unnumbered), each page with the pixels
// the numbered conversion writes for its frame at these depths. Runs under the caller's
// InterruptWatch: a signal stops it between frames, and then, as after any failure, no
// file is left and an existing one of that name is kept. Returns the exit code.
int RunStackConversion(const ConvertOptions& options, CZelfDoc& doc, int first, int last,
                       const ConversionPattern& pattern, const ConversionDepths& depths);

}  // namespace zel::cli
