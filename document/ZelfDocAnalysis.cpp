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
    if (samples() == nullptr || x < 0 || x >= width || y < 0 || y >= height) return -1;
    const auto v = static_cast<int16_t>(SampleAt(static_cast<int64_t>(y) * width + x));
    const int pattern = reader ? reader->colorPattern : 0;
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
        values[i] = (x >= 0 && x < width && y >= 0 && y < height) ? static_cast<int16_t>(SampleAt(y * width + x)) : 0;
    }
    return n;
}

double CZelfDoc::GetAoiStatistics(int x0, int y0, int x1, int y1, AoiStatistics& stats) const {
    stats = AoiStatistics{};
    if (samples() == nullptr) return 0.0;
    // The tool keeps its corners inside the image; clamp anyway so that no caller can
    // make the statistics read outside the frame.
    AoiRect rect{std::clamp(std::min(x0, x1), 0, width - 1), std::clamp(std::min(y0, y1), 0, height - 1),
                 std::clamp(std::max(x0, x1), 0, width - 1), std::clamp(std::max(y0, y1), 0, height - 1)};
    return ComputeAoiStatistics(rect, samples(), bytesPerSample, width, reader ? reader->colorPattern : 0, stats);
}

int AverageFrames(const std::string& path, uint16_t* buffer, int64_t capacityBytes, ReferenceInfo* info) {
    ReferenceInfo local;
    ReferenceInfo& out = info != nullptr ? *info : local;
    const auto fail = [&](const std::string& why) {
        out.problem = why;
        return 0;
    };
    CMovieReader reference;
    if (!reference.Open(path, 0)) return fail("cannot open the reference movie: " + reference.OpenError());
    out.width = reference.width;
    out.height = reference.height;
    out.file = reference.fileHandle.Identity();
    if (reference.bitDepth <= 8) return fail("the reference movie has 8-bit samples");
    const int64_t n = static_cast<int64_t>(reference.width) * reference.height;
    if (capacityBytes < 2 * n) return fail("the reference movie's frames are larger than the buffer");
    if (reference.frameCount < 1) return fail("the reference movie has no frames");
    const int k = std::min(reference.frameCount, 16);
    // Sums in 32 bits: exact for any sample values, and equal to the 16-bit sums of
    // 16 frames of 12-bit samples, which cannot exceed 65520.
    std::vector<uint32_t> sums(static_cast<size_t>(n), 0);
    std::vector<uint16_t> frame(static_cast<size_t>(n));
    for (int i = 0; i < k; ++i) {
        if (reference.ReadFrame(frame.data(), i, 2 * n) != 2 * n)
            return fail("frame " + std::to_string(i) + " of the reference movie cannot be read");
        for (int64_t j = 0; j < n; ++j) sums[static_cast<size_t>(j)] += frame[static_cast<size_t>(j)];
    }
    for (int64_t j = 0; j < n; ++j) buffer[j] = static_cast<uint16_t>(sums[static_cast<size_t>(j)] / static_cast<uint32_t>(k));
    return 1;
}

// The loaded offsets are the frame's window of the movie's tables (one entry per pixel),
// so the averaged dark frame replaces them entry for entry.
BlackBalanceResult CZelfDoc::ApplyBlackBalance(const std::string& path) {
    BlackBalanceResult result;
    if (runInProgress_) {
        result.problem = "a run is in progress";
        return result;
    }
    if (!reader || !reader->HasCorrection()) {
        // Only kinds 3, 6 and 9 have offsets that frame reads apply; balancing anything
        // else would change nothing and still look like success.
        result.problem = reader && reader->correctionKind != 0
                             ? "the movie's correction data of kind " + std::to_string(reader->correctionKind) +
                                   " has no offsets to balance"
                             : "the movie was opened without correction data to balance";
        return result;
    }
    const int64_t n = static_cast<int64_t>(width) * height;
    std::vector<uint16_t> dark(static_cast<size_t>(n));
    ReferenceInfo reference;
    if (!AverageFrames(path, dark.data(), 2 * n, &reference)) {
        result.problem = reference.problem;
        return result;
    }
    if (reference.width != width || reference.height != height) {
        result.problem = "the reference movie's frames (" + std::to_string(reference.width) + " x " +
                         std::to_string(reference.height) + ") differ from the movie's (" + std::to_string(width) +
                         " x " + std::to_string(height) + ")";
        return result;
    }
    // Frame reads add the offsets to the samples; the dark level must come off.
    for (int64_t i = 0; i < n; ++i) reader->offsetTable[i] = static_cast<int16_t>(-static_cast<int>(dark[static_cast<size_t>(i)]));
    blackReference_ = reference.file;
    result.applied = true;
    const int shown = reader->filePosFrame;
    if (shown >= 0 && shown < frameCount && ReadIntoSamples(shown)) {
        FrameChanged();
        RepaintViews();
    }
    return result;
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
    if (!reader || runInProgress_ || mode < 0 || mode > 2) return 0;
    if (mode == 0) {
        const int shown = reader->filePosFrame;
        if (shown >= 0 && shown < frameCount && ReadIntoSamples(shown)) {
            FrameChanged();
            RepaintViews();
        }
        UpdateAllViews();
        return 1;
    }
    if (samples() == nullptr || bytesPerSample != 2) return 0;
    // Without correction the tables are read through the open file for this display
    // only; the reader's own setting and position stay as they are.
    CorrectionTables ownTables;
    const int16_t* offsets = nullptr;
    const int16_t* gains = nullptr;
    if (reader->HasCorrection()) {
        offsets = reader->offsetTable;
        gains = reader->gainTable;
    } else if (correctionOn == 0 && reader->ReadCorrectionTables(ownTables) == TableLoad::Loaded) {
        offsets = ownTables.offsets;
        gains = ownTables.gains;
    }
    const int16_t* table = mode == 1 ? offsets : gains;
    if (table == nullptr) return 0;  // no tables, or no gains (kind 3): nothing to show
    CopyTableAsImage(table, static_cast<int64_t>(width) * height, mode, static_cast<int16_t*>(samples()));
    FrameChanged();
    UpdateAllViews();
    return 1;
}

}  // namespace zel
