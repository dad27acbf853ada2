#include "zelwriter/MovieWriter.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "zelwriter/ByteWriter.h"
#include "zelwriter/Container.h"

namespace zelgen {
namespace {

using Sink = std::function<bool(const uint8_t*, size_t)>;

bool Report(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

// The per-frame header: values 1..12 in their fields (file byte order), the rest filled.
std::vector<uint8_t> FrameHeader(int frame, uint64_t size, bool bigEndian) {
    std::vector<uint8_t> bytes(std::max<uint64_t>(size, 32), kHeaderFillByte);
    ByteWriter w(bytes, bigEndian);
    w.Put32(0, FrameHeaderValue(frame, 1));
    w.Put32(4, FrameHeaderValue(frame, 2));
    w.Put32(8, FrameHeaderValue(frame, 3));
    w.Put16(12, static_cast<uint16_t>(FrameHeaderValue(frame, 4)));
    w.Put16(14, static_cast<uint16_t>(FrameHeaderValue(frame, 5)));
    w.Put32(16, FrameHeaderValue(frame, 6));
    for (int k = 7; k <= 12; ++k)
        w.Put16(20 + 2 * static_cast<uint64_t>(k - 7), static_cast<uint16_t>(FrameHeaderValue(frame, k)));
    bytes.resize(size);  // headers shorter than the record keep what fits
    return bytes;
}

// Streams the whole file into sink, one frame in memory at a time.
bool Emit(const MovieSpec& spec, int frameCount, const FrameSource& frameSamples, const Sink& sink,
          MovieLayout* layoutOut, std::string* error) {
    ContainerPlan plan;
    std::string message;
    if (!PlanContainer(spec, frameCount, plan, message)) return Report(error, message);
    const MovieLayout& layout = plan.layout;
    if (layoutOut) *layoutOut = layout;
    if (!sink(plan.prefix.data(), plan.prefix.size())) return Report(error, "write failed");

    const size_t pixelCount = static_cast<size_t>(spec.width) * static_cast<size_t>(spec.height);
    std::vector<uint16_t> samples(pixelCount);
    const std::vector<uint8_t> padding(layout.frameStride - layout.pixelBytes - layout.headerBytes, kStridePadByte);
    for (int n = 0; n < frameCount; ++n) {
        std::fill(samples.begin(), samples.end(), uint16_t{0});
        if (frameSamples && pixelCount != 0) frameSamples(n, samples.data());
        // The reader takes width*height*storedBits/8 bytes whatever the layout packs into them.
        std::vector<uint8_t> pixels = EncodeFrame(samples.data(), spec.width, spec.height, layout.format.pixelFormat);
        pixels.resize(layout.pixelBytes, 0);
        const std::vector<uint8_t> header = FrameHeader(n, layout.headerBytes, spec.bigEndian);
        const bool ok = (spec.headerPlace != 1 || sink(header.data(), header.size())) &&
                        sink(pixels.data(), pixels.size()) &&
                        (spec.headerPlace != -1 || sink(header.data(), header.size())) &&
                        sink(padding.data(), padding.size());
        if (!ok) return Report(error, "write failed");
    }
    return true;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

uint32_t FrameHeaderValue(int frame, int valueNumber) {
    const uint32_t n = static_cast<uint32_t>(frame);
    const uint32_t k = static_cast<uint32_t>(valueNumber);
    const uint32_t v = valueNumber == 1 ? n : n * k + k;
    const bool wide = valueNumber == 1 || valueNumber == 2 || valueNumber == 3 || valueNumber == 6;
    return wide ? v : (v & 0xffffu);
}

std::optional<MovieLayout> PlanMovie(const MovieSpec& spec, int frameCount, std::string* error) {
    ContainerPlan plan;
    std::string message;
    if (!PlanContainer(spec, frameCount, plan, message)) {
        Report(error, message);
        return std::nullopt;
    }
    return plan.layout;
}

bool WriteMovie(const std::string& path, const MovieSpec& spec, int frameCount, const FrameSource& frameSamples,
                std::string* error) {
    std::string message;
    if (!PlanMovie(spec, frameCount, &message)) return Report(error, message);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return Report(error, "cannot create " + path);
    const Sink sink = [&](const uint8_t* data, size_t size) {
        return size == 0 || std::fwrite(data, 1, size, file.get()) == size;
    };
    bool ok = Emit(spec, frameCount, frameSamples, sink, nullptr, &message);
    if (std::fclose(file.release()) != 0 && ok) {
        ok = false;
        message = "write failed";
    }
    if (!ok) {
        std::remove(path.c_str());  // never leave a half-written movie behind
        return Report(error, message + " (" + path + ")");
    }
    return true;
}

std::vector<uint8_t> BuildMovieBytes(const MovieSpec& spec, int frameCount, const FrameSource& frameSamples) {
    return BuildMovieBytes(spec, frameCount, frameSamples, nullptr, nullptr);
}

std::vector<uint8_t> BuildMovieBytes(const MovieSpec& spec, int frameCount, const FrameSource& frameSamples,
                                     MovieLayout* layout, std::string* error) {
    std::vector<uint8_t> bytes;
    const Sink sink = [&](const uint8_t* data, size_t size) {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    };
    if (!Emit(spec, frameCount, frameSamples, sink, layout, error)) return {};
    return bytes;
}

}  // namespace zelgen
