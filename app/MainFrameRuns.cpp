// Runs: playback, stepping, conversion and the CSV exports. Each is the active document's
// run loop on the GUI thread, showing one frame after the other and pumping the event
// queue between frames so that Abort (and the rest of the window) keeps working. A run
// holds its document, so closing the document's last window during a run cannot pull
// the document from under it; that close asks the run to stop after the frame it is on,
// and what the run was writing is dropped. Closing another window of the document does
// not touch the run.
//
// A run that stops at a frame it cannot read, or whose file cannot be written, says so
// in the message bar with the whole reason; nothing it made is left looking complete.

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QTimer>

#include "app/ControlBar.h"
#include "app/KymographWindow.h"
#include "app/MainFrame.h"
#include "app/MainFrameRunGuard.h"
#include "app/ZelTiff16App.h"
#include "document/ConversionNaming.h"
#include "document/CsvExport.h"
#include "document/Kymograph.h"
#include "document/MeasurementTable.h"
#include "document/OutputCheck.h"
#include "document/ZelfDoc.h"
#include "view/NativePath.h"
#include "view/ProblemText.h"
#include "view/ZelfView.h"

namespace zel::gui {

// The run state from start to end: the running document set, the bar disabled but for
// Abort; on the way out all of it restored, and a close that waited for the run carried
// out.
void CMainFrame::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void CMainFrame::StopRun() {
    if (!runningDoc_) return;
    runningDoc_->RequestStop();
    stopAsked_ = true;  // playback runs frame by frame and asks this between frames
}

bool CMainFrame::ShowFrame(CZelfDoc& doc, int n) {
    if (doc.ShowFrame(n)) return true;
    ReportFailure(tr("%1: %2").arg(QString::fromStdString(doc.movieTitle()), ProblemText(doc.LastFrameProblem())));
    return false;
}

bool CMainFrame::RangeToRun(const CZelfDoc& doc, zel::FrameSpan& span, const QString& what) {
    const zel::Problem refused = zel::SpanOfRange(doc.Range(), doc.frameCount(), doc.FramesHeld(), span);
    if (!refused) return true;
    ReportFailure(tr("%1: %2").arg(what, ProblemText(refused)));
    return false;
}

namespace {

// "shot.zel: frame 8 cannot be read", the start of every run's report.
QString AboutMovie(const CZelfDoc& doc, const zel::Problem& problem) {
    return QStringLiteral("%1: %2").arg(QString::fromStdString(doc.movieTitle()), ProblemText(problem));
}

}  // namespace

void CMainFrame::RunFrames(int direction) {
    CZelfView* view = ActiveView();
    if (view == nullptr || runningDoc_) return;
    const std::shared_ptr<CZelfDoc> doc = view->DocumentPtr();
    zel::PlaybackPlan plan;
    if (const zel::Problem refused =
            zel::PlanPlayback(doc->Range(), doc->frameCount(), doc->FramesHeld(), doc->CurrentFrame(), direction, plan)) {
        ReportFailure(tr("Playback not started: %1").arg(AboutMovie(*doc, refused)));
        return;
    }
    if (plan.span.Count() == 0) return;  // a step beyond either end does nothing
    // Play follows the rate chosen (and Loop); a step shows its one frame at once.
    std::optional<zel::PlaybackPace> pace;
    if (direction == 0 && !(pace = PaceOf(*doc, plan.span))) return;
    SetProgress(plan.progressLow, plan.progressHigh, controlBar_->Progress()->value());

    const auto afterFrame = [this](int n) {
        SetProgress(controlBar_->Progress()->minimum(), controlBar_->Progress()->maximum(), int64_t{n} + 1);
        FollowCurrentFrame();
        PumpMessages();
    };
    const QScopedValueRollback<bool> playing(playing_, direction == 0);
    const RunGuard guard(*this, doc);
    const zel::RunOutcome run = pace ? PlayPaced(*doc, *pace, afterFrame) : doc->RunFrames(plan.span, {}, afterFrame);
    if (run.end == zel::RunEnd::Failed)
        ReportFailure(tr("Playback stopped: %1").arg(AboutMovie(*doc, run.problem)));
}

void CMainFrame::OnConvertToTiff() {
    CZelfView* view = ActiveView();
    if (view == nullptr || runningDoc_) return;
    const std::shared_ptr<CZelfDoc> doc = view->DocumentPtr();
    zel::FrameSpan span;
    if (!RangeToRun(*doc, span, tr("Conversion not started"))) return;
    const zel::ConversionDepths depths = zel::ChooseConversionDepths(doc->bitDepth(), bitSel_ == 1);
    if (depths.sourceBits < 1) {
        ReportFailure(tr("Conversion not started: %1 cannot be converted to TIFF")
                          .arg(QString::fromStdString(doc->movieTitle())));
        return;
    }
    std::string proposed;
    zel::SplitPath(doc->movieTitle(), nullptr, &proposed, nullptr);
    const QString chosen = app_.Dialogs().ChooseTiffName(this, PathText(proposed));
    if (chosen.isEmpty()) return;
    // The chosen name only supplies folder, base name and extension; it is never written.
    std::string folder, baseName, extension;
    zel::SplitPath(CorePath(chosen), &folder, &baseName, &extension);
    // Every name of the range is checked before the first file is written.
    if (const zel::Problem clash = zel::CheckOutputsAreNotInputs(*doc, {folder, baseName, extension}, span)) {
        ReportFailure(tr("Conversion not started: %1").arg(ProblemText(clash)));
        return;
    }
    SetProgress(span.first, int64_t{span.last} + 1, int64_t{span.first} - 1);

    const RunGuard guard(*this, doc);
    const zel::RunOutcome run = doc->RunFrames(
        span,
        [&](int n) {
            return doc->WriteCurrentFrame(zel::NumberedFileName(folder, baseName, n, extension), depths.sourceBits,
                                          depths.outputBits);
        },
        [this](int) {
            QProgressBar& progress = *controlBar_->Progress();
            progress.setValue(std::min(progress.value() + 1, progress.maximum()));
            PumpMessages();
        });
    const QString done = tr("%n file(s) written", nullptr, static_cast<int>(run.framesDone));
    if (run.end == zel::RunEnd::Failed)
        ReportFailure(tr("Conversion stopped: %1 (%2 before it, complete)").arg(AboutMovie(*doc, run.problem), done));
    else if (run.end == zel::RunEnd::Stopped)
        ShowStatusMessage(tr("Conversion stopped by Abort: %1, each complete").arg(done));
    else
        ShowStatusMessage(tr("Conversion done: %1").arg(done));
}

// ---- Exports ----

void CMainFrame::OnSaveAoiData() {
    QTimer::singleShot(0, this, &CMainFrame::OnAoiExportRun);
}

void CMainFrame::OnProfileDataSave() {
    QTimer::singleShot(0, this, &CMainFrame::OnProfileExportRun);
}

void CMainFrame::OnAoiExportRun() { ExportRun(false); }

void CMainFrame::OnProfileExportRun() { ExportRun(true); }

namespace {

// The movie's folder and base name with the export's suffix: shot1.zel gives shot1_AOI.csv.
QString ProposedCsvName(const zel::CZelfDoc& doc, const char* suffix) {
    std::string folder, base;
    zel::SplitPath(doc.pathName(), &folder, &base, nullptr);
    return PathText(folder + base + suffix);
}

// One export's writer, whichever tool it records; the shape is the one in force when
// the export began, so a tool changed during the run does not change the file.
struct ExportWriter {
    std::optional<zel::ProfileLine> line;
    std::optional<zel::AoiRect> rect;
    bool asTable = false;  // a table for analysis tools instead of the CSV
    zel::ProfileCsvWriter profile;
    zel::AoiCsvWriter aoi;
    zel::MeasurementTable table;

