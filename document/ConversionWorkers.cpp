#include "document/ConversionWorkers.h"

#include <algorithm>

#include "document/ZelfDoc.h"
#include "imaging/TiffImage.h"

namespace zel {

int64_t ConversionWorkerBytes(const CZelfDoc& doc, const ConversionDepths& depths) {
    if (doc.reader() == nullptr) return 0;
    const CMovieReader& r = *doc.reader();
    const int64_t pixels = static_cast<int64_t>(doc.width()) * doc.height();
    const int64_t stored = r.Parameters().frameBytes;
    const int64_t tables = r.CorrectionEntries() * (r.GainTable() != nullptr ? 4 : 2);
    const int64_t frameImage = kTiffHeadSize + pixels * doc.bytesPerSample();
    const bool writtenAsItStands = depths.sourceBits == 16 && depths.outputBits == 16 && doc.bytesPerSample() == 2;
    const int64_t fileImage = writtenAsItStands ? 0 : kTiffHeadSize + pixels * (depths.outputBits / 8);
    return stored + tables + frameImage + fileImage;
}

int ChooseWorkerCount(int requested, int frames, int64_t bytesPerWorker, int64_t budgetBytes) {
    int workers = std::clamp(requested, 1, std::max(frames, 1));
    if (budgetBytes > 0 && bytesPerWorker > 0)
        workers = static_cast<int>(std::clamp<int64_t>(budgetBytes / bytesPerWorker, 1, workers));
    return workers;
}

int DefaultDecoderCount(int cores) { return cores > 1 ? cores - 1 : 1; }

}  // namespace zel
