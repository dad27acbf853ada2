#pragma once
// CProfileDlg: the profile graph window. It shows the samples along the view's profile
// line, one polyline per series, over the lowest quarter of the main window.

#include <QString>

#include "view/GraphDlg.h"
#include "view/ProfileSeries.h"

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

    const ProfileSeriesSet& Series() const { return series_; }

    void DrawGraph(QPainter& painter, const QRect& client) override;

private:
    ProfileSeriesSet series_;
};

}  // namespace zel::gui
