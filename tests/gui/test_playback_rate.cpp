// The playback bar driven as a user would: the rate, Every frame and Loop, the frame
// slider with the mouse's value and the keys, what is offered when, and the settings.
// Nothing here asserts how fast anything runs; paced playback is only checked against
// its own schedule (it never shows a frame before it is due) and for handling events
// while it waits.

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSlider>
#include <QStandardItemModel>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <vector>

#include "../DocumentFixture.h"
#include "../TempFile.h"
#include "../TempFolder.h"
#include "GuiFixture.h"
#include "app/ControlBar.h"
#include "app/MessageBar.h"
#include "app/PlaybackBar.h"
#include "document/ZelfDoc.h"
#include "view/CommandIds.h"

using namespace zel::gui;
using namespace zeltest;
using zel::PlaybackRate;

namespace {

uint16_t Ramp(int n, int x, int y) { return static_cast<uint16_t>((n * 7 + x + 3 * y) % 1024); }

QString Path(const TempFile& file) { return QString::fromStdString(file.path()); }

void Click(CMainFrame& frame, int id) {
    frame.ControlBar()->Button(id)->click();
    frame.UpdateCommandUI();
}

// Chooses a rate as the user does: the combo box's current item.
void ChooseRate(CMainFrame& frame, PlaybackRate rate) {
    frame.PlaybackBar()->RateBox()->setCurrentIndex(static_cast<int>(rate));
}

// Every frame the document shows, in order, while attached.
class FrameLog : public zel::DocumentObserver {
public:
    explicit FrameLog(zel::CZelfDoc& doc) : doc_(doc) { doc_.AttachObserver(this); }
    ~FrameLog() override { doc_.DetachObserver(this); }
    void RepaintViews() override {
        frames.push_back(doc_.CurrentFrame());
        if (onFrame) onFrame();
    }
    void UpdateAllViews() override {}

    std::vector<int> frames;
    std::function<void()> onFrame;

private:
    zel::CZelfDoc& doc_;
};

}  // namespace

class PlaybackRateTest : public QObject {
    Q_OBJECT

    IsolatedSettings settings_;
    TempFile movie_, long_, noRate_, slow_;

private slots:
    void initTestCase() {
        WriteTestMovie(movie_, 6, 16, 8, 6, Ramp);
        WriteTestMovie(long_, 6, 16, 8, 40, Ramp);
        // A rate index the camera never writes: no frame period.
        WriteTestMovie(noRate_, 6, 16, 8, 4, Ramp, [](zelgen::MovieSpec& spec) { spec.rateIndex = 50; });
        // 250 frames a second, exactly (a period of 2/500 s): x1/1000 is 4 s a frame.
        WriteTestMovie(slow_, 6, 16, 8, 4, Ramp, [](zelgen::MovieSpec& spec) {
            spec.rateIndex = -1;
            spec.rateNumerator = 2;
            spec.rateDenominator = 500;
        });
    }