    bool Begin(const std::string& csv, const zel::CZelfDoc& doc, std::string& error) {
        if (asTable) {
            const zel::Problem refused = line ? table.BeginProfile(csv, *line, doc.PixelCalibration())
                                              : table.BeginAoi(csv, doc.IsColour(), *rect, doc.PixelCalibration());
            error = refused.Text();
            return !refused;
        }
        const std::string movie = zel::AbsoluteMoviePath(doc.pathName());
        return line ? profile.Begin(csv, movie, *line, &error) : aoi.Begin(csv, movie, *rect, doc.IsColour(), &error);
    }
    std::vector<int16_t> samples;  // one buffer for the run's rows

    zel::Problem WriteRow(const zel::CZelfDoc& doc, int frame) {
        if (line) doc.Profile(*line, samples);
        if (asTable) {
            const zel::MovieParameters& movie = doc.reader()->Parameters();
            return line ? table.WriteProfileRow(movie, frame, samples.data())
                        : table.WriteAoiRow(movie, frame, doc.Summary(*rect));
        }
        const bool written = line ? profile.WriteRow(samples.data()) : aoi.WriteRow(doc.Statistics(*rect));
        if (written) return {};
        std::string error;
        End(error);
        return {zel::ProblemCode::WriteFailed, {error}};
    }
    bool End(std::string& error) {
        if (asTable) {
            const zel::Problem failed = table.End();
            error = failed.Text();
            return !failed;
        }
        return line ? profile.End(&error) : aoi.End(&error);
    }
};

}  // namespace

// Checks the range and the shape, shows the range's first frame, asks for the file and
// writes its head, plays the range with one row per frame and writes the average row.
void CMainFrame::ExportRun(bool profile) {
    const QString what = profile ? tr("Profile data not saved") : tr("AOI data not saved");
    if (runningDoc_) {
        // A run inside a run would interleave two exports' frames.
        ReportFailure(tr("%1: a run is in progress; end it first").arg(what));
        return;
    }
    QPointer<CZelfView> view = ActiveView();
    if (view == nullptr) return;
    const std::shared_ptr<CZelfDoc> doc = view->DocumentPtr();
    ExportWriter writer;
    writer.line = profile ? view->ProfileToRecord() : std::nullopt;
    writer.rect = profile ? std::nullopt : view->AoiToRecord();
    if (!writer.line && !writer.rect) {
        ReportFailure(tr("%1: %2").arg(what, ProblemText({profile ? zel::ProblemCode::NoProfileLine
                                                                  : zel::ProblemCode::NoAoi})));
        return;
    }
    zel::FrameSpan span;
    if (!RangeToRun(*doc, span, what)) return;
    SetProgress(span.first, span.last, int64_t{span.first} - 1);
    if (!ShowFrame(*doc, span.first)) return;

    const ExportChoice choice =
        app_.Dialogs().ChooseExportFile(this, ProposedCsvName(*doc, profile ? "_Profile.csv" : "_AOI.csv"));
    const QString& chosen = choice.path;
    writer.asTable = choice.table;
    const bool recording = !chosen.isEmpty();  // after Cancel the frames still play; nothing is recorded
    const std::string csv = CorePath(chosen);
    std::string error;
    if (recording && doc->IsInputFile(csv)) {
        ReportFailure(tr("%1: %2").arg(what, ProblemText({zel::ProblemCode::OutputIsInput, {csv}})));
        return;
    }
    if (recording && !writer.Begin(csv, *doc, error)) {
        ReportFailure(tr("%1: %2").arg(what, QString::fromStdString(error)));
        return;
    }

    zel::RunOutcome run;
    {
        const RunGuard guard(*this, doc);
        run = doc->RunFrames(
            span, [&](int n) { return recording ? writer.WriteRow(*doc, n) : zel::Problem{}; },
            [this](int n) {
                SetProgress(controlBar_->Progress()->minimum(), controlBar_->Progress()->maximum(), n);
                PumpMessages();
            });
    }
    if (!recording) return;
    const QString rows = tr("%n frame(s) recorded", nullptr, static_cast<int>(run.framesDone));
    if (run.end == zel::RunEnd::Failed) {
        // The writer's destructor removes the unfinished file; an older file of that name
        // stays as it was.
        ReportFailure(tr("%1: %2; %3 was not written").arg(what, AboutMovie(*doc, run.problem), chosen));
        return;
    }
    if (runAbandoned_) {
        ReportFailure(tr("%1: the movie's window was closed during the export; %2 was not written").arg(what, chosen));
        return;
    }
    if (!writer.End(error)) {
        ReportFailure(tr("%1: %2").arg(what, QString::fromStdString(error)));
        return;
    }
    // An Abort keeps the rows recorded so far, with their average, as the file has always
    // done; the status bar says that it is a part of the range.
    if (run.end == zel::RunEnd::Stopped)
        ShowStatusMessage(tr("Export stopped by Abort: %1 of %2 in %3").arg(rows).arg(span.Count()).arg(chosen));
    else
        ShowStatusMessage(tr("Export done: %1 in %2").arg(rows, chosen));
}

// ---- Kymograph ----

void CMainFrame::OnKymograph() { QTimer::singleShot(0, this, &CMainFrame::OnKymographRun); }

// Checks the line and the range before any frame is read, plays the range recording each
// frame's profile, and shows the kymograph only when every frame was read.
void CMainFrame::OnKymographRun() {
    const QString what = tr("Kymograph not made");
    if (runningDoc_) {
        ReportFailure(tr("%1: a run is in progress; end it first").arg(what));
        return;
    }
    CZelfView* view = ActiveView();
    if (view == nullptr) return;
    const std::shared_ptr<CZelfDoc> doc = view->DocumentPtr();
    const std::optional<zel::ProfileLine> line = view->ProfileToRecord();
    if (!line) {
        ReportFailure(tr("%1: %2").arg(what, ProblemText({zel::ProblemCode::NoProfileLine})));
        return;
    }
    zel::FrameSpan span;
    if (!RangeToRun(*doc, span, what)) return;
    if (const zel::Problem refused = zel::CheckKymograph(*line, span, doc->width(), doc->height())) {
        ReportFailure(tr("%1: %2").arg(what, ProblemText(refused)));
        return;
    }
    SetProgress(span.first, span.last, int64_t{span.first} - 1);

    zel::Kymograph kymograph;
    zel::RunOutcome run;
    {
        const RunGuard guard(*this, doc);
        run = zel::BuildKymograph(*doc, *line, span, kymograph, [this](int n) {
            SetProgress(controlBar_->Progress()->minimum(), controlBar_->Progress()->maximum(), n);
            PumpMessages();
        });
    }
    if (run.end == zel::RunEnd::Failed) {
        ReportFailure(tr("%1: %2").arg(what, AboutMovie(*doc, run.problem)));
        return;
    }
    if (run.end == zel::RunEnd::Stopped || runAbandoned_) {
        ShowStatusMessage(tr("Kymograph stopped before the end of the range; nothing is shown"));
        return;
    }
    // Offered beside the movie: shot1.zel gives shot1_Kymograph.tif.
    std::string folder, base;
    zel::SplitPath(doc->pathName(), &folder, &base, nullptr);
    KymographSaving saving{
        [this](QWidget* parent, const QString& proposed) { return app_.Dialogs().ChooseTiffName(parent, proposed); },
        [this](const QString& text) { ReportFailure(text); },
        [this](const QString& text) { ShowStatusMessage(text); }};
    auto* window = new CKymographWindow(std::move(kymograph), QString::fromStdString(doc->movieTitle()),
                                        PathText(folder + base + "_Kymograph.tif"), std::move(saving), this);
    window->show();
    ShowStatusMessage(tr("Kymograph done: %1 frames x %2 samples").arg(run.framesDone).arg(line->SampleCount()));
}

QString CMainFrame::ChooseBlackReference(QWidget* parent) { return app_.Dialogs().ChooseBlackReference(parent); }

}  // namespace zel::gui
