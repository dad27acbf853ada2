#include "app/ChildFrame.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMdiArea>

#include "app/Icons.h"
#include "app/MainFrame.h"
#include "document/ZelfDoc.h"
#include "view/NativePath.h"
#include "view/ZelfView.h"

namespace zel::gui {

CChildFrame::CChildFrame(const std::shared_ptr<CZelfDoc>& doc, CMainFrame& frame) : frame_(frame) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(ApplicationIcon());
    view_ = new CZelfView(doc, frame, this);
    setWidget(view_);
    canonicalPath_ = CanonicalPathOf(doc->pathName());
    setAccessibleName(QString::fromStdString(doc->movieTitle()));
    UpdateTitle();
}

void CChildFrame::UpdateTitle() {
    // Several windows of one movie are told apart by a number, as "shot.zel:2".
    const QString title = QString::fromStdString(view_->GetDocument()->movieTitle());
    int index = 0, count = 0;
    if (QMdiArea* area = mdiArea()) {
        for (QMdiSubWindow* window : area->subWindowList(QMdiArea::CreationOrder)) {
            auto* other = qobject_cast<CChildFrame*>(window);
            if (other == nullptr || other->view_->GetDocument() != view_->GetDocument()) continue;
            ++count;
            if (other == this) index = count;
        }
    }
    setWindowTitle(count > 1 ? QStringLiteral("%1:%2").arg(title).arg(index) : title);
}

void CChildFrame::ActivateFrame() {
    showMaximized();
    if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(this);
}

void CChildFrame::showEvent(QShowEvent* event) {
    QMdiSubWindow::showEvent(event);
    UpdateTitle();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    // A run on this movie stops after its current frame when this is the movie's last
    // window; the run holds the document until then, and this window may go at once.
    frame_.DocumentWindowClosing(*this);
    QMdiSubWindow::closeEvent(event);
}

}  // namespace zel::gui
