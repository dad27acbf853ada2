#pragma once
// CHistogramDlg: the AOI histogram window. It shows the histogram of the AOI of the view
// it follows (the main window's active view) in the document's current frame, with the
// AOI's figures (n, mean, standard deviation, extremes per channel) beside it, and keeps
// both up to date as the frame changes (playback, stepping, a gain or data display
// change) and as the AOI is drawn or moved. The core computes everything
// (document/Histogram.h, CZelfDoc::Summary); the window only shows it.
//
// A modeless window kept above the main window; Esc, Enter or its close box close it (it
// then deletes itself).

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

#include "decode/AoiStatistics.h"
#include "document/DocumentObserver.h"
#include "document/Histogram.h"
#include "document/HistogramScale.h"
#include "document/Measurements.h"

class QCheckBox;
class QLabel;
class QTimer;

namespace zel {
class CZelfDoc;
}

namespace zel::gui {

class CHistogramGraph;
class CZelfView;

class CHistogramDlg : public QDialog, public zel::DocumentObserver {
    Q_OBJECT
public:
    explicit CHistogramDlg(QWidget* parent = nullptr);
    ~CHistogramDlg() override;
    CHistogramDlg(const CHistogramDlg&) = delete;
    CHistogramDlg& operator=(const CHistogramDlg&) = delete;

    // Places the window at the top right corner of `anchor` (the document area) and
    // shows it.
    void ShowBeside(QWidget* anchor);

    // Follows `view` (null: none) from now on: its document's frames and its AOI.
    void Follow(CZelfView* view);
    CZelfView* FollowedView() const;

    // The histogram and the figures of the followed AOI in the current frame (all empty
    // without an AOI or samples), computed for every frame; the graph and the figures'
    // text show them at most kPresentInterval later.
    const zel::AoiHistogram& Histogram() const { return histogram_; }
    const zel::AoiSummary& Summary() const { return summary_; }
    std::optional<zel::AoiRect> Rect() const { return rect_; }
    bool LogScale() const;
    zel::CountAxis CountAxis() const;

    QCheckBox* LogScaleBox() const { return logScale_; }
    QLabel* StatisticsLabel() const { return statistics_; }
    CHistogramGraph* Graph() const { return graph_; }

    // DocumentObserver: the frame or the samples changed.
    void RepaintViews() override;
    void UpdateAllViews() override;

    static constexpr std::chrono::milliseconds kPresentInterval{20};

public slots:
    // Recomputes the histogram and the figures from the followed view's AOI now.
    void Refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FollowDocument(std::shared_ptr<zel::CZelfDoc> doc);
    // Redraws the graph and the figures' text from what was computed last.
    void Present();
    QString StatisticsText() const;
    QString ChannelRow(const QString& name, const zel::ChannelSummary& channel) const;

    QPointer<CZelfView> view_;
    std::shared_ptr<zel::CZelfDoc> doc_;
    std::optional<zel::AoiRect> rect_;  // the AOI the figures are of
    int frame_ = -1;
    zel::AoiHistogram histogram_;  // reused for every frame: nothing allocated per frame
    zel::AoiSummary summary_;
    bool hasDocument_ = false;  // the followed view shows a movie
    QElapsedTimer presented_;       // since the graph and the figures were last redrawn
    QTimer* presentTimer_ = nullptr;  // redraws a frame computed too soon after the last
    CHistogramGraph* graph_ = nullptr;
    QLabel* statistics_ = nullptr;
    QCheckBox* logScale_ = nullptr;
};

}  // namespace zel::gui
