#pragma once
// What a video export is asked for, and the checked plan it becomes. Both front ends (the
// command-line tool's `video` command and the window's export dialog) fill VideoOptions,
// have PlanVideo check it against the target's name and the movie, and hand the plan to
// ExportVideo (VideoExport.h). Everything that can be refused is refused here, before a
// file is created or a frame read.
//
// Two kinds of video, chosen by the target's extension unless a codec is named:
//   .mkv: FFV1, lossless, each frame holding exactly the values of that frame's 16-bit
//         TIFF file (an archive or an analysis copy that other programs can read);
//   .mp4: H.264, each frame the 8-bit rendering the window shows at a display gain (a
//         copy to watch and to show).
// H.264 may also go into .mkv; FFV1 cannot go into .mp4 (no common player or tool
// reads it there).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "video/Overlay.h"

namespace zel {

class CZelfDoc;

enum class VideoCodec { Ffv1, H264 };
enum class VideoContainer { Matroska, Mp4 };

// An exact positive fraction; frame rates are kept as such, since a camera's rate (say
// 1/3 of 10000 frames/s) and common video rates (30000/1001) are not decimal numbers.
struct VideoFraction {
    int64_t numerator = 0;
    int64_t denominator = 1;
    friend bool operator==(const VideoFraction&, const VideoFraction&) = default;
};

// Reads "30", "29.97", "0.5" or "30000/1001" as an exact positive fraction in lowest
// terms, numerator and denominator each below 2^31; nullopt for anything else.
std::optional<VideoFraction> ParseVideoFraction(std::string_view text);

// How fast the video plays.
enum class VideoPace {
    FramesPerSecond,  // `pace` frames per second of video
    RecordingSpeed,   // `pace` times the recording's own rate (0.01: a hundredth of it)
};

// The display gain of the H.264 rendering: a factor 1, 2, 4 .. 64 (the window's Gain
// menu) or the automatic depth the window chooses for the movie.
struct VideoGain {
    bool automatic = false;
    int factor = 1;
    friend bool operator==(const VideoGain&, const VideoGain&) = default;
};
// Reads "1" .. "64" (powers of two) or "auto"; nullopt otherwise.
std::optional<VideoGain> ParseVideoGain(std::string_view text);
// The gain the document's window shows now (its Gain menu's choice), for a video that
// looks as the window does.
VideoGain DisplayGainOf(const CZelfDoc& doc);

// Reads a comma-separated list of "time", "frame" and "scalebar" (each at most once);
// nullopt for an unknown or repeated name, with `bad` set to it.
std::optional<OverlayOptions> ParseVideoOverlays(std::string_view text, std::string* bad = nullptr);
bool AnyOverlay(const OverlayOptions& overlays);

struct VideoOptions {
    std::optional<VideoCodec> codec;  // none: chosen by the target's extension
    VideoPace pace = VideoPace::FramesPerSecond;
    VideoFraction paceValue{30, 1};
    std::optional<VideoGain> gain;    // H.264 only (refused for FFV1); none: gain 1
    OverlayOptions overlays;  // drawn into each frame (Overlay.h)
};

// Why a video cannot be made as asked. Each code has one English template in which %1,
// %2 .. stand for the arguments (as reader/Problem.h does), so a front end can translate.
enum class VideoRefusalCode {
    None,
    UnknownExtension,     // %1: the target
    CodecNotInContainer,  // %1: codec, %2: extension
    EncoderMissing,       // %1: codec
    RateNotPositive,
    RateUnknown,          // --speed on a movie whose recording rate is not known
    RateNotExact,         // %1: the rate asked for, as a fraction
    RateTooHighForMatroska,  // %1: the rate
    GainWithFfv1,
    ScaleBarNeedsPixelSize,
    NoMovie,
};

struct VideoRefusal {
    VideoRefusalCode code = VideoRefusalCode::None;
    std::vector<std::string> arguments;
    explicit operator bool() const { return code != VideoRefusalCode::None; }
    std::string Text() const;
};
std::string_view VideoRefusalTemplate(VideoRefusalCode code);

// The video as it will be written.
struct VideoPlan {
    std::string target;
    VideoCodec codec = VideoCodec::Ffv1;
    VideoContainer container = VideoContainer::Matroska;
    VideoFraction frameRate{30, 1};  // frames per second, exact
    int width = 0;                   // the movie's frame
    int height = 0;
    int codedWidth = 0;              // H.264's 4:2:0 frames need even sides: padded
    int codedHeight = 0;
    int renderDepth = 0;             // H.264: the depth the 8-bit rendering uses
    OverlayOptions overlays;
};

// Checks the options against the target and the open movie in `doc` and resolves them.
// A refusal says why and leaves `plan` as it was.
VideoRefusal PlanVideo(const std::string& target, const VideoOptions& options, const CZelfDoc& doc,
                       VideoPlan& plan);

// The codec's name as users write it: "ffv1", "h264".
std::string_view VideoCodecName(VideoCodec codec);
// Reads "ffv1" or "h264".
std::optional<VideoCodec> ParseVideoCodec(std::string_view text);

}  // namespace zel
