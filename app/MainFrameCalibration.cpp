// The calibration command: the pixel size of the active movie, asked for, kept with the
// movie in the settings and said at once by every window of it.

#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/CalibrationStore.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/ZelTiff16App.h"
#include "document/ZelfDoc.h"
#include "view/NativePath.h"
#include "view/ZelfView.h"

namespace zel::gui {

void CMainFrame::OnCalibration() {
    CZelfView* view = ActiveView();
    if (view == nullptr || runningDoc_) return;
    const std::shared_ptr<CZelfDoc> doc = view->DocumentPtr();
    const std::optional<zel::Calibration> chosen = app_.Dialogs().ChooseCalibration(this, doc->PixelCalibration());
    if (!chosen) return;
    doc->SetPixelCalibration(*chosen);
    StoreCalibration(app_.Settings(), CanonicalPathOf(doc->pathName()), *chosen);
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        auto* child = qobject_cast<CChildFrame*>(window);
        if (child != nullptr && child->View()->DocumentPtr() == doc) child->View()->OnCalibrationChanged();
    }
    ShowStatusMessage(chosen->Known() ? tr("Pixel size: %1 %2")
                                            .arg(chosen->pixelSize, 0, 'g', 6)
                                            .arg(QString::fromStdString(chosen->UnitText()))
                                      : tr("Pixel size not known: lengths in pixels"));
}

}  // namespace zel::gui
