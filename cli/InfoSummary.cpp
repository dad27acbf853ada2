#include "cli/InfoSummary.h"

#include <cstdio>

#include "decode/AoiStatistics.h"
#include "reader/MovieReader.h"

namespace zel::cli {

namespace {

std::string Line(const char* label, const std::string& text) {
    char head[24];
    std::snprintf(head, sizeof head, "%-12s ", label);
    return head + text + "\n";
}

// "1000 frames/s, 0.200 s" from the recorded rate, or why there is none.
std::string RateText(const CMovieReader& r) {
    if (r.Parameters().rateNumerator <= 0 || r.Parameters().rateDenominator <= 0) return "unknown (no frame rate recorded)";
    const double fps = static_cast<double>(r.Parameters().rateDenominator) / r.Parameters().rateNumerator;
    const double seconds = r.Parameters().frameCount / fps;
    char text[96];
    std::snprintf(text, sizeof text, "%.6g frames/s, %.6g s in all", fps, seconds);
    return text;
}

std::string CorrectionText(const CMovieReader& r, bool asked) {
    const std::string kind = " (kind " + std::to_string(r.Parameters().fileCorrectionKind) + ")";
    if (r.HasCorrection()) {
        const char* what = r.GainTable() != nullptr ? "offsets and gains" : "offsets";
        return std::string(what) + kind + ", applied";
    }
    if (r.Parameters().fpnpOffset == 0) return "none in the file";
    if (r.Parameters().pixelFormat == -1) return "not applied: 8-bit movies are never corrected";
    if (!asked) return "not applied: opened without correction";
    if (!r.CorrectionNote().empty()) return "not applied: " + r.CorrectionNote();
    return "not applied: kind " + std::to_string(r.Parameters().fileCorrectionKind) + " has no tables to apply";
}

}  // namespace

std::string DescribePixelFormat(int pixelFormat) {
    switch (pixelFormat) {
        case -1: return "8-bit samples as they are";
        case 0: return "10-bit lane packing, raster order";
        case 1: return "10-bit lane packing, four quadrants read out from the centre";
        case 2: return "companded 8-bit codes, 2 x 8 tiles read out from the centre";
        case 3: return "10-bit bit stream, tiles read out from the centre";
        case 4: return "12-bit bit stream, tiles read out from the centre";
        case 5: return "companded 8-bit codes, raster order";
        case 6: return "10-bit bit stream, raster order";
        default: return "unknown layout";
    }
}

std::string MovieSummary(const CMovieReader& r, bool applyCorrection) {
    std::string text;
    text += Line("Movie", r.Parameters().fileName);
    text += Line("Frame size", std::to_string(r.Parameters().width) + " x " + std::to_string(r.Parameters().height) + " pixels");
    text += Line("Frames", std::to_string(r.Parameters().frameCount));
    text += Line("Frame rate", RateText(r));
    text += Line("Stored as", DescribePixelFormat(r.Parameters().pixelFormat) + " (layout " + std::to_string(r.Parameters().pixelFormat) + ")");
    text += Line("Samples", std::to_string(r.Parameters().bitDepth) + "-bit" +
                                (IsColourMosaic(r.Parameters().colorPattern) ? ", colour mosaic (pattern " + std::to_string(r.Parameters().colorPattern) + ")"
                                                     : ", monochrome"));
    text += Line("Correction", CorrectionText(r, applyCorrection));
    return text;
}

}  // namespace zel::cli
