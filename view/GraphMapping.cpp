#include "view/GraphMapping.h"

#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRect>
#include <QTransform>
#include <vector>

namespace zel::gui {

namespace {

// An extent of 0 would make the mapping singular (or divide by zero); it counts as 1.
double NonZero(int extent) { return extent == 0 ? 1.0 : static_cast<double>(extent); }

}  // namespace

GraphRect EdgesOf(const QRect& rect) {
    return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

QTransform GraphTransform(const GraphRect& logical, const GraphRect& device) {
    // device = origin + (point - logical origin) * viewport extent / window extent, per
    // axis, anchored at the left and bottom edges. A logical rectangle with top > bottom
    // gives a negative vertical scale: the flip that makes values grow upward.
    const double scaleX = NonZero(device.right - device.left) / NonZero(logical.right - logical.left);
    const double scaleY = NonZero(device.bottom - device.top) / NonZero(logical.bottom - logical.top);
    const double offsetX = device.left - logical.left * scaleX;
    const double offsetY = device.bottom - logical.bottom * scaleY;
    return QTransform(scaleX, 0, 0, scaleY, offsetX, offsetY);
}

void SetGraphMapping(QPainter& painter, const GraphRect& logical, const GraphRect& device) {
    painter.setTransform(GraphTransform(logical, device));
}

void DrawSeries(QPainter& painter, const int16_t* values, int count, QColor color) {
    std::vector<QPointF> points;
    DrawSeries(painter, values, count, color, points);
}

void DrawSeries(QPainter& painter, const int16_t* values, int count, QColor color, std::vector<QPointF>& points) {
    if (count < 1 || values == nullptr) return;
    QPen pen(color, 1);
    pen.setCosmetic(true);  // one pixel wide on the screen, not one graph unit
    painter.setPen(pen);
    if (count == 1) {
        painter.drawPoint(QPointF(0, values[0]));
        return;
    }
    points.clear();
    points.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) points.emplace_back(i, values[i]);
    painter.drawPolyline(points.data(), count);
}

}  // namespace zel::gui