    void controlsFollowTheDocumentAndTheRuns() {
        TestApp empty;
        CPlaybackBar& bar = *empty.frame->PlaybackBar();
        QVERIFY(!bar.RateBox()->isEnabled());
        QVERIFY(!bar.EveryFrameAction()->isEnabled());
        QVERIFY(!bar.LoopAction()->isEnabled());
        QVERIFY(!bar.FrameSlider()->isEnabled());
        for (QWidget* control : bar.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (control->focusPolicy() != Qt::NoFocus) QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
        QCOMPARE(bar.RateBox()->count(), zel::kPlaybackRateCount);

        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        CPlaybackBar& b = *f.PlaybackBar();
        QVERIFY(b.RateBox()->isEnabled() && b.LoopAction()->isEnabled() && b.FrameSlider()->isEnabled());
        QVERIFY(!b.EveryFrameAction()->isEnabled());  // nothing to skip as fast as possible
        ChooseRate(f, PlaybackRate::Display60);
        QCOMPARE(f.Playback().rate, PlaybackRate::Display60);
        QVERIFY(b.EveryFrameAction()->isEnabled());
        QCOMPARE(b.FrameSlider()->maximum(), 5);

        // During playback Loop still acts; the rate and the slider wait.
        bool duringPlayback = false;
        QTimer::singleShot(0, &f, [&] {
            duringPlayback = !b.RateBox()->isEnabled() && !b.FrameSlider()->isEnabled() && b.LoopAction()->isEnabled();
            f.ControlBar()->Button(kIdAbort)->click();
        });
        Click(f, kIdPlay);
        QVERIFY(duringPlayback);
        QVERIFY(b.FrameSlider()->isEnabled());

        // A conversion leaves the whole bar disabled.
        TempFolder out;
        t.dialogs->tiffNames.push_back(QString::fromStdString(out.path + "/shot.tif"));
        bool duringConversion = false;
        QTimer::singleShot(0, &f, [&] {
            duringConversion = !b.RateBox()->isEnabled() && !b.FrameSlider()->isEnabled() &&
                               !b.LoopAction()->isEnabled() && !b.EveryFrameAction()->isEnabled();
        });
        f.Action(kIdConvertToTiff)->trigger();
        QVERIFY(duringConversion);
        QCOMPARE(FilesIn(out.path).size(), size_t{6});
    }

    void loopPlaysTheRangeAgainUntilAbort() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        zel::CZelfDoc& doc = *f.ActiveDocument();
        f.ControlBar()->Edit(kIdStartEdit)->setText(QStringLiteral("1"));
        f.ControlBar()->Edit(kIdEndEdit)->setText(QStringLiteral("3"));
        f.PlaybackBar()->LoopAction()->trigger();
        QVERIFY(f.Playback().loop);
        FrameLog log(doc);
        log.onFrame = [&] {
            if (log.frames.size() == 6) QTimer::singleShot(0, &f, [&] { f.ControlBar()->Button(kIdAbort)->click(); });
        };
        Click(f, kIdPlay);
        QCOMPARE(log.frames, (std::vector<int>{1, 2, 3, 1, 2, 3}));
        QCOMPARE(f.runInProgress(), 0);
        QCOMPARE(f.PlaybackBar()->FrameSlider()->value(), 3);

        // Loop turned off during playback: the pass in progress ends it.
        log.frames.clear();
        log.onFrame = [&] {
            if (log.frames.size() == 4) f.PlaybackBar()->LoopAction()->trigger();
        };
        Click(f, kIdPlay);
        QCOMPARE(log.frames, (std::vector<int>{1, 2, 3, 1, 2, 3}));
        QVERIFY(!f.Playback().loop);
    }

