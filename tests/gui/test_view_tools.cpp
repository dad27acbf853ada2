// The view's measurement tools driven with simulated mouse and key events in the real
// main window: readouts, the profile line and its graph, the AOI rectangle, the black
// balance, and exports compared byte for byte with the command-line tool's files.

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include "../DocumentFixture.h"
#include "../RunProcess.h"
#include "../TempFile.h"
#include "../TempFolder.h"
#include "GuiFixture.h"
#include "app/MessageBar.h"
#include "view/CommandIds.h"
#include "document/ZelfDoc.h"
#include "view/ProfileDlg.h"
#include "view/ZelfView.h"

using namespace zel::gui;
using namespace zeltest;

namespace {

uint16_t Position(int n, int x, int y) { return static_cast<uint16_t>((1 + x + 13 * y + 3 * n) % 1000); }

// A monochrome camera (colour pattern 0).
void Monochrome(zelgen::MovieSpec& s) {
    s.newerLayout = false;
    s.cameraCode = "rwm7";
    s.modeWord = 0;
}

QString Path(const TempFile& file) { return QString::fromStdString(file.path()); }

// The viewport point over image pixel (x, y).
QPoint At(const CZelfView& view, int x, int y) {
    int vx = 0, vy = 0;
    view.Viewport().ImageToView(x, y, vx, vy);
    return QPoint(vx, vy) - view.ScrollPosition();
}

void Move(CZelfView& view, int x, int y, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QCoreApplication::processEvents();  // pending resizes first, so the layout is current
    QTest::mouseMove(view.viewport(), At(view, x, y));
    if (modifiers != Qt::NoModifier) {
        // QTest::mouseMove carries no modifiers: deliver one with them.
        QMouseEvent move(QEvent::MouseMove, At(view, x, y), view.viewport()->mapToGlobal(At(view, x, y)), Qt::NoButton,
                         Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(view.viewport(), &move);
    }
}

void Drag(CZelfView& view, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QCoreApplication::processEvents();
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, At(view, from.x(), from.y()));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, modifiers, At(view, to.x(), to.y()));
}

}  // namespace

class ViewToolsTest : public QObject {
    Q_OBJECT

    IsolatedSettings settings_;
    TempFile mono_, colour_, wide_, dark_;

    static CZelfView& ActiveView(TestApp& t) { return *t.frame->ActiveView(); }

private slots:
    void initTestCase() {
        WriteTestMovie(mono_, 0, 64, 48, 4, Position, Monochrome);
        WriteTestMovie(colour_, 6, 64, 48, 2, Position, [](zelgen::MovieSpec& s) { s.modeWord = 0x13; });
        WriteTestMovie(wide_, 6, 642, 8, 1, Position);
        WriteTestMovie(dark_, 6, 64, 48, 2, [](int, int, int) { return uint16_t{5}; });
    }

