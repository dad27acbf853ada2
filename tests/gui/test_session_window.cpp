// The window's frame session: runs that stop at unreadable frames and say so, runs that
// survive closing another window of the movie, ranges and shapes checked before anything
// is written, command states that follow every change, commands that run however their
// control is operated, and what the window shows around the documents.

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "../DocumentFixture.h"
#include "../TempFile.h"
#include "../TempFolder.h"
#include "GuiFixture.h"
#include "ViewDrag.h"
#include "app/CommandLine.h"
#include "app/ControlBar.h"
#include "app/MessageBar.h"
#include "app/Translations.h"
#include "document/ZelfDoc.h"
#include "reader/FrameTime.h"
#include "view/CommandIds.h"
#include "view/NativePath.h"
#include "view/ZelfView.h"

using namespace zel::gui;
using namespace zeltest;

namespace {

uint16_t Ramp(int n, int x, int y) { return static_cast<uint16_t>((x + 7 * y + 11 * n) % 1000); }
QString Path(const TempFile& file) { return QString::fromStdString(file.path()); }

// Runs the accessibility action a screen reader or a test driver would ("Toggle", "Press").
void DoAction(QWidget* widget, const QString& action) {
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(node != nullptr && node->actionInterface() != nullptr);
    QVERIFY(node->actionInterface()->actionNames().contains(action));
    node->actionInterface()->doAction(action);
}

int LinesIn(const std::string& path) {
    std::ifstream in(path);
    int lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
}

}  // namespace

class SessionWindowTest : public QObject {
    Q_OBJECT

    IsolatedSettings settings_;
    TempFile movie_, cut_, none_, large_;  // none_: no frames

private slots:
    void initTestCase() {
        WriteTestMovie(movie_, 6, 32, 16, 6, Ramp);
        // Ten frames recorded, eight in the file.
        WriteTestMovie(cut_, 6, 32, 16, 10, Ramp);
        zel::CMovieReader reader;
        QVERIFY(reader.Open(cut_.path(), 0) == 1);
        const zel::MovieParameters& p = reader.Parameters();
        std::filesystem::resize_file(cut_.path(), static_cast<uintmax_t>(p.framOffset + 7LL * p.frameStride +
                                                                           p.frameHeaderSize + p.frameBytes));
        WriteTestMovie(none_, 6, 32, 16, 0, Ramp);
        WriteTestMovie(large_, 6, 1024, 1024, 1, Ramp);
    }

    void exportsAndPlaybackStopAtAFrameThatCannotBeRead() {
        TestApp t({Path(cut_)});
        CMainFrame& f = *t.frame;
        TempFolder out;
        const std::string csv = out.path + "/cut_AOI.csv";
        std::ofstream(csv) << "older file\n";
        t.frame->Action(kIdAoi)->trigger();
        // All frames are the eight the file holds: recorded in full.
        t.dialogs->csvNames.push_back(QString::fromStdString(csv));
        f.OnAoiExportRun();
        QVERIFY(f.MessageBar()->Text().isEmpty());
        QCOMPARE(LinesIn(csv), 3 + 8 + 3);
        // Frames 0..9 asked for: the run stops at frame 8, and nothing takes the file's place.
        std::ofstream(csv) << "older file\n";
        f.ControlBar()->Button(kIdRangeIdentical)->click();  // Start..End: 0..9 as recorded
        QCOMPARE(f.rangeMode(), 0);
        QCOMPARE(f.rangeEnd(), 9);
        t.dialogs->csvNames.push_back(QString::fromStdString(csv));
        f.OnAoiExportRun();
        QVERIFY2(f.MessageBar()->Text().contains(QStringLiteral("frame 8 cannot be read")), qPrintable(f.MessageBar()->Text()));
        QCOMPARE(LinesIn(csv), 1);
        QCOMPARE(f.ActiveDocument()->CurrentFrame(), 7);

        f.MessageBar()->Dismiss();
        f.ControlBar()->Button(kIdPlay)->click();
        QVERIFY(f.MessageBar()->Text().contains(QStringLiteral("Playback stopped")));
        QCOMPARE(f.PaneText(kPaneFrame), QStringLiteral("F: 7/9"));
    }

