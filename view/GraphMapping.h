#pragma once
// Drawing a graph in its own units: a mapping from graph coordinates to window pixels in
// which values grow upward, and series drawn through it as polylines.

#include <QColor>
#include <QPointF>
#include <QTransform>
#include <cstdint>
#include <vector>

#include "view/DibViewport.h"

class QPainter;
class QRect;

namespace zel::gui {

// A rectangle as left, top, right, bottom edge coordinates (right and bottom exclusive),
// unlike QRect, whose right() and bottom() are the last pixel inside: the view's own
// rectangle type. A graph's logical rectangle may be "upside down" (top > bottom) to make
// values grow upward.
using GraphRect = ViewRect;

// The edges of a widget's rectangle: right = x + width, bottom = y + height.
GraphRect EdgesOf(const QRect& rect);

// The transform SetGraphMapping sets (below), for mapping points without a painter.
QTransform GraphTransform(const GraphRect& logical, const GraphRect& device);

// Maps `logical` onto `device`: (logical.left, logical.bottom) lands on (device.left,
// device.bottom) and (logical.right, logical.top) on (device.right, device.top). A zero
// width or height on either side counts as 1, so the mapping always exists. With
// logical = (0, yMax, xMax, yMin), (0, yMin) is the bottom left corner and (xMax, yMax)
// the top right: values grow upward. Replaces the painter's transform.
void SetGraphMapping(QPainter& painter, const GraphRect& logical, const GraphRect& device);

// A polyline through (i, values[i]) for i = 0 .. count - 1 with a 1-pixel pen, whatever
// the mapping's scale. A single value is one point; count < 1 draws nothing.
void DrawSeries(QPainter& painter, const int16_t* values, int count, QColor color);
// The same, building the polyline in `points`, whose storage is kept for the next call:
// a graph redrawn for every frame of playback allocates nothing here once it is grown.
void DrawSeries(QPainter& painter, const int16_t* values, int count, QColor color, std::vector<QPointF>& points);

}  // namespace zel::gui
