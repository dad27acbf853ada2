#include "app/MainFrame.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <QVBoxLayout>

#include "app/ChildFrame.h"
#include "app/ControlBar.h"
#include "app/Icons.h"
#include "app/MessageBar.h"
#include "app/PlaybackBar.h"
#include "app/StatusPane.h"
#include "app/WindowPlacementQt.h"
#include "app/ZelTiff16App.h"
#include "document/ZelfDoc.h"
#include "view/CommandIds.h"
#include "view/HistogramDlg.h"
#include "view/ZelfView.h"

namespace zel::gui {

CMainFrame::CMainFrame(CZelTiff16App& app) : app_(app) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);
    resize(1100, 780);  // the first start's size; a stored placement replaces it
    // "BitSel": missing or empty gives 16 bits; any nonzero number 16, zero 8.
    const QString stored = app_.Settings().value(QStringLiteral("Settings/BitSel")).toString();
    bitSel_ = stored.isEmpty() || stored.trimmed().toInt() != 0 ? 1 : 0;

    // The document area: the message bar (hidden until something fails) above the MDI area.
    auto* documents = new QWidget(this);
    auto* layout = new QVBoxLayout(documents);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    messageBar_ = new CMessageBar(documents);
    mdi_ = new QMdiArea(documents);
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    mdi_->setBackground(QColor(128, 128, 128));
    layout->addWidget(messageBar_);
    layout->addWidget(mdi_, 1);
    setCentralWidget(documents);
    CreateActions();
    CreateToolBar();
    controlBar_ = new CControlBar(this);
    addToolBar(Qt::TopToolBarArea, controlBar_);
    connect(controlBar_, &CControlBar::BarCommand, this, &CMainFrame::OnBarCommand);
    connect(controlBar_, &CControlBar::RangeEdited, this, &CMainFrame::OnRangeEdited);
    LoadPlaybackSettings();
    CreatePlaybackBar();
    CreateStatusBar();
    connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateCommandUI);
    RefreshRecentFiles();
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    // The document windows go first, while this frame is whole: closing them tells this
    // frame, and nothing may reach a half-destroyed frame. Windows already closed but not
    // yet deleted are no longer in the MDI area's list, so all children are looked at.
    disconnect(mdi_, nullptr, this, nullptr);
    // The histogram window follows a view and observes its document: it goes first.
    if (histogramDlg_) {
        disconnect(histogramDlg_, nullptr, this, nullptr);
        delete histogramDlg_.data();
    }
    const QList<CChildFrame*> windows = mdi_->findChildren<CChildFrame*>();
    for (CChildFrame* window : windows) {
        disconnect(window, nullptr, this, nullptr);
        disconnect(window->View(), nullptr, this, nullptr);
    }
    qDeleteAll(windows);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    const struct {
        int id;
        QString initial;
        const char* role;
    } panes[] = {
        {kPaneFrame, QStringLiteral("F:         /        "), QT_TR_NOOP("frame caption")},
        {kPaneTime, QStringLiteral("t = \u2212000.000 ms"), QT_TR_NOOP("time from the trigger")},
        {kPaneAoi, QString(56, QLatin1Char(' ')), QT_TR_NOOP("AOI statistics")},
        {kPanePosition, QString(19, QLatin1Char(' ')), QT_TR_NOOP("cursor position")},
        {kPaneValue, QString(40, QLatin1Char(' ')), QT_TR_NOOP("pixel value")},
        {kPaneKana, QStringLiteral("KANA"), QT_TR_NOOP("kana lock")},
        {kPaneCaps, QStringLiteral("CAP"), QT_TR_NOOP("caps lock")},
        {kPaneNum, QStringLiteral("NUM"), QT_TR_NOOP("num lock")},
        {kPaneScroll, QStringLiteral("SCRL"), QT_TR_NOOP("scroll lock")},
    };
    for (const auto& p : panes) {
        auto* pane = new StatusPane(p.initial, bar);
        pane->setObjectName(QStringLiteral("pane%1").arg(p.id));
        pane->setAccessibleName(p.initial.trimmed());
        pane->setAccessibleDescription(tr(p.role));
        bar->addPermanentWidget(pane);
        panes_[p.id] = pane;
    }
    // Qt cannot tell the lock keys' state on every platform: their panes stay greyed.
    for (const int id : {kPaneKana, kPaneCaps, kPaneNum, kPaneScroll}) panes_[id]->setEnabled(false);
}

