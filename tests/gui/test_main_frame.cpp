// The main window driven as a user would: opening, the control bar's state and range
// tracking, playback and stepping, abort and closing during a run, conversion, settings.

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include "../DocumentFixture.h"
#include "../RunProcess.h"
#include "../TempFile.h"
#include "../TempFolder.h"
#include "GuiFixture.h"
#include "app/AboutDlg.h"
#include "app/ChildFrame.h"
#include "app/MessageBar.h"
#include "app/ZelfDialog.h"
#include "view/CommandIds.h"
#include "app/ControlBar.h"
#include "document/ZelfDoc.h"
#include "view/ZelfView.h"

using namespace zel::gui;
using namespace zeltest;

namespace {

uint16_t Ramp(int n, int x, int y) { return static_cast<uint16_t>((n * 7 + x + 3 * y) % 1024); }

QString Path(const TempFile& file) { return QString::fromStdString(file.path()); }

bool Enabled(CMainFrame& frame, int id) { return frame.ControlBar()->Control(id)->isEnabled(); }
bool Checked(CMainFrame& frame, int id) { return frame.ControlBar()->Button(id)->isChecked(); }

void Click(CMainFrame& frame, int id) {
    frame.ControlBar()->Button(id)->click();
    frame.UpdateCommandUI();
}

void Type(CMainFrame& frame, int id, const QString& text) {
    frame.ControlBar()->Edit(id)->setText(text);
    frame.UpdateCommandUI();
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

    IsolatedSettings settings_;
    TempFile movie_, other_;

private slots:
    void initTestCase() {
        WriteTestMovie(movie_, 6, 32, 16, 6, Ramp);
        WriteTestMovie(other_, 6, 16, 8, 4, Ramp);
    }

    void startsEmptyOrWithTheMoviesNamed() {
        TestApp empty;
        QCOMPARE(empty.frame->MdiArea()->subWindowList().size(), 0);
        // The View menu's check marks say what is shown from the start, not only after a toggle.
        QVERIFY(empty.frame->Action(kIdViewToolbar)->isChecked());
        QVERIFY(empty.frame->Action(kIdViewStatusBar)->isChecked());
        empty.frame->Action(kIdViewToolbar)->trigger();
        QVERIFY(!empty.frame->Action(kIdViewToolbar)->isChecked());
        for (int id = kIdRangeIdentical; id <= kIdBits16; ++id) QVERIFY2(!Enabled(*empty.frame, id), qPrintable(QString::number(id)));
        QVERIFY(!empty.frame->Action(kIdConvertToTiff)->isEnabled());

        TestApp started({Path(movie_), Path(other_)});
        QCOMPARE(started.frame->MdiArea()->subWindowList().size(), 2);
        QVERIFY(started.frame->ActiveDocument()->correctionOn() == 1);
        QVERIFY(Enabled(*started.frame, kIdPlay));
        // Opening a movie already open activates its window instead of a second one.
        started.app->OpenDocumentFile(Path(movie_), true);
        QCOMPARE(started.frame->MdiArea()->subWindowList().size(), 2);
        QCOMPARE(QString::fromStdString(started.frame->ActiveDocument()->pathName()), Path(movie_));
    }

    void dialogChoiceAppliesOnceAndRejectionsSayWhy() {
        TestApp t;
        t.dialogs->movies.push_back({Path(movie_), false});
        t.frame->Action(kIdFileOpen)->trigger();
        QCOMPARE(t.frame->ActiveDocument()->correctionOn(), 0);
        QCOMPARE(t.app->pendingCorrection, 1);

        TempFile bad;
        bad.Write({'N', 'O', 'P', 'E'});
        QVERIFY(!t.app->OpenDocumentFile(Path(bad), true));
        QCOMPARE(t.frame->MdiArea()->subWindowList().size(), 1);
        // Each failure stays in the message bar, naming the file and the reason.
        const QString messages = [&] { return t.frame->MessageBar()->Text(); }();
        QVERIFY(messages.contains(Path(bad)) && messages.contains(QStringLiteral("512-byte")));
        QVERIFY(!t.app->OpenDocumentFile(QStringLiteral("/nonexistent/m.zel"), true));
        QVERIFY(t.frame->MessageBar()->Text().contains(QStringLiteral("/nonexistent/m.zel: cannot open the file: No such file or directory")));
        QVERIFY(t.frame->MessageBar()->isVisibleTo(t.frame));
        QCOMPARE(t.app->RecentFiles().front(), Path(movie_));
    }

    void rangeRadiosAndTracking() {
        TestApp t({Path(movie_), Path(other_)});
        CMainFrame& f = *t.frame;
        QCOMPARE(f.rangeMode(), 1);  // the new document's range: all frames
        QVERIFY(Checked(f, kIdRangeAll));
        Click(f, kIdRangeAll);  // a second click clears the radio
        QCOMPARE(f.rangeMode(), -1);
        QVERIFY(!Checked(f, kIdRangeAll) && !Checked(f, kIdRangeIdentical));
        Type(f, kIdStartEdit, QStringLiteral("1"));
        QCOMPARE(f.rangeMode(), 0);  // typing selects the Start..End range
        QVERIFY(Checked(f, kIdRangeIdentical));
        Type(f, kIdEndEdit, QStringLiteral(" 2x"));
        QCOMPARE(f.rangeEnd(), 2);

        // Switching documents stores the range into the one left and loads the other's.
        QMdiSubWindow* second = f.MdiArea()->currentSubWindow();
        QMdiSubWindow* first = f.MdiArea()->subWindowList().front();
        zel::CZelfDoc* secondDoc = f.ActiveDocument();
        f.MdiArea()->setActiveSubWindow(first);
        f.UpdateCommandUI();
        QCOMPARE(secondDoc->convertFirst(), 1);
        QCOMPARE(secondDoc->convertLast(), 2);
        QCOMPARE(f.rangeMode(), 1);
        QCOMPARE(f.ControlBar()->Edit(kIdEndEdit)->text(), QStringLiteral("5"));
        f.MdiArea()->setActiveSubWindow(second);
        f.UpdateCommandUI();
        QCOMPARE(f.rangeStart(), 1);
        QCOMPARE(f.rangeMode(), 0);

        // A closed document is never stored into.
        Type(f, kIdStartEdit, QStringLiteral("0"));
        delete second;
        f.UpdateCommandUI();
        QCOMPARE(f.MdiArea()->subWindowList().size(), 1);
        QCOMPARE(f.rangeMode(), 1);
    }

    void playAndSteps() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        zel::CZelfDoc& doc = *f.ActiveDocument();
        Click(f, kIdStepBack);  // at frame 0: nothing
        QCOMPARE(doc.CurrentFrame(), 0);
        Click(f, kIdPlay);
        QCOMPARE(doc.CurrentFrame(), 5);
        QCOMPARE(f.ControlBar()->Progress()->value(), 6);
        QCOMPARE(f.runInProgress(), 0);
        QVERIFY(Enabled(f, kIdPlay));
        Click(f, kIdStepForward);  // at the last frame: nothing
        QCOMPARE(doc.CurrentFrame(), 5);
        Click(f, kIdStepBack);
        QCOMPARE(doc.CurrentFrame(), 4);
        Click(f, kIdTop);
        QCOMPARE(doc.CurrentFrame(), 0);
        // In range mode a step plays the range.
        Type(f, kIdStartEdit, QStringLiteral("2"));
        Type(f, kIdEndEdit, QStringLiteral("3"));
        Click(f, kIdStepForward);
        QCOMPARE(doc.CurrentFrame(), 3);
    }

