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
// Gains are fixed point with 512 meaning 1.0. A frame smaller than the tables uses a
// centred window of them: frame row y takes the `width` entries from linear index
// first + y x tableWidth on, with first = (tableHeight - height) x tableWidth / 2 +
// (tableWidth - width) / 2. Only those entries are read, one span per frame row, so a
// file declaring 32767 x 32767 tables costs no more to open than one of frame size.
// Tables are only used when they lie in the file and are at least as large as the frame.

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

int16_t Sign11(uint16_t word) {
    return static_cast<int16_t>((word & 0x400) != 0 ? (word | 0xf800) : word);
}

// Where a stored table lies: its offset index, the bytes per entry, and the entries
// skipped from the start of the table (kind 6 keeps its gains right after offset table 0).
struct StoredTable {
    int index;
    int entryBytes;
    bool afterTableZero;
};

std::vector<StoredTable> StoredTables(int kind) {
    switch (kind) {
        case 3: return {{0, 1, false}};
        case 9: return {{0, 4, false}};
        case 6: return {{0, 2, false}, {0, 2, true}, {1, 2, false}, {2, 2, false}, {3, 2, false}};
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

// Reads the frame's window of the tables into raw bytes (entryBytes per entry).
class WindowReader {
public:
    WindowReader(const MovieParameters& r, const MovieFile& file)
        : r_(r),
          file_(file),
          tableWidth_(r.correctionWidth),
          entries_(static_cast<int64_t>(r.correctionWidth) * r.correctionHeight),
          first_((static_cast<int64_t>(r.correctionHeight) - r.height) * tableWidth_ / 2 +
                 (tableWidth_ - r.width) / 2) {}

    int64_t TableEntries() const { return entries_; }

    // Start of a stored table in the file.
    int64_t TableStart(const StoredTable& table) const {
        return r_.fpnpOffset + r_.correctionTableOffset[static_cast<size_t>(table.index)] +
               (table.afterTableZero ? entries_ * table.entryBytes : 0);
    }

    bool Read(const StoredTable& table, uint8_t* dest) const {
        const int64_t start = TableStart(table);
        const int64_t rowBytes = static_cast<int64_t>(r_.width) * table.entryBytes;
        if (tableWidth_ == r_.width)  // the window's rows follow each other in the file
            return file_.ReadAt(start + first_ * table.entryBytes, dest,
                                        static_cast<size_t>(rowBytes * r_.height));
        for (int64_t y = 0; y < r_.height; ++y) {
            const int64_t at = start + (first_ + y * tableWidth_) * table.entryBytes;
            if (!file_.ReadAt(at, dest + y * rowBytes, static_cast<size_t>(rowBytes))) return false;
        }
        return true;
    }

private:
    const MovieParameters& r_;
    const MovieFile& file_;
    int64_t tableWidth_;
    int64_t entries_;
    int64_t first_;
};

}  // namespace

TableLoad CMovieReader::ReadCorrectionTables(CorrectionTables& tables, std::string* why) const {
    const auto unusable = [&](const std::string& text) {
        if (why != nullptr) *why = text;
        return TableLoad::Unusable;
    };
    const int kind = fileCorrectionKind;
    const std::string kindText = "correction data of kind " + std::to_string(kind);
    if (!IsOpen() || fpnpOffset == 0) return unusable("the file has no correction data");
    if (pixelFormat == -1) return unusable("8-bit movies are never corrected");
    const std::vector<StoredTable> stored = StoredTables(kind);
    if (stored.empty()) return unusable(kindText + " has no stored tables");
    if (correctionWidth < width || correctionHeight < height)
        return unusable(kindText + ": the tables (" + std::to_string(correctionWidth) + " x " +
                        std::to_string(correctionHeight) + ") are smaller than the frame (" + std::to_string(width) +
                        " x " + std::to_string(height) + ")");

    const WindowReader window(*this, fileHandle);
    for (const StoredTable& table : stored) {
        // The whole declared table must lie in the file, not only the window read from it.
        const int64_t start = window.TableStart(table);
        const int64_t bytes = window.TableEntries() * table.entryBytes;
        if (start > fileHandle.Size() || fileHandle.Size() - start < bytes)
            return unusable(kindText + ": table " + std::to_string(table.index) + " lies past the end of the file");
    }

    const int64_t entries = static_cast<int64_t>(width) * height;
    CorrectionTables loaded;
    loaded.block = TryAllocate<int16_t>(kind == 3 ? entries : 2 * entries);
    auto raw = TryAllocate<uint8_t>(4 * entries);
    std::unique_ptr<int16_t[]> further;
    if (kind == 6) further = TryAllocate<int16_t>(3 * entries);
    if (!loaded.block || !raw || (kind == 6 && !further)) return TableLoad::NoMemory;
    loaded.entries = entries;
    loaded.offsets = loaded.block.get();
    loaded.gains = kind == 3 ? nullptr : loaded.offsets + entries;

    const bool native = nativeOrder != 0;
    const RecordView words(raw.get(), static_cast<size_t>(4 * entries), native);
    const auto read = [&](size_t which) {
        return window.Read(stored[which], raw.get());
    };
    if (!read(0)) return unusable(kindText + ": table 0 cannot be read");
    int16_t* offsets = loaded.offsets;
    int16_t* gains = loaded.gains;
    if (kind == 3) {
        for (int64_t i = 0; i < entries; ++i) offsets[i] = static_cast<int8_t>(raw[static_cast<size_t>(i)]);
    } else if (kind == 9) {
        for (int64_t i = 0; i < entries; ++i) {
            const size_t at = 4 * static_cast<size_t>(i);
            gains[i] = static_cast<int16_t>(words.U16(at) & 0x7fff);
            const int16_t offset = words.S16(at + 2);
            offsets[i] = bitDepth == 12 ? offset : static_cast<int16_t>(offset >> 2);
        }
    } else {  // kind 6: offsets T0, the gains, then T1..T3
        for (int64_t i = 0; i < entries; ++i) offsets[i] = Sign11(words.U16(2 * static_cast<size_t>(i)));
        if (!read(1)) return unusable(kindText + ": the gain table cannot be read");
        for (int64_t i = 0; i < entries; ++i) gains[i] = words.S16(2 * static_cast<size_t>(i));
        for (size_t k = 2; k < stored.size(); ++k) {
            if (!read(k)) return unusable(kindText + ": table " + std::to_string(stored[k].index) + " cannot be read");
            int16_t* tk = further.get() + static_cast<int64_t>(k - 2) * entries;
            for (int64_t i = 0; i < entries; ++i) tk[i] = Sign11(words.U16(2 * static_cast<size_t>(i)));
        }
        const int16_t* t1 = further.get();
        InterpolateKind6(offsets, t1, t1 + entries, t1 + 2 * entries, entries, correctionLow, correctionHigh,
                         correctionPoint);
    }
    tables = std::move(loaded);
    return TableLoad::Loaded;
}

bool OpenSteps::LoadCorrection(CMovieReader& r, bool applyCorrection, Problem& failure) {
    r.correctionKind = 0;
    if (r.fpnpOffset == 0) return true;  // no chunk: the header fields stay 0

    uint8_t headerBytes[kFpnpHeaderSize];
    Problem headerProblem;
    if (!ReadRecord(r, r.fpnpOffset, headerBytes, kFpnpHeaderSize, "FPNP", headerProblem)) {
        if (applyCorrection && r.pixelFormat != -1) r.correctionNote_ = headerProblem.Text();
        return true;
    }
    const RecordView fpnp(headerBytes, kFpnpHeaderSize, r.nativeOrder != 0);
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
    if (StoredTables(kind).empty()) {
        // A kind without stored tables: keep the kind and a zeroed frame-sized block, apply nothing.
        r.correctionKind = kind;
        const int64_t entries = static_cast<int64_t>(r.width) * r.height;
        r.correction_.block = TryAllocate<int16_t>(2 * entries);
        if (!r.correction_.block) return Reject(failure, ProblemCode::NoMemoryForCorrection);
        r.correction_.entries = entries;
        r.correction_.offsets = r.correction_.block.get();
        r.correction_.gains = r.correction_.offsets + entries;
    } else {
        std::string note;
        switch (r.ReadCorrectionTables(r.correction_, &note)) {
            case TableLoad::Loaded: r.correctionKind = kind; break;
            case TableLoad::Unusable: r.correctionNote_ = note; return true;
            case TableLoad::NoMemory: return Reject(failure, ProblemCode::NoMemoryForCorrection);
        }
    }
    r.offsetTable = r.correction_.offsets;
    r.gainTable = r.correction_.gains;
    return true;
}

}  // namespace zel
