#pragma once
// CGraphDlg: a resizable, modeless window whose client area is a white graph (below any
// row of controls a subclass adds). Subclasses draw in DrawGraph and may follow the mouse
// and keys over the graph; the window closes (and deletes itself) on Enter, Esc or its
// close box.

#include <QDialog>
#include <QWidget>

class QPainter;
class QPoint;
class QRect;
class QVBoxLayout;

namespace zel::gui {

class CGraphDlg;

// The graph's drawing surface: white, filling its dialog, repainted whole on every resize.
// It takes the keyboard focus and follows the mouse (without a button held), and hands
// both to its dialog; keys the dialog does not use go on to the dialog window itself.
class CGraphWnd : public QWidget {
    Q_OBJECT
public:
    explicit CGraphWnd(CGraphDlg& owner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

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
    // The mouse moved to `pos` (graph widget coordinates) over the graph. Does nothing here.
    virtual void GraphMouseMove(const QPoint& pos);
    // A key pressed while the graph has the focus; false leaves it to the window (Enter
    // and Esc close it). Uses none here.
    virtual bool GraphKeyPress(int key);

    CGraphWnd* GraphWidget() const { return graph_; }

    int initialized = 0;  // 1 once the graph widget exists and is laid out

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The window's column: the graph fills it; subclasses may add rows of controls.
    QVBoxLayout* WindowLayout() const { return layout_; }

private:
    QVBoxLayout* layout_ = nullptr;
    CGraphWnd* graph_ = nullptr;
};

}  // namespace zel::gui
