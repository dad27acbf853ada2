#pragma once
// CMainFrame: the main window. It holds the document windows (an MDI area), the toolbar,
// the control bar and the status bar, keeps the state all document windows share (frame
// range, output depth, run state, the last AOI rectangle and profile line) and runs
// playback and conversion on the GUI thread, pumping events between frames.

#include <QMainWindow>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "app/ViewHost.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace zel {
class CZelfDoc;
}

namespace zel::gui {

class CChildFrame;
class CControlBar;
class CZelTiff16App;
class CZelfView;

class CMainFrame : public QMainWindow, public ViewHost {
    Q_OBJECT
public:
    explicit CMainFrame(CZelTiff16App& app);
    ~CMainFrame() override;

    // ---- Documents and their windows ----
    // A new document window (child frame and view) for doc, shown maximized and active.
    CChildFrame* AddDocumentWindow(const std::shared_ptr<CZelfDoc>& doc);
    // The first window showing the movie at this canonical path, or null.
    CChildFrame* FindDocumentWindow(const QString& canonicalPath) const;
    QMdiSubWindow* ActiveChild() const;
    CZelfView* ActiveView() const;
    CZelfDoc* ActiveDocument() const;
    QMdiArea* MdiArea() const { return mdi_; }

    // ---- Bars ----
    CControlBar* ControlBar() const { return controlBar_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QAction* Action(int id) const;
    void SetPaneText(int paneId, const QString& text) override;
    std::array<int, 4>& SharedProfileLine() override { return savedProfileLine; }
    std::array<int, 4>& SharedAoiRect() override { return savedAoiRect; }
    QWidget* GraphAnchor() override { return this; }
    QString ChooseBlackReference(QWidget* parent) override;
    QString ChooseCsvName(QWidget* parent, const QString& proposedPath) override;
    // The view's export commands: the run starts once the command has returned.
    void RequestAoiExport() override;
    void RequestProfileExport() override;
    QString PaneText(int paneId) const;
    QLabel* Pane(int paneId) const;
    // A message in the status bar's message pane (a rejected file, a stopped conversion).
    void ShowStatusMessage(const QString& text) override;
    // Files dropped on the window open like recent files: with correction.
    void OpenDroppedFiles(const QList<QUrl>& urls);
    // Rebuilds the recent-file entries of the File menu.
    void RefreshRecentFiles();

    // ---- Command state, as the idle-time update handlers set it ----
    // Enables and checks every action and control; runs soon after any change of state.
    void UpdateCommandUI();
    void ScheduleUpdate();
    void OnUpdateBarControl();
    void OnBarCommand(int id);
    void EnableRunControls(bool enable);

    // ---- Runs ----
    void PumpMessages();
    // Reads frame n into the document and paints it in every view before returning.
    void ShowFrame(CZelfDoc& doc, int n);
    // Plays frames (direction 0) or steps one (+1, -1); afterEachFrame runs once for every
    // frame shown.
    void RunFrames(int direction, const std::function<void()>& afterEachFrame = {});
    void OnConvertToTiff();
    // Records the active view's AOI statistics or profile over the frame range.
    void OnAoiExportRun();
    void OnProfileExportRun();

    // ---- Shared state ----
    QPointer<QMdiSubWindow> trackedChild;
    std::weak_ptr<CZelfDoc> trackedDoc;
    int rangeMode = -1;  // 0 Start..End, 1 all frames, -1 neither
    int rangeStart = 0;
    int rangeEnd = 0;
    int abortRequested = 0;
    int runInProgress = 0;
    int bitSel = 1;  // 1: 16-bit output, 0: 8-bit
    std::array<int, 4> savedAoiRect{0, 0, 100, 100};
    std::array<int, 4> savedProfileLine{-1, 0, 0, 0};

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void RetranslateUi();
    void OnCommand(int id);
    // Ends a run before a document, its window or the main window goes away.
    bool EndRunFirst();
    void ExportRun(bool profile);
    // Common frame of playback and conversion: sets and clears the run state.
    class Run;

    CZelTiff16App& app_;
    QMdiArea* mdi_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    CControlBar* controlBar_ = nullptr;
    std::map<int, QAction*> actions_;
    std::map<int, QLabel*> panes_;
    QMenu* recentMenuAnchor_ = nullptr;
    std::vector<QAction*> recentActions_;
    bool updateScheduled_ = false;
    bool closeAfterRun_ = false;
};

}  // namespace zel::gui
