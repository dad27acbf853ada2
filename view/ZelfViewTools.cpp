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

#include "decode/AoiStatistics.h"
#include "document/ZelfDoc.h"
#include "view/AoiSummaryText.h"
#include "view/CommandIds.h"
#include "view/NativePath.h"
#include "view/ProblemText.h"
#include "view/ProfileDlg.h"
#include "view/ViewHost.h"
#include "view/ZelfView.h"

namespace zel::gui {

namespace {

// Blanks the value pane shows outside the frame.
const QString kNoValue(31, QLatin1Char(' '));

}  // namespace

// ---- Commands ----

bool CZelfView::OnToolCommand(int id) {
    switch (id) {
        case kIdPoint: pointMode_ = !pointMode_; break;
        case kIdProfile: OnProfile(); break;
        case kIdAoi: OnAoi(); break;
        case kIdBlackBalance: OnBlackBalance(); break;
        default: return false;
    }
    emit CommandStateChanged();
    return true;
}

bool CZelfView::UpdateToolCommand(int id, bool& enabled, bool& checked) const {
    enabled = true;
    switch (id) {
        case kIdPoint: checked = pointMode_ != 0; break;
        case kIdProfile: checked = profileState_ != 0; break;
        case kIdAoi: checked = aoiState_ != 0; break;
        case kIdBlackBalance: checked = blackBalanced() != 0; break;
        default: return false;
    }
    return true;
}

std::optional<zel::ProfileLine> CZelfView::ProfileToRecord() const {
    if (profileState_ <= 0 || !profileComputed_) return std::nullopt;
    return profileLine_;
}

std::optional<zel::AoiRect> CZelfView::AoiToRecord() const {
    if (aoiState_ == 0) return std::nullopt;
    return aoiRect_;
}

void CZelfView::OnProfile() {
    if (profileState_ != 0) {
        EndProfileTool();
        return;
    }
    profileState_ = -1;
    aoiState_ = 0;
    host_.SetPaneText(kPaneAoi, QString(56, QLatin1Char(' ')));
    auto* dialog = new CProfileDlg(this);
    profileDlg_ = dialog;
    profileSeries_ = -1;
    // Closing the graph ends the tool, however it is closed: its close box destroys it,
    // Esc only hides it (finished), and the graph must not outlive the tool either way.
    connect(dialog, &QDialog::finished, this, [this] {
        if (profileState_ != 0) EndProfileTool();
    });
    // The graph is half destroyed by now: forget it before anything could look at it.
    connect(dialog, &QObject::destroyed, this, [this] {
        profileDlg_ = nullptr;
        if (profileState_ != 0) EndProfileTool();
    });
    dialog->Create(QString::fromStdString(GetDocument() ? GetDocument()->movieTitle() : std::string()),
                   host_.GraphAnchor() ? host_.GraphAnchor() : window());
    if (const std::optional<zel::ProfileLine> saved = host_.SavedProfileLine()) {
        profileLine_ = *saved;
        profileState_ = 1;
        RecomputeProfile();
    }
    viewport()->update();
}

void CZelfView::EndProfileTool() {
    profileState_ = 0;
    profileComputed_ = false;
    profileSamples_.clear();
    if (profileDlg_) {
        CProfileDlg* dialog = profileDlg_;
        profileDlg_ = nullptr;
        dialog->disconnect(this);
        dialog->close();
    }
    viewport()->update();
    emit CommandStateChanged();
}

void CZelfView::OnAoi() {
    if (aoiState_ != 0) {
        aoiState_ = 0;
        host_.SetPaneText(kPaneAoi, QString(56, QLatin1Char(' ')));
    } else {
        aoiState_ = 1;
        if (profileState_ != 0) EndProfileTool();
        aoiRect_ = host_.SavedAoiRect();
        const zel::CZelfDoc* doc = GetDocument();
        const int w = doc ? doc->width() : 1, h = doc ? doc->height() : 1;
        if (aoiRect_.CheckInside(w, h)) aoiRect_ = {0, 0, std::min(w - 1, 100), std::min(h - 1, 100)};
        RefreshAoiStatistics();
    }
    viewport()->update();
}

void CZelfView::OnBlackBalance() {
    zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr) return;
    const QString path = host_.ChooseBlackReference(this);
    if (path.isEmpty()) return;
    // The check mark says a balance is in force (the document's state), so a refused one
    // does not set it.
    if (const zel::Problem refused = doc->ApplyBlackBalance(CorePath(path)))
        host_.ReportFailure(tr("Black balance not applied: %1").arg(ProblemText(refused)));
}

// ---- Positions ----

