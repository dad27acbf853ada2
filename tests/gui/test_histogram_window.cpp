// The AOI histogram window driven through the real main window: the command's state, the
// window's counts against the core's for the current frame, following a frame step and a
// new AOI, the log scale from the keyboard, the figures for screen readers, and Esc.

#include <QAccessible>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QtTest>

#include "../DocumentFixture.h"
#include "../TempFile.h"
#include "GuiFixture.h"
#include "ViewDrag.h"
#include "app/ControlBar.h"
#include "document/Histogram.h"
#include "document/ZelfDoc.h"
#include "view/CommandIds.h"
#include "view/HistogramDlg.h"
#include "view/HistogramGraph.h"
#include "view/ZelfView.h"

using namespace zel::gui;
using namespace zeltest;

namespace {

// Every frame different; a few samples at the 12-bit range's top.
uint16_t Samples(int n, int x, int y) { return static_cast<uint16_t>((x * 53 + y * 17 + n * 611) % 4096); }

CHistogramDlg* HistogramWindow(CMainFrame& frame) { return frame.findChild<CHistogramDlg*>(); }

zel::AoiHistogram CoreHistogram(CMainFrame& frame) {
    zel::AoiHistogram h;
    const CZelfView* view = frame.ActiveView();
    if (!zel::DocumentHistogram(*view->GetDocument(), view->aoiRect(), h)) qFatal("no histogram in the core");
    return h;
}

bool SameCounts(const zel::AoiHistogram& a, const zel::AoiHistogram& b) {
    return a.binCount == b.binCount && a.all.bins == b.all.bins && a.red.bins == b.red.bins &&
           a.blue.bins == b.blue.bins && a.all.below == b.all.below && a.all.above == b.all.above;
}

}  // namespace

class HistogramWindowTest : public QObject {
    Q_OBJECT

    IsolatedSettings settings_;
    TempFile mono_, colour_;

private slots:
    void initTestCase() {
        // 12-bit samples; colour pattern 1 (monochrome: this camera reads 0 as a mosaic) in
        // the mode word's low bits.
        WriteTestMovie(mono_, 4, 64, 48, 3, Samples,
                       [](zelgen::MovieSpec& s) { s.modeWord = (s.modeWord & 0xF0) | 1; });
        WriteTestMovie(colour_, 6, 64, 32, 2, Samples, [](zelgen::MovieSpec& s) { s.modeWord = 0x12; });
    }

    void commandNeedsAnAoiAndOpensTheWindowWithTheCoresCounts() {
        TestApp t({QString::fromStdString(mono_.path())});
        CMainFrame& f = *t.frame;
        QVERIFY(!f.ActiveDocument()->IsColour());
        QAction* command = f.Action(kIdAoiHistogram);
        QVERIFY(command != nullptr);
        QVERIFY(!command->isEnabled());
        QVERIFY(command->isCheckable());
        f.Action(kIdAoi)->trigger();
        QVERIFY(command->isEnabled());
        QVERIFY(!command->isChecked());
        command->trigger();
        CHistogramDlg* window = HistogramWindow(f);
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QCOMPARE(window->windowTitle(), QStringLiteral("Histogram"));
        QVERIFY(command->isChecked());
        QCOMPARE(window->FollowedView(), f.ActiveView());

        // The default AOI 0..100 is clamped to the 64 x 48 frame.
        QCOMPARE(window->Histogram().all.Total(), uint64_t{64 * 48});
        QCOMPARE(window->Histogram().binCount, 256);
        QVERIFY(SameCounts(window->Histogram(), CoreHistogram(f)));
        const zel::AoiHistogram first = window->Histogram();

        // A step: the window shows the new frame's counts at once.
        f.ControlBar()->Button(kIdStepForward)->click();
        QCOMPARE(f.ActiveDocument()->CurrentFrame(), 1);
        QVERIFY(SameCounts(window->Histogram(), CoreHistogram(f)));
        QVERIFY(!SameCounts(window->Histogram(), first));

        // The figures beside the graph, as a screen reader gets them.
        const zel::AoiSummary s = f.ActiveDocument()->Summary(f.ActiveView()->aoiRect());
        QAccessibleInterface* figures = QAccessible::queryAccessibleInterface(window->StatisticsLabel());
        QVERIFY(figures != nullptr);
        // The text follows within a screen refresh or so (playback computes faster).
        QTRY_VERIFY(figures->text(QAccessible::Name).contains(QStringLiteral("Frame 1")));
        const QString spoken = figures->text(QAccessible::Name);
        QVERIFY2(spoken.contains(QString::number(s.all.Mean(), 'f', 2)), qPrintable(spoken));
        QVERIFY2(spoken.contains(QString::number(s.all.StandardDeviation(), 'f', 2)), qPrintable(spoken));
    }

