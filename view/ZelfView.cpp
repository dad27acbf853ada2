#include "view/ZelfView.h"

#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>
#include <cstdint>

#include "document/ZelfDoc.h"
#include "reader/FrameTime.h"
#include "view/CommandIds.h"
#include "view/ViewHost.h"
#include "view/DibPainting.h"
#include "view/ProfileDlg.h"

namespace zel::gui {

namespace {

constexpr int kZoomCount = 6;  // Fit, 1, 2, 4, 8, 16
constexpr int kGainCount = 8;  // Auto, 1 .. 64

// The factor of zoom index i: 0 (Fit), 1, 2, 4, 8, 16.
int ZoomFactor(int index) { return (1 << index) / 2; }

bool IsZoomCommand(int id) { return id >= kIdZoomFit && id < kIdZoomFit + kZoomCount; }
bool IsGainCommand(int id) { return id >= kIdGainAuto && id < kIdGainAuto + kGainCount; }

// A scroll bar over `total` logical pixels of which `page` are visible.
void SetScrollBar(QScrollBar* bar, int total, int page) {
    const int pageStep = std::max(total / 10, 1);
    bar->setRange(0, std::max(total - page, 0));
    bar->setPageStep(pageStep);
    bar->setSingleStep(std::max(pageStep / 10, 1));
}

}  // namespace

CZelfView::CZelfView(std::shared_ptr<zel::CZelfDoc> doc, ViewHost& host, QWidget* parent)
    : QAbstractScrollArea(parent), document_(std::move(doc)), host_(host) {
    setAccessibleName(tr("Image view"));
    // Every pixel of the client is painted (image or grey bands): no background erase.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setMouseTracking(true);  // the readouts follow the cursor without a button
    viewport()->setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);  // the arrow keys move the cursor by one pixel
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (document_) document_->AttachObserver(this);
}

CZelfView::~CZelfView() {
    // The graph goes with its view; it must not call back into a view being destroyed.
    if (profileDlg_) {
        profileDlg_->disconnect(this);
        profileDlg_->close();
    }
    if (document_) document_->DetachObserver(this);
}

QPoint CZelfView::ScrollPosition() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CZelfView::OnInitialUpdate() {
    zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr) return;
    const zel::DisplayRows rows = doc->DisplayRowsView();
    dibViewport_.SetImageSize(rows.Columns(), rows.height);  // the padded width is the bitmap's
    zoomIndex_ = 1;
    const QSize client = viewport()->size();
    dibViewport_.SetZoom(client.width(), client.height(), 1, 1);
    SetScrollSizes(dibViewport_.imageWidth, dibViewport_.imageHeight);
    centreUntilPainted_ = true;
    CentreImage();
    ShowFrameCaption();
    viewport()->update();
    emit CommandStateChanged();
}

void CZelfView::CentreImage() {
    const QSize client = viewport()->size();
    const int w = dibViewport_.imageWidth, h = dibViewport_.imageHeight;
    UpdateScrollBars();
    ScrollTo(std::max(w / 2 - client.width() / 2, 0), std::max(h / 2 - client.height() / 2, 0));
    Relayout();
}

bool CZelfView::IsViewCommand(int id) {
    return IsZoomCommand(id) || IsGainCommand(id) || id == kIdFpnDataDisplay || id == kIdGainDataDisplay ||
           id == kIdPoint || id == kIdBlackBalance || (id >= kIdAoi && id <= kIdProfileDataSave);
}

bool CZelfView::OnCommand(int id) {
    if (IsZoomCommand(id)) {
        OnZoom(id);
    } else if (IsGainCommand(id)) {
        OnGain(id);
    } else if (id == kIdFpnDataDisplay) {
        OnDataDisplay(1);
    } else if (id == kIdGainDataDisplay) {
        OnDataDisplay(2);
    } else {
        return OnToolCommand(id);
    }
    emit CommandStateChanged();
    return true;
}

int CZelfView::gainIndex() const { return document_ ? document_->gainIndex() : 1; }

int CZelfView::dataDisplayMode() const { return document_ ? document_->DataDisplayMode() : 0; }

int CZelfView::blackBalanced() const { return document_ && document_->BlackBalanced() ? 1 : 0; }

bool CZelfView::UpdateCommand(int id, bool& enabled, bool& checked) const {
    if (IsZoomCommand(id)) {
        checked = id - kIdZoomFit == zoomIndex_;
    } else if (IsGainCommand(id)) {
        checked = id - kIdGainAuto == gainIndex();
    } else if (id == kIdFpnDataDisplay) {
        checked = dataDisplayMode() == 1;
    } else if (id == kIdGainDataDisplay) {
        checked = dataDisplayMode() == 2;
    } else {
        return UpdateToolCommand(id, enabled, checked);
    }
    enabled = true;
    return true;
}

void CZelfView::OnZoom(int id) {
    centreUntilPainted_ = false;  // the user has chosen what to look at
    previousZoom_ = ZoomFactor(zoomIndex_);
    zoomIndex_ = id - kIdZoomFit;
    const int f = ZoomFactor(zoomIndex_);
    int cw = viewport()->width();
    int ch = viewport()->height();
    dibViewport_.EstimateClient(f, cw, ch, horizontalScrollBar()->isVisibleTo(this),
                               verticalScrollBar()->isVisibleTo(this));
    if (f == 0) {
        SetScrollSizes(cw, ch);  // Fit: no scrolling
        dibViewport_.SetZoom(cw, ch, 0, 0);
    } else {
        QPoint p = ScrollPosition();
        const int64_t w = dibViewport_.imageWidth, h = dibViewport_.imageHeight;
        if (previousZoom_ == 0) {  // leaving Fit: start from the image centred at factor 1
            previousZoom_ = 1;
            p = QPoint(static_cast<int>((w - cw) / 2), static_cast<int>((h - ch) / 2));
        }
        dibViewport_.SetZoom(cw, ch, f, 1);
        SetScrollSizes(static_cast<int>(std::min<int64_t>(f * w, INT32_MAX)),
                       static_cast<int>(std::min<int64_t>(f * h, INT32_MAX)));
        // The logical point in the middle of the window stays there.
        const int64_t x = f * (static_cast<int64_t>(cw / 2) + p.x()) / previousZoom_ - cw / 2;
        const int64_t y = f * (static_cast<int64_t>(ch / 2) + p.y()) / previousZoom_ - ch / 2;
        ScrollTo(static_cast<int>(std::clamp<int64_t>(x, 0, INT32_MAX)),
                 static_cast<int>(std::clamp<int64_t>(y, 0, INT32_MAX)));
    }
    Relayout();
    viewport()->repaint();
}

