#pragma once
// CZelfView: one window onto a document's display bitmap. Several views may show one
// document, each with its own zoom and check marks. The view scrolls and zooms the
// bitmap (Fit or 1, 2, 4, 8, 16 times), handles the zoom, display gain and
// correction-data commands, and writes the frame caption into the status bar.

#include <QAbstractScrollArea>
#include <QPoint>
#include <QPointer>
#include <array>
#include <memory>
#include <vector>

#include "document/DocumentObserver.h"
#include "view/DibViewport.h"

namespace zel {
class AoiCsvWriter;
class CZelfDoc;
class ProfileCsvWriter;
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

    // Takes the image size from the document, selects zoom 1 and scrolls so that the
    // image centre is in the middle of the window. Call once the view has its size.
    void OnInitialUpdate();

    // True for the ids this view handles: zoom 32772..32777, gain 32778..32785, FPN and
    // gain data display 32795, 32796.
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
    const DibViewport& Viewport() const { return dibViewport; }
    // The scroll bars' positions: the logical coordinate at the window's top left corner.
    QPoint ScrollPosition() const;

    // ---- Fields: read freely; change them only through the commands ----
    // (The mapping is named dibViewport, not viewport, so that it does not hide
    // QAbstractScrollArea::viewport().)
    DibViewport dibViewport;
    int zoomIndex = 0;        // 0 Fit; 1..5: factor 1, 2, 4, 8, 16 (factor (2^i)/2)
    int previousZoom = 0;     // the factor in force before the last zoom command (0 Fit)
    int gainIndex = 1;        // the gain command checked in this view (0 Auto, 1..7: 1..64)
    int dataDisplayMode = 0;  // 0 the frame, 1 FPN data, 2 gain data

    // ---- Measurement tools ----
    int pointMode = 0;                     // check mark of Point (the readouts always run)
    int profileState = 0;                  // 0 off; -1 on, no line; 1 line shown; 2 being drawn
    std::array<int, 4> profileLine{};      // x0, y0, x1, y1 in image pixels
    std::vector<int16_t> profileSamples;   // the current profile (max(|dx|, |dy|) samples)
    bool profileComputed = false;          // profileSamples holds a profile of the current line
    QPointer<CProfileDlg> profileDlg;      // the graph, while the tool is on
    int profileSeries = -1;                // this view's series in the graph
    int aoiState = 0;                      // 0 off; 1 rectangle shown; 2 being drawn
    std::array<int, 4> aoiRect{};          // the corners as drawn (not sorted)
    int blackBalanced = 0;                 // check mark of Black Balance

    // ---- Exports over a frame range (the main frame runs the frames) ----
    // Ask for the CSV file and write its head. true to go on with the run (also after
    // Cancel, which records nothing); false when the file cannot be created.
    bool BeginProfileExport();
    bool BeginAoiExport();
    // One row for the frame now shown, while an export is open.
    void WriteExportRow();
    // Writes the average row and completes the file; false (with the reason in the
    // status bar) when it could not be written.
    bool EndExport();
    bool ExportOpen() const;

    // The image pixel under a point of the viewport (clamped into the bitmap).
    QPoint ImagePoint(const QPoint& viewportPos) const;

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
    int totalWidth_ = 0;  // the logical size scrolled over at a fixed factor
    int totalHeight_ = 0;
    std::unique_ptr<zel::ProfileCsvWriter> profileExport_;
    std::unique_ptr<zel::AoiCsvWriter> aoiExport_;
    std::array<int, 4> exportCorners_{};  // the line or rectangle recorded by the open export
};

}  // namespace zel::gui
