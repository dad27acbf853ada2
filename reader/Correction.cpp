// Fixed-pattern-noise correction data, chunk "FPNP".
//
// A 128-byte header gives the kind (48), the table size (56, 58), two factors of a
// stored product (60, 62), the references of kind 6 (104, 105) and four table offsets
// counted from the chunk start (112). With M = width x height table entries:
//   kind 3: M signed bytes of offset;
//   kind 9: M pairs of 16-bit words (gain, offset);
//   kind 6: M offset words (11-bit two's complement) directly followed by M gain words,
//           and three further offset tables T1..T3 that are interpolated into one
//           offset table for the recording's correctionPoint.
// Gains are fixed point with 512 meaning 1.0. Tables are only used when they lie in the
// file and are at least as large as the frame, since frames read a centred window of them.

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "reader/ByteOrder.h"
#include "reader/MovieReader.h"
#include "reader/OpenSteps.h"

namespace zel {

namespace {

constexpr int kFpnpHeaderSize = 128;
// Kinds 3, 6 and 9 have stored tables; any other kind gets a zeroed block of this many
// entries at most and is never applied.
constexpr int64_t kMaxUnfilledEntries = int64_t{1} << 24;

int16_t Sign11(uint16_t word) {
    return static_cast<int16_t>((word & 0x400) != 0 ? (word | 0xf800) : word);
}

// The table bytes of a kind, as (table offset index, byte count) pairs.
std::vector<std::pair<int, int64_t>> StoredTables(int kind, int64_t entries) {
    switch (kind) {
        case 3: return {{0, entries}};
        case 9: return {{0, 4 * entries}};
        case 6: return {{0, 4 * entries}, {1, 2 * entries}, {2, 2 * entries}, {3, 2 * entries}};
        default: return {};
    }
}

template <typename T>
std::unique_ptr<T[]> TryAllocate(int64_t count) {
    try {
        return std::make_unique<T[]>(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Offsets of kind 6 interpolated between the references L and H for the point P. The
// products can exceed 32 bits for points far outside the references, so they are formed
// in 64 bits; equal references leave T0 as it is.
void InterpolateKind6(int16_t* t0, const int16_t* t1, const int16_t* t2, const int16_t* t3, int64_t entries,
                      int64_t low, int64_t high, int64_t point) {
    const int64_t d = high - low;
    if (d == 0) return;
    const int64_t hp = high - point, pl = point - low, dd = d * d;
    for (int64_t i = 0; i < entries; ++i) {
        const int64_t sum = (t0[i] * hp + t1[i] * pl) * hp + (t2[i] * hp + t3[i] * pl) * d + dd / 2;
        t0[i] = static_cast<int16_t>(sum / dd);
    }
}

}  // namespace

bool OpenSteps::LoadCorrection(CMovieReader& r, bool applyCorrection, std::string& reason) {
    r.correctionKind = 0;
    if (r.fpnpOffset == 0) return true;  // no chunk: the header fields stay 0

    uint8_t headerBytes[kFpnpHeaderSize];
    std::string headerProblem;
    if (!ReadRecord(r, r.fpnpOffset, headerBytes, kFpnpHeaderSize, "FPNP", headerProblem)) {
        if (applyCorrection && r.pixelFormat != -1) r.correctionNote_ = headerProblem;
        return true;
    }
    const bool native = r.nativeOrder != 0;
    const RecordView fpnp(headerBytes, kFpnpHeaderSize, native);
    r.fileCorrectionKind = fpnp.S16(48);
    r.correctionWidth = fpnp.S16(56);
    r.correctionHeight = fpnp.S16(58);
    r.correctionProduct = static_cast<int>(static_cast<int64_t>(fpnp.S16(60)) * fpnp.S16(62) *
                                           r.correctionHeight * r.correctionWidth);
    r.correctionLow = fpnp.S8(104);
    r.correctionHigh = fpnp.S8(105) + 1;
    for (int k = 0; k < 4; ++k) r.correctionTableOffset[k] = fpnp.U32(112 + 4 * static_cast<size_t>(k));

    // 8-bit movies are never corrected.
    if (!applyCorrection || r.pixelFormat == -1) return true;

    const int kind = r.fileCorrectionKind;
    const int64_t entries = static_cast<int64_t>(r.correctionWidth) * r.correctionHeight;
    const auto tables = StoredTables(kind, entries);
    if (tables.empty()) {
        // A kind without stored tables: keep the kind, apply nothing.
        r.correctionKind = kind;
        if (entries > 0 && entries <= kMaxUnfilledEntries) {
            r.correctionBlock_ = TryAllocate<int16_t>(2 * entries);
            if (!r.correctionBlock_) {
                reason = "cannot allocate memory for the correction tables";
                return false;
            }
            r.offsetTable = r.correctionBlock_.get();
            r.gainTable = r.offsetTable + entries;
            r.correctionEntries_ = entries;
        }
        return true;
    }

    const std::string kindText = "correction data of kind " + std::to_string(kind);
    if (r.correctionWidth < r.width || r.correctionHeight < r.height) {
        r.correctionNote_ = kindText + ": the tables (" + std::to_string(r.correctionWidth) + " x " +
                            std::to_string(r.correctionHeight) + ") are smaller than the frame (" +
                            std::to_string(r.width) + " x " + std::to_string(r.height) + ")";
        return true;
    }
    for (const auto& [index, bytes] : tables) {
        const int64_t start = r.fpnpOffset + r.correctionTableOffset[index];
        if (start > r.fileHandle.Size() || r.fileHandle.Size() - start < bytes) {
            r.correctionNote_ = kindText + ": table " + std::to_string(index) + " lies past the end of the file";
            return true;
        }
    }

    const int64_t blockEntries = kind == 3 ? entries : 2 * entries;
    auto block = TryAllocate<int16_t>(blockEntries);
    const int64_t rawBytes = tables.front().second;
    auto raw = TryAllocate<uint8_t>(rawBytes);
    std::unique_ptr<int16_t[]> further;
    if (kind == 6) further = TryAllocate<int16_t>(3 * entries);
    if (!block || !raw || (kind == 6 && !further)) {
        reason = "cannot allocate memory for the correction tables";
        return false;
    }

    int16_t* offsets = block.get();
    int16_t* gains = kind == 3 ? nullptr : offsets + entries;
    const auto readTable = [&](int index, int64_t bytes) {
        return r.fileHandle.ReadAt(r.fpnpOffset + r.correctionTableOffset[index], raw.get(),
                                   static_cast<size_t>(bytes));
    };
    const RecordView words(raw.get(), static_cast<size_t>(rawBytes), native);

    if (!readTable(0, rawBytes)) {
        r.correctionNote_ = kindText + ": table 0 cannot be read";
        return true;
    }
    if (kind == 3) {
        for (int64_t i = 0; i < entries; ++i) offsets[i] = static_cast<int8_t>(raw[static_cast<size_t>(i)]);
    } else if (kind == 9) {
        for (int64_t i = 0; i < entries; ++i) {
            const size_t at = 4 * static_cast<size_t>(i);
            gains[i] = static_cast<int16_t>(words.U16(at) & 0x7fff);
            const int16_t offset = words.S16(at + 2);
            offsets[i] = r.bitDepth == 12 ? offset : static_cast<int16_t>(offset >> 2);
        }
    } else {  // kind 6
        for (int64_t i = 0; i < entries; ++i) {
            offsets[i] = Sign11(words.U16(2 * static_cast<size_t>(i)));
            gains[i] = words.S16(2 * static_cast<size_t>(entries + i));
        }
        for (int k = 1; k <= 3; ++k) {
            if (!readTable(k, 2 * entries)) {
                r.correctionNote_ = kindText + ": table " + std::to_string(k) + " cannot be read";
                return true;
            }
            int16_t* tk = further.get() + (k - 1) * entries;
            for (int64_t i = 0; i < entries; ++i) tk[i] = Sign11(words.U16(2 * static_cast<size_t>(i)));
        }
        const int16_t* t1 = further.get();
        InterpolateKind6(offsets, t1, t1 + entries, t1 + 2 * entries, entries, r.correctionLow,
                         r.correctionHigh, r.correctionPoint);
    }

    r.correctionBlock_ = std::move(block);
    r.offsetTable = offsets;
    r.gainTable = gains;
    r.correctionEntries_ = entries;
    r.correctionKind = kind;
    return true;
}

}  // namespace zel
