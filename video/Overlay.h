#pragma once
// Overlays burned into exported video frames: the frame's index and camera number, its time
// from the trigger, and a scale bar. A video writer calls DrawOverlays8 or DrawOverlays16 on
// each frame before encoding it. The text is white with a black outline, so it reads on dark
// and bright images alike; it grows with the frame (an integer factor of the built-in
// bitmap font) and is clipped at the image's edges, never written outside them.
//
// LayOutOverlays says where everything goes without touching pixels, so the placement and
// the scale bar's length are tested apart from the drawing.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/Calibration.h"

namespace zel {

struct OverlayOptions {
    bool frameNumber = false;
    bool time = false;
    bool scaleBar = false;
};

struct OverlayContent {
    int64_t frameIndex = 0;
    std::optional<int64_t> frameNumber;  // the camera's number (reader/FrameTime.h)
    std::optional<double> seconds;       // time from the trigger; none when the rate is unknown
    Calibration calibration;             // document/Calibration.h; scale bar only when Known()
};

// Draws the overlays into an 8-bit grey image (the H.264 path) ...
void DrawOverlays8(uint8_t* pixels, int width, int height, ptrdiff_t stride, const OverlayOptions&, const OverlayContent&);
// ... and into a 16-bit grey image whose white is fullScale (the lossless path). The stride
// is in pixels for both.
void DrawOverlays16(uint16_t* pixels, int width, int height, ptrdiff_t stride, int fullScale, const OverlayOptions&,
                    const OverlayContent&);

// ---- Layout, apart from the pixels ----

// A rectangle in image pixels; it may reach outside the image, where drawing clips it.
struct OverlayRect {
    int64_t x = 0;
    int64_t y = 0;
    int64_t width = 0;
    int64_t height = 0;
    friend bool operator==(const OverlayRect&, const OverlayRect&) = default;
};

// A line of text whose top-left glyph cell starts at (x, y).
struct OverlayText {
    std::string text;  // UTF-8
    int64_t x = 0;
    int64_t y = 0;
};

struct OverlayScaleBar {
    double length = 0.0;  // in the calibration's unit: 1, 2 or 5 times a power of ten
    OverlayRect bar;      // the filled bar, without its outline
    OverlayText label;    // e.g. "100 µm", above the bar
};

struct OverlayLayout {
    int scale = 1;                   // image pixels per font pixel; the outline is this wide
    std::vector<OverlayText> lines;  // top-left: frame, then time
    std::optional<OverlayScaleBar> scaleBar;
};

// The font's magnification for a width x height frame: glyph cells about 1/30 of the height,
// at least 1, and no larger than lets a frame line of some 25 characters fit the width.
int OverlayScale(int width, int height);

// "frame 1234  (#-567)", or "frame 1234" without a camera number.
std::string OverlayFrameText(const OverlayContent&);

// The scale bar's length in the unit: 1, 2 or 5 times a power of ten, the nearest (by ratio)
// to a fifth of `width` pixels of `pixelSize` each; none when it is not a whole pixel long
// or cannot be computed.
std::optional<double> NiceScaleBarLength(double pixelSize, int64_t width);

// "100 µm", "0.5 mm": the length without trailing zeros and the unit as people write it.
std::string ScaleBarLabel(double length, const Calibration&);

// Where each overlay goes in a width x height frame; only what `options` ask for and the
// content allows (no time line without seconds, no bar without a known calibration).
OverlayLayout LayOutOverlays(int width, int height, const OverlayOptions&, const OverlayContent&);

// The rectangle an overlay line's pixels (glyphs and outline) stay within.
OverlayRect OverlayTextBounds(const OverlayText&, int scale);
// The rectangle the scale bar's pixels (bar, label and outlines) stay within.
OverlayRect OverlayScaleBarBounds(const OverlayScaleBar&, int scale);

}  // namespace zel
