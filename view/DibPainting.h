#pragma once
// Drawing the display bitmap into a view: the bitmap's rows are wrapped as they are
// stored, without a copy, and drawn with square pixels; the bands around it are grey.

#include <QPoint>
#include <QSize>

#include "view/DibViewport.h"

class QPainter;

namespace zel {
struct DisplayRows;
}

namespace zel::gui {

// Draws rows (bottom-up or top-down as rows.bottomUp says; rows.Columns() pixels wide, so
// the padding columns are shown; grey bytes or 32-bit pixels) at the viewport's dst
// rectangle, shifted by the scroll position, and fills the margin bands of the client area. The viewport must have been
// laid out for this client size. Rows without bits fill the whole client grey.
void PaintDisplayRows(QPainter& painter, const zel::DisplayRows& rows, const DibViewport& viewport, QPoint scroll,
                      QSize client);

}  // namespace zel::gui
