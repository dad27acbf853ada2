#pragma once
// A small bitmap font for text burned into video frames, built into the program so that
// exporting needs no font files or text renderer. Each glyph is 5 x 9 font pixels: 7 rows
// above the baseline (capital and digit height) and 2 below for descenders (g, p, µ), set
// in cells 7 pixels apart: two columns between glyphs, so that with the outline drawn
// around them a black column still parts one glyph from the next. It holds the digits, the
// lowercase letters, the micro sign and the punctuation that frame numbers, times and
// lengths are written with; any other code point is drawn as an empty box, so a missing
// glyph shows instead of vanishing.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

inline constexpr int kFontGlyphWidth = 5;
inline constexpr int kFontGlyphHeight = 9;
inline constexpr int kFontAdvance = 7;  // from one glyph cell to the next

struct FontGlyph {
    std::array<uint8_t, kFontGlyphHeight> rows{};  // bit 4 is the leftmost column

    bool Ink(int x, int y) const {
        return x >= 0 && x < kFontGlyphWidth && y >= 0 && y < kFontGlyphHeight && ((rows[y] >> (kFontGlyphWidth - 1 - x)) & 1) != 0;
    }
};

// Whether the font has a glyph of its own for `codePoint`.
bool FontHasGlyph(char32_t codePoint);

// The glyph of `codePoint`; the box for one the font lacks.
const FontGlyph& FontGlyphOf(char32_t codePoint);

// The code points of UTF-8 `text`; each byte that starts no valid sequence is U+FFFD.
std::u32string FontCodePoints(std::string_view text);

}  // namespace zel
