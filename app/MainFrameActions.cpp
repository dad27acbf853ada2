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
#include "app/CommandIds.h"
#include "app/Icons.h"
#include "app/MainFrame.h"
#include "app/ZelTiff16App.h"
#include "document/ZelfDoc.h"
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
        {kIdBlackBalance, t("Black Balance"), t("Subtract the dark level of a reference movie"), t("Black Balance")},
        {kIdAoi, t("AOI"), t("Draw an area of interest"), t("AOI")},
        {kIdSaveAoiData, t("AOI Data Save"), t("Record the AOI statistics over the frame range"), t("Save AOI Data")},
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
    return id == kIdViewToolbar || id == kIdViewStatusBar || (id >= kIdZoomFit && id <= kIdGainDataDisplay);
}

// The toolbar's buttons, left to right; 0 is a separator.
constexpr int kToolbarLayout[] = {
    kIdFileOpen, kIdConvertToTiff, 0, kIdEditCut, kIdEditCopy, kIdEditPaste, 0, kIdFilePrint, 0, kIdAppAbout, 0,
    kIdBlackBalance, 0, kIdPoint, kIdProfile, kIdProfileDataSave, kIdAoi, kIdSaveAoiData, 0,
    kIdZoomFit, kIdZoomFit + 1, kIdZoomFit + 2, kIdZoomFit + 3, kIdZoomFit + 4, kIdZoomFit + 5, 0,
    kIdGain1, kIdGain1 + 1, kIdGain1 + 2, kIdGain1 + 3, kIdGain1 + 4, kIdGain1 + 5, kIdGain1 + 6, kIdGainAuto,
};

}  // namespace

void CMainFrame::CreateActions() {
    for (const CommandText& c : CommandTexts()) {
        auto* action = new QAction(this);
        action->setData(c.id);
        action->setShortcut(ShortcutOf(c.id));
        action->setCheckable(Checkable(c.id));
        const QIcon icon = CommandIcon(c.id);
        if (!icon.isNull()) action->setIcon(icon);
        connect(action, &QAction::triggered, this, [this, id = c.id] { OnCommand(id); });
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
        if (id == 0)
            toolBar_->addSeparator();
        else
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
        if (app_.uiLanguage == 2) add(file, {kIdSaveAoiData, kIdProfileDataSave});
        add(file, {0, kIdFilePrint, kIdFilePrintPreview, kIdFilePrintSetup});
    } else {
        add(file, {kIdFileOpen, 0, kIdFilePrintSetup});
    }
    recentMenuAnchor_ = file;
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
                   kIdBlackBalance, kIdAoi, 0, kIdFpnDataDisplay, kIdGainDataDisplay});
        add(bar->addMenu(tr("&Window")), {kIdWindowNew, kIdWindowCascade, kIdWindowTile, kIdWindowArrange});
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

void CMainFrame::OnCommand(int id) {
    switch (id) {
        case kIdFileOpen: app_.OnFileOpenWithDialog(); break;
        case kIdFileClose:
            if (QMdiSubWindow* child = ActiveChild()) child->close();
            break;
        case kIdConvertToTiff: OnConvertToTiff(); break;
        case kIdFilePrintSetup: app_.Dialogs().ShowPageSetup(this); break;
        case kIdAppExit: close(); break;
        case kIdAppAbout: app_.OnAppAbout(); break;
        case kIdViewToolbar: toolBar_->setVisible(!toolBar_->isVisible()); break;
        case kIdViewStatusBar: statusBar()->setVisible(!statusBar()->isVisible()); break;
        case kIdWindowNew:
            if (CZelfView* view = ActiveView()) AddDocumentWindow(view->DocumentPtr());
            break;
        case kIdWindowCascade: mdi_->cascadeSubWindows(); break;
        case kIdWindowTile: mdi_->tileSubWindows(); break;
        case kIdWindowArrange: mdi_->tileSubWindows(); break;
        default:
            if (CZelfView* view = ActiveView()) view->OnCommand(id);
            break;
    }
    UpdateCommandUI();
}

void CMainFrame::UpdateCommandUI() {
    updateScheduled_ = false;
    CZelfView* view = ActiveView();
    const bool running = runInProgress != 0;
    for (const auto& [id, action] : actions_) {
        bool enabled = false, checked = false;
        switch (id) {
            case kIdFileOpen: enabled = !running; break;
            case kIdConvertToTiff: enabled = ActiveDocument() != nullptr && !running; break;
            case kIdFileClose:
            case kIdWindowNew:
            case kIdWindowCascade:
            case kIdWindowTile:
            case kIdWindowArrange: enabled = view != nullptr; break;
            case kIdFilePrintSetup:
            case kIdAppExit:
            case kIdAppAbout: enabled = true; break;
            case kIdViewToolbar: enabled = true, checked = toolBar_->isVisible(); break;
            case kIdViewStatusBar: enabled = true, checked = statusBar()->isVisible(); break;
            default:
                // View commands; those without a handler (printing, editing) stay disabled.
                if (view == nullptr || !view->UpdateCommand(id, enabled, checked)) enabled = checked = false;
                break;
        }
        action->setEnabled(enabled);
        if (action->isCheckable()) action->setChecked(checked);
    }
    OnUpdateBarControl();
}

}  // namespace zel::gui
