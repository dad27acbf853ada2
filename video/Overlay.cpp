#include "video/Overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "reader/FrameTime.h"
#include "video/BitmapFont.h"

namespace zel {

namespace {

// Font pixels between the frame's edge and the overlays' ink, and from one text line to the
// next: enough that the outlines never touch the edge or each other's glyphs.
constexpr int kMargin = 2;
constexpr int kLinePitch = kFontGlyphHeight + 3;
constexpr int kBarThickness = 3;
// The label's glyph cell ends this far above the bar, so a descender's outline and the
// bar's outline meet without overlapping.
constexpr int kLabelAboveBar = kFontGlyphHeight + 2;
// Glyph cells of a frame line like "frame 123456  (#−123456)", which the width should hold.
constexpr int kFrameLineCells = 26;

// "−5", with the minus sign the time text uses; INT64_MIN too.
std::string SignedText(int64_t value) {
    const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    return (value < 0 ? "\u2212" : "") + std::to_string(magnitude);
}

int64_t TextWidth(const std::string& text, int scale) {
    const auto cells = static_cast<int64_t>(FontCodePoints(text).size());
    return cells == 0 ? 0 : (cells * kFontAdvance - (kFontAdvance - kFontGlyphWidth)) * scale;
}

OverlayRect Grown(const OverlayRect& r, int64_t by) { return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by}; }

bool Overlaps(const OverlayRect& a, const OverlayRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// The ink of one glyph whose cell starts at (x, y): its pixels joined into runs along the rows.
void AddGlyphInk(const FontGlyph& glyph, int64_t cellX, int64_t cellY, int s, std::vector<OverlayRect>& ink) {
    for (int y = 0; y < kFontGlyphHeight; ++y)
        for (int x = 0; x < kFontGlyphWidth;) {
            int end = x;
            while (end < kFontGlyphWidth && glyph.Ink(end, y)) ++end;
            if (end > x) ink.push_back({cellX + int64_t{x} * s, cellY + int64_t{y} * s, int64_t{end - x} * s, s});
            x = std::max(end, x + 1);
        }
}

// The ink of every line, the scale bar's label and the bar. Glyphs whose outlined cell
// misses a width x height image are skipped.
std::vector<OverlayRect> InkOf(const OverlayLayout& layout, int width, int height) {
    const int s = layout.scale;
    const OverlayRect image{0, 0, width, height};
    std::vector<OverlayRect> ink;
    auto addText = [&](const OverlayText& line) {
        int64_t cellX = line.x;
        for (const char32_t c : FontCodePoints(line.text)) {
            if (cellX - s >= width) break;  // this glyph and the rest lie right of the image
            const OverlayRect cell = Grown({cellX, line.y, kFontGlyphWidth * int64_t{s}, kFontGlyphHeight * int64_t{s}}, s);
            if (Overlaps(cell, image)) AddGlyphInk(FontGlyphOf(c), cellX, line.y, s, ink);
            cellX += int64_t{kFontAdvance} * s;
        }
    };
    for (const OverlayText& line : layout.lines) addText(line);
    if (layout.scaleBar) {
        addText(layout.scaleBar->label);
        ink.push_back(layout.scaleBar->bar);
    }
    return ink;
}

// Fills `rect`, cut to the image, with `value`. Positions are 64-bit and the cut comes first,
// so a rectangle reaching far outside the image writes nothing there.
template <typename Pixel>
void Fill(Pixel* pixels, int width, int height, ptrdiff_t stride, const OverlayRect& rect, Pixel value) {
    const int64_t x0 = std::max<int64_t>(rect.x, 0);
    const int64_t y0 = std::max<int64_t>(rect.y, 0);
    const int64_t x1 = std::min<int64_t>(rect.x + rect.width, width);
    const int64_t y1 = std::min<int64_t>(rect.y + rect.height, height);
    if (x0 >= x1) return;  // wholly left or right of the image: an empty span, not a negative one
    for (int64_t y = y0; y < y1; ++y) std::fill(pixels + y * stride + x0, pixels + y * stride + x1, value);
}

// Black outlines first, the white ink over them: where one overlay's outline meets another's
// ink, the ink stays white.
template <typename Pixel>
void Draw(Pixel* pixels, int width, int height, ptrdiff_t stride, Pixel white, const OverlayOptions& options,
          const OverlayContent& content) {
    if (pixels == nullptr || width <= 0 || height <= 0 || stride < width) return;
    const OverlayLayout layout = LayOutOverlays(width, height, options, content);
    const std::vector<OverlayRect> ink = InkOf(layout, width, height);
    for (const OverlayRect& rect : ink) Fill(pixels, width, height, stride, Grown(rect, layout.scale), Pixel{0});
    for (const OverlayRect& rect : ink) Fill(pixels, width, height, stride, rect, white);
}

}  // namespace

int OverlayScale(int width, int height) {
    const int64_t byHeight = std::llround(height / (30.0 * kFontGlyphHeight));
    const int64_t byWidth = width / (int64_t{kFrameLineCells} * kFontAdvance);
    return static_cast<int>(std::max<int64_t>(1, std::min(byHeight, byWidth)));
}

std::string OverlayFrameText(const OverlayContent& content) {
    std::string text = "frame " + SignedText(content.frameIndex);
    if (content.frameNumber) text += "  (#" + SignedText(*content.frameNumber) + ")";
    return text;
}

std::optional<double> NiceScaleBarLength(double pixelSize, int64_t width) {
    if (!(pixelSize > 0) || !std::isfinite(pixelSize) || width <= 0) return std::nullopt;
    const double target = static_cast<double>(width) / 5.0 * pixelSize;
    if (!(target > 0) || !std::isfinite(target)) return std::nullopt;
    const double decade = std::floor(std::log10(target));
    double best = 0.0;
    double bestDistance = INFINITY;
    for (double power = decade - 1; power <= decade + 1; ++power)
        for (const double mantissa : {1.0, 2.0, 5.0}) {
            const double length = mantissa * std::pow(10.0, power);
            const double distance = std::fabs(std::log(length / target));
            if (length > 0 && std::isfinite(length) && distance < bestDistance) {
                best = length;
                bestDistance = distance;
            }
        }
    const double pixels = best / pixelSize;
    if (!(pixels >= 1.0) || pixels > static_cast<double>(width)) return std::nullopt;
    return best;
}

std::string ScaleBarLabel(double length, const Calibration& calibration) {
    char number[64];
    if (length >= 1e-6 && length < 1e9) {
        // As many decimals as the leading digit needs: 0.5, 0.02, 100.
        const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(length) + 1e-9)));
        std::snprintf(number, sizeof number, "%.*f", decimals, length);
    } else {
        std::snprintf(number, sizeof number, "%g", length);
    }
    return std::string(number) + " " + calibration.UnitText();
}

