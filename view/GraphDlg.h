#pragma once
// CGraphDlg: a resizable, modeless window whose whole client area is a white graph.
// Subclasses draw in DrawGraph; the window closes (and deletes itself) on Enter, Esc or
// its close box.

#include <QDialog>
#include <QWidget>

class QPainter;
class QRect;

namespace zel::gui {

class CGraphDlg;

// The graph's drawing surface: white, filling its dialog, repainted whole on every resize.
class CGraphWnd : public QWidget {
    Q_OBJECT
public:
    explicit CGraphWnd(CGraphDlg& owner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CGraphDlg& owner_;
};

class CGraphDlg : public QDialog {
    Q_OBJECT
public:
    // A top-level window kept above `parent` (the main window), 500 x 320, titled "Profile".
    explicit CGraphDlg(QWidget* parent = nullptr);

    // Draws the graph over the white background; `client` is the graph widget's rectangle.
    // Draws nothing here.
    virtual void DrawGraph(QPainter& painter, const QRect& client);

    CGraphWnd* GraphWidget() const { return graph_; }

    int initialized = 0;  // 1 once the graph widget exists and is laid out

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CGraphWnd* graph_ = nullptr;
};

}  // namespace zel::gui
