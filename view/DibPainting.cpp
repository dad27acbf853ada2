#include "view/DibPainting.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

#include "document/ZelfDoc.h"

namespace zel::gui {

void PaintDisplayRows(QPainter& painter, const zel::DisplayRows& rows, const DibViewport& viewport, QPoint scroll,
                      QSize client) {
    const QColor grey(kMarginGrey, kMarginGrey, kMarginGrey);
    if (rows.bits == nullptr || rows.Columns() <= 0 || rows.height <= 0) {
        painter.fillRect(QRect(QPoint(0, 0), client), grey);
        return;
    }

    // The stored rows as they are: a read-only image over the document's memory, never
    // copied. Bottom-up rows are drawn through a vertical flip. 32-bit pixels are the
    // screen's own format, which is copied row by row; grey bytes are converted pixel by
    // pixel on every paint.
    const int columns = rows.Columns();
    const QImage stored(rows.bits, columns, rows.height, rows.stride,
                        rows.bytesPerPixel == 4 ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    const QRect target(viewport.dstX - scroll.x(), viewport.dstY - scroll.y(), viewport.dstW, viewport.dstH);
    if (!target.isEmpty()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);  // pixels stay square blocks
        QRect source(viewport.srcX, viewport.srcY, viewport.srcW, viewport.srcH);
        if (rows.bottomUp) {
            painter.translate(target.left(), target.top() + target.height());
            painter.scale(1.0, -1.0);
            source.moveTop(rows.height - viewport.srcY - viewport.srcH);
        } else {
            painter.translate(target.left(), target.top());
        }
        painter.drawImage(QRect(0, 0, target.width(), target.height()), stored, source);
        painter.restore();
    }

    const MarginBands bands = viewport.Margins(client.width(), client.height());
    for (int i = 0; i < bands.count; ++i) {
        const ViewRect& r = bands.rects[i];
        painter.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), grey);
    }
}

}  // namespace zel::gui
