// The main window's commands: one QAction per command id, shared by the menus and the
// toolbar, and their enabled and checked state.

#include <QAction>
#include <QActionGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "app/ChildFrame.h"
#include "app/Icons.h"
#include "app/MainFrame.h"
#include "app/ZelTiff16App.h"
#include "document/ZelfDoc.h"
#include "view/CommandIds.h"
#include "view/HistogramDlg.h"
#include "view/ZelfView.h"

namespace zel::gui {

namespace {

struct CommandText {
    int id;
    QString menu;     // menu text
    QString prompt;   // status-bar prompt
    QString tip;      // tool tip
};

// The texts of every command, in the current language.
std::vector<CommandText> CommandTexts() {
    const auto t = [](const char* text) { return CMainFrame::tr(text); };
    return {
        {kIdFileOpen, t("&Open...\tCtrl+O"), t("Open an existing movie"), t("Open")},
        {kIdFileClose, t("&Close"), t("Close the active movie"), t("Close")},
        {kIdConvertToTiff, t("&Save\tCtrl+S"), t("Conversion to 16 bits TIFF"), t("Convert to TIFF")},
        {kIdFilePrint, t("&Print...\tCtrl+P"), t("Print the active view"), t("Print")},
        {kIdFilePrintPreview, t("Print Pre&view"), t("Display full pages"), t("Print Preview")},
        {kIdFilePrintSetup, t("P&rint Setup..."), t("Change the printer and printing options"), t("Print Setup")},
        {kIdAppExit, t("E&xit"), t("Quit the application"), t("Exit")},
        {kIdEditUndo, t("&Undo\tCtrl+Z"), t("Undo the last action"), t("Undo")},
        {kIdEditCut, t("Cu&t\tCtrl+X"), t("Cut the selection and put it on the Clipboard"), t("Cut")},
        {kIdEditCopy, t("&Copy\tCtrl+C"), t("Copy the selection and put it on the Clipboard"), t("Copy")},
        {kIdEditPaste, t("&Paste\tCtrl+V"), t("Insert Clipboard contents"), t("Paste")},
        {kIdViewToolbar, t("&Toolbar"), t("Show or hide the toolbar"), t("Toggle Toolbar")},
        {kIdViewStatusBar, t("&Status Bar"), t("Show or hide the status bar"), t("Toggle Status Bar")},
        {kIdWindowNew, t("&New Window"), t("Open another window for the active movie"), t("New Window")},
        {kIdWindowCascade, t("&Cascade"), t("Arrange windows so they overlap"), t("Cascade Windows")},
        {kIdWindowTile, t("&Tile"), t("Arrange windows as non-overlapping tiles"), t("Tile Windows")},
        {kIdWindowArrange, t("&Arrange Icons"), t("Arrange icons at the bottom of the window"), t("Arrange Icons")},
        {kIdAppAbout, t("&About ZelTiff16..."), t("Display program information and version"), t("About")},
        {kIdZoomFit, t("Zoom Fit"), t("Fit the image to the window"), t("Zoom Fit")},
        {kIdZoomFit + 1, t("Zoom 1"), t("Zoom 1"), t("Zoom 1")},
        {kIdZoomFit + 2, t("Zoom2"), t("Zoom 2"), t("Zoom 2")},
        {kIdZoomFit + 3, t("Zoom4"), t("Zoom 4"), t("Zoom 4")},
        {kIdZoomFit + 4, t("Zoom8"), t("Zoom 8"), t("Zoom 8")},
        {kIdZoomFit + 5, t("Zoom16"), t("Zoom 16"), t("Zoom 16")},
        {kIdGainAuto, t("Gain Auto"), t("Auto Gain"), t(" Auto Gain")},
        {kIdGain1, t("Gain1"), t("Gain1"), t("Gain1")},
        {kIdGain1 + 1, t("Gain2"), t("Gain2"), t("Gain2")},
        {kIdGain1 + 2, t("Gain4"), t("Gain4"), t("Gain4")},
        {kIdGain1 + 3, t("Gain8"), t("Gain8"), t("Gain8")},
        {kIdGain1 + 4, t("Gain16"), t("Gain16"), t("Gain16")},
        {kIdGain1 + 5, t("Gain32"), t("Gain32"), t("Gain32")},
        {kIdGain1 + 6, t("Gain64"), t("Gain64"), t("Gain64")},
        {kIdPoint, t("Point"), t("Read the value under the cursor"), t("Point")},
        {kIdProfile, t("Profile"), t("Draw a profile line"), t("Profile")},
        {kIdProfileDataSave, t("Profile Data Save"), t("Record the profile over the frame range"), t("Profile Data Save")},
        {kIdKymograph, t("Kymograph..."), t("Show the profile line over the frame range as an image, a row per frame"),
         t("Kymograph")},
        {kIdExportVideo, t("Export &Video..."), t("Write the frame range as one video file (H.264 or lossless FFV1)"),
         t("Export Video")},
        {kIdCalibration, t("Calibration..."), t("Set the size of one pixel on the object for this movie"),
         t("Calibration")},
        {kIdBlackBalance, t("Black Balance"), t("Subtract the dark level of a reference movie"), t("Black Balance")},
        {kIdAoi, t("AOI"), t("Draw an area of interest"), t("AOI")},
        {kIdSaveAoiData, t("AOI Data Save"), t("Record the AOI statistics over the frame range"), t("Save AOI Data")},
        {kIdAoiHistogram, t("AOI Histogram"), t("Show the histogram of the AOI in the current frame"),
         t("AOI Histogram")},
        {kIdFpnDataDisplay, t("FPN Data Display"), t("FPN Data Display"), t("FPN Disp")},
        {kIdGainDataDisplay, t("Gain Data Display"), t("Gain Data Display"), t("Gain Disp")},
    };
}

QKeySequence ShortcutOf(int id) {
    switch (id) {
        case kIdFileOpen: return QKeySequence(QKeySequence::Open);
        case kIdConvertToTiff: return QKeySequence(QKeySequence::Save);
        case kIdFilePrint: return QKeySequence(QKeySequence::Print);
        case kIdEditUndo: return QKeySequence(QKeySequence::Undo);
        case kIdEditCut: return QKeySequence(QKeySequence::Cut);
        case kIdEditCopy: return QKeySequence(QKeySequence::Copy);
        case kIdEditPaste: return QKeySequence(QKeySequence::Paste);
        default: return {};
    }
}

bool Checkable(int id) {
    return id == kIdViewToolbar || id == kIdViewStatusBar || (id >= kIdZoomFit && id <= kIdGainDataDisplay) ||
           id == kIdAoiHistogram;
}

// The toolbar's buttons, left to right; 0 is a separator.
constexpr int kToolbarLayout[] = {
    kIdFileOpen, kIdConvertToTiff, 0, kIdEditCut, kIdEditCopy, kIdEditPaste, 0, kIdFilePrint, 0, kIdAppAbout, 0,
    kIdBlackBalance, 0, kIdPoint, kIdProfile, kIdProfileDataSave, kIdAoi, kIdSaveAoiData, 0,
    kIdZoomFit, kIdZoomFit + 1, kIdZoomFit + 2, kIdZoomFit + 3, kIdZoomFit + 4, kIdZoomFit + 5, 0,
    kIdGain1, kIdGain1 + 1, kIdGain1 + 2, kIdGain1 + 3, kIdGain1 + 4, kIdGain1 + 5, kIdGain1 + 6, kIdGainAuto,
};

// The slot that carries out each command.
using CommandSlot = void (CMainFrame::*)();
CommandSlot SlotOf(int id) {
    if (id >= kIdZoomFit && id <= kIdZoom16) return &CMainFrame::OnZoom;
    if (id >= kIdGainAuto && id <= kIdGain64) return &CMainFrame::OnGain;
    switch (id) {
        case kIdFileOpen: return &CMainFrame::OnFileOpen;
        case kIdFileClose: return &CMainFrame::OnFileClose;
        case kIdConvertToTiff: return &CMainFrame::OnConvertToTiff;
        case kIdFilePrintSetup: return &CMainFrame::OnFilePrintSetup;
        case kIdAppExit: return &CMainFrame::OnAppExit;
        case kIdAppAbout: return &CMainFrame::OnAppAbout;
        case kIdViewToolbar: return &CMainFrame::OnViewToolbar;
        case kIdViewStatusBar: return &CMainFrame::OnViewStatusBar;
        case kIdWindowNew: return &CMainFrame::OnWindowNew;
        case kIdWindowCascade: return &CMainFrame::OnWindowCascade;
        case kIdWindowTile: return &CMainFrame::OnWindowTile;
        case kIdWindowArrange: return &CMainFrame::OnWindowArrange;
        case kIdPoint: return &CMainFrame::OnPoint;
        case kIdProfile: return &CMainFrame::OnProfile;
        case kIdAoi: return &CMainFrame::OnAoi;
        case kIdBlackBalance: return &CMainFrame::OnBlackBalance;
        case kIdFpnDataDisplay: return &CMainFrame::OnFpnDataDisplay;
        case kIdGainDataDisplay: return &CMainFrame::OnGainDataDisplay;
        case kIdProfileDataSave: return &CMainFrame::OnProfileDataSave;
        case kIdKymograph: return &CMainFrame::OnKymograph;
        case kIdCalibration: return &CMainFrame::OnCalibration;
        case kIdExportVideo: return &CMainFrame::OnExportVideo;
        case kIdAoiHistogram: return &CMainFrame::OnAoiHistogram;
        case kIdSaveAoiData: return &CMainFrame::OnSaveAoiData;
        default: return nullptr;  // printing and editing: no handler, always disabled
    }
}

}  // namespace

void CMainFrame::CreateActions() {
    for (const CommandText& c : CommandTexts()) {
        auto* action = new QAction(this);
        action->setData(c.id);
        action->setShortcut(ShortcutOf(c.id));
        action->setCheckable(Checkable(c.id));
        const QIcon icon = CommandIcon(c.id);
        if (!icon.isNull()) action->setIcon(icon);
        if (const CommandSlot slot = SlotOf(c.id)) {
            if (action->isCheckable()) {
                // A checkable command runs on every toggle the user makes: a click or a menu
                // item (which trigger), and the accessibility interface's "Toggle", which
                // flips the action without triggering it. The check marks UpdateCommandUI
                // sets are state, not commands.
                connect(action, &QAction::toggled, this, [this, slot] {
                    if (!updatingUi_) (this->*slot)();
                });
            } else {
                connect(action, &QAction::triggered, this, slot);
            }
        }
        actions_[c.id] = action;
    }
    // F6 and Shift+F6 move between document windows.
    auto* next = new QAction(this);
    next->setShortcut(Qt::Key_F6);
    connect(next, &QAction::triggered, mdi_, &QMdiArea::activateNextSubWindow);
    auto* previous = new QAction(this);
    previous->setShortcut(Qt::SHIFT | Qt::Key_F6);
    connect(previous, &QAction::triggered, mdi_, &QMdiArea::activatePreviousSubWindow);
    addActions({next, previous});
    windowActions_ = new QActionGroup(this);
    RetranslateUi();
}

void CMainFrame::RetranslateUi() {
    for (const CommandText& c : CommandTexts()) {
        QAction* action = actions_.at(c.id);
        action->setText(c.menu.section(QLatin1Char('\t'), 0, 0));
        action->setStatusTip(c.prompt);
        action->setToolTip(c.tip);
    }
    setWindowTitle(QStringLiteral("ZelTiff16"));
}

void CMainFrame::CreateToolBar() {
    toolBar_ = addToolBar(tr("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setIconSize(QSize(16, 15));
    for (const int id : kToolbarLayout) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        toolBar_->addAction(actions_.at(id));
    }
    addToolBarBreak();
}

// The menus: a short set without a document window, the full set with one.
void CMainFrame::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->clear();
    const bool withDocument = !mdi_->subWindowList().isEmpty();
    const auto add = [this](QMenu* menu, std::initializer_list<int> ids) {
        for (const int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(actions_.at(id));
        }
    };
    QMenu* file = bar->addMenu(tr("&File"));
    if (withDocument) {
        add(file, {kIdFileOpen, kIdFileClose, kIdConvertToTiff});
        if (VideoExportBuiltIn()) add(file, {kIdExportVideo});
        if (app_.uiLanguage == 2) add(file, {kIdSaveAoiData, kIdProfileDataSave});
        add(file, {0, kIdFilePrint, kIdFilePrintPreview, kIdFilePrintSetup});
    } else {
        add(file, {kIdFileOpen, 0, kIdFilePrintSetup});
    }

    file->addSeparator();
    for (QAction* recent : recentActions_) file->addAction(recent);
    file->addSeparator();
    add(file, {kIdAppExit});
    if (withDocument) add(bar->addMenu(tr("&Edit")), {kIdEditUndo, 0, kIdEditCut, kIdEditCopy, kIdEditPaste});
    QMenu* view = bar->addMenu(tr("&View"));
    add(view, {kIdViewToolbar, kIdViewStatusBar});
    if (withDocument) {
        add(view, {0, kIdZoomFit, kIdZoomFit + 1, kIdZoomFit + 2, kIdZoomFit + 3, kIdZoomFit + 4, kIdZoomFit + 5, 0,
                   kIdGain1, kIdGain1 + 1, kIdGain1 + 2, kIdGain1 + 3, kIdGainAuto, 0, kIdPoint, kIdProfile,
                   kIdKymograph, kIdBlackBalance, kIdAoi, kIdAoiHistogram, kIdCalibration, 0, kIdFpnDataDisplay, kIdGainDataDisplay});
        windowMenu_ = bar->addMenu(tr("&Window"));
        add(windowMenu_, {kIdWindowNew, kIdWindowCascade, kIdWindowTile, kIdWindowArrange});
        RefreshWindowMenu();
    } else {
        windowMenu_ = nullptr;
    }
    add(bar->addMenu(tr("&Help")), {kIdAppAbout});
}

void CMainFrame::RefreshRecentFiles() {
    for (QAction* action : recentActions_) action->deleteLater();
    recentActions_.clear();
    const QStringList files = app_.RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]), this);
        action->setStatusTip(tr("Open this movie"));
        action->setData(kIdFileMruFirst + i);
        const QString path = files[i];
        connect(action, &QAction::triggered, this, [this, path] { app_.OpenDocumentFile(path, true); });
        recentActions_.push_back(action);
    }
    CreateMenus();
}

