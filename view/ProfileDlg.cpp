#include "view/ProfileDlg.h"

#include <QPainter>

#include "view/GraphMapping.h"

namespace zel::gui {

CProfileDlg::CProfileDlg(QWidget* parent) : CGraphDlg(parent) {
    GraphWidget()->setObjectName(QStringLiteral("profileGraph"));
    GraphWidget()->setAccessibleName(tr("Profile graph"));
}

bool CProfileDlg::Create(const QString& text, QWidget* mainWindow) {
    setWindowTitle(tr("Profile : %1").arg(text));
    if (mainWindow) {
        // A parent anywhere inside the main window already keeps the graph above it (and
        // decides when it is deleted); only a window without one is given the main window.
        // setParent resets the flags, so the graph window's own are passed on.
        if (!parentWidget()) setParent(mainWindow, windowFlags());
        // The client area (not the frame) covers the quarter: where a window manager
        // draws the title bar is not known before the window is shown.
        const QRect inner = mainWindow->rect();
        const int height = inner.height() / 4;
        const QPoint topLeft = mainWindow->mapToGlobal(QPoint(inner.left(), inner.top() + inner.height() * 3 / 4));
        setGeometry(QRect(topLeft, QSize(inner.width(), height)));
    }
    show();
    return true;
}

int CProfileDlg::SetSeries(int index, int bits, const int16_t* values, int count) {
    const int stored = series_.SetSeries(index, bits, values, count);
    GraphWidget()->repaint();
    return stored;
}

void CProfileDlg::UpdateExtents() { series_.UpdateExtents(); }

void CProfileDlg::ClearSeries() { series_.ClearSeries(); }

void CProfileDlg::DrawGraph(QPainter& painter, const QRect& client) {
    if (series_.seriesCount == 0) return;
    SetGraphMapping(painter, GraphRect{0, series_.yMax, series_.xMax, series_.yMin}, EdgesOf(client));
    for (int i = 0; i < series_.seriesCount; ++i) {
        const ProfileSeries* series = series_.Series(i);
        if (!series || !series->visible || series->count == 0) continue;
        DrawSeries(painter, series->values.data(), series->count, QColor(QRgb(series->color)));
    }
}

}  // namespace zel::gui
