// The view's measurement tools: cursor readouts, the profile line with its graph, the
// AOI rectangle with its statistics, the arrow keys and the black balance. The document
// computes every figure; the view keeps the tools' state and draws them. The figures
// are recomputed whenever the samples change (every frame of a run, a gain or data
// display change) and while a tool is being drawn, so they follow playback even in a
// window that is not painted at the moment.

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cstdlib>

#include "app/CommandIds.h"
#include "app/ViewHost.h"
#include "decode/AoiStatistics.h"
#include "document/ZelfDoc.h"
#include "view/ProfileDlg.h"
#include "view/ZelfView.h"

namespace zel::gui {

namespace {

// Blanks the value pane shows outside the frame.
const QString kNoValue(31, QLatin1Char(' '));

}  // namespace

// ---- Commands ----

bool CZelfView::OnToolCommand(int id) {
    switch (id) {
        case kIdPoint: pointMode = !pointMode; break;
        case kIdProfile: OnProfile(); break;
        case kIdAoi: OnAoi(); break;
        case kIdBlackBalance: OnBlackBalance(); break;
        case kIdProfileDataSave: host_.RequestProfileExport(); break;
        case kIdSaveAoiData: host_.RequestAoiExport(); break;
        default: return false;
    }
    return true;
}

bool CZelfView::UpdateToolCommand(int id, bool& enabled, bool& checked) const {
    enabled = true;
    switch (id) {
        case kIdPoint: checked = pointMode != 0; break;
        case kIdProfile: checked = profileState != 0; break;
        case kIdAoi:
        case kIdSaveAoiData: checked = aoiState != 0; break;
        case kIdBlackBalance: checked = blackBalanced != 0; break;
        case kIdProfileDataSave:
            enabled = profileState != 0 && profileComputed;
            checked = false;
            break;
        default: return false;
    }
    return true;
}

void CZelfView::OnProfile() {
    if (profileState != 0) {
        EndProfileTool();
        return;
    }
    profileState = -1;
    aoiState = 0;
    host_.SetPaneText(kPaneAoi, QString(56, QLatin1Char(' ')));
    auto* dialog = new CProfileDlg(this);
    profileDlg = dialog;
    profileSeries = -1;
    // Closing the graph ends the tool. The graph is half destroyed by now: forget it
    // before anything could look at it.
    connect(dialog, &QObject::destroyed, this, [this] {
        profileDlg = nullptr;
        if (profileState != 0) EndProfileTool();
    });
    dialog->Create(QString::fromStdString(GetDocument() ? GetDocument()->movieTitle() : std::string()),
                   host_.GraphAnchor() ? host_.GraphAnchor() : window());
    const std::array<int, 4>& saved = host_.SharedProfileLine();
    if (saved[0] >= 0) {
        profileLine = saved;
        profileState = 1;
        RecomputeProfile();
    }
    viewport()->update();
}

void CZelfView::EndProfileTool() {
    profileState = 0;
    profileComputed = false;
    profileSamples.clear();
    if (profileDlg) {
        CProfileDlg* dialog = profileDlg;
        profileDlg = nullptr;
        dialog->disconnect(this);
        dialog->close();
    }
    viewport()->update();
}

void CZelfView::OnAoi() {
    if (aoiState != 0) {
        aoiState = 0;
        host_.SetPaneText(kPaneAoi, QString(56, QLatin1Char(' ')));
    } else {
        aoiState = 1;
        if (profileState != 0) EndProfileTool();
        aoiRect = host_.SharedAoiRect();
        const zel::CZelfDoc* doc = GetDocument();
        const int w = doc ? doc->width() : 1, h = doc ? doc->height() : 1;
        const auto inside = [&](int x, int y) { return x >= 0 && x < w && y >= 0 && y < h; };
        if (!inside(aoiRect[0], aoiRect[1]) || !inside(aoiRect[2], aoiRect[3]))
            aoiRect = {0, 0, std::min(w - 1, 100), std::min(h - 1, 100)};
        RefreshAoiStatistics();
    }
    viewport()->update();
}

void CZelfView::OnBlackBalance() {
    zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr) return;
    const QString path = host_.ChooseBlackReference(this);
    if (path.isEmpty()) return;
    const zel::BlackBalanceResult result = doc->ApplyBlackBalance(path.toStdString());
    // The check mark says a balance is in force, so a refused one does not set it.
    if (result.applied)
        blackBalanced = 1;
    else
        host_.ShowStatusMessage(tr("Black balance not applied: %1").arg(QString::fromStdString(result.problem)));
}

