// File > Export Video...: the range written through the core's video export, refusals in
// the message bar, and nothing left behind by a refused or aborted export.

#include <QAction>
#include <QtTest>
#include <filesystem>

#include "../DocumentFixture.h"
#include "../TempFile.h"
#include "../TempFolder.h"
#include "GuiFixture.h"
#include "app/MessageBar.h"
#include "view/CommandIds.h"

using namespace zel::gui;
using namespace zeltest;

namespace {

uint16_t Ramp(int n, int x, int y) { return static_cast<uint16_t>((x + 7 * y + 11 * n) % 1000); }

}  // namespace

class VideoWindowTest : public QObject {
    Q_OBJECT

    IsolatedSettings settings_;
    TempFile movie_;

private slots:
    void initTestCase() {
        if (!CMainFrame::VideoExportBuiltIn()) QSKIP("built without video export");
        WriteTestMovie(movie_, 6, 33, 17, 4, Ramp);  // odd sides: H.264 pads them
    }

    void exportsTheRangeAsTheChosenVideo() {
        TestApp t({QString::fromStdString(movie_.path())});
        CMainFrame& f = *t.frame;
        QVERIFY(f.Action(kIdExportVideo)->isEnabled());
        TempFolder out;
        for (const char* name : {"/v.mp4", "/v.mkv"}) {
            const std::string path = out.path + name;
            zel::VideoOptions options;
            options.overlays.frameNumber = true;
            t.dialogs->videoExport = VideoExportRequest{QString::fromStdString(path), options};
            f.Action(kIdExportVideo)->trigger();
            QVERIFY2(f.MessageBar()->Text().isEmpty(), qPrintable(f.MessageBar()->Text()));
            QVERIFY2(std::filesystem::file_size(path) > 0, name);
        }
        QVERIFY(t.dialogs->videoOffer.proposedPath.endsWith(QStringLiteral(".mp4")));
        QVERIFY(!t.dialogs->videoOffer.calibrated);
    }

    void refusalsSayWhyAndWriteNothing() {
        TestApp t({QString::fromStdString(movie_.path())});
        CMainFrame& f = *t.frame;
        TempFolder out;
        zel::VideoOptions options;
        t.dialogs->videoExport = VideoExportRequest{QString::fromStdString(out.path + "/v.avi"), options};
        f.Action(kIdExportVideo)->trigger();
        QVERIFY2(f.MessageBar()->Text().contains(QStringLiteral("Video not exported")), qPrintable(f.MessageBar()->Text()));
        // The movie itself is never a target.
        f.MessageBar()->Dismiss();
        t.dialogs->videoExport = VideoExportRequest{QString::fromStdString(movie_.path()), options};
        f.Action(kIdExportVideo)->trigger();
        QVERIFY(f.MessageBar()->Text().contains(QStringLiteral("never overwritten")));
        QVERIFY(zeltest::FilesIn(out.path).empty());
    }
};

QTEST_MAIN(VideoWindowTest)
#include "test_video_window.moc"
