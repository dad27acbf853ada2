// The AOI histogram command: one histogram window, which follows the active view (see
// UpdateCommandUI), opened and closed by the same checkable command.

#include <QTimer>

#include "app/MainFrame.h"
#include "view/HistogramDlg.h"

namespace zel::gui {

void CMainFrame::OnAoiHistogram() {
    if (histogramDlg_ && histogramDlg_->isVisible()) {
        histogramDlg_->close();
        UpdateCommandUI();
        return;
    }
    delete histogramDlg_.data();  // closed but not deleted yet: a new one takes its place
    auto* window = new CHistogramDlg(this);
    histogramDlg_ = window;
    connect(window, &QDialog::finished, this, &CMainFrame::UpdateCommandUI);
    // The window is half destroyed when it says so: the command's state follows once it
    // is gone.
    connect(window, &QObject::destroyed, this, [this] { QTimer::singleShot(0, this, &CMainFrame::UpdateCommandUI); });
    window->Follow(ActiveView());
    window->ShowBeside(GraphAnchor());
    UpdateCommandUI();
}

}  // namespace zel::gui