void CZelfView::OnGain(int id) {
    // The document re-renders and updates every view; a gain already in force does nothing.
    if (zel::CZelfDoc* doc = GetDocument()) doc->SetGain(id - kIdGainAuto);
}

void CZelfView::OnDataDisplay(int mode) {
    zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr) return;
    // A second click on the mode shown returns to the frame. Nothing to show (no such
    // table, a run in progress): the document stays as it was, and so do the check marks.
    doc->ShowCorrectionData(doc->DataDisplayMode() == mode ? 0 : mode);
}

void CZelfView::RepaintViews() {
    // The caption and the tools' figures follow the frame even when nothing can be
    // painted now (a window not yet exposed, hidden or minimized); a paint draws them.
    ShowFrameCaption();
    RefreshMeasurements();
    // Only the image changes with the frame: the grey bands around it stay as painted
    // (the tools lie on the image). Until the first paint has placed the image, all of it.
    const QPoint scroll = ScrollPosition();
    const QRect image(dibViewport_.dstX - scroll.x(), dibViewport_.dstY - scroll.y(), dibViewport_.dstW,
                      dibViewport_.dstH);
    if (centreUntilPainted_)
        viewport()->repaint();
    else
        viewport()->repaint(image & viewport()->rect());
}

void CZelfView::UpdateAllViews() {
    if (zel::CZelfDoc* doc = GetDocument()) FollowImageSize(doc->DisplayRowsView());
    RefreshMeasurements();
    viewport()->update();
    emit CommandStateChanged();  // the gain, the data display or the black balance changed
}

void CZelfView::SetScrollSizes(int totalWidth, int totalHeight) {
    totalWidth_ = totalWidth;
    totalHeight_ = totalHeight;
    UpdateScrollBars();
}

void CZelfView::UpdateScrollBars() {
    const QSize client = viewport()->size();
    if (zoomIndex_ == 0) {  // Fit: the total is the client, whatever its size
        SetScrollBar(horizontalScrollBar(), client.width(), client.width());
        SetScrollBar(verticalScrollBar(), client.height(), client.height());
        return;
    }
    SetScrollBar(horizontalScrollBar(), totalWidth_, client.width());
    SetScrollBar(verticalScrollBar(), totalHeight_, client.height());
}

void CZelfView::ScrollTo(int x, int y) {
    horizontalScrollBar()->setValue(x);  // clamped by the bar's range
    verticalScrollBar()->setValue(y);
}

void CZelfView::Relayout() { dibViewport_.Layout(viewport()->width(), viewport()->height()); }

bool CZelfView::FollowImageSize(const zel::DisplayRows& rows) {
    if (rows.bits == nullptr || (rows.Columns() == dibViewport_.imageWidth && rows.height == dibViewport_.imageHeight))
        return false;
    dibViewport_.SetImageSize(rows.Columns(), rows.height);
    const int64_t f = ZoomFactor(zoomIndex_);
    if (f != 0)
        SetScrollSizes(static_cast<int>(std::min<int64_t>(f * dibViewport_.imageWidth, INT32_MAX)),
                       static_cast<int>(std::min<int64_t>(f * dibViewport_.imageHeight, INT32_MAX)));
    Relayout();
    return true;
}

void CZelfView::ShowFrameCaption() {
    const zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr || !doc->reader()) return;
    host_.SetPaneText(kPaneFrame, QStringLiteral("F: %1/%2").arg(doc->CurrentFrame()).arg(doc->frameCount() - 1));
    // The time of the frame from the trigger; blank when the rate is unknown or no frame is shown.
    const zel::MovieParameters& movie = doc->reader()->Parameters();
    const std::optional<int64_t> number = zel::FrameNumber(movie, doc->CurrentFrame());
    const std::optional<double> time = number ? zel::FrameTime(movie, *number) : std::nullopt;
    host_.SetPaneText(kPaneTime, time ? QStringLiteral("t = ") + QString::fromStdString(zel::TimeText(*time)) : QString());
}

void CZelfView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    zel::CZelfDoc* doc = GetDocument();
    const zel::DisplayRows rows = doc != nullptr ? doc->DisplayRowsView() : zel::DisplayRows{};
    FollowImageSize(rows);
    if (centreUntilPainted_) {
        // The first paint comes once the window has its final size: centre for that size.
        centreUntilPainted_ = false;
        CentreImage();
    }
    Relayout();  // in Fit the image refits the client at every paint
    PaintDisplayRows(painter, rows, dibViewport_, ScrollPosition(), viewport()->size());
    DrawTools(painter);
    ShowFrameCaption();
}

void CZelfView::resizeEvent(QResizeEvent*) {
    if (centreUntilPainted_) {
        CentreImage();
        return;
    }
    UpdateScrollBars();
    Relayout();
}

void CZelfView::scrollContentsBy(int, int) { viewport()->update(); }

}  // namespace zel::gui