// ---- Positions ----

QPoint CZelfView::ImagePoint(const QPoint& viewportPos) const {
    int x = 0, y = 0;
    const QPoint logical = viewportPos + ScrollPosition();
    dibViewport.ViewToImage(logical.x(), logical.y(), x, y);
    return {x, y};
}

QPoint CZelfView::FramePoint(const QPoint& viewportPos) const {
    QPoint p = ImagePoint(viewportPos);
    const zel::CZelfDoc* doc = GetDocument();
    // The bitmap may be up to 3 columns wider than the frame.
    if (doc != nullptr) p.setX(std::min(p.x(), doc->width() - 1));
    return p;
}

QPoint CZelfView::ConstrainProfileEnd(Qt::KeyboardModifiers modifiers, const QPoint& viewportPos) const {
    const QPoint p = ImagePoint(viewportPos);
    if (!(modifiers & Qt::ShiftModifier)) return p;
    // Shift keeps the line horizontal or vertical, whichever is nearer.
    const int dx = std::abs(profileLine[0] - p.x()), dy = std::abs(profileLine[1] - p.y());
    return dx >= dy ? QPoint(p.x(), profileLine[1]) : QPoint(profileLine[0], p.y());
}

// ---- Mouse and keys ----

void CZelfView::ShowReadouts(const QPoint& p) {
    host_.SetPaneText(kPanePosition, QString::asprintf("( %4d, %4d )", p.x(), p.y()));
    int16_t red = 0, green = 0, blue = 0;
    const zel::CZelfDoc* doc = GetDocument();
    const int kind = doc ? doc->GetPointValue(p.x(), p.y(), red, green, blue) : -1;
    if (kind > 0)
        host_.SetPaneText(kPaneValue, QString::asprintf("R : %4d, G : %4d, B : %4d", red, green, blue));
    else if (kind == 0)
        host_.SetPaneText(kPaneValue, QString::asprintf("Gray : %4d", red));
    else
        host_.SetPaneText(kPaneValue, kNoValue);
}

void CZelfView::HandleMouseMove(const QPoint& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    ShowReadouts(ImagePoint(pos));
    if (profileState == 2) {
        const QPoint end = ConstrainProfileEnd(modifiers, pos);
        profileLine[2] = end.x();
        profileLine[3] = end.y();
        // The button went up outside the view: the drag ends here.
        if (!(buttons & Qt::LeftButton)) profileState = 1;
        RecomputeProfile();
        viewport()->repaint();
    }
    if (aoiState == 2) {
        const QPoint corner = FramePoint(pos);
        aoiRect[2] = corner.x();
        aoiRect[3] = corner.y();
        RefreshAoiStatistics();
        viewport()->repaint();
    }
}

