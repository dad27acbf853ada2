// The video command in zeltiff16-cli: handed over to zeltiff16-cli-video beside it, the
// same tool with FFmpeg's libraries linked, which runs it with the same arguments. Those
// libraries bring about a hundred shared objects that take tens of milliseconds to load,
// which every other command (a conversion of a few hundred milliseconds among them)
// would otherwise pay on each start.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "cli/VideoCommand.h"

namespace zel::cli {

namespace {

// The folder of this program (with its separator), as the system knows it; else as it was
// started.
std::string ProgramFolder(const char* started) {
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length > 0 && static_cast<size_t>(length) < path.size())
        path.resize(static_cast<size_t>(length));
    else
        path = started != nullptr ? started : "";
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

int RunVideo(const VideoCommandOptions&, char** argv) {
    const std::string program = ProgramFolder(argv[0]) + "zeltiff16-cli-video";
    ::execv(program.c_str(), argv);
    Complain("video is not available: cannot run " + program + " (the tool's video program): " +
             std::strerror(errno));
    return kExitFailure;
}

}  // namespace zel::cli
