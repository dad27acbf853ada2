#include "reader/ParameterList.h"

namespace zel {

std::vector<ParameterField> ParameterFields(const MovieParameters& r) {
    using Value = int64_t;
    return {
        {"fileName", r.fileName},
        {"cameraCode", std::string(r.cameraCode.data(), r.cameraCode.size())},
        {"width", Value{r.width}}, {"height", Value{r.height}}, {"frameCount", Value{r.frameCount}},
        {"bitDepth", Value{r.bitDepth}}, {"storedBits", Value{r.storedBits}}, {"pixelFormat", Value{r.pixelFormat}},
        {"colorPattern", Value{r.colorPattern}}, {"sensorMode", Value{r.sensorMode}},
        {"nativeOrder", Value{r.nativeOrder}}, {"frameStride", Value{r.frameStride}},
        {"frameBytes", Value{r.frameBytes}}, {"frameHeaderPlace", Value{r.frameHeaderPlace}},
        {"frameHeaderSize", Value{r.frameHeaderSize}}, {"rateIndex", Value{r.rateIndex}},
        {"rateNumerator", Value{r.rateNumerator}}, {"rateDenominator", Value{r.rateDenominator}},
        {"framePeriodUs", Value{r.framePeriodUs}}, {"fileRate", Value{r.fileRate}},
        {"correctionKind", Value{r.correctionKind}}, {"fileCorrectionKind", Value{r.fileCorrectionKind}},
        {"correctionWidth", Value{r.correctionWidth}}, {"correctionHeight", Value{r.correctionHeight}},
        {"correctionPoint", Value{r.correctionPoint}}, {"correctionLow", Value{r.correctionLow}},
        {"correctionHigh", Value{r.correctionHigh}}, {"pedestal", Value{r.pedestal}},
        {"firstFrameNo", Value{r.firstFrameNo}}, {"lastFrameNo", Value{r.lastFrameNo}},
        {"chunkCount", Value{r.chunkCount}},
        {"genpOffset", Value{r.genpOffset}}, {"playOffset", Value{r.playOffset}}, {"fszpOffset", Value{r.fszpOffset}},
        {"fpnpOffset", Value{r.fpnpOffset}}, {"dsppOffset", Value{r.dsppOffset}}, {"dfctOffset", Value{r.dfctOffset}},
        {"framOffset", Value{r.framOffset}},
        {"genpVersion", Value{r.genpVersion}}, {"playVersion", Value{r.playVersion}},
        {"fszpVersion", Value{r.fszpVersion}}, {"fpnpVersion", Value{r.fpnpVersion}},
        {"dsppVersion", Value{r.dsppVersion}}, {"dfctVersion", Value{r.dfctVersion}},
        {"framVersion", Value{r.framVersion}},
    };
}

}  // namespace zel
