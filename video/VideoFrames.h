#pragma once
// A movie frame's samples made into a video picture, without FFmpeg (the pictures are
// plain planes; VideoEncoder hands them out).
//
// FFV1 pictures hold the values of the frame's 16-bit TIFF file, made by the TIFF
// builder's own conversion (8-bit movies' samples x 256, deeper ones as they are), so a
// decoded frame equals that file's pixels.
//
// H.264 pictures show the window's 8-bit rendering of the frame at a depth (the display
// gain; the one mapping of imaging/DisplayBitmap.h). That grey goes into Y, with Cb and
// Cr neutral (128), in limited range: Y = 16 + round(v x 219 / 255), which is what every
// player assumes, so black is black and white is white everywhere; a player turns
// 16..235 back into 0..255, within half a level of the rendering before compression.
// 4:2:0 needs even sides: an odd frame gets its last column or row repeated.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zel {

// Limited-range Y of each 8-bit rendering value.
const std::array<uint8_t, 256>& LimitedRangeLuma();

// Writes height rows of width samples (bytesPerSample 1, 2 or 4, top row first) as 16-bit
// little-endian values of the 16-bit TIFF for a movie of bitDepth bits, one row every
// stride bytes.
void FillTiffValuePicture(const void* samples, int bytesPerSample, int bitDepth, int width, int height,
                          uint8_t* plane, ptrdiff_t stride);

// Writes the 8-bit rendering at `depth` of the samples into the Y plane's first width x
// height values (full range 0..255, for overlays to be drawn on), then nothing else.
void FillRenderingPicture(const void* samples, int bytesPerSample, int depth, int width, int height, uint8_t* luma,
                          ptrdiff_t stride);

// Turns the rendering in the Y plane into limited-range Y, repeats the last column and
// row into the coded size's padding, and sets Cb and Cr (codedWidth/2 x codedHeight/2)
// to neutral grey.
void FinishLumaPicture(int width, int height, int codedWidth, int codedHeight, uint8_t* const planes[3],
                       const ptrdiff_t strides[3]);

}  // namespace zel