QAction* CMainFrame::Action(int id) const {
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

// ---- Commands ----

void CMainFrame::OnFileOpen() { app_.OnFileOpenWithDialog(); }

void CMainFrame::OnFileClose() {
    if (QMdiSubWindow* child = ActiveChild()) child->close();
}

void CMainFrame::OnFilePrintSetup() { app_.Dialogs().ShowPageSetup(this); }

void CMainFrame::OnAppExit() { close(); }

void CMainFrame::OnAppAbout() { app_.OnAppAbout(); }

void CMainFrame::OnViewToolbar() {
    toolBar_->setVisible(toolBar_->isHidden());
    UpdateCommandUI();
}

void CMainFrame::OnViewStatusBar() {
    statusBar()->setVisible(statusBar()->isHidden());
    UpdateCommandUI();
}

void CMainFrame::OnWindowNew() {
    if (CZelfView* view = ActiveView()) AddDocumentWindow(view->DocumentPtr());
}

void CMainFrame::OnWindowCascade() { mdi_->cascadeSubWindows(); }

void CMainFrame::OnWindowTile() { mdi_->tileSubWindows(); }

void CMainFrame::OnWindowArrange() { mdi_->tileSubWindows(); }

void CMainFrame::OnWindowActivate() {
    const auto* action = qobject_cast<QAction*>(sender());
    if (action == nullptr) return;
    auto* child = action->data().value<QMdiSubWindow*>();
    if (child != nullptr && mdi_->subWindowList().contains(child)) qobject_cast<CChildFrame*>(child)->ActivateFrame();
    UpdateCommandUI();
}

void CMainFrame::ForwardToView(int id) {
    if (CZelfView* view = ActiveView()) view->OnCommand(id);
    UpdateCommandUI();
}

void CMainFrame::OnZoom() {
    if (const auto* action = qobject_cast<QAction*>(sender())) ForwardToView(action->data().toInt());
}

void CMainFrame::OnGain() {
    if (const auto* action = qobject_cast<QAction*>(sender())) ForwardToView(action->data().toInt());
}

void CMainFrame::OnPoint() { ForwardToView(kIdPoint); }

void CMainFrame::OnProfile() { ForwardToView(kIdProfile); }

void CMainFrame::OnAoi() { ForwardToView(kIdAoi); }

void CMainFrame::OnBlackBalance() { ForwardToView(kIdBlackBalance); }

void CMainFrame::OnFpnDataDisplay() { ForwardToView(kIdFpnDataDisplay); }

void CMainFrame::OnGainDataDisplay() { ForwardToView(kIdGainDataDisplay); }

// ---- Command state ----

void CMainFrame::RefreshWindowMenu() {
    if (windowActions_ == nullptr) return;
    for (QAction* action : windowActions_->actions()) {
        windowActions_->removeAction(action);
        delete action;
    }
    if (windowMenu_ == nullptr) return;
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty()) return;
    windowActions_->addAction(windowMenu_->addSeparator());
    const QMdiSubWindow* active = ActiveChild();
    for (int i = 0; i < windows.size(); ++i) {
        const QString title = windows[i]->windowTitle();
        // The first nine get a mnemonic digit, as desktop MDI programs number them.
        auto* action = new QAction(i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title) : title, windowMenu_);
        action->setCheckable(true);
        action->setChecked(windows[i] == active);
        action->setData(QVariant::fromValue(windows[i]));
        connect(action, &QAction::triggered, this, &CMainFrame::OnWindowActivate);
        windowActions_->addAction(action);
        windowMenu_->addAction(action);
    }
}