    void pacedPlaybackKeepsItsScheduleAndHandlesEvents() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        ChooseRate(f, PlaybackRate::Display60);
        f.PlaybackBar()->EveryFrameAction()->trigger();
        FrameLog log(*f.ActiveDocument());
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ticks += f.runInProgress(); });
        ticker.start(1);
        QElapsedTimer clock;
        clock.start();
        Click(f, kIdPlay);
        const qint64 elapsed = clock.elapsed();
        ticker.stop();
        QCOMPARE(log.frames, (std::vector<int>{0, 1, 2, 3, 4, 5}));
        // Frame 5 is due 5/60 s after the start, and no frame is shown early.
        QVERIFY2(elapsed >= 83, qPrintable(QString::number(elapsed)));
        QVERIFY(ticks > 0);  // the timer ran during playback

        // Frames 4 s apart: Abort, 50 ms in, ends playback during the wait, before the
        // second frame; a playback that slept would have shown it first.
        TestApp s({Path(slow_)});
        CMainFrame& g = *s.frame;
        ChooseRate(g, PlaybackRate::RealTimeThousandth);
        FrameLog slowLog(*g.ActiveDocument());
        bool abortedDuringRun = false;
        QTimer::singleShot(50, &g, [&] {
            abortedDuringRun = g.runInProgress() == 1;
            g.ControlBar()->Button(kIdAbort)->click();
        });
        Click(g, kIdPlay);
        QVERIFY(abortedDuringRun);
        QCOMPARE(slowLog.frames, std::vector<int>{0});
        QCOMPARE(g.runInProgress(), 0);
    }

    void realTimeNeedsAMovieThatRecordsItsRate() {
        TestApp t({Path(noRate_)});
        CMainFrame& f = *t.frame;
        auto* model = qobject_cast<QStandardItemModel*>(f.PlaybackBar()->RateBox()->model());
        QVERIFY(model != nullptr);
        for (int i = 0; i < zel::kPlaybackRateCount; ++i)
            QCOMPARE(model->item(i)->isEnabled(), !zel::NeedsFramePeriod(static_cast<PlaybackRate>(i)));
        QVERIFY(f.PlaybackBar()->RateBox()->toolTip().contains(QStringLiteral("does not record its frame rate")));
        // A real-time rate chosen for another movie is refused here with the reason.
        ChooseRate(f, PlaybackRate::RealTimeTenth);
        FrameLog log(*f.ActiveDocument());
        Click(f, kIdPlay);
        QVERIFY(log.frames.empty());
        QVERIFY(f.MessageBar()->Text().contains(QStringLiteral("Playback not started: ")));
        QVERIFY(f.MessageBar()->Text().contains(QStringLiteral("does not record its frame rate")));

        t.app->OpenDocumentFile(Path(movie_), true);
        QVERIFY(model->item(static_cast<int>(PlaybackRate::RealTimeTenth))->isEnabled());
    }

    void sliderShowsFramesFromMouseAndKeys() {
        TestApp t({Path(long_)});
        CMainFrame& f = *t.frame;
        zel::CZelfDoc& doc = *f.ActiveDocument();
        QSlider& slider = *f.PlaybackBar()->FrameSlider();
        QCOMPARE(slider.maximum(), 39);
        QCOMPARE(slider.pageStep(), 4);
        QCOMPARE(slider.focusPolicy(), Qt::StrongFocus);

        slider.setSliderPosition(17);  // what a drag does
        QCOMPARE(doc.CurrentFrame(), 17);
        QCOMPARE(f.PaneText(kPaneFrame), QStringLiteral("F: 17/39"));
        const struct {
            Qt::Key key;
            int frame;
        } keys[] = {{Qt::Key_Right, 18}, {Qt::Key_Left, 17}, {Qt::Key_PageUp, 21}, {Qt::Key_PageDown, 17},
                    {Qt::Key_End, 39},   {Qt::Key_Home, 0}};
        for (const auto& k : keys) {
            QTest::keyClick(&slider, k.key);
            QCOMPARE(doc.CurrentFrame(), k.frame);
            QCOMPARE(f.PaneText(kPaneFrame), QStringLiteral("F: %1/39").arg(k.frame));
        }

        // The slider follows play and the steps.
        Click(f, kIdPlay);
        QCOMPARE(slider.value(), 39);
        Click(f, kIdStepBack);
        QCOMPARE(slider.value(), 38);
        Click(f, kIdTop);
        QCOMPARE(slider.value(), 0);
        // Another document's window: its frames.
        t.app->OpenDocumentFile(Path(movie_), true);
        QCOMPARE(slider.maximum(), 5);
    }

    void settingsKeepTheChoice() {
        {
            TestApp t({Path(movie_)});
            ChooseRate(*t.frame, PlaybackRate::Display30);
            t.frame->PlaybackBar()->EveryFrameAction()->trigger();
            t.frame->PlaybackBar()->LoopAction()->trigger();
            t.frame->close();
        }
        QSettings stored(QStringLiteral("orv"), QStringLiteral("ZelTiff16"));
        QCOMPARE(stored.value(QStringLiteral("Settings/PlaybackRate")).toString(), QStringLiteral("30"));
        QCOMPARE(stored.value(QStringLiteral("Settings/PlaybackEveryFrame")).toString(), QStringLiteral("1"));
        QCOMPARE(stored.value(QStringLiteral("Settings/PlaybackLoop")).toString(), QStringLiteral("1"));
        TestApp again({Path(movie_)});
        QCOMPARE(again.frame->PlaybackBar()->RateBox()->currentIndex(), static_cast<int>(PlaybackRate::Display30));
        QVERIFY(again.frame->PlaybackBar()->EveryFrameAction()->isChecked());
        QVERIFY(again.frame->PlaybackBar()->LoopAction()->isChecked());
        // A damaged setting reads as the default.
        stored.setValue(QStringLiteral("Settings/PlaybackRate"), QStringLiteral("fastest"));
        stored.sync();
        TestApp damaged;
        QCOMPARE(damaged.frame->Playback().rate, PlaybackRate::AsFastAsPossible);
    }

    void japaneseTexts() {
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral(":/i18n/zeltiff16_ja.qm")));
        QCoreApplication::installTranslator(&translator);
        TestApp t({Path(movie_)});
        CPlaybackBar& bar = *t.frame->PlaybackBar();
        QCOMPARE(bar.LoopAction()->text(), QStringLiteral("ループ"));
        QCOMPARE(bar.RateBox()->itemText(0), QStringLiteral("最高速"));
        QCoreApplication::removeTranslator(&translator);
        QTRY_COMPARE(bar.LoopAction()->text(), QStringLiteral("Loop"));
    }
};

QTEST_MAIN(PlaybackRateTest)
#include "test_playback_rate.moc"