void CMainFrame::SetPaneText(int paneId, const QString& text) {
    StatusPane* pane = Pane(paneId);
    if (pane == nullptr || pane->text() == text) return;
    pane->ShowText(text);
    pane->setAccessibleName(text.trimmed());
}

void CMainFrame::SetPaneToolTip(int paneId, const QString& text) {
    QLabel* pane = Pane(paneId);
    if (pane == nullptr || pane->toolTip() == text) return;
    pane->setToolTip(text);
    pane->setAccessibleDescription(text);
}

QString CMainFrame::PaneText(int paneId) const {
    const QLabel* pane = Pane(paneId);
    return pane ? pane->text() : QString();
}

StatusPane* CMainFrame::Pane(int paneId) const {
    const auto found = panes_.find(paneId);
    return found == panes_.end() ? nullptr : found->second;
}

void CMainFrame::ShowStatusMessage(const QString& text) { statusBar()->showMessage(text); }

void CMainFrame::ReportFailure(const QString& text) { messageBar_->ShowMessage(text); }

QWidget* CMainFrame::GraphAnchor() { return mdi_; }

// ---- Documents ----

CChildFrame* CMainFrame::AddDocumentWindow(const std::shared_ptr<CZelfDoc>& doc) {
    const bool first = mdi_->subWindowList().isEmpty();
    auto* child = new CChildFrame(doc, *this);
    mdi_->addSubWindow(child);
    // The window is half destroyed when it says so (the MDI area may still name it as
    // current): the menus and commands follow once it is gone.
    connect(child, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (mdi_->subWindowList().isEmpty()) CreateMenus();
            UpdateCommandUI();
        });
    });
    connect(child->View(), &CZelfView::CommandStateChanged, this, &CMainFrame::UpdateCommandUI);
    child->ActivateFrame();
    child->View()->OnInitialUpdate();
    if (first) CreateMenus();
    UpdateCommandUI();
    return child;
}

CChildFrame* CMainFrame::FindDocumentWindow(const QString& canonicalPath) const {
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        auto* child = qobject_cast<CChildFrame*>(window);
        if (child != nullptr && child->CanonicalPath() == canonicalPath) return child;
    }
    return nullptr;
}

QMdiSubWindow* CMainFrame::ActiveChild() const {
    // The current sub-window stays current while the main window itself is inactive.
    return mdi_->currentSubWindow();
}

CZelfView* CMainFrame::ActiveView() const {
    QMdiSubWindow* child = ActiveChild();
    return child ? qobject_cast<CZelfView*>(child->widget()) : nullptr;
}

CZelfDoc* CMainFrame::ActiveDocument() const {
    CZelfView* view = ActiveView();
    return view ? view->GetDocument() : nullptr;
}

// ---- Closing ----

bool CMainFrame::EndRunFirst() {
    if (!runningDoc_) return true;
    StopRun();
    return false;
}

void CMainFrame::DocumentWindowClosing(CChildFrame& child) {
    if (!runningDoc_ || child.View()->DocumentPtr() != runningDoc_) return;
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        auto* other = qobject_cast<CChildFrame*>(window);
        if (other != nullptr && other != &child && other->View()->DocumentPtr() == runningDoc_) return;
    }
    // The document's last window: the run holds the document until it has stopped after
    // its current frame, and what it was writing is dropped.
    runAbandoned_ = true;
    StopRun();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!EndRunFirst()) {
        // The run stops after its current frame and then closes the window.
        closeAfterRun_ = true;
        runAbandoned_ = true;
        event->ignore();
        return;
    }
    SaveWindowPlacement(*this, app_.Settings());
    app_.Settings().setValue(QStringLiteral("Settings/BitSel"), QString::number(bitSel_));
    SavePlaybackSettings();
    app_.Settings().sync();
    mdi_->closeAllSubWindows();
    event->accept();
    if (terminationSignal_ != 0) QCoreApplication::exit(128 + terminationSignal_);
}

void CMainFrame::OnTerminationRequested(int signal) {
    terminationSignal_ = signal;
    close();  // with a run going, the run stops first and the window closes after it
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    OpenDroppedFiles(event->mimeData()->urls());
    event->acceptProposedAction();
}

void CMainFrame::OpenDroppedFiles(const QList<QUrl>& urls) {
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) app_.OpenDocumentFile(url.toLocalFile(), true);
    }
}

void CMainFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        RetranslateUi();
        controlBar_->Retranslate();
        playbackBar_->Retranslate();
        messageBar_->Retranslate();
        CreateMenus();
    }
    QMainWindow::changeEvent(event);
}

}  // namespace zel::gui
