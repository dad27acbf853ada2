// convert --stack in a build without libtiff (ZEL_TIFF_STACK off, as in the Windows cross
// build): refused with a reason, before the movie is opened (ConvertCommand.cpp).

#include "cli/StackCommand.h"

namespace zel::cli {

bool StackConversionAvailable() { return false; }

int RunStackConversion(const ConvertOptions&, CZelfDoc&, int, int, const ConversionPattern&,
                       const ConversionDepths&) {
    Complain(kNoStackConversion);
    return kExitUsage;
}

}  // namespace zel::cli
