// The encoder and the container behind VideoEncoder. The container writes through an
// AVIOContext of our own over the ReplacingFile's temporary file; moving an .mp4's index
// to the front (faststart) makes the container read the file back, which it asks for by
// opening the file's name again: io_open hands it a reading context over the same
// temporary file, and opens nothing else.

#include "video/VideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "fileio/ReplacingFile.h"

namespace zel {

namespace {

// FFmpeg logs to stderr by default; its failures reach the user through our messages
// (with FFmpeg's reason), so its own lines are silenced once for the process.
void QuietLibraries() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

std::string LibraryReason(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

const AVCodec* FindEncoder(VideoCodec codec) {
    if (codec == VideoCodec::Ffv1) return avcodec_find_encoder(AV_CODEC_ID_FFV1);
    // The software encoder first: it takes the constant-quality settings below, and a
    // hardware one found by the codec's id may need a device this machine lacks.
    if (const AVCodec* software = avcodec_find_encoder_by_name("libx264")) return software;
    return avcodec_find_encoder(AV_CODEC_ID_H264);
}

// How many slices FFV1 cuts a frame into, each coded on its own thread: more slices than
// cores keeps every core busy when the slices' content differs; tiny frames stay whole.
int Ffv1Slices(int width, int height) { return width >= 64 && height >= 64 ? 4 : 1; }

struct CodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameCloser {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketCloser {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

// A reading context over the temporary file, for the container's second pass.
struct ReadBack {
    platform::File* file = nullptr;
    int64_t position = 0;
};

#if LIBAVFORMAT_VERSION_MAJOR >= 61
using WrittenBytes = const uint8_t*;
#else
using WrittenBytes = uint8_t*;
#endif

constexpr int kIoBufferBytes = 64 * 1024;

}  // namespace

struct VideoEncoder::State {
    VideoPlan plan;
    ReplacingFile file;
    int64_t position = 0;           // the container's position in the temporary file
    std::error_code systemFailure;  // the first write the system refused
    AVFormatContext* format = nullptr;
    AVIOContext* io = nullptr;
    std::vector<std::unique_ptr<ReadBack>> readers;  // contexts handed out by io_open
    std::unique_ptr<AVCodecContext, CodecCloser> codec;
    std::unique_ptr<AVFrame, FrameCloser> frame;
    std::unique_ptr<AVPacket, PacketCloser> packet;
    AVStream* stream = nullptr;
    int64_t framesWritten = 0;
    bool headerWritten = false;

    ~State() { Release(); }

    void Release() {
        if (format != nullptr) {
            avformat_free_context(format);  // s->pb is ours: freed below
            format = nullptr;
        }
        FreeIo(io);
        io = nullptr;
        codec.reset();
        frame.reset();
        packet.reset();
        readers.clear();
    }

    static void FreeIo(AVIOContext* context) {
        if (context == nullptr) return;
        av_freep(&context->buffer);
        avio_context_free(&context);
    }

    // ---- The temporary file, as the container sees it ----
    static int Write(void* opaque, WrittenBytes data, int size) {
        auto& s = *static_cast<State*>(opaque);
        if (s.systemFailure) return AVERROR(EIO);
        if (const std::error_code failure = s.file.TemporaryFile().WriteAt(s.position, data, static_cast<size_t>(size))) {
            s.systemFailure = failure;
            return AVERROR(EIO);
        }
        s.position += size;
        return size;
    }

    static int64_t Seek(void* opaque, int64_t offset, int whence) {
        auto& s = *static_cast<State*>(opaque);
        return SeekIn(s.file.TemporaryFile(), s.position, offset, whence);
    }

    static int64_t SeekIn(platform::File& file, int64_t& position, int64_t offset, int whence) {
        whence &= ~AVSEEK_FORCE;
        if (whence == AVSEEK_SIZE) {
            const std::optional<int64_t> size = file.Size();
            return size ? *size : AVERROR(ENOSYS);
        }
        int64_t base = 0;
        if (whence == SEEK_CUR) {
            base = position;
        } else if (whence == SEEK_END) {
            const std::optional<int64_t> size = file.Size();
            if (!size) return AVERROR(ENOSYS);
            base = *size;
        } else if (whence != SEEK_SET) {
            return AVERROR(EINVAL);
        }
        if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0) return AVERROR(EINVAL);
        position = base + offset;
        return position;
    }

    static int Read(void* opaque, uint8_t* data, int size) {
        auto& r = *static_cast<ReadBack*>(opaque);
        std::error_code failure;
        const int64_t got = r.file->ReadAt(r.position, data, static_cast<size_t>(size), failure);
        if (got < 0) return AVERROR(EIO);
        if (got == 0) return AVERROR_EOF;
        r.position += got;
        return static_cast<int>(got);
    }

    static int64_t SeekRead(void* opaque, int64_t offset, int whence) {
        auto& r = *static_cast<ReadBack*>(opaque);
        return SeekIn(*r.file, r.position, offset, whence);
    }

    static int OpenAgain(AVFormatContext* s, AVIOContext** pb, const char*, int flags, AVDictionary**) {
        auto& state = *static_cast<State*>(s->opaque);
        if ((flags & AVIO_FLAG_WRITE) != 0) return AVERROR(EPERM);  // only the file itself is written
        auto reader = std::make_unique<ReadBack>();
        reader->file = &state.file.TemporaryFile();
        auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
        if (buffer == nullptr) return AVERROR(ENOMEM);
        AVIOContext* context = avio_alloc_context(buffer, kIoBufferBytes, 0, reader.get(), &State::Read, nullptr,
                                                  &State::SeekRead);
        if (context == nullptr) {
            av_free(buffer);
            return AVERROR(ENOMEM);
        }
        context->seekable = AVIO_SEEKABLE_NORMAL;
        state.readers.push_back(std::move(reader));
        *pb = context;
        return 0;
    }

    static int CloseAgain(AVFormatContext* s, AVIOContext* pb) {
        auto& state = *static_cast<State*>(s->opaque);
        if (pb == nullptr) return 0;
        if (pb == state.io) return 0;  // the main context is ours to free
        auto* reader = static_cast<ReadBack*>(pb->opaque);
        FreeIo(pb);
        std::erase_if(state.readers, [&](const std::unique_ptr<ReadBack>& r) { return r.get() == reader; });
        return 0;
    }

    // "cannot write <target>: <reason>", the system's reason when it refused a write.
    std::string Failure(const std::string& what, int code) const {
        const std::string reason = systemFailure ? systemFailure.message() : what + ": " + LibraryReason(code);
        return "cannot write " + plan.target + ": " + reason;
    }

    bool Fail(std::string* error, const std::string& text) {
        if (error) *error = text;
        Release();
        file.Abandon();
        return false;
    }

    // Writes every packet the encoder has ready.
    bool Drain(std::string* error) {
        for (;;) {
            int result = avcodec_receive_packet(codec.get(), packet.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
            if (result < 0) return Fail(error, Failure(EncoderName() + " failed", result));
            av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(format, packet.get());  // takes the packet's data
            if (result < 0) return Fail(error, Failure("the container could not take a frame", result));
        }
    }

    std::string EncoderName() const { return plan.codec == VideoCodec::Ffv1 ? "the FFV1 encoder" : "the H.264 encoder"; }

    bool SetUpCodec(const AVCodec* encoder, std::string* error);
};

bool VideoEncoderAvailable(VideoCodec codec) { return FindEncoder(codec) != nullptr; }

VideoEncoder::VideoEncoder() = default;
VideoEncoder::~VideoEncoder() { Abandon(); }

bool VideoEncoder::IsOpen() const { return state_ != nullptr; }
int64_t VideoEncoder::FramesWritten() const { return state_ ? state_->framesWritten : 0; }
std::string VideoEncoder::TemporaryPath() const { return state_ ? state_->file.TemporaryPath() : std::string(); }

void VideoEncoder::Abandon() {
    if (!state_) return;
    state_->Release();
    state_->file.Abandon();
    state_.reset();
}

bool VideoEncoder::State::SetUpCodec(const AVCodec* encoder, std::string* error) {
    codec.reset(avcodec_alloc_context3(encoder));
    if (!codec) return Fail(error, Failure("no memory for " + EncoderName(), AVERROR(ENOMEM)));
    AVCodecContext& c = *codec;
    c.width = plan.codedWidth;
    c.height = plan.codedHeight;
    c.time_base = AVRational{static_cast<int>(plan.frameRate.denominator), static_cast<int>(plan.frameRate.numerator)};
    c.framerate = AVRational{static_cast<int>(plan.frameRate.numerator), static_cast<int>(plan.frameRate.denominator)};
    c.sample_aspect_ratio = AVRational{1, 1};
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    AVDictionary* settings = nullptr;
    if (plan.codec == VideoCodec::Ffv1) {
        c.pix_fmt = AV_PIX_FMT_GRAY16LE;
        c.bits_per_raw_sample = 16;
        c.level = 3;  // FFV1 version 3: slices coded in parallel, a checksum per slice
        c.slices = Ffv1Slices(c.width, c.height);
        c.thread_count = cores;
        c.thread_type = FF_THREAD_SLICE;
        c.gop_size = 1;  // every frame stands alone, so players and tools seek to any frame
    } else {
        // Limited ("TV") range, tagged, as every player expects unless told otherwise;
        // the grey of the rendering sits in Y with neutral chroma (see VideoFrames.h).
        c.pix_fmt = AV_PIX_FMT_YUV420P;
        c.color_range = AVCOL_RANGE_MPEG;
        c.colorspace = AVCOL_SPC_BT709;
        c.color_primaries = AVCOL_PRI_BT709;
        c.color_trc = AVCOL_TRC_BT709;
        c.thread_count = 0;  // the encoder's own choice for this machine
        av_dict_set(&settings, "preset", "veryfast", 0);
        av_dict_set(&settings, "crf", "18", 0);
    }
    if ((format->oformat->flags & AVFMT_GLOBALHEADER) != 0) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int opened = avcodec_open2(&c, encoder, &settings);
    av_dict_free(&settings);
    if (opened < 0)
        return Fail(error, Failure(EncoderName() + " refused frames of " + std::to_string(c.width) + " x " +
                                       std::to_string(c.height),
                                   opened));
    return true;
}

bool VideoEncoder::Open(const VideoPlan& plan, std::string* error) {
    Abandon();
    QuietLibraries();
    state_ = std::make_unique<State>();
    State& s = *state_;
    s.plan = plan;
    const auto fail = [&](const std::string& text) {
        s.Fail(error, text);
        state_.reset();
        return false;
    };
    const AVCodec* encoder = FindEncoder(plan.codec);
    if (encoder == nullptr) return fail("cannot write " + plan.target + ": " + s.EncoderName() + " is not available");
    if (!s.file.Create(plan.target, error)) {
        state_.reset();
        return false;
    }
    const char* container = plan.container == VideoContainer::Mp4 ? "mp4" : "matroska";
    if (avformat_alloc_output_context2(&s.format, nullptr, container, nullptr) < 0 || s.format == nullptr)
        return fail("cannot write " + plan.target + ": the " + container + " writer is not available");
    auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
    if (buffer != nullptr)
        s.io = avio_alloc_context(buffer, kIoBufferBytes, 1, &s, nullptr, &State::Write, &State::Seek);
    if (s.io == nullptr) {
        av_free(buffer);
        return fail("cannot write " + plan.target + ": out of memory");
    }
    s.io->seekable = AVIO_SEEKABLE_NORMAL;
    s.format->pb = s.io;
    s.format->flags |= AVFMT_FLAG_CUSTOM_IO;
    s.format->opaque = &s;
    s.format->io_open = &State::OpenAgain;
    s.format->io_close2 = &State::CloseAgain;
    s.format->url = av_strdup(s.file.TemporaryPath().c_str());  // the name the second pass asks for

    if (!s.SetUpCodec(encoder, error)) {
        state_.reset();
        return false;
    }
    s.stream = avformat_new_stream(s.format, nullptr);
    if (s.stream == nullptr) return fail("cannot write " + plan.target + ": out of memory");
    s.stream->time_base = s.codec->time_base;
    s.stream->avg_frame_rate = s.codec->framerate;
    s.stream->r_frame_rate = s.codec->framerate;
    s.stream->sample_aspect_ratio = s.codec->sample_aspect_ratio;
    if (const int copied = avcodec_parameters_from_context(s.stream->codecpar, s.codec.get()); copied < 0)
        return fail(s.Failure("the stream could not be described", copied));

    AVDictionary* muxing = nullptr;
    if (plan.container == VideoContainer::Mp4) av_dict_set(&muxing, "movflags", "+faststart", 0);
    const int header = avformat_write_header(s.format, &muxing);
    av_dict_free(&muxing);
    if (header < 0) return fail(s.Failure("the container's head could not be written", header));
    s.headerWritten = true;

    s.frame.reset(av_frame_alloc());
    s.packet.reset(av_packet_alloc());
    if (!s.frame || !s.packet) return fail("cannot write " + plan.target + ": out of memory");
    s.frame->format = s.codec->pix_fmt;
    s.frame->width = s.codec->width;
    s.frame->height = s.codec->height;
    s.frame->color_range = s.codec->color_range;
    if (const int got = av_frame_get_buffer(s.frame.get(), 0); got < 0)
        return fail(s.Failure("no memory for a frame", got));
    return true;
}

VideoPicture VideoEncoder::NextPicture() {
    VideoPicture picture;
    if (!state_ || !state_->frame) return picture;
    AVFrame& f = *state_->frame;
    // The encoder may still hold the last frame (H.264 looks ahead): then a fresh buffer.
    if (av_frame_make_writable(&f) < 0) return picture;
    for (int i = 0; i < 3; ++i) {
        picture.planes[i] = f.data[i];
        picture.strides[i] = f.linesize[i];
    }
    return picture;
}

bool VideoEncoder::WriteFrame(std::string* error) {
    if (!state_) {
        if (error) *error = "no video is open";
        return false;
    }
    State& s = *state_;
    s.frame->pts = s.framesWritten;
    if (const int sent = avcodec_send_frame(s.codec.get(), s.frame.get()); sent < 0) {
        s.Fail(error, s.Failure(s.EncoderName() + " failed", sent));
        state_.reset();
        return false;
    }
    if (!s.Drain(error)) {
        state_.reset();
        return false;
    }
    ++s.framesWritten;
    return true;
}

bool VideoEncoder::Commit(std::string* error) {
    if (!state_) {
        if (error) *error = "no video is open";
        return false;
    }
    State& s = *state_;
    const auto fail = [&](const std::string& text) {
        s.Fail(error, text);
        state_.reset();
        return false;
    };
    if (const int sent = avcodec_send_frame(s.codec.get(), nullptr); sent < 0)
        return fail(s.Failure(s.EncoderName() + " failed", sent));
    if (!s.Drain(error)) {
        state_.reset();
        return false;
    }
    if (const int trailer = av_write_trailer(s.format); trailer < 0)
        return fail(s.Failure("the container's index could not be written", trailer));
    avio_flush(s.io);
    if (s.systemFailure || s.io->error < 0) return fail(s.Failure("the video could not be written", s.io->error));
    s.Release();
    const bool committed = s.file.Commit(error);
    state_.reset();
    return committed;
}

}  // namespace zel
