// The Kymograph command: offered only with a profile line and no run going on; it opens
// a window with the range's kymograph, whose Save writes the 16-bit TIFF file and reports
// a failure with its reason; a frame that cannot be read leaves no window.

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "../DocumentFixture.h"
#include "../TempFile.h"
#include "../TempFolder.h"
#include "GuiFixture.h"
#include "ViewDrag.h"
#include "app/ControlBar.h"
#include "app/KymographWindow.h"
#include "app/MessageBar.h"
#include "document/ZelfDoc.h"
#include "view/CommandIds.h"
#include "view/ZelfView.h"

using namespace zel::gui;
using namespace zeltest;

namespace {

uint16_t Ramp(int n, int x, int y) { return static_cast<uint16_t>((x + 7 * y + 11 * n) % 1000); }
QString Path(const TempFile& file) { return QString::fromStdString(file.path()); }

}  // namespace

class KymographWindowTest : public QObject {
    Q_OBJECT

    IsolatedSettings settings_;
    TempFile movie_;

private slots:
    void initTestCase() { WriteTestMovie(movie_, 6, 32, 16, 6, Ramp); }

    void offeredWithALineAndShownInAWindow() {
        TestApp t({Path(movie_)});
        CMainFrame& f = *t.frame;
        QAction* kymograph = f.Action(kIdKymograph);
        QVERIFY(!kymograph->isEnabled());
        f.Action(kIdProfile)->trigger();
        QVERIFY(!kymograph->isEnabled());
        Drag(*f.ActiveView(), {2, 3}, {20, 9});
        QVERIFY(kymograph->isEnabled());

        // Not while a run goes on: looked at from inside a playback.
        bool enabledDuringRun = true;
        QTimer::singleShot(0, &f, [&] { enabledDuringRun = kymograph->isEnabled(); });
        f.ControlBar()->Button(kIdPlay)->click();
        QVERIFY(!enabledDuringRun);
        QVERIFY(kymograph->isEnabled());

        f.ControlBar()->Edit(kIdStartEdit)->setText(QStringLiteral("1"));
        f.ControlBar()->Edit(kIdEndEdit)->setText(QStringLiteral("4"));  // typing selects Start..End
        f.OnKymographRun();
        QVERIFY2(f.MessageBar()->Text().isEmpty(), qPrintable(f.MessageBar()->Text()));
        auto* window = f.findChild<CKymographWindow*>();
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QCOMPARE(window->Picture().size(), QSize(18, 4));  // the line's samples x frames 1..4
        const zel::ProfileLine line{2, 3, 20, 9};
        zel::CZelfDoc& doc = *f.ActiveDocument();
        QVERIFY(doc.ShowFrame(3));
        const std::vector<int16_t> profile = doc.Profile(line);
        for (int i = 0; i < 18; ++i) QCOMPARE(window->Kymograph().At(2, i), profile[static_cast<size_t>(i)]);

        // Save: the file written, then a folder that does not exist reported with its reason.
        TempFolder out;
        const QString file = QString::fromStdString(out.path + "/k.tif");
        t.dialogs->tiffNames.push_back(file);
        window->findChild<QPushButton*>(QStringLiteral("saveKymograph"))->click();
        QVERIFY(t.dialogs->proposedTiffName.endsWith(QStringLiteral("_Kymograph.tif")));
        QCOMPARE(std::filesystem::file_size(out.path + "/k.tif"), 200u + 18u * 4u * 2u);
        t.dialogs->tiffNames.push_back(QStringLiteral("/nonexistent-folder/k.tif"));
        window->OnSave();
        const QString text = f.MessageBar()->Text();
        QVERIFY2(text.contains(QStringLiteral("/nonexistent-folder/k.tif")) && text.contains(QStringLiteral("No such file")),
                 qPrintable(text));
        // Saving over the movie is refused.
        t.dialogs->tiffNames.push_back(Path(movie_));
        window->OnSave();
        QVERIFY(f.MessageBar()->Text().contains(QStringLiteral("is the movie being read")));
    }

    void anUnreadableFrameLeavesNoWindow() {
        TempFile cut;
        WriteTestMovie(cut, 6, 32, 16, 6, Ramp);
        std::filesystem::resize_file(cut.path(), std::filesystem::file_size(cut.path()) - 100);
        TestApp t({Path(cut)});
        CMainFrame& f = *t.frame;
        f.Action(kIdProfile)->trigger();
        Drag(*f.ActiveView(), {0, 0}, {9, 0});
        f.ControlBar()->Edit(kIdStartEdit)->setText(QStringLiteral("1"));  // 1..5: past the frames held
        QCOMPARE(f.rangeEnd(), 5);
        f.OnKymographRun();
        QVERIFY2(f.MessageBar()->Text().contains(QStringLiteral("frame 5 cannot be read")), qPrintable(f.MessageBar()->Text()));
        QVERIFY(f.findChild<CKymographWindow*>() == nullptr);
    }
};

QTEST_MAIN(KymographWindowTest)
#include "test_kymograph_window.moc"
