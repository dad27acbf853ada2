// Playback at a chosen rate: the playback bar's state and commands, its settings, and the
// paced run. The pace itself (which frame is due when) is the core's PlaybackPace; here
// the frames it asks for are shown and its waits are spent handling events, so the
// window stays responsive and Abort acts at once even when frames are seconds apart.
//
// During playback Loop and Every frame still act (Loop turned off ends playback after the
// pass in progress); the rate and the slider wait until playback ends, as the control
// bar's range does. Conversions and exports leave the whole bar disabled.

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <climits>

#include "app/MainFrame.h"
#include "app/PlaybackBar.h"
#include "app/ZelTiff16App.h"
#include "document/ZelfDoc.h"
#include "view/ZelfView.h"

namespace zel::gui {

namespace {

const QString kRateKey = QStringLiteral("Settings/PlaybackRate");
const QString kEveryFrameKey = QStringLiteral("Settings/PlaybackEveryFrame");
const QString kLoopKey = QStringLiteral("Settings/PlaybackLoop");

// The movie records its frame period, which the real-time rates slow down.
bool KnowsFramePeriod(const CZelfDoc& doc) {
    if (doc.reader() == nullptr) return false;
    const MovieParameters& movie = doc.reader()->Parameters();
    return StepOfRate(PlaybackRate::RealTimeTenth, movie.rateNumerator, movie.rateDenominator).has_value();
}

}  // namespace

void CMainFrame::CreatePlaybackBar() {
    playbackBar_ = new CPlaybackBar(this);
    // A row of its own under the control bar, which fills the window's width already; the
    // slider takes what the rate and the two buttons leave.
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, playbackBar_);
    connect(playbackBar_, &CPlaybackBar::RateChosen, this, &CMainFrame::OnPlaybackRate);
    connect(playbackBar_, &CPlaybackBar::FrameChosen, this, &CMainFrame::OnScrub);
    // Toggled, as for the other checkable commands: a click, a key and the accessibility
    // interface's "Toggle" all come this way; the checks UpdateCommandUI sets do not.
    connect(playbackBar_->EveryFrameAction(), &QAction::toggled, this, [this] {
        if (!updatingUi_) OnEveryFrame();
    });
    connect(playbackBar_->LoopAction(), &QAction::toggled, this, [this] {
        if (!updatingUi_) OnLoop();
    });
}

// ---- Settings ----

void CMainFrame::LoadPlaybackSettings() {
    const QSettings& settings = app_.Settings();
    playback_.rate = PlaybackRateFromKey(settings.value(kRateKey).toString().toStdString());
    playback_.everyFrame = settings.value(kEveryFrameKey).toString().trimmed().toInt() != 0;
    playback_.loop = settings.value(kLoopKey).toString().trimmed().toInt() != 0;
}

void CMainFrame::SavePlaybackSettings() {
    QSettings& settings = app_.Settings();
    settings.setValue(kRateKey, QString::fromStdString(std::string(PlaybackRateKey(playback_.rate))));
    settings.setValue(kEveryFrameKey, QString::number(playback_.everyFrame ? 1 : 0));
    settings.setValue(kLoopKey, QString::number(playback_.loop ? 1 : 0));
}

// ---- State ----

void CMainFrame::OnUpdatePlaybackBar() {
    CPlaybackBar& bar = *playbackBar_;
    const CZelfDoc* doc = ActiveDocument();
    const bool running = runningDoc_ != nullptr;
    const bool otherRun = running && !playing_;  // a step, a conversion or an export
    bar.OfferRealTime(doc == nullptr || KnowsFramePeriod(*doc));
    bar.ShowRate(static_cast<int>(playback_.rate));
    bar.RateBox()->setEnabled(doc != nullptr && !running);
    bar.EveryFrameAction()->setEnabled(doc != nullptr && !otherRun && playback_.rate != PlaybackRate::AsFastAsPossible);
    bar.EveryFrameAction()->setChecked(playback_.everyFrame);
    bar.LoopAction()->setEnabled(doc != nullptr && !otherRun);
    bar.LoopAction()->setChecked(playback_.loop);
    bar.FrameSlider()->setEnabled(doc != nullptr && !running && doc->FramesHeld() > 0);
    FollowCurrentFrame();
}

void CMainFrame::FollowCurrentFrame() {
    const CZelfDoc* doc = ActiveDocument();
    if (doc == nullptr)
        playbackBar_->ShowFrames(0, 0);
    else
        playbackBar_->ShowFrames(doc->FramesHeld(), doc->CurrentFrame());
}