    void closingAnotherWindowLeavesTheRunAlone() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        f.Action(kIdAoi)->trigger();
        f.Action(kIdWindowNew)->trigger();  // the second window is active: its AOI runs
        f.Action(kIdAoi)->trigger();
        QMdiSubWindow* first = f.MdiArea()->subWindowList(QMdiArea::CreationOrder).front();
        TempFolder out;
        const std::string csv = out.path + "/a.csv";
        t.dialogs->csvNames.push_back(QString::fromStdString(csv));
        QTimer::singleShot(0, &f, [first] { first->close(); });
        f.OnAoiExportRun();
        QVERIFY(f.MessageBar()->Text().isEmpty());
        QCOMPARE(LinesIn(csv), 3 + 6 + 3);  // head, six frames, the average
    }

    void impossibleRangesAndMissingShapesAreRefused() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        TempFolder out;
        f.ControlBar()->Edit(kIdStartEdit)->setText(QStringLiteral("4"));
        f.ControlBar()->Edit(kIdEndEdit)->setText(QStringLiteral("2"));
        t.dialogs->tiffNames.push_back(QString::fromStdString(out.path + "/x.tif"));
        f.Action(kIdConvertToTiff)->trigger();
        QVERIFY(f.MessageBar()->Text().contains(QStringLiteral("frame range 4..2 lies outside the movie's frames 0..5")));
        QCOMPARE(t.dialogs->tiffNames.size(), 1u);  // refused before asking for a name
        f.ControlBar()->Edit(kIdEndEdit)->setText(QStringLiteral("6"));
        f.ControlBar()->Button(kIdPlay)->click();
        QVERIFY(f.MessageBar()->Text().contains(QStringLiteral("frame range 4..6")));

        // No AOI drawn, no profile line drawn: asked for first, nothing recorded.
        f.OnAoiExportRun();
        QVERIFY(f.MessageBar()->Text().contains(QStringLiteral("no AOI has been drawn")));
        f.OnProfileExportRun();
        QVERIFY(f.MessageBar()->Text().contains(QStringLiteral("no profile line has been drawn")));
        QVERIFY(t.dialogs->proposedCsvName.isEmpty());

        QVERIFY(!t.app->OpenDocumentFile(Path(none_), true));
        QVERIFY(f.MessageBar()->Text().contains(Path(none_) + QStringLiteral(": the movie has no frames")));
    }

    void commandStatesFollowTheTools() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        CZelfView& view = *f.ActiveView();
        QAction* save = f.Action(kIdProfileDataSave);
        f.Action(kIdProfile)->trigger();
        QVERIFY(!save->isEnabled());
        Drag(view, {2, 3}, {20, 9});  // no command runs after the drag
        QVERIFY(save->isEnabled());
        // Esc closes the graph: the tool ends and the commands say so at once.
        QTest::keyClick(view.profileDlg(), Qt::Key_Escape);
        QCOMPARE(view.profileState(), 0);
        QVERIFY(!f.Action(kIdProfile)->isChecked());
        QVERIFY(!save->isEnabled());
    }

    void everyWayOfOperatingAControlRunsItsCommand() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        auto* zoom2 = qobject_cast<QToolButton*>(f.ToolBar()->widgetForAction(f.Action(kIdZoomFit + 2)));
        DoAction(zoom2, QAccessibleActionInterface::toggleAction());
        QCOMPARE(f.ActiveView()->zoomIndex(), 2);
        QVERIFY(f.Action(kIdZoomFit + 2)->isChecked() && !f.Action(kIdZoomFit + 1)->isChecked());
        QVERIFY(zoom2->isChecked());
        // Toggling the checked button again runs the command, which keeps zoom 2 checked.
        DoAction(zoom2, QAccessibleActionInterface::toggleAction());
        QVERIFY(zoom2->isChecked() && f.ActiveView()->zoomIndex() == 2);
        // The control bar's radios too: "All Frames" toggled off clears the range's radio.
        DoAction(f.ControlBar()->Button(kIdRangeAll), QAccessibleActionInterface::toggleAction());
        QCOMPARE(f.rangeMode(), -1);
        DoAction(f.ControlBar()->Button(kIdBits8), QAccessibleActionInterface::toggleAction());
        QCOMPARE(f.bitSel(), 0);
        DoAction(f.ControlBar()->Button(kIdPlay), QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(f.ActiveDocument()->CurrentFrame(), 5);
        // The pane after the caption tells the frame's time from the trigger.
        const zel::MovieParameters& movie = f.ActiveDocument()->reader()->Parameters();
        QCOMPARE(f.PaneText(kPaneTime),
                 QStringLiteral("t = ") + QString::fromStdString(zel::TimeText(*zel::FrameTime(movie, 5))));
    }

    void failuresStayUntilDismissedAndTheGraphLeavesTheStatusBarFree() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        f.resize(900, 700);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.Action(kIdProfile)->trigger();
        Drag(*f.ActiveView(), {1, 1}, {9, 1});
        // The graph lies over the lowest quarter of the document area, above the status bar.
        const QRect graph = f.ActiveView()->profileDlg()->geometry();
        const QRect area(f.MdiArea()->mapToGlobal(QPoint(0, 0)), f.MdiArea()->size());
        const QRect status(f.statusBar()->mapToGlobal(QPoint(0, 0)), f.statusBar()->size());
        QVERIFY(!graph.intersects(status));
        QVERIFY(qAbs(graph.bottom() - area.bottom()) <= 1);
        QVERIFY(qAbs(graph.height() - area.height() / 4) <= 1);

        t.dialogs->csvNames.push_back(QStringLiteral("/nonexistent-folder/p.csv"));
        f.OnProfileExportRun();
        const QString text = f.MessageBar()->Text();
        QVERIFY(text.contains(QStringLiteral("/nonexistent-folder/p.csv")) && text.contains(QStringLiteral("No such file")));
        f.statusBar()->showMessage(QStringLiteral("a tip"));  // tips and later successes leave it alone
        QCOMPARE(f.MessageBar()->Text(), text);
        QTest::keyClick(f.MessageBar(), Qt::Key_Escape);
        QVERIFY(f.MessageBar()->isHidden());
    }

    void aLargeMovieOpensCentred() {
        TestApp t;
        t.frame->resize(900, 700);
        t.frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.frame));
        t.app->OpenDocumentFile(Path(large_), true);
        CZelfView& view = *t.frame->ActiveView();
        QTest::qWait(50);  // the layout settles and the view is painted
        const QPoint centre = view.ImagePoint(view.viewport()->rect().center());
        QVERIFY2(qAbs(centre.x() - 512) <= 2 && qAbs(centre.y() - 512) <= 2,
                 qPrintable(QStringLiteral("(%1, %2)").arg(centre.x()).arg(centre.y())));
    }

    void theWindowMenuAndTheLastClose() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        f.Action(kIdWindowNew)->trigger();
        QStringList titles;
        QAction* checked = nullptr;
        for (QAction* action : f.WindowMenu()->actions()) {
            if (!action->isCheckable()) continue;
            titles << action->text();
            if (action->isChecked()) checked = action;
        }
        const QString name = QFileInfo(Path(movie_)).fileName();
        QCOMPARE(titles, (QStringList{QStringLiteral("&1 %1:1").arg(name), QStringLiteral("&2 %1:2").arg(name)}));
        QVERIFY(checked == f.WindowMenu()->actions().last());
        f.WindowMenu()->actions()[f.WindowMenu()->actions().size() - 2]->trigger();
        QCOMPARE(f.MdiArea()->activeSubWindow(), f.MdiArea()->subWindowList(QMdiArea::CreationOrder).front());

        f.MdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        QCOMPARE(f.PaneText(kPaneFrame), QStringLiteral("F:         /        "));
        QVERIFY(f.ControlBar()->Edit(kIdStartEdit)->text().isEmpty());
        QVERIFY(!f.ControlBar()->Button(kIdRangeAll)->isChecked());
    }

    void aConversionChecksEveryNameFirst() {
        TestApp t({Path(movie_)});
        TempFolder out;
        std::filesystem::create_symlink(movie_.path(), out.path + "/x_000003.tif");
        t.dialogs->tiffNames.push_back(QString::fromStdString(out.path + "/x.tif"));
        t.frame->Action(kIdConvertToTiff)->trigger();
        QVERIFY(t.frame->MessageBar()->Text().contains(QStringLiteral("x_000003.tif is the movie being read")));
        QCOMPARE(FilesIn(out.path), (std::vector<std::string>{"x_000003.tif"}));  // not even frames 0..2
    }

    void terminationStopsTheRunSavesTheSettingsAndCloses() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        f.show();
        f.Action(kIdAoi)->trigger();
        TempFolder out;
        t.dialogs->csvNames.push_back(QString::fromStdString(out.path + "/a.csv"));
        QTimer::singleShot(0, &f, [] { ::raise(SIGTERM); });
        f.OnAoiExportRun();
        QTRY_VERIFY(!f.isVisible());
        QVERIFY(FilesIn(out.path).empty());  // no CSV, no temporary
        QVERIFY(QSettings(QStringLiteral("orv"), QStringLiteral("ZelTiff16")).contains(QStringLiteral("Settings/BitSel")));
    }

    void movieNamesOnTheCommandLineKeepTheirBytes() {
        std::string latin = "caf\xe9.zel", dashed = "-x.zel";
        std::string program = "zeltiff16", language = "--language", ja = "ja", end = "--";
        char* argv[] = {program.data(), language.data(), ja.data(), latin.data(), end.data(), dashed.data()};
        const QStringList movies = MovieArguments(6, argv, {QStringLiteral("caf\uFFFD.zel"), QStringLiteral("-x.zel")});
        QCOMPARE(movies.size(), 2);
        QCOMPARE(CorePath(movies[0]), latin);
        QCOMPARE(movies[1], QStringLiteral("-x.zel"));
        // When the parser saw something else, its list stands.
        QCOMPARE(MovieArguments(6, argv, {QStringLiteral("a")}), QStringList{QStringLiteral("a")});
    }

    void qtsOwnTextsFollowTheLanguage() {
        const Translations japanese(true);
        QVERIFY(japanese.OwnLoaded() && japanese.QtLoaded());
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
        QLocale::setDefault(QLocale::c());
    }
};

QTEST_MAIN(SessionWindowTest)
#include "test_session_window.moc"
