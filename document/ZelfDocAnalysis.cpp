// The document's measurements (point, profile, rectangle), the black balance from a
// dark reference movie, and the display of the correction data as an image.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "document/ZelfDoc.h"
#include "imaging/DisplayBitmap.h"

namespace zel {

int CZelfDoc::GetPointValue(int x, int y, int16_t& red, int16_t& green, int16_t& blue) const {
    if (samples() == nullptr || x < 0 || x >= width_ || y < 0 || y >= height_) return -1;
    const auto v = static_cast<int16_t>(SampleAt(static_cast<int64_t>(y) * width_ + x));
    const int pattern = reader_ ? reader_->Parameters().colorPattern : 0;
    if (!IsColourMosaic(pattern)) {
        red = green = blue = v;
        return 0;
    }
    red = green = blue = 0;
    const int k = (2 * (y % 2) + (x % 2)) ^ MosaicPhase(pattern);
    if (k == 1) {
        red = v;
        return 1;
    }
    if (k == 2) {
        blue = v;
        return 4;
    }
    green = v;
    return 2;
}

int CZelfDoc::GetProfile(int x0, int y0, int x1, int y1, int capacity, int16_t* values) const {
    if (capacity < 1 || values == nullptr || samples() == nullptr) return 0;
    const int64_t dx = static_cast<int64_t>(x1) - x0, dy = static_cast<int64_t>(y1) - y0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t length = xMajor ? std::llabs(dx) : std::llabs(dy);
    const int n = length < capacity ? static_cast<int>(length + 1) : capacity;
    const int64_t step = (xMajor ? dx : dy) > 0 ? 1 : -1;
    for (int i = 0; i < n; ++i) {
        int64_t x, y;
        if (xMajor) {
            x = x0 + i * step;
            // A zero-length line has dx = 0: its only point is the start.
            y = dx == 0 ? y0 : y0 + static_cast<int64_t>(static_cast<double>((x - x0) * dy) / static_cast<double>(dx) + 0.5);
        } else {
            y = y0 + i * step;
            x = x0 + static_cast<int64_t>(static_cast<double>((y - y0) * dx) / static_cast<double>(dy) + 0.5);
        }
        values[i] = (x >= 0 && x < width_ && y >= 0 && y < height_) ? static_cast<int16_t>(SampleAt(y * width_ + x)) : 0;
    }
    return n;
}

void CZelfDoc::Profile(const ProfileLine& line, std::vector<int16_t>& values) const {
    const int count = line.SampleCount();
    values.assign(static_cast<size_t>(count), 0);  // reused storage: no allocation once it is large enough
    if (count > 0) GetProfile(line.x0, line.y0, line.x1, line.y1, count, values.data());
}

std::vector<int16_t> CZelfDoc::Profile(const ProfileLine& line) const {
    std::vector<int16_t> values;
    Profile(line, values);
    return values;
}

bool CZelfDoc::IsColour() const { return reader_ && IsColourMosaic(reader_->Parameters().colorPattern); }

double CZelfDoc::GetAoiStatistics(int x0, int y0, int x1, int y1, AoiStatistics& stats) const {
    stats = AoiStatistics{};
    if (samples() == nullptr) return 0.0;
    // The tool keeps its corners inside the image; clamp anyway so that no caller can
    // make the statistics read outside the frame.
    SampleRect rect{std::clamp(std::min(x0, x1), 0, width_ - 1), std::clamp(std::min(y0, y1), 0, height_ - 1),
                      std::clamp(std::max(x0, x1), 0, width_ - 1), std::clamp(std::max(y0, y1), 0, height_ - 1)};
    return ComputeAoiStatistics(rect, samples(), bytesPerSample_, width_, reader_ ? reader_->Parameters().colorPattern : 0,
                                stats);
}

AoiSummary CZelfDoc::Summary(const AoiRect& rect) const {
    AoiSummary summary;
    if (samples() == nullptr || width_ <= 0 || height_ <= 0) return summary;
    const SampleRect sorted{std::clamp(std::min(rect.x0, rect.x1), 0, width_ - 1),
                            std::clamp(std::min(rect.y0, rect.y1), 0, height_ - 1),
                            std::clamp(std::max(rect.x0, rect.x1), 0, width_ - 1),
                            std::clamp(std::max(rect.y0, rect.y1), 0, height_ - 1)};
    SummariseAoi(sorted, samples(), bytesPerSample_, width_, reader_ ? reader_->Parameters().colorPattern : 0, summary);
    return summary;
}

AoiStatistics CZelfDoc::Statistics(const AoiRect& rect) const {
    AoiStatistics stats;
    GetAoiStatistics(rect.x0, rect.y0, rect.x1, rect.y1, stats);
    return stats;
}

int AverageFrames(const std::string& path, uint16_t* buffer, int64_t capacityBytes, ReferenceInfo* info) {
    ReferenceInfo local;
    ReferenceInfo& out = info != nullptr ? *info : local;
    const auto fail = [&](Problem why) {
        out.problem = std::move(why);
        return 0;
    };
    CMovieReader reference;
    if (!reference.Open(path, 0))
        return fail({ProblemCode::ReferenceUnopenable, {reference.OpenError()}, reference.LastOpenFailure().system});
    const MovieParameters& movie = reference.Parameters();
    out.width = movie.width;
    out.height = movie.height;
    out.file = reference.Identity();
    if (movie.bitDepth <= 8) return fail({ProblemCode::ReferenceEightBit});
    const int64_t n = static_cast<int64_t>(movie.width) * movie.height;
    if (capacityBytes < 2 * n) return fail({ProblemCode::ReferenceTooLarge});
    if (movie.frameCount < 1) return fail({ProblemCode::ReferenceNoFrames});
    const int k = std::min(movie.frameCount, 16);
    // Sums in 32 bits: exact for any sample values, and equal to the 16-bit sums of
    // 16 frames of 12-bit samples, which cannot exceed 65520.
    std::vector<uint32_t> sums(static_cast<size_t>(n), 0);
    std::vector<uint16_t> frame(static_cast<size_t>(n));
    for (int i = 0; i < k; ++i) {
        if (reference.ReadFrame(frame.data(), i, 2 * n) != 2 * n)
            return fail({ProblemCode::ReferenceFrameUnreadable, {std::to_string(i)}});
        for (int64_t j = 0; j < n; ++j) sums[static_cast<size_t>(j)] += frame[static_cast<size_t>(j)];
    }
    for (int64_t j = 0; j < n; ++j) buffer[j] = static_cast<uint16_t>(sums[static_cast<size_t>(j)] / static_cast<uint32_t>(k));
    return 1;
}

// The loaded offsets are the frame's window of the movie's tables (one entry per pixel),
// so the averaged dark frame replaces them entry for entry.
Problem CZelfDoc::ApplyBlackBalance(const std::string& path) {
    if (runInProgress_) return {ProblemCode::RunInProgress};
    if (!reader_ || !reader_->HasCorrection()) {
        // Only kinds 3, 6 and 9 have offsets that frame reads apply; balancing anything
        // else would change nothing and still look like success.
        const int kind = reader_ ? reader_->Parameters().correctionKind : 0;
        if (kind != 0) return {ProblemCode::NoOffsetsToBalance, {std::to_string(kind)}};
        return {ProblemCode::OpenedWithoutCorrection};
    }
    const int64_t n = static_cast<int64_t>(width_) * height_;
    std::vector<uint16_t> dark(static_cast<size_t>(n));
    ReferenceInfo reference;
    if (!AverageFrames(path, dark.data(), 2 * n, &reference)) return reference.problem;
    if (reference.width != width_ || reference.height != height_)
        return {ProblemCode::ReferenceSizeDiffers, {std::to_string(reference.width), std::to_string(reference.height),
                                                    std::to_string(width_), std::to_string(height_)}};
    // Frame reads add the offsets to the samples; the dark level must come off.
    std::vector<int16_t> offsets(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i)
        offsets[static_cast<size_t>(i)] = static_cast<int16_t>(-static_cast<int>(dark[static_cast<size_t>(i)]));
    if (!reader_->ReplaceOffsets(offsets.data(), n)) return {ProblemCode::OpenedWithoutCorrection};
    blackReference_ = reference.file;
    if (currentFrame_ >= 0 && dataDisplay_ == 0 && ReadIntoSamples(currentFrame_)) {
        FrameChanged();
        RepaintViews();
    }
    return {};
}

namespace {

// Mode 1 shows the offsets negated (the dark level they remove); mode 2 bits 6 to 14 of
// the gains.
void CopyTableAsImage(const int16_t* table, int64_t entries, int mode, int16_t* out) {
    for (int64_t i = 0; i < entries; ++i) {
        const int v = table[i];
        out[i] = static_cast<int16_t>(mode == 1 ? -v : ((static_cast<int16_t>(v) >> 6) & 0x1ff));
    }
}

}  // namespace

int CZelfDoc::ShowCorrectionData(int mode) {
    if (!reader_ || runInProgress_ || mode < 0 || mode > 2) return 0;
    if (mode == 0) {
        dataDisplay_ = 0;
        if (currentFrame_ >= 0 && ReadIntoSamples(currentFrame_)) {
            FrameChanged();
            RepaintViews();
        }
        UpdateAllViews();
        return 1;
    }
    if (samples() == nullptr || bytesPerSample_ != 2) return 0;
    // Without correction the tables are read through the open file for this display
    // only; the reader's own setting and position stay as they are.
    CorrectionTables ownTables;
    const int16_t* offsets = nullptr;
    const int16_t* gains = nullptr;
    if (reader_->HasCorrection()) {
        offsets = reader_->OffsetTable();
        gains = reader_->GainTable();
    } else if (correctionOn_ == 0 && reader_->ReadCorrectionTables(ownTables) == TableLoad::Loaded) {
        offsets = ownTables.offsets;
        gains = ownTables.gains;
    }
    const int16_t* table = mode == 1 ? offsets : gains;
    if (table == nullptr) return 0;  // no tables, or no gains (kind 3): nothing to show
    CopyTableAsImage(table, static_cast<int64_t>(width_) * height_, mode, static_cast<int16_t*>(samples()));
    dataDisplay_ = mode;
    FrameChanged();
    UpdateAllViews();
    return 1;
}

}  // namespace zel
