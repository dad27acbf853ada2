#pragma once
// CChildFrame: one document window, holding one view of a document. Document windows
// are always shown maximized; the document lives as long as any of its windows (or a
// run) holds it.

#include <QMdiSubWindow>
#include <memory>

namespace zel {
class CZelfDoc;
}

namespace zel::gui {

class CMainFrame;
class CZelfView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(const std::shared_ptr<CZelfDoc>& doc, CMainFrame& frame);

    CZelfView* View() const { return view_; }
    // The movie's path as the file system resolves it, for finding an open movie.
    const QString& CanonicalPath() const { return canonicalPath_; }
    // Shows the window maximized and active, whatever was asked.
    void ActivateFrame();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void UpdateTitle();

    CMainFrame& frame_;
    CZelfView* view_;
    QString canonicalPath_;
};

}  // namespace zel::gui
