// The video command in a build without FFmpeg's libraries (as the Windows cross build):
// refused with the reason, before the movie is opened.

#include "cli/VideoCommand.h"

namespace zel::cli {

int RunVideo(const VideoCommandOptions&, char**) {
    Complain(kNoVideoExport);
    return kExitUsage;
}

}  // namespace zel::cli
