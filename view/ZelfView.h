#pragma once
// CZelfView: one window onto a document's display bitmap. Several views may show one
// document, each with its own zoom and tools; the gain and the data display belong to
// the document. The view scrolls and zooms the
// bitmap (Fit or 1, 2, 4, 8, 16 times), handles the zoom, display gain and
// correction-data commands, and writes the frame caption into the status bar.

#include <QAbstractScrollArea>
#include <QPoint>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "document/DocumentObserver.h"
#include "document/Measurements.h"
#include "view/DibViewport.h"
#include "view/ProfileDlg.h"

namespace zel {
class CZelfDoc;
struct DisplayRows;
}

namespace zel::gui {

class CProfileDlg;
class ViewHost;

class CZelfView : public QAbstractScrollArea, public zel::DocumentObserver {
    Q_OBJECT
public:
    // Attaches itself to the document (which may be null: the view then shows grey).
    CZelfView(std::shared_ptr<zel::CZelfDoc> doc, ViewHost& host, QWidget* parent = nullptr);
    ~CZelfView() override;
    CZelfView(const CZelfView&) = delete;
    CZelfView& operator=(const CZelfView&) = delete;

    zel::CZelfDoc* GetDocument() const { return document_.get(); }
    const std::shared_ptr<zel::CZelfDoc>& DocumentPtr() const { return document_; }

    // Takes the image size from the document, selects zoom 1 and keeps the image centre in
    // the middle of the window until the view is first painted (its final size is known
    // only once the window around it is laid out).
    void OnInitialUpdate();

    // True for the ids this view handles: zoom 32772..32777, gain 32778..32785, FPN and
    // gain data display 32795, 32796, and the tools.
    static bool IsViewCommand(int id);
    // Carries out a view command; false (doing nothing) for other ids.
    bool OnCommand(int id);
    // The state of a view command's menu item and button; false for other ids.
    bool UpdateCommand(int id, bool& enabled, bool& checked) const;

    // DocumentObserver: the frame changed: caption and repaint now (synchronously) /
    // the document's state changed: repaint when convenient.
    void RepaintViews() override;
    void UpdateAllViews() override;

    // The bitmap-to-window mapping as last laid out (mouse positions go through it).
    const DibViewport& Viewport() const { return dibViewport_; }
    // The scroll bars' positions: the logical coordinate at the window's top left corner.
    QPoint ScrollPosition() const;

    // ---- State, read through accessors; changed only through the commands ----
    int zoomIndex() const { return zoomIndex_; }        // 0 Fit; 1..5: factor 1, 2, 4, 8, 16
    int previousZoom() const { return previousZoom_; }  // the factor before the last zoom command (0 Fit)
    // The gain and the data display are the document's: every view of it shows them.
    int gainIndex() const;        // 0 Auto, 1..7: 1..64
    int dataDisplayMode() const;  // 0 the frame, 1 FPN data, 2 gain data

    // ---- Measurement tools ----
    int pointMode() const { return pointMode_; }        // check mark of Point (the readouts always run)
    int profileState() const { return profileState_; }  // 0 off; -1 on, no line; 1 line shown; 2 being drawn
    const zel::ProfileLine& profileLine() const { return profileLine_; }
    const std::vector<int16_t>& profileSamples() const { return profileSamples_; }
    CProfileDlg* profileDlg() const { return profileDlg_; }  // the graph, while the tool is on
    int profileSeries() const { return profileSeries_; }     // this view's series in the graph
    int aoiState() const { return aoiState_; }               // 0 off; 1 rectangle shown; 2 being drawn
    const zel::AoiRect& aoiRect() const { return aoiRect_; }  // the corners as drawn (not sorted)
    int blackBalanced() const;                               // check mark of Black Balance

    // What an export of this view records: the profile line once one is drawn, the
    // rectangle while the AOI tool shows one; nullopt otherwise.
    std::optional<zel::ProfileLine> ProfileToRecord() const;
    std::optional<zel::AoiRect> AoiToRecord() const;

    // The movie's pixel calibration changed: positions and sizes are said anew.
    void OnCalibrationChanged() { RefreshMeasurements(); }

    // The image pixel under a point of the viewport (clamped into the bitmap).
    QPoint ImagePoint(const QPoint& viewportPos) const;

signals:
    // Something the commands' enabled or checked state reads has changed (a tool, a line
    // drawn, the graph closed, the zoom, the gain, the data display).
    void CommandStateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void OnZoom(int id);
    void OnGain(int id);
    void OnDataDisplay(int mode);
    // Sets the logical size scrolled over (Fit: none) and refreshes the scroll bars.
    void SetScrollSizes(int totalWidth, int totalHeight);
    void UpdateScrollBars();
    void ScrollTo(int x, int y);
    void CentreImage();
    // Lays the bitmap out in the current client area.
    void Relayout();
    // Follows a change of the document's bitmap size (a reopen); true when it changed.
    bool FollowImageSize(const zel::DisplayRows& rows);
    void ShowFrameCaption();

    // Tools (ZelfViewTools.cpp).
    bool OnToolCommand(int id);
    bool UpdateToolCommand(int id, bool& enabled, bool& checked) const;
    void OnProfile();
    void OnAoi();
    void OnBlackBalance();
    void EndProfileTool();
    QPoint ConstrainProfileEnd(Qt::KeyboardModifiers modifiers, const QPoint& viewportPos) const;
    // The pixel under a point, limited to the frame's columns (the AOI's corners).
    QPoint FramePoint(const QPoint& viewportPos) const;
    void ShowReadouts(const QPoint& image);
    // Profile and AOI figures of the samples now held; run whenever they change.
    void RefreshMeasurements();
    void RecomputeProfile();
    void RefreshAoiStatistics();
    void DrawTools(QPainter& painter) const;
    void HandleMouseMove(const QPoint& viewportPos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

    std::shared_ptr<zel::CZelfDoc> document_;
    ViewHost& host_;
    // (The mapping is named dibViewport_, not viewport, so that it does not hide
    // QAbstractScrollArea::viewport().)
    DibViewport dibViewport_;
    int zoomIndex_ = 0;
    int previousZoom_ = 0;
    int totalWidth_ = 0;  // the logical size scrolled over at a fixed factor
    int totalHeight_ = 0;
    bool centreUntilPainted_ = false;

    int pointMode_ = 0;
    int profileState_ = 0;
    zel::ProfileLine profileLine_;
    std::vector<int16_t> profileSamples_;  // the current profile (SampleCount() samples)
    bool profileComputed_ = false;         // profileSamples_ holds a profile of the current line
    QPointer<CProfileDlg> profileDlg_;
    int profileSeries_ = -1;
    int aoiState_ = 0;
    zel::AoiRect aoiRect_;
};

}  // namespace zel::gui
