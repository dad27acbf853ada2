#pragma once
// CProfileDlg: the profile graph window. It shows the samples along the view's profile
// line, one polyline per series, over the lowest quarter of the main window, with axes
// (position along the line, in pixels or the calibrated unit; value), a readout of the
// sample under the mouse (or chosen with the arrow keys), and a choice between the
// movie's full value range and a range fitted to the samples shown.

#include <QPen>
#include <QPointF>
#include <QString>
#include <vector>

#include "document/Calibration.h"
#include "document/Measurements.h"
#include "document/ProfilePositions.h"
#include "view/GraphAxes.h"
#include "view/GraphDlg.h"
#include "view/GraphMapping.h"
#include "view/ProfileSeries.h"

class QAction;
class QCheckBox;
class QLabel;

namespace zel::gui {

class CProfileDlg : public CGraphDlg {
    Q_OBJECT
public:
    explicit CProfileDlg(QWidget* parent = nullptr);

    // Titles the window "Profile : text", becomes a window of mainWindow if it has no
    // parent yet, covers the lowest quarter of mainWindow's inner area and shows itself.
    bool Create(const QString& text, QWidget* mainWindow);

    // As ProfileSeriesSet::SetSeries, then repaints the graph at once.
    int SetSeries(int index, int bits, const int16_t* values, int count);
    void UpdateExtents();
    void ClearSeries();

    // Where the samples lie: the line they were taken along and the movie's pixel size,
    // for the position axis and the readout. Until it is given, samples are 1 pixel apart.
    // Cheap when nothing changed, so it may be called for every frame.
    void SetLine(const zel::ProfileLine& line, const zel::Calibration& calibration);
    const zel::ProfilePositions& Positions() const { return positions_; }

    const ProfileSeriesSet& Series() const { return series_; }

    bool FitToData() const;
    // The sample the readout shows (-1: none yet) and its text ("" when none).
    int ReadoutSample() const { return readout_; }
    QString ReadoutText() const;
    // The graph laid out for the graph widget's present size: the plot rectangle inside
    // it and the logical range mapped onto it (0, top value, sample count, bottom value).
    QRect PlotRect();
    GraphRect ShownRange();
    const CGraphAxes& Axes() const { return axes_; }

    void DrawGraph(QPainter& painter, const QRect& client) override;
    void GraphMouseMove(const QPoint& pos) override;
    bool GraphKeyPress(int key) override;

public slots:
    // Full range (false, the default) or fitted to the data; kept while the window lives.
    void SetFitToData(bool fit);

private slots:
    void OnFitToData(bool fit);

private:
    // The series the readout reads: the first visible one with samples, or null.
    const ProfileSeries* ReadoutSeries() const;
    void LayOut(const QRect& client);
    void SetReadout(int sample);
    void RefreshReadout();
    void DrawReadoutMark(QPainter& painter) const;

    ProfileSeriesSet series_;
    zel::ProfilePositions positions_;
    QString xTitle_;
    QString yTitle_;
    CGraphAxes axes_;
    QRect plot_;
    GraphRect logical_{};
    int readout_ = -1;
    std::vector<QPointF> points_;  // the polyline's storage, kept from frame to frame
    QPen focusPen_;
    QLabel* readoutLabel_ = nullptr;
    QCheckBox* fitBox_ = nullptr;
    QAction* fitAction_ = nullptr;
};

}  // namespace zel::gui