    void followsANewAoi() {
        TestApp t({QString::fromStdString(mono_.path())});
        CMainFrame& f = *t.frame;
        f.Action(kIdAoi)->trigger();
        f.Action(kIdAoiHistogram)->trigger();
        CHistogramDlg* window = HistogramWindow(f);
        QVERIFY(window != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(f.ActiveView()->viewport()));
        Drag(*f.ActiveView(), QPoint(2, 3), QPoint(11, 7));
        QCOMPARE(window->Histogram().all.Total(), uint64_t{10 * 5});
        QVERIFY(SameCounts(window->Histogram(), CoreHistogram(f)));
        // The AOI tool off: nothing to show, and no figures shown as if there were.
        f.Action(kIdAoi)->trigger();
        QCOMPARE(window->Histogram().binCount, 0);
        QTRY_VERIFY(!window->StatisticsLabel()->text().contains(QStringLiteral("mean")));
        QVERIFY(f.Action(kIdAoiHistogram)->isEnabled());  // still there to close it
    }

    void colourMosaicsHaveAHistogramPerChannel() {
        TestApp t({QString::fromStdString(colour_.path())});
        CMainFrame& f = *t.frame;
        QVERIFY(f.ActiveDocument()->IsColour());
        f.Action(kIdAoi)->trigger();
        f.Action(kIdAoiHistogram)->trigger();
        CHistogramDlg* window = HistogramWindow(f);
        QVERIFY(window->Histogram().colour);
        QVERIFY(SameCounts(window->Histogram(), CoreHistogram(f)));
        const QString text = window->StatisticsLabel()->text();
        for (const char* name : {"Red", "Green", "Blue"}) QVERIFY2(text.contains(QLatin1String(name)), qPrintable(text));
    }

    void logScaleFromTheKeyboardAndEscCloses() {
        TestApp t({QString::fromStdString(mono_.path())});
        CMainFrame& f = *t.frame;
        f.Action(kIdAoi)->trigger();
        f.Action(kIdAoiHistogram)->trigger();
        QPointer<CHistogramDlg> window = HistogramWindow(f);
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCheckBox* log = window->LogScaleBox();
        QCOMPARE(log->accessibleName(), QStringLiteral("Log scale"));
        QVERIFY(log->focusPolicy() & Qt::TabFocus);
        QVERIFY(!window->LogScale());
        const QImage linear = window->Graph()->grab().toImage();
        const zel::CountAxis before = window->CountAxis();
        QVERIFY(!before.logarithmic);
        QVERIFY(before.top >= 2);
        QVERIFY(log->text().contains(QStringLiteral("&L")));  // Alt+L

        log->setFocus();
        QTest::keyClick(log, Qt::Key_Space);
        QVERIFY(log->isChecked());
        QVERIFY(window->LogScale());
        const zel::CountAxis after = window->CountAxis();
        QVERIFY(after.logarithmic);
        QCOMPARE(after.top, before.top);
        // A bin of half the top stands higher on the log scale.
        QVERIFY(zel::CountFraction(after, after.top / 2) > zel::CountFraction(before, before.top / 2));
        QVERIFY(window->Graph()->grab().toImage() != linear);

        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!f.Action(kIdAoiHistogram)->isChecked());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window.isNull());
        QCoreApplication::processEvents();
        QVERIFY(!f.Action(kIdAoiHistogram)->isChecked());
        QVERIFY(f.Action(kIdAoiHistogram)->isEnabled());
        // The command opens a new one; triggered again, it closes it.
        f.Action(kIdAoiHistogram)->trigger();
        QVERIFY(HistogramWindow(f) != nullptr && HistogramWindow(f)->isVisible());
        f.Action(kIdAoiHistogram)->trigger();
        QVERIFY(!f.Action(kIdAoiHistogram)->isChecked());
    }
};

QTEST_MAIN(HistogramWindowTest)
#include "test_histogram_window.moc"