void CMainFrame::UpdateCommandUI() {
    if (updatingUi_) return;
    updatingUi_ = true;
    CZelfView* view = ActiveView();
    const bool running = runningDoc_ != nullptr;
    for (const auto& [id, action] : actions_) {
        bool enabled = false, checked = false;
        switch (id) {
            case kIdFileOpen: enabled = !running; break;
            case kIdConvertToTiff: enabled = view != nullptr && !running; break;
            case kIdFileClose:
            case kIdWindowNew:
            case kIdWindowCascade:
            case kIdWindowTile:
            case kIdWindowArrange: enabled = view != nullptr; break;
            case kIdFilePrintSetup:
            case kIdAppExit:
            case kIdAppAbout: enabled = true; break;
            case kIdViewToolbar: enabled = true, checked = !toolBar_->isHidden(); break;  // also before the window is first shown
            case kIdViewStatusBar: enabled = true, checked = !statusBar()->isHidden(); break;
            case kIdSaveAoiData:
                // Always offered while a movie is shown (asking for an AOI when there is
                // none); checked while the AOI tool is on.
                enabled = view != nullptr;
                checked = view != nullptr && view->aoiState() != 0;
                break;
            case kIdProfileDataSave: enabled = view != nullptr && view->ProfileToRecord().has_value(); break;
            case kIdKymograph: enabled = view != nullptr && !running && view->ProfileToRecord().has_value(); break;
            case kIdCalibration: enabled = view != nullptr && !running; break;
            case kIdExportVideo: enabled = view != nullptr && !running && VideoExportBuiltIn(); break;
            case kIdAoiHistogram:
                // Offered while the active window shows an AOI, and while the histogram is
                // open (so that the command closes it again); checked while it is open.
                checked = histogramDlg_ && histogramDlg_->isVisible();
                enabled = checked || (view != nullptr && view->AoiToRecord().has_value());
                break;
            default:
                // View commands; those without a handler (printing, editing) stay disabled.
                if (view == nullptr || !view->UpdateCommand(id, enabled, checked)) enabled = checked = false;
                break;
        }
        action->setEnabled(enabled);
        if (action->isCheckable()) action->setChecked(checked);
    }
    OnUpdateBarControl();
    RefreshWindowMenu();
    // The histogram shows the active window's AOI.
    if (histogramDlg_) histogramDlg_->Follow(view);
    updatingUi_ = false;
}

}  // namespace zel::gui
