// Runs: playback, stepping and conversion. Each is a loop on the GUI thread that shows
// one frame after the other and pumps the event queue between frames, so that Abort (and
// the rest of the window) keeps working. A run holds its document, so closing the
// document's window during a run cannot pull the document from under it; closing asks
// the run to stop after the frame it is on.

#include <QCoreApplication>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <climits>

#include "app/ControlBar.h"
#include "app/MainFrame.h"
#include "app/ZelTiff16App.h"
#include "document/ConversionNaming.h"
#include "document/ZelfDoc.h"
#include "view/ZelfView.h"

namespace zel::gui {

// The run state from start to end: abort cleared, runInProgress set, the bar disabled
// but for Abort; on the way out all of it restored, and a close that waited for the run
// carried out.
class CMainFrame::Run {
public:
    Run(CMainFrame& frame, std::shared_ptr<CZelfDoc> doc) : frame_(frame), doc_(std::move(doc)) {
        frame_.abortRequested = 0;
        frame_.runInProgress = 1;
        doc_->BeginRun();
        frame_.EnableRunControls(false);
    }
    ~Run() {
        frame_.runInProgress = 0;
        doc_->EndRun();
        frame_.EnableRunControls(true);
        frame_.UpdateCommandUI();
        if (frame_.closeAfterRun_) {
            frame_.closeAfterRun_ = false;
            QTimer::singleShot(0, &frame_, &QWidget::close);
        }
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

private:
    CMainFrame& frame_;
    std::shared_ptr<CZelfDoc> doc_;
};

namespace {

// Sets the progress bar's range; a range whose end lies before its start shows empty.
void SetProgressRange(QProgressBar& progress, int64_t low, int64_t high) {
    const auto clampInt = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); };
    progress.setRange(clampInt(low), clampInt(std::max(low, high)));
}

void SetProgressValue(QProgressBar& progress, int64_t value) {
    progress.setValue(static_cast<int>(std::clamp<int64_t>(value, progress.minimum(), progress.maximum())));
}

}  // namespace

void CMainFrame::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void CMainFrame::ShowFrame(CZelfDoc& doc, int n) { doc.ShowFrame(n); }

void CMainFrame::RunFrames(int direction, const std::function<void()>& afterEachFrame) {
    CZelfView* view = ActiveView();
    if (view == nullptr) return;
    const std::shared_ptr<CZelfDoc> doc = view->DocumentPtr();
    const int count = doc->frameCount();
    const int position = doc->reader()->Parameters().filePosFrame;
    int64_t n = position, end = count, low = 0, high = count;
    if (direction != 0) {
        direction = direction > 0 ? 1 : -1;
        n = static_cast<int64_t>(position) + direction;
        // A step beyond either end does nothing, in range mode too.
        if (n < 0 || n >= count) return;
        end = n + 1;
    }
    if (rangeMode == 0) {
        n = low = rangeStart;
        end = high = static_cast<int64_t>(rangeEnd) + 1;
    }
    QProgressBar& progress = *controlBar_->Progress();
    SetProgressRange(progress, low, high);

    const Run run(*this, doc);
    for (; n < end; ++n) {
        if (n < 0 || n >= count) break;
        ShowFrame(*doc, static_cast<int>(n));
        if (afterEachFrame) afterEachFrame();
        SetProgressValue(progress, n + 1);
        PumpMessages();
        if (abortRequested != 0) break;
    }
}

void CMainFrame::OnConvertToTiff() {
    if (runInProgress != 0) return;
    CZelfView* view = ActiveView();
    if (view == nullptr) return;
    const std::shared_ptr<CZelfDoc> doc = view->DocumentPtr();
    std::string proposed;
    SplitPath(doc->movieTitle(), nullptr, &proposed, nullptr);
    const QString chosen = app_.Dialogs().ChooseTiffName(this, QString::fromStdString(proposed));
    if (chosen.isEmpty()) return;
    // The chosen name only supplies folder, base name and extension; it is never written.
    std::string folder, baseName, extension;
    SplitPath(chosen.toStdString(), &folder, &baseName, &extension);
    doc->SetConversionRange(rangeStart, rangeEnd, rangeMode != 0);
    const int64_t first = rangeMode == 0 ? rangeStart : 0;
    const int64_t end = rangeMode == 0 ? static_cast<int64_t>(rangeEnd) + 1 : doc->frameCount();
    QProgressBar& progress = *controlBar_->Progress();
    SetProgressRange(progress, first, end);
    SetProgressValue(progress, first - 1);

    const Run run(*this, doc);
    const ConversionDepths depths = ChooseConversionDepths(doc->bitDepth(), bitSel == 1);
    for (int64_t n = first; n < end; ++n) {
        if (depths.sourceBits < 1) break;
        const int frame = static_cast<int>(n);
        const std::string name = NumberedFileName(folder, baseName, frame, extension);
        if (!doc->ExportFrame(frame, 1, name, depths.sourceBits, depths.outputBits)) {
            ShowStatusMessage(tr("Conversion stopped: %1").arg(QString::fromStdString(doc->ExportError())));
            break;
        }
        SetProgressValue(progress, progress.value() + 1);
        PumpMessages();
        if (abortRequested != 0) break;
    }
}

}  // namespace zel::gui

namespace zel::gui {

void CMainFrame::RequestAoiExport() {
    QTimer::singleShot(0, this, [this] { OnAoiExportRun(); });
}

void CMainFrame::RequestProfileExport() {
    QTimer::singleShot(0, this, [this] { OnProfileExportRun(); });
}

void CMainFrame::OnAoiExportRun() { ExportRun(false); }

void CMainFrame::OnProfileExportRun() { ExportRun(true); }

// Shows the range's first frame, lets the view open its file, plays the range with one
// row per frame shown and lets the view write the average row.
void CMainFrame::ExportRun(bool profile) {
    if (runInProgress != 0) {
        // A run inside a run would interleave two exports' frames.
        ShowStatusMessage(tr("An export cannot start while a run is in progress"));
        return;
    }
    QPointer<CZelfView> view = ActiveView();
    if (view == nullptr) return;
    CZelfDoc& doc = *view->GetDocument();
    const int first = rangeMode != 0 ? 0 : rangeStart;
    const int last = rangeMode != 0 ? doc.frameCount() - 1 : rangeEnd;
    QProgressBar& progress = *controlBar_->Progress();
    SetProgressRange(progress, first, last);
    SetProgressValue(progress, static_cast<int64_t>(first) - 1);
    if (first >= 0 && first < doc.frameCount()) ShowFrame(doc, first);
    if (!(profile ? view->BeginProfileExport() : view->BeginAoiExport())) return;
    RunFrames(0, [view] {
        if (view) view->WriteExportRow();
    });
    if (view) view->EndExport();
}

QString CMainFrame::ChooseBlackReference(QWidget* parent) { return app_.Dialogs().ChooseBlackReference(parent); }

QString CMainFrame::ChooseCsvName(QWidget* parent, const QString& proposedPath) {
    return app_.Dialogs().ChooseCsvName(parent, proposedPath);
}

}  // namespace zel::gui
