#pragma once
// The mapping between the display bitmap and a view window: zoom, where the bitmap lands
// in the window, the grey bands around it, and mouse positions to image pixels and back.
// Plain and Qt-free, so it is tested on its own. All integer arithmetic; "/" truncates
// toward zero.
//
// The image size is the displayed bitmap's: width = the frame width rounded up to a
// multiple of 4 (the bitmap's stride; the padding columns are shown and count for zoom,
// scrolling and mouse mapping), height = the frame height.

#include <array>

namespace zel::gui {

// A rectangle as left, top, right, bottom (right and bottom exclusive).
struct ViewRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const ViewRect&) const = default;
};

// Up to four bands around the image, filled with kMarginGrey.
struct MarginBands {
    std::array<ViewRect, 4> rects{};
    int count = 0;
};

// The grey of the margin bands, RGB(64, 64, 64).
inline constexpr int kMarginGrey = 64;
// The scroll bar thickness EstimateClient assumes.
inline constexpr int kScrollBarThickness = 17;

struct DibViewport {
    int zoomFixed = 0;  // 1: a fixed factor; 0: Fit (recomputed from the client at every Layout)
    int zoomNum = 1;    // scale: zoomNum window pixels per zoomDen image pixels; never 0
    int zoomDen = 1;
    int imageWidth = 1;  // the displayed bitmap's size, at least 1 x 1
    int imageHeight = 1;
    int srcX = 0, srcY = 0, srcW = 1, srcH = 1;  // the part of the bitmap shown
    int dstX = 0, dstY = 0, dstW = 0, dstH = 0;  // where it lands, in logical window coordinates

    // Sizes below 1 are taken as 1, so nothing ever divides by an empty image.
    void SetImageSize(int w, int h);

    // factor 0: Fit the client, governed by the height when the image is relatively taller
    // than the client, else (ties included) by the width. Any other factor: factor / den
    // (den 0 taken as 1). A client without area leaves a Fit at 1/1.
    void SetZoom(int clientW, int clientH, int factor, int den);

    // Predicts the client size once the scroll bars have adapted to zoom `factor` (0 = Fit,
    // taken as 1): a bar that is shown now and would no longer be needed gives its 17 pixels
    // back; a bar that is not shown and would be needed takes them. The width goes with the
    // horizontal bar, the height with the vertical bar.
    void EstimateClient(int factor, int& clientW, int& clientH, bool hasHScroll, bool hasVScroll) const;

    // Places the whole bitmap, centred in each direction in which it is smaller than the client.
    void Layout(int clientW, int clientH);

    // The bands of client (0, 0, clientW, clientH) not covered by the image: top, left,
    // right, bottom, each only when not empty.
    MarginBands Margins(int clientW, int clientH) const;

    // A logical window position (mouse position plus scroll position) to the image pixel
    // under it, clamped into the image.
    void ViewToImage(int px, int py, int& x, int& y) const;

    // An image pixel to the logical window position of its centre (at factor 1 the pixel itself).
    void ImageToView(int x, int y, int& viewX, int& viewY) const;
};

}  // namespace zel::gui
