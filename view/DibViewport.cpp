#include "view/DibViewport.h"

#include <algorithm>
#include <cstdint>

namespace zel::gui {

namespace {

// The fields are public: a zero written there from outside must not divide.
int64_t NonZero(int v) { return v != 0 ? v : 1; }

int ClampToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

void DibViewport::SetImageSize(int w, int h) {
    imageWidth = std::max(w, 1);
    imageHeight = std::max(h, 1);
}

void DibViewport::SetZoom(int clientW, int clientH, int factor, int den) {
    if (factor != 0) {
        zoomFixed = 1;
        zoomNum = factor;
        zoomDen = den != 0 ? den : 1;
        return;
    }
    zoomFixed = 0;
    if (clientW <= 0 || clientH <= 0 || imageWidth <= 0 || imageHeight <= 0) {
        zoomNum = 1;
        zoomDen = 1;
        return;
    }
    const double imageQuotient = static_cast<double>(imageHeight) / imageWidth;
    const double clientQuotient = static_cast<double>(clientH) / clientW;
    if (imageQuotient > clientQuotient) {
        zoomNum = clientH;
        zoomDen = imageHeight;
    } else {
        zoomNum = clientW;
        zoomDen = imageWidth;
    }
}

void DibViewport::EstimateClient(int factor, int& clientW, int& clientH, bool hasHScroll, bool hasVScroll) const {
    const int64_t w = factor != 0 ? static_cast<int64_t>(factor) * imageWidth : imageWidth;
    const int64_t h = factor != 0 ? static_cast<int64_t>(factor) * imageHeight : imageHeight;
    if (hasHScroll) {
        if (w <= static_cast<int64_t>(clientW) + kScrollBarThickness) clientW += kScrollBarThickness;
    } else if (w > clientW) {
        clientW -= kScrollBarThickness;
    }
    if (hasVScroll) {
        if (h <= static_cast<int64_t>(clientH) + kScrollBarThickness) clientH += kScrollBarThickness;
    } else if (h > clientH) {
        clientH -= kScrollBarThickness;
    }
}

void DibViewport::Layout(int clientW, int clientH) {
    if (zoomFixed == 0) SetZoom(clientW, clientH, 0, 0);
    srcX = 0;
    srcY = 0;
    srcW = imageWidth;
    srcH = imageHeight;
    dstW = ClampToInt(static_cast<int64_t>(zoomNum) * imageWidth / NonZero(zoomDen));
    dstH = ClampToInt(static_cast<int64_t>(zoomNum) * imageHeight / NonZero(zoomDen));
    dstX = dstW < clientW ? ClampToInt((static_cast<int64_t>(clientW) - dstW) / 2) : 0;
    dstY = dstH < clientH ? ClampToInt((static_cast<int64_t>(clientH) - dstH) / 2) : 0;
}

MarginBands DibViewport::Margins(int clientW, int clientH) const {
    MarginBands bands;
    const auto add = [&bands](int l, int t, int r, int b) { bands.rects[bands.count++] = ViewRect{l, t, r, b}; };
    const int imageRight = ClampToInt(static_cast<int64_t>(dstX) + dstW);
    const int imageBottom = ClampToInt(static_cast<int64_t>(dstY) + dstH);
    if (dstY != 0) add(0, 0, clientW, dstY);
    if (dstX != 0) add(0, dstY, dstX, imageBottom);
    if (imageRight < clientW) add(imageRight, dstY, clientW, imageBottom);
    if (imageBottom < clientH) add(0, imageBottom, clientW, clientH);
    return bands;
}

void DibViewport::ViewToImage(int px, int py, int& x, int& y) const {
    const int64_t ix = (static_cast<int64_t>(px) - dstX) * zoomDen / NonZero(zoomNum) + srcX;
    const int64_t iy = (static_cast<int64_t>(py) - dstY) * zoomDen / NonZero(zoomNum) + srcY;
    x = static_cast<int>(std::clamp<int64_t>(ix, 0, std::max(imageWidth - 1, 0)));
    y = static_cast<int>(std::clamp<int64_t>(iy, 0, std::max(imageHeight - 1, 0)));
}

void DibViewport::ImageToView(int x, int y, int& viewX, int& viewY) const {
    const int64_t num = zoomNum;
    const int64_t den = NonZero(zoomDen);
    viewX = ClampToInt((2 * num * (static_cast<int64_t>(x) - srcX) + 2 * den + num - 2) / (2 * den) + dstX);
    viewY = ClampToInt((2 * num * (static_cast<int64_t>(y) - srcY) + 2 * den + num - 2) / (2 * den) + dstY);
}

}  // namespace zel::gui
