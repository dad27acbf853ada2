#pragma once
// One video file being written: the encoder and the container (through FFmpeg's
// libraries, which nothing outside video/ sees), writing into a temporary file beside the
// target that is renamed onto it only when the video is complete (ReplacingFile). A video
// that is abandoned, or fails, removes its temporary file and leaves an existing target
// as it was. Memory stays that of a few frames however long the video: each frame is
// encoded and written as it comes.
//
// FFmpeg never opens a file itself: the container writes, seeks and (for the .mp4 index
// moved to the front) reads back the temporary file through the file layer
// (platform::File), so paths work as everywhere else and a write that fails is reported
// with the system's reason ("cannot write out/v.mp4: No space left on device").

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "video/VideoOptions.h"

namespace zel {

// Whether FFmpeg's libraries here have an encoder for the codec.
bool VideoEncoderAvailable(VideoCodec codec);

// The planes of the frame to fill next, plan.codedWidth x plan.codedHeight, top row
// first. FFV1: plane 0 alone, 16-bit little-endian grey samples. H.264: 8-bit Y, Cb, Cr
// planes of 4:2:0 (Cb and Cr at half the width and height).
struct VideoPicture {
    uint8_t* planes[3] = {nullptr, nullptr, nullptr};
    ptrdiff_t strides[3] = {0, 0, 0};  // bytes from one row to the next
};

class VideoEncoder {
public:
    VideoEncoder();
    ~VideoEncoder();  // abandons a video that was not committed
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Creates the temporary file beside plan.target, opens the encoder and writes the
    // container's head. false, with `error` saying why, leaves nothing behind.
    bool Open(const VideoPlan& plan, std::string* error = nullptr);
    // The picture to fill for the next frame; empty planes when no video is open or
    // memory ran out (WriteFrame then fails).
    VideoPicture NextPicture();
    // Encodes the picture filled as the next frame and writes what the encoder hands back.
    bool WriteFrame(std::string* error = nullptr);
    // Drains the encoder, finishes the container and renames the file onto the target.
    // The video is closed afterwards whatever the outcome; on failure it is abandoned.
    bool Commit(std::string* error = nullptr);
    // Closes and removes the temporary file; the target stays as it was.
    void Abandon();

    bool IsOpen() const;
    int64_t FramesWritten() const;
    // The temporary file being written; empty while no video is open.
    std::string TemporaryPath() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace zel
