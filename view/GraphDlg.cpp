#include "view/GraphDlg.h"

#include <QKeyEvent>
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

CGraphDlg::CGraphDlg(QWidget* parent) : QDialog(parent, kGraphWindowFlags) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(tr("Profile"));
    graph_ = new CGraphWnd(*this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(graph_);
    resize(500, 320);
    initialized = 1;
}

void CGraphDlg::DrawGraph(QPainter&, const QRect&) {}

void CGraphDlg::keyPressEvent(QKeyEvent* event) {
    // There are no buttons to press, so Enter closes the window like Esc does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace zel::gui
