#include "zelwriter/Records.h"

#include <limits>

#include "zelwriter/ByteWriter.h"

namespace zelgen {
namespace {

template <typename T>
bool Fits(int64_t v) {
    return v >= std::numeric_limits<T>::min() && v <= std::numeric_limits<T>::max();
}

bool Fail(std::string& error, const std::string& message) {
    error = message;
    return false;
}

// Field offsets of the two PLAY layouts.
struct PlayOffsets {
    uint32_t size, playWord, correctionPoint, segmentTable, segmentEntry;
    uint32_t segFirst, segLast, segWord1, segBytes12, segBytes345, segWords23;
    uint32_t rateIndex, rateNumerator, rateDenominator;
};
constexpr PlayOffsets kOlderPlay{kPlayBytesOlder, 168, 170, 274, 64, 10, 14, 30, 32, 35, 38, 1590, 1626, 1632};
constexpr PlayOffsets kNewerPlay{kPlayBytesNewer, 162, 164, 182, 68, 18, 22, 38, 40, 43, 46, 1626, 1668, 1664};

void PutSegment(ByteWriter& w, uint64_t at, const PlayOffsets& o, const SegmentSpec& s) {
    w.Put16(at, static_cast<uint16_t>(s.kind));
    w.Put32(at + o.segFirst, static_cast<uint32_t>(s.first));
    w.Put32(at + o.segLast, static_cast<uint32_t>(s.last));
    w.Put16(at + o.segWord1, static_cast<uint16_t>(s.words[0]));
    w.Put8(at + o.segBytes12, static_cast<uint8_t>(s.bytes[0]));
    w.Put8(at + o.segBytes12 + 1, static_cast<uint8_t>(s.bytes[1]));
    for (int i = 0; i < 3; ++i)
        w.Put8(at + o.segBytes345 + static_cast<uint64_t>(i), static_cast<uint8_t>(s.bytes[2 + static_cast<size_t>(i)]));
    w.Put16(at + o.segWords23, static_cast<uint16_t>(s.words[1]));
    w.Put16(at + o.segWords23 + 2, static_cast<uint16_t>(s.words[2]));
}

// A table as stored: the given entries, or `fill` everywhere when it was left empty.
bool TableOrFill(const std::vector<int16_t>& table, uint64_t m, int16_t fill, const char* name,
                 std::vector<int16_t>& out, std::string& error) {
    if (table.empty()) {
        out.assign(m, fill);
        return true;
    }
    if (table.size() != m)
        return Fail(error, std::string("correction table ") + name + " must have width*height entries");
    out = table;
    return true;
}

}  // namespace

std::vector<uint8_t> BuildGenp(const MovieSpec& spec) {
    std::vector<uint8_t> out(spec.newerLayout ? kGenpBytesNewer : kGenpBytesOlder, 0);
    ByteWriter w(out, spec.bigEndian);
    w.PutText(80, spec.cameraCode);
    w.Put16(84, static_cast<uint16_t>(spec.generalWord));
    return out;
}

bool BuildPlay(const MovieSpec& spec, const std::vector<SegmentSpec>& segments, int32_t recordedStride,
               std::vector<uint8_t>& out, std::string& error) {
    const PlayOffsets& o = spec.newerLayout ? kNewerPlay : kOlderPlay;
    if (segments.size() > static_cast<size_t>(kSegmentEntries))
        return Fail(error, "at most 16 recording segments fit the segment table");
    for (const SegmentSpec& s : segments)
        if (!Fits<uint16_t>(s.kind)) return Fail(error, "segment kind does not fit 16 bits");
    if (!Fits<uint16_t>(spec.modeWord)) return Fail(error, "mode word does not fit 16 bits");
    if (spec.newerLayout ? !Fits<int8_t>(spec.rateIndex) : !Fits<int16_t>(spec.rateIndex))
        return Fail(error, "rate index does not fit its field");
    if (!spec.newerLayout && !Fits<int16_t>(spec.rateNumerator))
        return Fail(error, "rate numerator does not fit the older layout's 16-bit field");

    out.assign(o.size, 0);
    ByteWriter w(out, spec.bigEndian);
    w.Put16(160, static_cast<uint16_t>(spec.modeWord));
    w.Put16(o.playWord, static_cast<uint16_t>(spec.playWord));
    w.Put16(o.correctionPoint, static_cast<uint16_t>(spec.correctionPoint));
    for (size_t i = 0; i < segments.size(); ++i)
        PutSegment(w, o.segmentTable + o.segmentEntry * i, o, segments[i]);
    if (spec.newerLayout) {
        w.Put8(o.rateIndex, static_cast<uint8_t>(spec.rateIndex));
        w.Put32(o.rateNumerator, static_cast<uint32_t>(spec.rateNumerator));
        w.Put32(1540, static_cast<uint32_t>(spec.fileRate));
        w.Put16(1544, static_cast<uint16_t>(spec.width));
        w.Put16(1546, static_cast<uint16_t>(spec.height));
        w.Put32(1588, static_cast<uint32_t>(recordedStride));
        w.Put8(1596, static_cast<uint8_t>(spec.storedBits));
    } else {
        w.Put16(o.rateIndex, static_cast<uint16_t>(spec.rateIndex));
        w.Put16(o.rateNumerator, static_cast<uint16_t>(spec.rateNumerator));
    }
    w.Put32(o.rateDenominator, static_cast<uint32_t>(spec.rateDenominator));
    return true;
}

std::vector<uint8_t> BuildFszp(const MovieSpec& spec, int32_t recordedStride) {
    std::vector<uint8_t> out(kFszpBytes, 0);
    ByteWriter w(out, spec.bigEndian);
    w.Put32(48, static_cast<uint32_t>(spec.fileRate));
    w.Put16(52, static_cast<uint16_t>(spec.width));
    w.Put16(54, static_cast<uint16_t>(spec.height));
    w.Put32(96, static_cast<uint32_t>(recordedStride));
    return out;
}

bool BuildFpnp(const CorrectionSpec& c, bool bigEndian, std::vector<uint8_t>& out, std::string& error) {
    if (!Fits<int16_t>(c.kind)) return Fail(error, "correction kind does not fit 16 bits");
    if (c.width < 0 || c.height < 0 || !Fits<int16_t>(c.width) || !Fits<int16_t>(c.height))
        return Fail(error, "correction table size must be 0..32767 in each direction");
    if (!Fits<int8_t>(c.low) || !Fits<int8_t>(int64_t{c.high} - 1))
        return Fail(error, "correction references must fit a signed byte (high - 1 for the upper one)");
    const uint64_t m = static_cast<uint64_t>(c.width) * static_cast<uint64_t>(c.height);

    std::vector<int16_t> offsets, gains, t1, t2, t3;
    const bool hasGains = c.kind == 6 || c.kind == 9;
    if (c.kind == 3 || hasGains) {
        if (!TableOrFill(c.offsets, m, 0, "offsets", offsets, error)) return false;
    }
    if (hasGains && !TableOrFill(c.gains, m, 512, "gains", gains, error)) return false;
    if (c.kind == 6) {
        if (!TableOrFill(c.t1, m, 0, "t1", t1, error) || !TableOrFill(c.t2, m, 0, "t2", t2, error) ||
            !TableOrFill(c.t3, m, 0, "t3", t3, error))
            return false;
    }
    if (c.kind == 3)
        for (int16_t v : offsets)
            if (!Fits<int8_t>(v)) return Fail(error, "kind 3 offsets are signed bytes (-128..127)");

    // Table positions relative to the chunk start, directly after the header.
    std::array<uint64_t, 4> at{kFpnpHeaderBytes, kFpnpHeaderBytes, kFpnpHeaderBytes, kFpnpHeaderBytes};
    uint64_t end = kFpnpHeaderBytes;
    if (c.kind == 3) {
        end += m;
    } else if (c.kind == 9) {
        end += 4 * m;
    } else if (c.kind == 6) {
        at[1] = kFpnpHeaderBytes + 4 * m;  // T0 and the gains come first
        at[2] = at[1] + 2 * m;
        at[3] = at[2] + 2 * m;
        end = at[3] + 2 * m;
    }
    if (end > std::numeric_limits<int32_t>::max())
        return Fail(error, "correction tables too large for one chunk");

    out.assign(end, 0);
    ByteWriter w(out, bigEndian);
    w.Put16(48, static_cast<uint16_t>(c.kind));
    w.Put16(56, static_cast<uint16_t>(c.width));
    w.Put16(58, static_cast<uint16_t>(c.height));
    w.Put16(60, static_cast<uint16_t>(c.factor1));
    w.Put16(62, static_cast<uint16_t>(c.factor2));
    w.Put8(104, static_cast<uint8_t>(c.low));
    w.Put8(105, static_cast<uint8_t>(c.high - 1));
    for (size_t k = 0; k < 4; ++k) {
        const uint32_t recorded = c.tableOffsets ? (*c.tableOffsets)[k] : static_cast<uint32_t>(at[k]);
        w.Put32(112 + 4 * k, recorded);
    }

    for (uint64_t i = 0; i < m; ++i) {
        if (c.kind == 3) {
            w.Put8(at[0] + i, static_cast<uint8_t>(offsets[i]));
        } else if (c.kind == 9) {
            w.Put16(at[0] + 4 * i, static_cast<uint16_t>(gains[i]));
            w.Put16(at[0] + 4 * i + 2, static_cast<uint16_t>(offsets[i]));
        } else if (c.kind == 6) {
            w.Put16(at[0] + 2 * i, static_cast<uint16_t>(offsets[i]));
            w.Put16(at[0] + 2 * m + 2 * i, static_cast<uint16_t>(gains[i]));
            w.Put16(at[1] + 2 * i, static_cast<uint16_t>(t1[i]));
            w.Put16(at[2] + 2 * i, static_cast<uint16_t>(t2[i]));
            w.Put16(at[3] + 2 * i, static_cast<uint16_t>(t3[i]));
        }
    }
    return true;
}

}  // namespace zelgen