    void readouts() {
        TestApp t({Path(mono_), Path(colour_), Path(wide_)});
        const auto windows = t.frame->MdiArea()->subWindowList();
        t.frame->MdiArea()->setActiveSubWindow(windows[0]);
        Move(ActiveView(t), 3, 2);
        QCOMPARE(t.frame->PaneText(kPanePosition), QStringLiteral("(    3,    2 )"));
        QCOMPARE(t.frame->PaneText(kPaneValue), QString::asprintf("Gray : %4d", Position(0, 3, 2)));

        // Colour pattern 3: (0, 0) red, (1, 0) and (0, 1) green, (1, 1) blue.
        t.frame->MdiArea()->setActiveSubWindow(windows[1]);
        QCOMPARE(ActiveView(t).GetDocument()->reader()->Parameters().colorPattern, 3);
        const struct {
            int x, y;
            QString text;
        } pixels[] = {
            {0, 0, QString::asprintf("R : %4d, G :    0, B :    0", Position(0, 0, 0))},
            {1, 0, QString::asprintf("R :    0, G : %4d, B :    0", Position(0, 1, 0))},
            {0, 1, QString::asprintf("R :    0, G : %4d, B :    0", Position(0, 0, 1))},
            {1, 1, QString::asprintf("R :    0, G :    0, B : %4d", Position(0, 1, 1))},
        };
        for (const auto& p : pixels) {
            Move(ActiveView(t), p.x, p.y);
            QCOMPARE(t.frame->PaneText(kPaneValue), p.text);
        }

        // A 642-wide frame is shown 644 wide: its padding columns have no value.
        t.frame->MdiArea()->setActiveSubWindow(windows[2]);
        Move(ActiveView(t), 643, 1);
        QCOMPARE(t.frame->PaneText(kPanePosition), QStringLiteral("(  643,    1 )"));
        QCOMPARE(t.frame->PaneText(kPaneValue), QString(31, QLatin1Char(' ')));
        // An AOI corner dragged there lands on the frame's last column.
        t.frame->Action(kIdAoi)->trigger();
        Drag(ActiveView(t), {600, 1}, {643, 5});
        QCOMPARE(ActiveView(t).aoiRect(), (zel::AoiRect{600, 1, 641, 5}));
    }

