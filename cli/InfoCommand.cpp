#include "cli/InfoCommand.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/InfoSummary.h"
#include "cli/JsonText.h"
#include "cli/WholeFrames.h"
#include "reader/MovieReader.h"

namespace zel::cli {

namespace {

// One printed field: its name as the reader calls it, and its value as JSON text.
using Field = std::pair<const char*, std::string>;

std::string Int(int64_t v) { return std::to_string(v); }

std::vector<Field> FieldsOf(const CMovieReader& r) {
    return {
        {"fileName", JsonString(r.fileName)},
        {"cameraCode", JsonString(std::string(r.cameraCode.data(), r.cameraCode.size()))},
        {"width", Int(r.width)}, {"height", Int(r.height)}, {"frameCount", Int(r.frameCount)},
        {"bitDepth", Int(r.bitDepth)}, {"storedBits", Int(r.storedBits)}, {"pixelFormat", Int(r.pixelFormat)},
        {"colorPattern", Int(r.colorPattern)}, {"sensorMode", Int(r.sensorMode)},
        {"nativeOrder", Int(r.nativeOrder)}, {"frameStride", Int(r.frameStride)},
        {"frameBytes", Int(r.frameBytes)}, {"frameHeaderPlace", Int(r.frameHeaderPlace)},
        {"frameHeaderSize", Int(r.frameHeaderSize)}, {"rateIndex", Int(r.rateIndex)},
        {"rateNumerator", Int(r.rateNumerator)}, {"rateDenominator", Int(r.rateDenominator)},
        {"framePeriodUs", Int(r.framePeriodUs)}, {"fileRate", Int(r.fileRate)},
        {"correctionKind", Int(r.correctionKind)}, {"fileCorrectionKind", Int(r.fileCorrectionKind)},
        {"correctionWidth", Int(r.correctionWidth)}, {"correctionHeight", Int(r.correctionHeight)},
        {"correctionPoint", Int(r.correctionPoint)}, {"correctionLow", Int(r.correctionLow)},
        {"correctionHigh", Int(r.correctionHigh)}, {"pedestal", Int(r.pedestal)},
        {"firstFrameNo", Int(r.firstFrameNo)}, {"lastFrameNo", Int(r.lastFrameNo)},
        {"chunkCount", Int(r.chunkCount)},
        {"genpOffset", Int(r.genpOffset)}, {"playOffset", Int(r.playOffset)}, {"fszpOffset", Int(r.fszpOffset)},
        {"fpnpOffset", Int(r.fpnpOffset)}, {"dsppOffset", Int(r.dsppOffset)}, {"dfctOffset", Int(r.dfctOffset)},
        {"framOffset", Int(r.framOffset)},
        {"genpVersion", Int(r.genpVersion)}, {"playVersion", Int(r.playVersion)},
        {"fszpVersion", Int(r.fszpVersion)}, {"fpnpVersion", Int(r.fpnpVersion)},
        {"dsppVersion", Int(r.dsppVersion)}, {"dfctVersion", Int(r.dfctVersion)},
        {"framVersion", Int(r.framVersion)},
    };
}

void PrintJson(const std::vector<Field>& fields) {
    std::string out = "{";
    for (size_t i = 0; i < fields.size(); ++i) {
        out += i == 0 ? "\n  " : ",\n  ";
        out += JsonString(fields[i].first) + ": " + fields[i].second;
    }
    out += "\n}\n";
    std::fputs(out.c_str(), stdout);
}

void PrintText(const std::vector<Field>& fields) {
    for (const auto& [name, value] : fields) std::printf("%-20s %s\n", name, value.c_str());
}

}  // namespace

int RunInfo(const InfoOptions& options) {
    CMovieReader reader;
    if (!reader.Open(options.movie, options.noCorrection ? 0 : 1)) {
        std::fprintf(stderr, "zeltiff16-cli: %s: %s\n", options.movie.c_str(), reader.OpenError().c_str());
        return 1;
    }
    if (!reader.CorrectionNote().empty())
        std::fprintf(stderr, "zeltiff16-cli: %s: opened without correction: %s\n", options.movie.c_str(),
                     reader.CorrectionNote().c_str());
    // The parameters are printed as recorded; a short file is worth a warning, not a failure.
    if (const int whole = WholeFramesInFile(reader, reader.FileSize()); whole < reader.frameCount)
        std::fprintf(stderr, "zeltiff16-cli: %s: the file holds only %d of %d frames (it is cut short)\n",
                     options.movie.c_str(), whole, reader.frameCount);
    const auto fields = FieldsOf(reader);
    if (options.json) {
        PrintJson(fields);
    } else {
        std::fputs((MovieSummary(reader, !options.noCorrection) + "\n").c_str(), stdout);
        PrintText(fields);
    }
    return 0;
}

}  // namespace zel::cli
