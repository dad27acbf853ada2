#include "zelwriter/Container.h"

#include <algorithm>
#include <limits>

#include "zelwriter/ByteWriter.h"
#include "zelwriter/CameraRules.h"
#include "zelwriter/Records.h"

namespace zelgen {
namespace {

constexpr int32_t kOtherChunkVersion = 0x10000;
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

struct Entry {
    std::string tag;
    int32_t lead = 0;
    int32_t length = 0;
    int32_t version = 0;
    std::vector<uint8_t> body;
    uint64_t* position = nullptr;  // where the layout wants this chunk's offset
};

bool Fail(std::string& error, const std::string& message) {
    error = message;
    return false;
}

bool CheckSpec(const MovieSpec& spec, int frameCount, std::string& error) {
    if (spec.cameraCode.size() != 4) return Fail(error, "camera code must be exactly 4 characters");
    if (spec.width < 0 || spec.width > 32767 || spec.height < 0 || spec.height > 32767)
        return Fail(error, "width and height must be 0..32767");
    if (spec.headerPlace < -1 || spec.headerPlace > 1) return Fail(error, "header place must be -1, 0 or 1");
    if (spec.storedBits < 0 || spec.storedBits > 255) return Fail(error, "stored bits must be 0..255");
    if (frameCount < 0) return Fail(error, "frame count must not be negative");
    for (const ChunkSpec& c : spec.extraChunks) {
        if (c.tag.size() != 4) return Fail(error, "chunk tags must be exactly 4 characters");
        if (c.body.size() > static_cast<size_t>(kInt32Max)) return Fail(error, "extra chunk too large");
    }
    return true;
}

// Frame geometry: what the reader will compute, and how the writer lays frames out.
bool PlanFrames(const MovieSpec& spec, MovieLayout& layout, int32_t& recordedStride, std::string& error) {
    layout.format = DeriveStoredFormat(spec);
    const uint64_t bits = static_cast<uint64_t>(layout.format.storedBits);
    layout.pixelBytes = static_cast<uint64_t>(spec.width) * static_cast<uint64_t>(spec.height) * bits / 8;
    layout.headerBytes = spec.headerPlace != 0 ? bits * 8 : 0;
    const uint64_t natural = layout.pixelBytes + layout.headerBytes;
    if (natural > static_cast<uint64_t>(kInt32Max)) return Fail(error, "frame too large for a 32-bit stride");
    // A recorded stride smaller than a frame is kept as written (a broken file); the frames
    // themselves are still laid out whole.
    recordedStride = spec.frameStride != 0 ? spec.frameStride : static_cast<int32_t>(natural);
    layout.frameStride = std::max<uint64_t>(natural, spec.frameStride > 0 ? static_cast<uint64_t>(spec.frameStride) : 0);
    return true;
}

std::vector<uint8_t> BuildHeader(const MovieSpec& spec, const MovieLayout& layout,
                                 const std::vector<Entry>& entries, uint64_t headerSize) {
    std::vector<uint8_t> out(headerSize, 0);
    ByteWriter w(out, spec.bigEndian);
    w.PutText(0, "ZELF");
    w.Put32(16, layout.baseOffset);
    w.PutText(20, spec.bigEndian ? "MMMM" : "IIII");
    w.Put32(24, static_cast<uint32_t>(spec.headerVersion));
    w.Put16(32, static_cast<uint16_t>(layout.format.storedBits));
    const uint16_t flags = spec.headerPlace == 0 ? 0 : (spec.headerPlace < 0 ? 0x5 : 0x1);
    w.Put16(36, flags);
    w.Put16(38, spec.headerWord);
    const uint64_t n = entries.size();
    w.Put32(44, static_cast<uint32_t>(n));
    for (uint64_t i = 0; i < n; ++i) {
        const Entry& e = entries[i];
        w.PutText(48 + 16 * i, e.tag);
        w.Put32(48 + 16 * i + 4, static_cast<uint32_t>(e.lead));
        w.Put32(48 + 16 * i + 8, static_cast<uint32_t>(e.length));
        w.Put32(68 + 16 * n + 4 * i, static_cast<uint32_t>(e.version));
    }
    return out;
}

}  // namespace

bool PlanContainer(const MovieSpec& spec, int frameCount, ContainerPlan& plan, std::string& error) {
    plan = ContainerPlan{};
    MovieLayout& layout = plan.layout;
    int32_t recordedStride = 0;
    if (!CheckSpec(spec, frameCount, error) || !PlanFrames(spec, layout, recordedStride, error))
        return false;

    std::vector<SegmentSpec> segments = spec.segments;
    if (segments.empty()) segments.push_back(SegmentSpec{1, 0, frameCount - 1, {}, {}});

    const int32_t recordVersion = spec.newerLayout ? kNewerRecordVersion : kOlderRecordVersion;
    std::vector<Entry> entries;
    auto add = [&](const std::string& tag, std::vector<uint8_t> body, int32_t version, uint64_t* position) {
        Entry e;
        e.tag = tag;
        e.length = static_cast<int32_t>(body.size());
        e.version = version;
        e.body = std::move(body);
        e.position = position;
        entries.push_back(std::move(e));
    };
    if (spec.includeGenp)
        add("GENP", BuildGenp(spec), spec.genpVersion ? spec.genpVersion : recordVersion, &layout.genp);
    if (spec.includePlay) {
        std::vector<uint8_t> play;
        if (!BuildPlay(spec, segments, recordedStride, play, error)) return false;
        add("PLAY", std::move(play), spec.playVersion ? spec.playVersion : recordVersion, &layout.play);
    }
    if (!spec.newerLayout && spec.includeFszp)
        add("FSZP", BuildFszp(spec, recordedStride), kOlderRecordVersion, &layout.fszp);
    if (spec.correction.kind != 0) {
        std::vector<uint8_t> fpnp;
        if (!BuildFpnp(spec.correction, spec.bigEndian, fpnp, error)) return false;
        add("FPNP", std::move(fpnp), kOtherChunkVersion, &layout.fpnp);
    }
    layout.extras.assign(spec.extraChunks.size(), 0);
    for (size_t i = 0; i < spec.extraChunks.size(); ++i) {
        const ChunkSpec& c = spec.extraChunks[i];
        add(c.tag, c.body, c.version, &layout.extras[i]);
        entries.back().lead = c.lead;
    }
    // FRAM comes last, so its length matters to nobody; it is capped at the field's range.
    const uint64_t framBytes = layout.frameStride * static_cast<uint64_t>(frameCount);
    add("FRAM", {}, kOtherChunkVersion, &layout.fram);
    entries.back().lead = spec.framLead;
    entries.back().length = static_cast<int32_t>(std::min<uint64_t>(framBytes, kInt32Max));

    // A directory too long for 512 bytes pushes the first chunk past it.
    const uint64_t headerSize = std::max<uint64_t>(kFileHeaderBytes, 68 + 20 * entries.size());
    layout.chunkCount = static_cast<int>(entries.size());
    layout.baseOffset = spec.baseOffset != 0 ? spec.baseOffset : static_cast<uint32_t>(headerSize);

    int64_t running = layout.baseOffset;
    for (Entry& e : entries) {
        running += e.lead;
        if (running < 0) return Fail(error, "lead distance puts chunk " + e.tag + " before the file start");
        *e.position = static_cast<uint64_t>(running);
        running += e.length;
    }

    // Header first, then the chunks in directory order; overlapping chunks (negative leads)
    // simply overwrite what came before, as the directory says.
    plan.prefix = BuildHeader(spec, layout, entries, headerSize);
    for (const Entry& e : entries) {
        if (e.body.empty()) continue;
        const uint64_t at = *e.position;
        if (plan.prefix.size() < at + e.body.size()) plan.prefix.resize(at + e.body.size(), 0);
        std::copy(e.body.begin(), e.body.end(), plan.prefix.begin() + static_cast<std::ptrdiff_t>(at));
    }
    plan.prefix.resize(layout.fram, 0);
    layout.fileSize = layout.fram + framBytes;
    return true;
}

}  // namespace zelgen