    void profileTool() {
        TestApp t({Path(mono_)});
        CZelfView& view = ActiveView(t);
        t.frame->Action(kIdProfile)->trigger();
        QVERIFY(view.profileDlg());
        QCOMPARE(view.profileState(), -1);
        Drag(view, {10, 5}, {40, 17});
        QCOMPARE(view.profileState(), 1);
        const ProfileSeries* series = view.profileDlg()->Series().Series(view.profileSeries());
        QVERIFY(series != nullptr);
        QCOMPARE(series->count, 30);  // max(|dx|, |dy|)
        QCOMPARE(series->values[0], static_cast<int16_t>(Position(0, 10, 5)));
        QCOMPARE(*t.frame->SavedProfileLine(), (zel::ProfileLine{10, 5, 40, 17}));
        // Shift keeps the line horizontal or vertical, whichever is nearer.
        Drag(view, {10, 10}, {50, 30}, Qt::ShiftModifier);
        QCOMPARE(view.profileLine(), (zel::ProfileLine{10, 10, 50, 10}));
        Drag(view, {10, 10}, {20, 40}, Qt::ShiftModifier);
        QCOMPARE(view.profileLine(), (zel::ProfileLine{10, 10, 10, 40}));
        // A click without moving: an empty profile, drawn without reading a value.
        Drag(view, {7, 7}, {7, 7});
        QCOMPARE(view.profileDlg()->Series().Series(view.profileSeries())->count, 0);
        view.profileDlg()->grab();
        // The graph follows the frames shown.
        Drag(view, {0, 0}, {5, 0});
        t.frame->ShowFrame(*view.GetDocument(), 2);
        QCOMPARE(view.profileDlg()->Series().Series(view.profileSeries())->values[0], static_cast<int16_t>(Position(2, 0, 0)));
        // Closing the graph ends the tool.
        view.profileDlg()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        t.frame->UpdateCommandUI();
        QCOMPARE(view.profileState(), 0);
        QVERIFY(!t.frame->Action(kIdProfile)->isChecked());
        // A window closed while its graph is open takes the graph with it.
        t.frame->Action(kIdProfile)->trigger();
        QPointer<CProfileDlg> graph = view.profileDlg();
        QVERIFY(graph);
        t.frame->MdiArea()->currentSubWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!graph);
    }

    void aoiTool() {
        TestApp t({Path(mono_)});
        CZelfView& view = ActiveView(t);
        t.frame->Action(kIdAoi)->trigger();
        QCOMPARE(view.aoiRect(), (zel::AoiRect{0, 0, 63, 47}));  // (100, 100) lies outside
        Drag(view, {50, 40}, {10, 20});
        QCOMPARE(view.aoiRect(), (zel::AoiRect{50, 40, 10, 20}));
        zel::AoiStatistics s;
        view.GetDocument()->GetAoiStatistics(50, 40, 10, 20, s);
        QCOMPARE(t.frame->PaneText(kPaneAoi), QString::asprintf("GRYave=%7.2f", s.red.average));
        // Another view starts where the rectangle was left.
        t.frame->Action(kIdWindowNew)->trigger();
        t.frame->Action(kIdAoi)->trigger();
        QCOMPARE(ActiveView(t).aoiRect(), (zel::AoiRect{50, 40, 10, 20}));
    }

    void blackBalance() {
        TempFile corrected;
        WriteTestMovie(corrected, 6, 64, 48, 2, Position, [](zelgen::MovieSpec& s) {
            s.correction.kind = 3;
            s.correction.width = 64;
            s.correction.height = 48;
        });
        TestApp t({Path(corrected)});
        t.dialogs->blackReference = Path(dark_);
        const int before = ActiveView(t).GetDocument()->SampleAt(100);
        t.frame->Action(kIdBlackBalance)->trigger();
        QCOMPARE(ActiveView(t).GetDocument()->SampleAt(100), before - 5);
        QVERIFY(t.frame->Action(kIdBlackBalance)->isChecked());
    }

    void exportsEqualTheCommandLinesFiles() {
        TestApp t({Path(mono_)});
        CZelfView& view = ActiveView(t);
        TempFolder out;
        // A profile over frames 1..3, with extra repaints forced during the run.
        t.frame->Action(kIdProfile)->trigger();
        Drag(view, {3, 4}, {20, 9});
        view.GetDocument()->SetRange({zel::RangeMode::Identical, 1, 3});
        const std::string gui = out.path + "/gui_profile.csv", cli = out.path + "/cli_profile.csv";
        t.dialogs->csvNames.push_back(QString::fromStdString(gui));
        QTimer repaint;
        connect(&repaint, &QTimer::timeout, &view, [&] { view.viewport()->repaint(); });
        repaint.start(0);
        t.frame->OnProfileExportRun();
        repaint.stop();
        QCOMPARE(t.dialogs->proposedCsvName, QFileInfo(Path(mono_)).absolutePath() + QLatin1Char('/') +
                                                 QFileInfo(Path(mono_)).completeBaseName() + QStringLiteral("_Profile.csv"));
        QCOMPARE(RunCommand(Cli() + " profile " + Quote(mono_.path()) + " " + Quote(cli) + " --line 3 4 20 9 --start 1 --end 3").exitCode, 0);
        QVERIFY(!Slurp(gui).empty());
        QVERIFY(Slurp(gui) == Slurp(cli));

        // The AOI over all frames.
        t.frame->Action(kIdAoi)->trigger();
        Drag(view, {5, 6}, {30, 20});
        view.GetDocument()->SetRange({zel::RangeMode::All, 0, 0});
        const std::string guiAoi = out.path + "/gui_aoi.csv", cliAoi = out.path + "/cli_aoi.csv";
        t.dialogs->csvNames.push_back(QString::fromStdString(guiAoi));
        t.frame->OnAoiExportRun();
        QCOMPARE(RunCommand(Cli() + " aoi " + Quote(mono_.path()) + " " + Quote(cliAoi) + " --rect 5 6 30 20").exitCode, 0);
        QVERIFY(Slurp(guiAoi) == Slurp(cliAoi));

        // An export asked for while a run is in progress is refused.
        bool refused = false;
        QTimer::singleShot(0, t.frame, [&] {
            t.frame->OnAoiExportRun();
            refused = t.frame->MessageBar()->Text().contains(QStringLiteral("run is in progress"));
        });
        t.frame->RunFrames(0);
        QVERIFY(refused);
    }
};

QTEST_MAIN(ViewToolsTest)
#include "test_view_tools.moc"