void CZelfView::mouseMoveEvent(QMouseEvent* event) {
    HandleMouseMove(event->position().toPoint(), event->buttons(), event->modifiers());
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CZelfView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint pos = event->position().toPoint();
        if (profileState != 0) {
            const QPoint p = ImagePoint(pos);
            profileLine = {p.x(), p.y(), p.x(), p.y()};
            profileState = 2;
            RecomputeProfile();
            viewport()->repaint();
        }
        if (aoiState == 1) {
            const QPoint p = FramePoint(pos);
            aoiRect = {p.x(), p.y(), p.x(), p.y()};
            aoiState = 2;
            RefreshAoiStatistics();
            viewport()->repaint();
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CZelfView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint pos = event->position().toPoint();
        if (profileState == 2) {
            if (profileDlg) {
                const QPoint end = ConstrainProfileEnd(event->modifiers(), pos);
                profileLine[2] = end.x();
                profileLine[3] = end.y();
                profileState = 1;
                host_.SharedProfileLine() = profileLine;
                RecomputeProfile();
            } else {
                EndProfileTool();
            }
            viewport()->repaint();
        }
        if (aoiState == 2) {
            const QPoint corner = FramePoint(pos);
            aoiRect[2] = corner.x();
            aoiRect[3] = corner.y();
            aoiState = 1;
            host_.SharedAoiRect() = aoiRect;
            RefreshAoiStatistics();
            viewport()->repaint();
        }
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CZelfView::keyPressEvent(QKeyEvent* event) {
    QPoint step;
    switch (event->key()) {
        case Qt::Key_Left: step = {-1, 0}; break;
        case Qt::Key_Up: step = {0, -1}; break;
        case Qt::Key_Right: step = {1, 0}; break;
        case Qt::Key_Down: step = {0, 1}; break;
        default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    // The mouse cursor moves by one screen pixel, only while it is over the view, and
    // never leaves the view's client area.
    const QPoint local = viewport()->mapFromGlobal(QCursor::pos());
    if (!viewport()->rect().contains(local)) return;
    const QPoint moved(std::clamp(local.x() + step.x(), 0, viewport()->width() - 1),
                       std::clamp(local.y() + step.y(), 0, viewport()->height() - 1));
    QCursor::setPos(viewport()->mapToGlobal(moved));
    // Not every platform reports a move for a cursor set by the program: follow it here.
    HandleMouseMove(moved, QGuiApplication::mouseButtons(), event->modifiers());
}

void CZelfView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (profileDlg) profileDlg->raise();  // the graph stays above the window it belongs to
}

// ---- Figures and drawing ----

void CZelfView::RefreshMeasurements() {
    if (profileState > 0) RecomputeProfile();
    if (aoiState != 0) RefreshAoiStatistics();
}

void CZelfView::RecomputeProfile() {
    const zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr) return;
    const auto& [x0, y0, x1, y1] = profileLine;
    const int count = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    profileSamples.assign(static_cast<size_t>(count), 0);
    if (count > 0) doc->GetProfile(x0, y0, x1, y1, count, profileSamples.data());
    profileComputed = true;
    if (profileDlg) profileSeries = profileDlg->SetSeries(profileSeries, doc->bitDepth(), profileSamples.data(), count);
}

void CZelfView::RefreshAoiStatistics() {
    const zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr || !doc->reader()) return;
    zel::AoiStatistics s;
    doc->GetAoiStatistics(aoiRect[0], aoiRect[1], aoiRect[2], aoiRect[3], s);
    if (zel::IsColourMosaic(doc->reader()->Parameters().colorPattern))
        host_.SetPaneText(kPaneAoi, QString::asprintf("Rave=%7.2f, Gave=%7.2f, Bave=%7.2f", s.red.average,
                                                      s.green.average, s.blue.average));
    else
        host_.SetPaneText(kPaneAoi, QString::asprintf("GRYave=%7.2f", s.red.average));
}

void CZelfView::DrawTools(QPainter& painter) const {
    const QPoint scroll = ScrollPosition();
    const auto toView = [&](int x, int y) {
        int vx = 0, vy = 0;
        dibViewport.ImageToView(x, y, vx, vy);
        return QPoint(vx, vy) - scroll;
    };
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (profileState > 0) {
        painter.setPen(QPen(Qt::white, 1));
        painter.drawLine(toView(profileLine[0], profileLine[1]), toView(profileLine[2], profileLine[3]));
    }
    if (aoiState != 0) {
        const QPoint a = toView(aoiRect[0], aoiRect[1]), b = toView(aoiRect[2], aoiRect[3]);
        painter.setPen(QPen(QColor(255, 0, 0), 1));
        painter.drawPolyline(QPolygon({a, QPoint(b.x(), a.y()), b, QPoint(a.x(), b.y()), a}));
    }
}

}  // namespace zel::gui
