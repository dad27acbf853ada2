#include "video/VideoOptions.h"

#include <algorithm>
#include <numeric>

#include "document/ZelfDoc.h"
#include "reader/Problem.h"
#include "video/VideoEncoder.h"

namespace zel {

namespace {

constexpr int64_t kFractionLimit = int64_t{1} << 31;  // FFmpeg keeps rates as int/int

// Digits only, at most 18 of them (so the value fits in 64 bits); nullopt otherwise.
std::optional<int64_t> ReadDigits(std::string_view digits) {
    if (digits.empty() || digits.size() > 18) return std::nullopt;
    int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// n / d in lowest terms, each part below the limit; nullopt for zero or too large.
std::optional<VideoFraction> Reduced(int64_t n, int64_t d) {
    if (n <= 0 || d <= 0) return std::nullopt;
    const int64_t g = std::gcd(n, d);
    n /= g;
    d /= g;
    if (n >= kFractionLimit || d >= kFractionLimit) return std::nullopt;
    return VideoFraction{n, d};
}

std::string FractionText(const VideoFraction& f) {
    return f.denominator == 1 ? std::to_string(f.numerator)
                              : std::to_string(f.numerator) + "/" + std::to_string(f.denominator);
}

// The extension of a path's last component, lower-cased, with its dot; empty without one.
std::string ExtensionOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string extension = path.substr(dot);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

VideoRefusal Refuse(VideoRefusalCode code, std::vector<std::string> arguments = {}) {
    return VideoRefusal{code, std::move(arguments)};
}

}  // namespace

std::optional<VideoFraction> ParseVideoFraction(std::string_view text) {
    if (const size_t slash = text.find('/'); slash != std::string_view::npos) {
        const auto n = ReadDigits(text.substr(0, slash));
        const auto d = ReadDigits(text.substr(slash + 1));
        if (!n || !d) return std::nullopt;
        return Reduced(*n, *d);
    }
    const size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view part = dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
    if (dot != std::string_view::npos && part.empty()) return std::nullopt;  // "30." is a typo
    if (whole.size() + part.size() > 18) return std::nullopt;
    std::string digits(whole);
    digits += part;
    const auto n = ReadDigits(digits);
    if (!n) return std::nullopt;
    int64_t d = 1;
    for (size_t i = 0; i < part.size(); ++i) d *= 10;
    return Reduced(*n, d);
}

std::optional<VideoGain> ParseVideoGain(std::string_view text) {
    if (text == "auto") return VideoGain{true, 1};
    for (int factor = 1; factor <= 64; factor *= 2)
        if (text == std::to_string(factor)) return VideoGain{false, factor};
    return std::nullopt;
}

VideoGain DisplayGainOf(const CZelfDoc& doc) {
    // Gain index 0 is the automatic depth; index g is the factor 2^(g - 1).
    const int index = doc.gainIndex();
    if (index <= 0) return VideoGain{true, 1};
    return VideoGain{false, 1 << std::min(index - 1, 6)};
}

std::optional<OverlayOptions> ParseVideoOverlays(std::string_view text, std::string* bad) {
    OverlayOptions overlays;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view name = text.substr(start, comma - start);
        bool* flag = name == "time" ? &overlays.time
                     : name == "frame" ? &overlays.frameNumber
                     : name == "scalebar" ? &overlays.scaleBar
                                          : nullptr;
        if (flag == nullptr || *flag) {
            if (bad) *bad = std::string(name);
            return std::nullopt;
        }
        *flag = true;
        start = comma + 1;
    }
    return overlays;
}

bool AnyOverlay(const OverlayOptions& o) { return o.frameNumber || o.time || o.scaleBar; }

std::string_view VideoCodecName(VideoCodec codec) { return codec == VideoCodec::Ffv1 ? "ffv1" : "h264"; }

std::optional<VideoCodec> ParseVideoCodec(std::string_view text) {
    if (text == "ffv1") return VideoCodec::Ffv1;
    if (text == "h264") return VideoCodec::H264;
    return std::nullopt;
}

std::string_view VideoRefusalTemplate(VideoRefusalCode code) {
    switch (code) {
    case VideoRefusalCode::None: return "";
    case VideoRefusalCode::UnknownExtension:
        return "cannot tell what kind of video %1 is to be: name it .mkv (lossless FFV1) or .mp4 (H.264)";
    case VideoRefusalCode::CodecNotInContainer:
        return "%1 cannot be written into a %2 file: FFV1 goes into .mkv; H.264 into .mp4 or .mkv";
    case VideoRefusalCode::EncoderMissing:
        return "the %1 encoder is not available: the FFmpeg libraries this program uses were built without it";
    case VideoRefusalCode::RateNotPositive: return "the frame rate must be a positive number";
    case VideoRefusalCode::RateUnknown:
        return "the movie does not say its recording rate, so a speed relative to it cannot be used; give the "
               "frame rate of the video instead";
    case VideoRefusalCode::RateNotExact:
        return "a frame rate of %1 frames/s cannot be stated exactly in a video file; choose a simpler rate";
    case VideoRefusalCode::RateTooHighForMatroska:
        return "a .mkv file counts time in milliseconds, so it cannot play %1 frames/s; choose at most 1000 "
               "frames/s or write .mp4";
    case VideoRefusalCode::GainWithFfv1:
        return "a display gain applies to H.264 only: FFV1 frames hold the 16-bit TIFF values whatever the gain";
    case VideoRefusalCode::ScaleBarNeedsPixelSize:
        return "a scale bar needs the pixel size of the movie (give it first)";
    case VideoRefusalCode::NoMovie: return "no movie is open";
    }
    return "";
}

std::string VideoRefusal::Text() const { return FillTemplate(VideoRefusalTemplate(code), arguments); }

VideoRefusal PlanVideo(const std::string& target, const VideoOptions& options, const CZelfDoc& doc,
                       VideoPlan& plan) {
    if (doc.reader() == nullptr || doc.samples() == nullptr) return Refuse(VideoRefusalCode::NoMovie);
    VideoPlan made;
    made.target = target;
    const std::string extension = ExtensionOf(target);
    if (extension == ".mkv")
        made.container = VideoContainer::Matroska;
    else if (extension == ".mp4")
        made.container = VideoContainer::Mp4;
    else
        return Refuse(VideoRefusalCode::UnknownExtension, {target});
    made.codec = options.codec.value_or(made.container == VideoContainer::Mp4 ? VideoCodec::H264 : VideoCodec::Ffv1);
    if (made.codec == VideoCodec::Ffv1 && made.container == VideoContainer::Mp4)
        return Refuse(VideoRefusalCode::CodecNotInContainer, {"FFV1", extension});
    if (made.codec == VideoCodec::Ffv1 && options.gain) return Refuse(VideoRefusalCode::GainWithFfv1);
    if (!VideoEncoderAvailable(made.codec))
        return Refuse(VideoRefusalCode::EncoderMissing, {made.codec == VideoCodec::Ffv1 ? "FFV1" : "H.264"});

    // The rate: as given, or the recording's (rateDenominator / rateNumerator frames/s)
    // times the speed, multiplied crosswise reduced so that no product passes 2^62.
    const VideoFraction pace = options.paceValue;
    if (pace.numerator <= 0 || pace.denominator <= 0) return Refuse(VideoRefusalCode::RateNotPositive);
    std::optional<VideoFraction> rate;
    if (options.pace == VideoPace::FramesPerSecond) {
        rate = Reduced(pace.numerator, pace.denominator);
        if (!rate) return Refuse(VideoRefusalCode::RateNotExact, {FractionText(pace)});
    } else {
        const MovieParameters& movie = doc.reader()->Parameters();
        const int64_t periodN = movie.rateNumerator, periodD = movie.rateDenominator;  // seconds per frame
        if (periodN <= 0 || periodD <= 0) return Refuse(VideoRefusalCode::RateUnknown);
        if (pace.numerator >= kFractionLimit || pace.denominator >= kFractionLimit)
            return Refuse(VideoRefusalCode::RateNotExact, {FractionText(pace)});
        const int64_t g1 = std::gcd(pace.numerator, periodN), g2 = std::gcd(periodD, pace.denominator);
        const int64_t n = (pace.numerator / g1) * (periodD / g2), d = (pace.denominator / g2) * (periodN / g1);
        rate = Reduced(n, d);
        if (!rate) return Refuse(VideoRefusalCode::RateNotExact, {std::to_string(n) + "/" + std::to_string(d)});
    }
    // Matroska stamps frames in whole milliseconds: faster rates would give frames the same time.
    if (made.container == VideoContainer::Matroska && rate->numerator > 1000 * rate->denominator)
        return Refuse(VideoRefusalCode::RateTooHighForMatroska, {FractionText(*rate)});
    made.frameRate = *rate;

    if (options.overlays.scaleBar && !doc.PixelCalibration().Known())
        return Refuse(VideoRefusalCode::ScaleBarNeedsPixelSize);
    made.overlays = options.overlays;

    made.width = doc.width();
    made.height = doc.height();
    const bool h264 = made.codec == VideoCodec::H264;
    made.codedWidth = h264 ? made.width + (made.width & 1) : made.width;
    made.codedHeight = h264 ? made.height + (made.height & 1) : made.height;
    if (h264) {
        const VideoGain gain = options.gain.value_or(VideoGain{});
        int steps = 0;  // log2 of the factor: each doubling lowers the rendering's depth by one
        for (int f = gain.factor; f > 1; f /= 2) ++steps;
        made.renderDepth = gain.automatic ? doc.autoDepth() : doc.bitDepth() - steps;
    }
    plan = std::move(made);
    return {};
}

}  // namespace zel