OverlayLayout LayOutOverlays(int width, int height, const OverlayOptions& options, const OverlayContent& content) {
    OverlayLayout layout;
    if (width <= 0 || height <= 0) return layout;
    const int s = layout.scale = OverlayScale(width, height);
    const int64_t margin = int64_t{kMargin} * s;

    int64_t y = margin;
    auto addLine = [&](std::string text) {
        layout.lines.push_back({std::move(text), margin, y});
        y += int64_t{kLinePitch} * s;
    };
    if (options.frameNumber) addLine(OverlayFrameText(content));
    // A time that could not be computed is left out rather than shown as some number.
    if (options.time && content.seconds && std::isfinite(*content.seconds)) addLine("t = " + TimeText(*content.seconds));

    if (options.scaleBar && content.calibration.Known()) {
        const double pixelSize = content.calibration.pixelSize;
        if (const std::optional<double> length = NiceScaleBarLength(pixelSize, width)) {
            OverlayScaleBar bar;
            bar.length = *length;
            const auto barWidth = std::max<int64_t>(1, std::llround(*length / pixelSize));
            const int64_t thickness = int64_t{kBarThickness} * s;
            bar.bar = {width - margin - barWidth, height - margin - thickness, barWidth, thickness};
            bar.label.text = ScaleBarLabel(*length, content.calibration);
            // Centred over the bar, or ending where the bar ends when it is the wider.
            const int64_t labelWidth = TextWidth(bar.label.text, s);
            const int64_t barRight = bar.bar.x + bar.bar.width;
            bar.label.x = labelWidth <= barWidth ? bar.bar.x + (barWidth - labelWidth) / 2 : barRight - labelWidth;
            bar.label.y = bar.bar.y - int64_t{kLabelAboveBar} * s;
            layout.scaleBar = std::move(bar);
        }
    }
    return layout;
}

OverlayRect OverlayTextBounds(const OverlayText& text, int scale) {
    const int64_t cells = static_cast<int64_t>(FontCodePoints(text.text).size());
    if (cells == 0) return {text.x, text.y, 0, 0};
    return Grown({text.x, text.y, TextWidth(text.text, scale), int64_t{kFontGlyphHeight} * scale}, scale);
}

OverlayRect OverlayScaleBarBounds(const OverlayScaleBar& bar, int scale) {
    const OverlayRect label = OverlayTextBounds(bar.label, scale);
    const OverlayRect line = Grown(bar.bar, scale);
    const int64_t x0 = std::min(label.x, line.x), y0 = std::min(label.y, line.y);
    const int64_t x1 = std::max(label.x + label.width, line.x + line.width);
    const int64_t y1 = std::max(label.y + label.height, line.y + line.height);
    return {x0, y0, x1 - x0, y1 - y0};
}

void DrawOverlays8(uint8_t* pixels, int width, int height, ptrdiff_t stride, const OverlayOptions& options,
                   const OverlayContent& content) {
    Draw<uint8_t>(pixels, width, height, stride, 255, options, content);
}

void DrawOverlays16(uint16_t* pixels, int width, int height, ptrdiff_t stride, int fullScale, const OverlayOptions& options,
                    const OverlayContent& content) {
    // A white of 0 would draw the text black on black: nothing is drawn instead.
    if (fullScale < 1) return;
    Draw<uint16_t>(pixels, width, height, stride, static_cast<uint16_t>(std::min(fullScale, 65535)), options, content);
}

}  // namespace zel
