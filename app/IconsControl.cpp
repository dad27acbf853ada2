// The control bar's 32 x 32 playback buttons: blue for jumps and stopping, green for
// moving through the frames.

#include "view/CommandIds.h"
#include "app/IconsCanvas.h"

namespace zel::gui::icons {
namespace {

constexpr QSize kControlGrid{32, 32};

struct Tint {
    QColor fill;
    QColor outline;
};

constexpr Tint kBlueTint{{0x20, 0x50, 0xe0}, palette::kNavy};
constexpr Tint kGreenTint{{0x10, 0xa0, 0x10}, {0x00, 0x48, 0x00}};

// Every glyph is 20 pixels tall, rows 6 to 25, centred on the button.
constexpr int kTop = 6;
constexpr int kHeight = 20;

void Bar(IconCanvas& canvas, int x, const Tint& tint) {
    canvas.Fill(x, kTop, 4, kHeight, tint.fill);
    canvas.Frame(x, kTop, 4, kHeight, tint.outline);
}

// A triangle as tall as a bar, its point at column `tipX` and its base at `baseX`.
void Arrowhead(IconCanvas& canvas, int tipX, int baseX, const Tint& tint) {
    canvas.Polygon({{static_cast<qreal>(tipX), 15.5},
                    {static_cast<qreal>(baseX), kTop},
                    {static_cast<qreal>(baseX), kTop + kHeight - 1}},
                   tint.fill, tint.outline);
}

void FirstFrame(IconCanvas& canvas) {
    Bar(canvas, 5, kBlueTint);
    Arrowhead(canvas, 10, 26, kBlueTint);
}

void StepBack(IconCanvas& canvas) {
    Bar(canvas, 2, kGreenTint);
    Bar(canvas, 7, kGreenTint);
    Arrowhead(canvas, 12, 29, kGreenTint);
}

void Abort(IconCanvas& canvas) {
    canvas.Fill(8, 8, 16, 16, kBlueTint.fill);
    canvas.Frame(8, 8, 16, 16, kBlueTint.outline);
}

// Shifted right of centre, where a triangle looks centred.
void Play(IconCanvas& canvas) { Arrowhead(canvas, 25, 8, kGreenTint); }

void StepForward(IconCanvas& canvas) {
    Arrowhead(canvas, 19, 2, kGreenTint);
    Bar(canvas, 21, kGreenTint);
    Bar(canvas, 26, kGreenTint);
}

IconDrawing ControlBarDrawing(int id) {
    switch (id) {
    case kIdTop: return FirstFrame;
    case kIdStepBack: return StepBack;
    case kIdAbort: return Abort;
    case kIdPlay: return Play;
    case kIdStepForward: return StepForward;
    default: return {};
    }
}

}  // namespace

QIcon ControlBarIcon(int id) {
    const IconDrawing drawing = ControlBarDrawing(id);
    return drawing ? PaintedIcon(kControlGrid, drawing, /*smooth=*/true) : QIcon();
}

}  // namespace zel::gui::icons
