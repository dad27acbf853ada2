#pragma once
// zeltiff16-cli video: a frame range written as one video file, FFV1 in .mkv (the 16-bit
// TIFF values, lossless) or H.264 in .mp4 (the 8-bit rendering at a display gain). The
// work is the core's (video/VideoExport.h), run by zeltiff16-cli-video, the tool with
// FFmpeg's libraries linked, which zeltiff16-cli hands the command over to
// (VideoHandOver.cpp); a build without those libraries has the command all the same,
// refusing it with the reason (NoVideoCommand.cpp).

#include <string>

#include "cli/CommonOptions.h"

namespace zel::cli {

struct VideoCommandOptions : FrameWorkOptions {
    std::string codec;    // "ffv1", "h264"; empty: by the output's extension
    std::string fps;      // frames per second of the video ("30", "29.97", "30000/1001")
    std::string speed;    // or times the recording's rate ("0.01")
    std::string gain;     // "1" .. "64", "auto" (H.264)
    std::string overlay;  // "time,frame,scalebar"
};

inline constexpr const char* kNoVideoExport =
    "video is not available: this build has no video export (FFmpeg's development libraries libavcodec-dev, "
    "libavformat-dev, libavutil-dev and libswscale-dev were not found when it was built)";

// Returns the exit code. argv: the program's own arguments, for a tool that hands the
// command over to the program that has the video libraries (VideoHandOver.cpp).
int RunVideo(const VideoCommandOptions& options, char** argv);

}  // namespace zel::cli
