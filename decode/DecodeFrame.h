#pragma once
// Unpacking of the stored pixel layouts of a movie frame into the sample buffer.
//
// The sample buffer holds width x rows unsigned 16-bit samples, row by row, top row
// first, without gaps. The stored layouts are byte streams, so byte order does not
// apply to them.

#include <cstddef>
#include <cstdint>

namespace zel {

// Stored layouts, by the reader's pixelFormat value.
enum PixelFormat : int {
    Stored8Plain = -1,     // 8-bit samples kept as they are (never decoded)
    Lane10Raster = 0,      // 10-bit lane packing, raster order
    Lane10Quadrant = 1,    // 10-bit lane packing, four quadrants from the centre
    Companded8Tiles = 2,   // companded 8-bit codes, centre-out 2 x 8 tiles
    Bits10Tiles = 3,       // MSB-first 10-bit stream, centre-out tiles
    Bits12Tiles = 4,       // MSB-first 12-bit stream, centre-out tiles
    Companded8Raster = 5,  // companded 8-bit codes, raster order
    Bits10Raster = 6,      // MSB-first 10-bit stream, raster order
};

// Told about rows as soon as the decoder has finished them, so that further work on them
// (the correction) runs while they are still in cache. Runs of rows come in any order,
// never overlap, and together cover every row of the frame.
class RowSink {
public:
    virtual void RowsDone(int firstRow, int rows) = 0;

protected:
    ~RowSink() = default;
};

// Fills table[0..255] with Expand8To10, the 8-to-10-bit companding curve.
void BuildExpandTable(uint16_t table[256]);

// Unpacks one frame of `rows` rows. `packed` holds `packedBytes` stored bytes (none
// when null); bits the layout would take from beyond them read as 0. `out` has room
// for exactly width x rows samples and nothing outside it is ever written. Samples
// the layout does not reach (dimensions that are not the multiples it needs) keep
// their value.
// pixelFormat -1 and values outside 0..6 write nothing, and so do width or rows <= 0
// (the sink is then not called). The frame is decoded in bands of rows of a few tens
// of kilobytes; `sink`, when given, is told about each band as it is finished.
void DecodeFrame(const uint8_t* packed, size_t packedBytes, int width, int rows, uint16_t* out,
                 int pixelFormat, RowSink* sink = nullptr);

// True when DecodeFrame with these arguments is known to write every one of the
// width x rows samples, so that its result does not depend on what `out` held: the
// layout's fast path covers the frame in whole units (32 samples of the lane packing,
// 512 of its quadrant form). False for pixelFormat -1 (nothing is decoded) and wherever
// coverage is not assured.
bool DecodeWritesEverySample(int width, int rows, int pixelFormat, size_t packedBytes);

}  // namespace zel
