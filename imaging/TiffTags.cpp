// Looking up directory entries in a TIFF image held in memory. The block may come from
// anywhere, so every offset and count read from it is checked against its size before
// use; anything that points outside the block counts as "not found".

#include "imaging/ImagingDetail.h"
#include "imaging/TiffImage.h"

namespace zel {

namespace {

using detail::LoadLe16;
using detail::LoadLe32;

constexpr size_t kEntrySize = 12;

// Bytes of one value of a TIFF field type, 0 for a type TIFF does not define.
uint64_t FieldTypeSize(uint16_t type) {
    switch (type) {
        case 1:   // BYTE
        case 2:   // ASCII
        case 6:   // SBYTE
        case 7:   // UNDEFINED
            return 1;
        case 3:   // SHORT
        case 8:   // SSHORT
            return 2;
        case 4:   // LONG
        case 9:   // SLONG
        case 11:  // FLOAT
            return 4;
        case 5:   // RATIONAL
        case 10:  // SRATIONAL
        case 12:  // DOUBLE
            return 8;
        default:
            return 0;
    }
}

}  // namespace

const uint8_t* FindTiffTag(const uint8_t* block, size_t blockSize, int tag, const uint8_t** valuePointer) {
    // Only the little-endian files we write are understood; the fields are read as such.
    if (block == nullptr || blockSize < 8 || block[0] != 'I' || block[1] != 'I' || LoadLe16(block + 2) != 42) {
        return nullptr;
    }
    const uint64_t directory = LoadLe32(block + 4);
    if (directory > blockSize || blockSize - directory < 2) {
        return nullptr;
    }
    const auto count = static_cast<int16_t>(LoadLe16(block + directory));  // a negative count lists nothing
    for (int i = 0; i < count; ++i) {
        const uint64_t at = directory + 2 + kEntrySize * static_cast<uint64_t>(i);
        if (at > blockSize || blockSize - at < kEntrySize) {
            return nullptr;  // the directory runs past the block
        }
        const uint8_t* entry = block + at;
        const uint16_t entryTag = LoadLe16(entry);
        if (entryTag == 0) {
            return nullptr;
        }
        if (entryTag != tag) {
            continue;
        }
        const uint64_t valueSize = FieldTypeSize(LoadLe16(entry + 2)) * LoadLe32(entry + 4);
        const uint8_t* value = entry + 8;  // values of up to 4 bytes sit in the entry itself
        if (valueSize > 4) {
            const uint64_t offset = LoadLe32(entry + 8);
            if (offset > blockSize || blockSize - offset < valueSize) {
                return nullptr;  // the value lies (partly) outside the block
            }
            value = block + offset;
        }
        if (valuePointer != nullptr) {
            *valuePointer = value;
        }
        return entry;
    }
    return nullptr;
}

int64_t GetTiffTagValue(int tag, const uint8_t* block, size_t blockSize) {
    const uint8_t* value = nullptr;
    const uint8_t* entry = FindTiffTag(block, blockSize, tag, &value);
    if (entry == nullptr) {
        return 0;
    }
    // At least 4 bytes are readable at `value`: the entry's value field, or an outside
    // value that FindTiffTag checked to be longer than 4 bytes.
    switch (LoadLe16(entry + 2)) {
        case 1:  // BYTE
            return value[0];
        case 3:  // SHORT
            return LoadLe16(value);
        case 6:  // SBYTE
            return static_cast<int8_t>(value[0]);
        case 8:  // SSHORT
            return static_cast<int16_t>(LoadLe16(value));
        case 9:   // SLONG
        case 10:  // SRATIONAL: the numerator
            return static_cast<int32_t>(LoadLe32(value));
        case 2:   // ASCII
        case 4:   // LONG
        case 5:   // RATIONAL: the numerator
        case 7:   // UNDEFINED
        case 11:  // FLOAT: its bit pattern
        case 12:  // DOUBLE: its first 32 bits
            return LoadLe32(value);
        default:
            return 0;  // a field type TIFF does not define has no value we could give
    }
}

}  // namespace zel