QPoint CZelfView::ImagePoint(const QPoint& viewportPos) const {
    int x = 0, y = 0;
    const QPoint logical = viewportPos + ScrollPosition();
    dibViewport_.ViewToImage(logical.x(), logical.y(), x, y);
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
    const int dx = std::abs(profileLine_.x0 - p.x()), dy = std::abs(profileLine_.y0 - p.y());
    return dx >= dy ? QPoint(p.x(), profileLine_.y0) : QPoint(profileLine_.x0, p.y());
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
    if (profileState_ == 2) {
        const QPoint end = ConstrainProfileEnd(modifiers, pos);
        profileLine_.x1 = end.x();
        profileLine_.y1 = end.y();
        // The button went up outside the view: the drag ends here.
        if (!(buttons & Qt::LeftButton)) profileState_ = 1;
        RecomputeProfile();
        viewport()->repaint();
        if (profileState_ == 1) emit CommandStateChanged();
    }
    if (aoiState_ == 2) {
        const QPoint corner = FramePoint(pos);
        aoiRect_.x1 = corner.x();
        aoiRect_.y1 = corner.y();
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
        if (profileState_ != 0) {
            const QPoint p = ImagePoint(pos);
            profileLine_ = {p.x(), p.y(), p.x(), p.y()};
            profileState_ = 2;
            RecomputeProfile();
            viewport()->repaint();
            emit CommandStateChanged();
        }
        if (aoiState_ == 1) {
            const QPoint p = FramePoint(pos);
            aoiRect_ = {p.x(), p.y(), p.x(), p.y()};
            aoiState_ = 2;
            RefreshAoiStatistics();
            viewport()->repaint();
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CZelfView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint pos = event->position().toPoint();
        if (profileState_ == 2) {
            if (profileDlg_) {
                const QPoint end = ConstrainProfileEnd(event->modifiers(), pos);
                profileLine_.x1 = end.x();
                profileLine_.y1 = end.y();
                profileState_ = 1;
                host_.SaveProfileLine(profileLine_);
                RecomputeProfile();
            } else {
                EndProfileTool();
            }
            viewport()->repaint();
            emit CommandStateChanged();
        }
        if (aoiState_ == 2) {
            const QPoint corner = FramePoint(pos);
            aoiRect_.x1 = corner.x();
            aoiRect_.y1 = corner.y();
            aoiState_ = 1;
            host_.SaveAoiRect(aoiRect_);
            RefreshAoiStatistics();
            viewport()->repaint();
            emit CommandStateChanged();
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
    if (profileDlg_) profileDlg_->raise();  // the graph stays above the window it belongs to
}

// ---- Figures and drawing ----

void CZelfView::RefreshMeasurements() {
    if (profileState_ > 0) RecomputeProfile();
    if (aoiState_ != 0) RefreshAoiStatistics();
}

void CZelfView::RecomputeProfile() {
    const zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr) return;
    doc->Profile(profileLine_, profileSamples_);
    profileComputed_ = true;
    if (profileDlg_) {
        profileDlg_->SetLine(profileLine_, doc->PixelCalibration());  // positions along the line, in its unit
        profileSeries_ = profileDlg_->SetSeries(profileSeries_, doc->bitDepth(), profileSamples_.data(),
                                                static_cast<int>(profileSamples_.size()));
    }
}

void CZelfView::RefreshAoiStatistics() {
    const zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr || !doc->reader()) return;
    const zel::AoiStatistics s = doc->Statistics(aoiRect_);
    if (doc->IsColour())
        host_.SetPaneText(kPaneAoi, QString::asprintf("Rave=%7.2f, Gave=%7.2f, Bave=%7.2f", s.red.average,
                                                      s.green.average, s.blue.average));
    else
        host_.SetPaneText(kPaneAoi, QString::asprintf("GRYave=%7.2f", s.red.average));
    host_.SetPaneToolTip(kPaneAoi, AoiSummaryText(aoiRect_, doc->Summary(aoiRect_), doc->PixelCalibration()));
}

void CZelfView::DrawTools(QPainter& painter) const {
    const QPoint scroll = ScrollPosition();
    const auto toView = [&](int x, int y) {
        int vx = 0, vy = 0;
        dibViewport_.ImageToView(x, y, vx, vy);
        return QPoint(vx, vy) - scroll;
    };
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (profileState_ > 0) {
        painter.setPen(QPen(Qt::white, 1));
        painter.drawLine(toView(profileLine_.x0, profileLine_.y0), toView(profileLine_.x1, profileLine_.y1));
    }
    if (aoiState_ != 0) {
        const QPoint a = toView(aoiRect_.x0, aoiRect_.y0), b = toView(aoiRect_.x1, aoiRect_.y1);
        painter.setPen(QPen(QColor(255, 0, 0), 1));
        painter.drawPolyline(QPolygon({a, QPoint(b.x(), a.y()), b, QPoint(a.x(), b.y()), a}));
    }
}

}  // namespace zel::gui
