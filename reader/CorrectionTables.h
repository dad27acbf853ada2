#pragma once
// Correction tables as a frame uses them: the centred frame-sized window of the stored
// tables, one entry per pixel, row by row. Only that window is ever read from the file,
// so loading costs O(frame) whatever size the tables declare.

#include <cstdint>
#include <memory>

namespace zel {

struct CorrectionTables {
    std::unique_ptr<int16_t[]> block;  // owns both tables
    int16_t* offsets = nullptr;        // width x height entries
    int16_t* gains = nullptr;          // kinds 6 and 9 only
    int64_t entries = 0;               // entries in each table
};

enum class TableLoad {
    Loaded,
    Unusable,  // the file has no usable tables; the reason says why
    NoMemory,
};

}  // namespace zel