// ---- Commands ----

void CMainFrame::OnPlaybackRate(int index) {
    if (index >= 0 && index < kPlaybackRateCount && !runningDoc_) playback_.rate = static_cast<PlaybackRate>(index);
    UpdateCommandUI();  // a choice refused shows the rate in force again
}

void CMainFrame::OnEveryFrame() {
    playback_.everyFrame = playbackBar_->EveryFrameAction()->isChecked();
    UpdateCommandUI();
}

void CMainFrame::OnLoop() {
    playback_.loop = playbackBar_->LoopAction()->isChecked();
    UpdateCommandUI();
}

// The slider shows its frame as the Next and Previous buttons do; a frame that cannot be
// read is reported and the slider goes back to the frame shown.
void CMainFrame::OnScrub(int frame) {
    CZelfView* view = ActiveView();
    if (view != nullptr && !runningDoc_ && frame != view->GetDocument()->CurrentFrame())
        ShowFrame(*view->GetDocument(), frame);
    UpdateCommandUI();
}

// ---- The paced run ----

std::optional<PlaybackPace> CMainFrame::PaceOf(const CZelfDoc& doc, const FrameSpan& span) {
    const MovieParameters* movie = doc.reader() ? &doc.reader()->Parameters() : nullptr;
    const std::optional<FrameStep> step =
        StepOfRate(playback_.rate, movie ? movie->rateNumerator : 0, movie ? movie->rateDenominator : 0);
    if (!step) {
        ReportFailure(tr("Playback not started: %1: the movie does not record its frame rate, so it cannot play at a "
                         "fraction of real time; choose another rate")
                          .arg(QString::fromStdString(doc.movieTitle())));
        return std::nullopt;
    }
    // The passes after the first cover the range: Start..End, or every frame the file holds.
    FrameSpan range;
    if (SpanOfRange(doc.Range(), doc.frameCount(), doc.FramesHeld(), range)) range = {};
    PlaybackPace pace(span, range, *step);
    pace.SetEveryFrame(playback_.everyFrame);
    pace.SetLoop(playback_.loop);
    return pace;
}

RunOutcome CMainFrame::PlayPaced(CZelfDoc& doc, PlaybackPace& pace, const std::function<void(int)>& afterFrame) {
    stopAsked_ = false;
    QElapsedTimer clock;
    clock.start();
    // The next frame to show, once it is due. Loop and Every frame may have changed
    // while the frame before was shown.
    const auto nextStep = [&] {
        for (;;) {
            pace.SetLoop(playback_.loop);
            pace.SetEveryFrame(playback_.everyFrame);
            const PaceStep due = pace.Poll(clock.nsecsElapsed());
            if (stopAsked_ || due.kind != PaceStep::Kind::Wait) return due;
            WaitHandlingEvents(due.waitNs);
        }
    };
    RunOutcome total;
    int64_t skipped = 0;
    PaceStep step = nextStep();
    while (step.kind == PaceStep::Kind::Show && !stopAsked_) {
        skipped += step.skipped;
        // The wait for the next frame happens inside this frame's run, so the document
        // stays busy (no open, no black balance) for the whole playback.
        const RunOutcome one = doc.RunFrames({step.frame, step.frame}, {}, [&](int n) {
            afterFrame(n);
            step = nextStep();
        });
        total.framesDone += one.framesDone;
        if (one.framesDone > 0) total.lastDone = one.lastDone;
        if (one.end == RunEnd::Failed) {
            total.end = RunEnd::Failed;
            total.problem = one.problem;
            return total;
        }
    }
    if (stopAsked_ && step.kind != PaceStep::Kind::End) total.end = RunEnd::Stopped;
    if (skipped > 0)
        ShowStatusMessage(tr("Playback: %n frame(s) skipped", nullptr,
                             static_cast<int>(std::min<int64_t>(skipped, INT_MAX))));
    return total;
}

// Handles events until `ns` have passed or a stop is asked for; the timer's event ends
// the wait, so nothing spins while waiting. Long waits are cut into pieces the timer can
// hold; the caller asks the pace again after each.
void CMainFrame::WaitHandlingEvents(int64_t ns) {
    constexpr int64_t kNsPerMs = 1'000'000;
    const int64_t ms = std::clamp<int64_t>(ns / kNsPerMs + (ns % kNsPerMs != 0 ? 1 : 0), 1, 3'600'000);
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(static_cast<int>(ms));
    while (wake.isActive() && !stopAsked_)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace zel::gui
