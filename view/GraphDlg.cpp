#include "view/GraphDlg.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace zel::gui {

namespace {

constexpr QRgb kGraphBackground = 0xFFFFFF;

// A normal window (with minimize and maximize boxes, which many window managers leave off
// dialog and tool windows) that is transient for its parent, so it stays above the main
// window without floating over other programs.
constexpr Qt::WindowFlags kGraphWindowFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                              Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;

}  // namespace

CGraphWnd::CGraphWnd(CGraphDlg& owner) : QWidget(&owner), owner_(owner) {
    // paintEvent covers every pixel, so Qt need not clear the widget first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void CGraphWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(kGraphBackground));
    owner_.DrawGraph(painter, rect());
}

void CGraphWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    update();  // the graph is scaled to the widget, so every pixel changes
}

void CGraphWnd::mouseMoveEvent(QMouseEvent* event) {
    owner_.GraphMouseMove(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void CGraphWnd::keyPressEvent(QKeyEvent* event) {
    if (!owner_.GraphKeyPress(event->key())) QWidget::keyPressEvent(event);  // ignored: on to the window
}

// The graph shows whether it has the focus (the keys act on it then).
void CGraphWnd::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void CGraphWnd::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

CGraphDlg::CGraphDlg(QWidget* parent) : QDialog(parent, kGraphWindowFlags) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(tr("Profile"));
    graph_ = new CGraphWnd(*this);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->addWidget(graph_, 1);
    resize(500, 320);
    initialized = 1;
}

void CGraphDlg::DrawGraph(QPainter&, const QRect&) {}

void CGraphDlg::GraphMouseMove(const QPoint&) {}

bool CGraphDlg::GraphKeyPress(int) { return false; }

void CGraphDlg::keyPressEvent(QKeyEvent* event) {
    // There are no buttons to press, so Enter closes the window like Esc does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace zel::gui
