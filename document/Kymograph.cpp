#include "document/Kymograph.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "document/ZelfDoc.h"
#include "fileio/ReplacingFile.h"
#include "imaging/TiffImage.h"

namespace zel {

namespace {

// 16-bit output (16 x 32) from 2-byte samples holding all 16 bits: the builder's layout
// of a 16-bit conversion of a 16-bit frame, whose samples are written as they stand.
constexpr int kLayout16From16 = 16 * 32 + 2;
constexpr int kBytesPerSample = 2;

Problem TooLarge(const FrameSpan& span, int64_t samples) {
    return {ProblemCode::KymographTooLarge, {std::to_string(span.Count()), std::to_string(samples)}};
}

}  // namespace

Problem CheckKymograph(const ProfileLine& line, const FrameSpan& span, int width, int height) {
    if (Problem outside = line.CheckInside(width, height)) return outside;
    const int64_t samples = line.SampleCount();
    if (samples == 0) return {ProblemCode::EmptyProfileLine, {std::to_string(line.x0), std::to_string(line.y0)}};
    const int64_t frames = span.Count();
    // Each factor is at most 65535 once checked, so the product cannot overflow.
    if (frames < 1 || frames > kKymographMaxSide || samples > kKymographMaxSide ||
        frames * samples * kBytesPerSample > kKymographMaxBytes)
        return TooLarge(span, samples);
    return {};
}

// ---- Kymograph ----

uint8_t* Kymograph::RowBytes(int row) const {
    return image_->tiffData + static_cast<int64_t>(row) * width_ * kBytesPerSample;
}

int16_t Kymograph::At(int row, int column) const {
    if (Empty() || row < 0 || row >= height_ || column < 0 || column >= width_) return 0;
    int16_t value;
    std::memcpy(&value, RowBytes(row) + static_cast<int64_t>(column) * kBytesPerSample, sizeof value);
    return value;
}

void Kymograph::CopyRow(int row, int16_t* out) const {
    if (Empty() || out == nullptr || row < 0 || row >= height_) return;
    std::memcpy(out, RowBytes(row), static_cast<size_t>(width_) * kBytesPerSample);
}

bool Kymograph::IsInput(const std::string& path) const {
    const std::optional<FileIdentity> target = IdentityOfPath(path);
    return target && std::find(inputs_.begin(), inputs_.end(), *target) != inputs_.end();
}

Problem Kymograph::Save(const std::string& path) const {
    if (IsInput(path)) return {ProblemCode::OutputIsInput, {path}};
    ReplacingFile file;
    std::string error;
    if (!file.Create(path, &error)) return {ProblemCode::WriteFailed, {error}};
    return SaveInto(file);
}

Problem Kymograph::SaveInto(ReplacingFile& file) const {
    const std::string target = file.Target();
    if (Empty() || !file.IsOpen()) {
        file.Abandon();
        return {ProblemCode::WriteFailed, {"no kymograph to write to " + target}};
    }
    if (IsInput(target)) {
        file.Abandon();
        return {ProblemCode::OutputIsInput, {target}};
    }
    std::string error;
    // The block is the whole file: the head the builder wrote, then the pixels.
    if (!file.Write(image_->tiffBlock.get(), image_->BlockSize(), &error) || !file.Commit(&error)) {
        file.Abandon();  // Commit has already; a failed Write leaves it open
        return {ProblemCode::WriteFailed, {error.empty() ? "cannot write " + target : error}};
    }
    return {};
}

// ---- KymographBuilder ----

Problem KymographBuilder::Begin(const ProfileLine& line, const FrameSpan& span, int width, int height,
                                std::vector<FileIdentity> inputs) {
    image_ = Kymograph{};
    rows_ = 0;
    if (Problem refused = CheckKymograph(line, span, width, height)) return refused;
    const int samples = line.SampleCount();
    const auto frames = static_cast<int>(span.Count());
    auto image = std::make_unique<ImageBuffer>();
    InitImageBuffer(*image);
    // Without samples the builder lays out the head and clears the pixels.
    if (BuildTiffImage(frames, *image, kLayout16From16, 16, samples, nullptr) == nullptr)
        return {ProblemCode::NoMemoryForKymograph, {std::to_string(frames), std::to_string(samples)}};
    image_.image_ = std::move(image);
    image_.width_ = samples;
    image_.height_ = frames;
    image_.line_ = line;
    image_.span_ = span;
    image_.inputs_ = std::move(inputs);
    return {};
}

void KymographBuilder::AddRow(const std::vector<int16_t>& values) {
    if (image_.Empty() || rows_ >= image_.height_) return;
    uint8_t* row = image_.RowBytes(rows_);
    const size_t given = std::min(values.size(), static_cast<size_t>(image_.width_));
    // Native 16-bit stores are the file's little-endian order (imaging/ImagingDetail.h).
    std::memcpy(row, values.data(), given * kBytesPerSample);
    std::memset(row + given * kBytesPerSample, 0, (static_cast<size_t>(image_.width_) - given) * kBytesPerSample);
    ++rows_;
}

Kymograph KymographBuilder::Take() {
    Kymograph done = Complete() ? std::move(image_) : Kymograph{};
    image_ = Kymograph{};
    rows_ = 0;
    return done;
}

RunOutcome BuildKymograph(CZelfDoc& doc, const ProfileLine& line, const FrameSpan& span, Kymograph& out,
                          const std::function<void(int frame)>& afterFrame) {
    out = Kymograph{};
    KymographBuilder builder;
    if (Problem refused = builder.Begin(line, span, doc.width(), doc.height(), doc.InputFiles())) {
        RunOutcome outcome;
        outcome.end = RunEnd::Failed;
        outcome.problem = std::move(refused);
        return outcome;
    }
    std::vector<int16_t> values;  // one buffer for every frame's profile
    const RunOutcome run = doc.RunFrames(
        span,
        [&](int) {
            doc.Profile(line, values);
            builder.AddRow(values);
            return Problem{};
        },
        afterFrame);
    if (run.Completed()) out = builder.Take();
    return run;
}

}  // namespace zel
