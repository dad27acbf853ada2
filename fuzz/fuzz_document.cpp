// Feeds arbitrary bytes to the document as a movie file and runs every measurement and
// display operation on it: frame changes, gains, point, profile, AOI, correction data
// display, and an in-memory TIFF of the frame at both depths.

#include "MemoryFile.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "document/Histogram.h"
#include "document/ZelfDoc.h"
#include "imaging/TiffImage.h"

namespace {

void Exercise(const std::string& path, bool correction) {
    zel::CZelfDoc doc;
    if (!doc.OpenMovie(path, correction)) return;
    const int w = doc.width(), h = doc.height();
    doc.ShowFrame(doc.frameCount() - 1);
    doc.RunFrames({std::max(doc.frameCount() - 2, 0), doc.frameCount() - 1});  // the last two frames
    for (const int gain : {0, 7, 1}) doc.SetGain(gain);
    int16_t r = 0, g = 0, b = 0;
    doc.GetPointValue(w - 1, h - 1, r, g, b);
    doc.GetPointValue(w, 0, r, g, b);
    std::vector<int16_t> profile(static_cast<size_t>(std::max(w, h)) + 8);
    doc.GetProfile(-3, -2, w + 2, h / 2, static_cast<int>(profile.size()), profile.data());
    doc.GetProfile(w / 2, 0, w / 3, h - 1, static_cast<int>(profile.size()), profile.data());
    doc.Profile({w + 2, h / 2, -3, -2});
    zel::AoiStatistics stats;
    doc.GetAoiStatistics(w + 5, h + 5, -5, -5, stats);
    doc.GetAoiStatistics(1, 0, 1, 0, stats);
    doc.Statistics({-5, h + 5, w + 5, -5});
    // The fuller figures and the histogram over the whole frame and a corner pixel.
    doc.Summary({-5, h + 5, w + 5, -5}).all.StandardDeviation();
    doc.Summary({w - 1, 0, w - 1, 0});
    zel::AoiHistogram histogram;
    zel::DocumentHistogram(doc, {0, 0, w - 1, h - 1}, histogram);
    for (const int mode : {1, 2, 0}) doc.ShowCorrectionData(mode);
    doc.DisplayPixels();
    for (const int bits : {8, 16}) {
        zel::ImageBuffer image;
        zel::InitImageBuffer(image);
        zel::BuildTiffImage(h, image, bits * 32 + doc.bytesPerSample(), doc.bitDepth(), w, doc.samples());
        if (image.tiffBlock) zel::GetTiffTagValue(279, image.tiffBlock.get(), image.BlockSize());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryFile file(data, size);
    if (!file.IsOpen()) return 0;
    Exercise(file.Path(), true);
    Exercise(file.Path(), false);
    return 0;
}
