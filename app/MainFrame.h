#pragma once
// CMainFrame: the main window. It holds the document windows (an MDI area under a message
// bar), the toolbar, the control bar and the status bar, keeps the state all document
// windows share (output depth, the last AOI rectangle and profile line) and runs playback,
// conversion and exports through the active document's run loop on the GUI thread,
// pumping events between frames.
//
// Every command is a QAction connected to a named slot. UpdateCommandUI sets what is
// enabled and checked from the current state; it runs whenever that state changes (the
// active window, a document's or a view's state, a run starting or ending, the range
// typed), so no control ever shows a stale state.

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "document/PlaybackPace.h"
#include "view/ViewHost.h"

class QActionGroup;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace zel {
class CZelfDoc;
struct FrameSpan;
struct Problem;
struct RunOutcome;
}

namespace zel::gui {

class CChildFrame;
class CControlBar;
class CHistogramDlg;
class CMessageBar;
class CPlaybackBar;
class StatusPane;
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
    // Called by a document window that is about to close: a run on its document stops
    // when this is the document's last window (the others keep showing it otherwise).
    void DocumentWindowClosing(CChildFrame& child);

    // ---- Bars and messages ----
    CControlBar* ControlBar() const { return controlBar_; }
    CPlaybackBar* PlaybackBar() const { return playbackBar_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QMenu* WindowMenu() const { return windowMenu_; }
    CMessageBar* MessageBar() const { return messageBar_; }
    QAction* Action(int id) const;
    void SetPaneText(int paneId, const QString& text) override;
    QString PaneText(int paneId) const;
    void SetPaneToolTip(int paneId, const QString& text) override;
    StatusPane* Pane(int paneId) const;
    // A failure of the user's action: in the message bar, with its whole reason, until
    // the user dismisses it.
    void ReportFailure(const QString& text) override;
    // State for the status bar's message pane (how a run ended); replaced by the next.
    void ShowStatusMessage(const QString& text);
    // Files dropped on the window open like recent files: with correction.
    void OpenDroppedFiles(const QList<QUrl>& urls);
    // Rebuilds the recent-file entries of the File menu.
    void RefreshRecentFiles();

    // ---- ViewHost ----
    std::optional<zel::ProfileLine> SavedProfileLine() const override { return savedProfileLine_; }
    void SaveProfileLine(const zel::ProfileLine& line) override { savedProfileLine_ = line; }
    zel::AoiRect SavedAoiRect() const override { return savedAoiRect_; }
    void SaveAoiRect(const zel::AoiRect& rect) override { savedAoiRect_ = rect; }
    QWidget* GraphAnchor() override;
    QString ChooseBlackReference(QWidget* parent) override;

    // ---- Shared state, read-only outside ----
    // The active document's range as the control bar shows it (-1 neither, 0 Start..End,
    // 1 all frames); -1, 0, 0 without a document.
    int rangeMode() const;
    int rangeStart() const;
    int rangeEnd() const;
    int bitSel() const { return bitSel_; }  // 1: 16-bit output, 0: 8-bit
    int runInProgress() const { return runningDoc_ ? 1 : 0; }
    // The playback rate, Every frame and Loop as chosen (kept in the settings).
    const zel::PlaybackChoice& Playback() const { return playback_; }

    // ---- Runs ----
    void PumpMessages();
    // Reads frame n into the document and paints it in every view before returning; a
    // frame that cannot be read is reported. false then.
    bool ShowFrame(CZelfDoc& doc, int n);
    // Plays frames (direction 0) or steps one (+1, -1) in the active document.
    void RunFrames(int direction);

public slots:
    // ---- Commands ----
    void UpdateCommandUI();
    void OnFileOpen();
    void OnFileClose();
    void OnConvertToTiff();
    void OnFilePrintSetup();
    void OnAppExit();
    void OnAppAbout();
    void OnViewToolbar();
    void OnViewStatusBar();
    void OnWindowNew();
    void OnWindowCascade();
    void OnWindowTile();
    void OnWindowArrange();
    void OnWindowActivate();
    // The view's commands, carried out by the active view.
    void OnZoom();
    void OnGain();
    void OnPoint();
    void OnProfile();
    void OnAoi();
    void OnBlackBalance();
    void OnFpnDataDisplay();
    void OnGainDataDisplay();
    // The export commands: the run starts once the command has returned.
    void OnProfileDataSave();
    void OnSaveAoiData();
    // Record the active view's AOI statistics or profile over the frame range.
    void OnAoiExportRun();
    void OnProfileExportRun();
    // The kymograph of the active view's profile line over the frame range, in a window
    // of its own; the run starts once the command has returned.
    void OnKymograph();
    void OnCalibration();
    void OnExportVideo();
    // True when this build can write videos (FFmpeg's libraries were found).
    static bool VideoExportBuiltIn();
    // Opens the AOI histogram window, which follows the active view; closes it when open.
    void OnAoiHistogram();
    void OnKymographRun();
    // SIGINT or SIGTERM: the run stops at a frame boundary (what it was writing is
    // dropped, completed files stay), the settings are saved and the program ends with
    // 128 + the signal's number.
    void OnTerminationRequested(int signal);
    // The control bar.
    void OnBarCommand(int id);
    void OnRangeEdited();
    // The playback bar (MainFramePlayback.cpp).
    void OnPlaybackRate(int index);
    void OnEveryFrame();
    void OnLoop();
    void OnScrub(int frame);

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
    void ForwardToView(int id);
    void RefreshWindowMenu();
    void OnUpdateBarControl();
    void EnableRunControls(bool enable);
    // Ends a run before a document, its window or the main window goes away.
    bool EndRunFirst();
    void ExportRun(bool profile);
    // The frames a conversion or an export covers, or a report of why there are none.
    bool RangeToRun(const CZelfDoc& doc, zel::FrameSpan& span, const QString& what);
    void SetProgress(int64_t low, int64_t high, int64_t value);
    // Asks the run in progress to stop after its current frame (Abort, a close).
    void StopRun();
    // ---- Playback pace (MainFramePlayback.cpp) ----
    void CreatePlaybackBar();
    void OnUpdatePlaybackBar();
    void LoadPlaybackSettings();
    void SavePlaybackSettings();
    // The slider shows the active document's current frame.
    void FollowCurrentFrame();
    // The schedule of playing `span` of doc at the chosen rate, or a report of why the
    // rate cannot be used with this movie.
    std::optional<zel::PlaybackPace> PaceOf(const CZelfDoc& doc, const zel::FrameSpan& span);
    // Plays as the pace says, each frame a run of its own, waiting for the next frame
    // inside the run while handling events.
    zel::RunOutcome PlayPaced(CZelfDoc& doc, zel::PlaybackPace& pace, const std::function<void(int)>& afterFrame);
    void WaitHandlingEvents(int64_t ns);
    // The run state from start to end (RunGuard in MainFrameRuns.cpp).
    class RunGuard;
    friend class RunGuard;

    CZelTiff16App& app_;
    QMdiArea* mdi_ = nullptr;
    CMessageBar* messageBar_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    CControlBar* controlBar_ = nullptr;
    CPlaybackBar* playbackBar_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QActionGroup* windowActions_ = nullptr;
    std::map<int, QAction*> actions_;
    std::map<int, StatusPane*> panes_;
    std::vector<QAction*> recentActions_;
    int bitSel_ = 1;
    zel::PlaybackChoice playback_;
    std::optional<zel::ProfileLine> savedProfileLine_;
    zel::AoiRect savedAoiRect_{0, 0, 100, 100};
    // The document whose run is going on (null between runs) and the window whose range
    // the control bar shows.
    std::shared_ptr<CZelfDoc> runningDoc_;
    std::weak_ptr<CZelfDoc> barDoc_;
    bool closeAfterRun_ = false;
    bool playing_ = false;     // the run in progress is playback (not a step, conversion or export)
    bool stopAsked_ = false;   // StopRun was called during the run in progress
    bool runAbandoned_ = false;  // the running document's last window closed
    bool updatingUi_ = false;
    int terminationSignal_ = 0;
    QPointer<CHistogramDlg> histogramDlg_;  // the AOI histogram window while it is open
};

}  // namespace zel::gui
