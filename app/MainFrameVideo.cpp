// File > Export Video...: the range of the active movie as one video file, through the
// same core code as the command-line tool's video command, with the control bar's
// progress and Abort.

#include <QProgressBar>

#include "app/ControlBar.h"
#include "app/MainFrame.h"
#include "app/MainFrameRunGuard.h"
#include "app/ZelTiff16App.h"
#include "document/ConversionNaming.h"
#include "document/ZelfDoc.h"
#include "view/NativePath.h"
#include "view/ProblemText.h"
#include "view/ZelfView.h"
#ifdef ZEL_VIDEO
#include "video/VideoExport.h"
#endif

namespace zel::gui {

bool CMainFrame::VideoExportBuiltIn() {
#ifdef ZEL_VIDEO
    return true;
#else
    return false;
#endif
}

void CMainFrame::OnExportVideo() {
    const QString what = tr("Video not exported");
    CZelfView* view = ActiveView();
    if (view == nullptr || runningDoc_) return;
#ifndef ZEL_VIDEO
    ReportFailure(tr("%1: this build has no video export (FFmpeg's libraries were not found when it was built)")
                      .arg(what));
#else
    const std::shared_ptr<CZelfDoc> doc = view->DocumentPtr();
    zel::FrameSpan span;
    if (!RangeToRun(*doc, span, what)) return;
    std::string folder, base;
    zel::SplitPath(doc->pathName(), &folder, &base, nullptr);
    const zel::MovieParameters& movie = doc->reader()->Parameters();
    const VideoExportOffer offer{PathText(folder + base + ".mp4"), doc->PixelCalibration().Known(),
                                 movie.rateNumerator > 0 && movie.rateDenominator > 0};
    const std::optional<VideoExportRequest> request = app_.Dialogs().ChooseVideoExport(this, offer);
    if (!request || request->path.isEmpty()) return;
    const std::string target = CorePath(request->path);
    if (doc->IsInputFile(target)) {
        ReportFailure(tr("%1: %2").arg(what, ProblemText({zel::ProblemCode::OutputIsInput, {target}})));
        return;
    }
    zel::VideoPlan plan;
    if (const zel::VideoRefusal refused = zel::PlanVideo(target, request->options, *doc, plan)) {
        ReportFailure(tr("%1: %2").arg(what, QString::fromStdString(refused.Text())));
        return;
    }
    SetProgress(span.first, int64_t{span.last} + 1, int64_t{span.first} - 1);
    zel::RunOutcome run;
    {
        const RunGuard guard(*this, doc);
        run = zel::ExportVideo(*doc, span, plan, [this](int) {
            QProgressBar& progress = *controlBar_->Progress();
            progress.setValue(std::min(progress.value() + 1, progress.maximum()));
            PumpMessages();
        });
    }
    const QString frames = tr("%n frame(s)", nullptr, static_cast<int>(run.framesDone));
    if (run.end == zel::RunEnd::Failed)
        ReportFailure(tr("%1: %2; %3 was not written").arg(what, QString::fromStdString(run.problem.Text()), request->path));
    else if (run.end == zel::RunEnd::Stopped)
        ShowStatusMessage(tr("Video export stopped by Abort after %1; %2 was not written").arg(frames, request->path));
    else
        ShowStatusMessage(tr("Video written: %1 in %2").arg(frames, request->path));
#endif
}

}  // namespace zel::gui