    void abortAndClosingDuringARun() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        zel::CZelfDoc& doc = *f.ActiveDocument();
        bool disabledDuringRun = false;
        QTimer::singleShot(0, &f, [&] {
            disabledDuringRun = !Enabled(f, kIdPlay) && Enabled(f, kIdAbort) && !f.Action(kIdFileOpen)->isEnabled();
            f.ControlBar()->Button(kIdAbort)->click();
        });
        Click(f, kIdPlay);
        QVERIFY(disabledDuringRun);
        QCOMPARE(doc.CurrentFrame(), 0);  // stopped after the frame being shown
        QCOMPARE(f.runInProgress(), 0);

        // Closing the document's window mid-run ends the run; nothing touches a freed document.
        QTimer::singleShot(0, &f, [&] { f.MdiArea()->currentSubWindow()->close(); });
        Click(f, kIdPlay);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(f.MdiArea()->subWindowList().size(), 0);
        QCOMPARE(f.runInProgress(), 0);

        // Closing the main window mid-run closes it once the run has stopped.
        t.app->OpenDocumentFile(Path(movie_), true);
        QTimer::singleShot(0, &f, [&] { f.close(); });
        Click(f, kIdPlay);
        QVERIFY(f.isVisible());
        QTRY_VERIFY(!f.isVisible());
    }

    void conversionWritesTheRangeAsTheCommandLineDoes() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        TempFolder gui, cli;
        t.dialogs->tiffNames.push_back(QString::fromStdString(gui.path + "/shot.tif"));
        Type(f, kIdStartEdit, QStringLiteral("2"));
        Type(f, kIdEndEdit, QStringLiteral("4"));
        Click(f, kIdBits8);
        f.Action(kIdConvertToTiff)->trigger();
        QCOMPARE(t.dialogs->proposedTiffName, QFileInfo(Path(movie_)).completeBaseName());
        QCOMPARE(FilesIn(gui.path), (std::vector<std::string>{"shot_000002.tif", "shot_000003.tif", "shot_000004.tif"}));
        const ProcessResult r = RunCommand(Cli() + " convert " + Quote(movie_.path()) + " " + Quote(cli.path + "/shot.tif") +
                                           " --start 2 --end 4 --bits 8 --jobs 1");
        QCOMPARE(r.exitCode, 0);
        for (const auto& name : FilesIn(gui.path)) QVERIFY(Slurp(gui.path + "/" + name) == Slurp(cli.path + "/" + name));
        QCOMPARE(f.ActiveDocument()->convertFirst(), 2);

        // A conversion that cannot write says why and stops.
        t.dialogs->tiffNames.push_back(QString::fromStdString(gui.path + "/missing/x.tif"));
        f.Action(kIdConvertToTiff)->trigger();
        QVERIFY(f.MessageBar()->Text().contains(QStringLiteral("/missing/x_000002.tif")));
        QVERIFY(f.MessageBar()->Text().contains(QStringLiteral("No such file or directory")));
    }

    void secondWindowsAndDroppedFiles() {
        TestApp t;
        t.dialogs->movies.push_back({Path(movie_), false});
        t.frame->Action(kIdFileOpen)->trigger();
        // A dropped movie opens with correction whatever the dialog chose last.
        t.frame->OpenDroppedFiles({QUrl::fromLocalFile(Path(other_))});
        QCOMPARE(t.frame->MdiArea()->subWindowList().size(), 2);
        QCOMPARE(QString::fromStdString(t.frame->ActiveDocument()->pathName()), Path(other_));
        QCOMPARE(t.frame->ActiveDocument()->correctionOn(), 1);

        // New Window: a second view of the same document; a frame shown paints both.
        t.frame->Action(kIdWindowNew)->trigger();
        const auto windows = t.frame->MdiArea()->subWindowList();
        QCOMPARE(windows.size(), 3);
        auto* first = qobject_cast<CChildFrame*>(windows[1]);
        auto* second = qobject_cast<CChildFrame*>(windows[2]);
        QCOMPARE(first->View()->GetDocument(), second->View()->GetDocument());
        QVERIFY(second->windowTitle().endsWith(QStringLiteral(":2")));
        t.frame->ShowFrame(*second->View()->GetDocument(), 3);
        QCOMPARE(t.frame->PaneText(kPaneFrame), QStringLiteral("F: 3/3"));
    }

    void japaneseTexts() {
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral(":/i18n/zeltiff16_ja.qm")));
        QCoreApplication::installTranslator(&translator);
        TestApp t({Path(movie_)});
        CControlBar& bar = *t.frame->ControlBar();
        QCOMPARE(bar.Button(kIdRangeIdentical)->text(), QStringLiteral("変換区間"));
        QCOMPARE(bar.Control(kIdStartEdit)->toolTip(), QStringLiteral("動画再生・TIFF変換開始ﾌﾚｰﾑ"));
        QCOMPARE(CAboutDlg().versionText, QStringLiteral("ZelTiff16 Vesion") + VersionNumberText());
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(CAboutDlg().versionText, QStringLiteral("ZelTiff16 Version") + VersionNumberText());
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$")).match(VersionNumberText()).hasMatch());
    }

    void openDialogReadsTheCorrectionBoxOnAccept() {
        for (const bool ticked : {false, true}) {
            CZelfDialog dialog;
            QCOMPARE(dialog.nameFilters(), QStringList{QStringLiteral("ZEL Files (*.zel)")});
            QCOMPARE(dialog.defaultSuffix(), QStringLiteral("zel"));
            QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
            QVERIFY(!dialog.CorrectionBox()->isChecked());  // opening with correction is the default
            dialog.CorrectionBox()->setChecked(true);
            dialog.CorrectionBox()->setChecked(ticked);
            dialog.selectFile(Path(movie_));
            dialog.accept();
            QCOMPARE(dialog.applyCorrection, ticked ? 0 : 1);
        }
    }

    void bitSelSetting() {
        const struct {
            const char* stored;
            int bitSel;
        } cases[] = {{"5", 1}, {"0", 0}, {nullptr, 1}, {"", 1}};
        for (const auto& c : cases) {
            {
                QSettings s(QStringLiteral("orv"), QStringLiteral("ZelTiff16"));
                if (c.stored)
                    s.setValue(QStringLiteral("Settings/BitSel"), QString::fromLatin1(c.stored));
                else
                    s.remove(QStringLiteral("Settings/BitSel"));
            }
            TestApp t({Path(movie_)});
            QCOMPARE(t.frame->bitSel(), c.bitSel);
            Click(*t.frame, c.bitSel == 1 ? kIdBits8 : kIdBits16);
            t.frame->close();
            QCOMPARE(QSettings(QStringLiteral("orv"), QStringLiteral("ZelTiff16")).value(QStringLiteral("Settings/BitSel")).toString(),
                     QString::number(1 - c.bitSel));
        }
    }
};

QTEST_MAIN(MainFrameTest)
#include "test_main_frame.moc"
