// The window's measurement extras: the pixel size kept per movie, tables from the save
// dialog, and the AOI pane's fuller figures.

#include <QLabel>
#include <QStatusBar>
#include <QtTest>
#include <fstream>

#include "../DocumentFixture.h"
#include "../TempFile.h"
#include "../TempFolder.h"
#include "GuiFixture.h"
#include "app/MessageBar.h"
#include "document/ZelfDoc.h"
#include "view/CommandIds.h"

using namespace zel::gui;
using namespace zeltest;

namespace {

uint16_t Ramp(int n, int x, int y) { return static_cast<uint16_t>((x + 7 * y + 11 * n) % 1000); }

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

QLabel* AoiPane(CMainFrame& frame) {
    for (QLabel* label : frame.statusBar()->findChildren<QLabel*>())
        if (label->text() == frame.PaneText(kPaneAoi)) return label;
    return nullptr;
}

}  // namespace

class CalibrationWindowTest : public QObject {
    Q_OBJECT

    IsolatedSettings settings_;
    TempFile movie_;

private slots:
    void initTestCase() { WriteTestMovie(movie_, 6, 32, 16, 5, Ramp); }

    void pixelSizeIsKeptWithTheMovieAndSaidInTheAoiTip() {
        const QString path = QString::fromStdString(movie_.path());
        {
            TestApp t({path});
            CMainFrame& f = *t.frame;
            QVERIFY(f.Action(kIdCalibration)->isEnabled());
            t.dialogs->calibration = zel::Calibration{12.5, "um"};
            f.Action(kIdCalibration)->trigger();
            QVERIFY(!t.dialogs->calibrationShown.Known());
            QCOMPARE(f.ActiveDocument()->PixelCalibration(), (zel::Calibration{12.5, "um"}));
            f.Action(kIdAoi)->trigger();
            QLabel* pane = AoiPane(f);
            QVERIFY(pane != nullptr);
            // The default rectangle 0..100 is clamped to the 32 x 16 frame by the figures,
            // while its size is said as drawn.
            QVERIFY2(pane->toolTip().contains(QStringLiteral("std = ")), qPrintable(pane->toolTip()));
            QVERIFY2(pane->toolTip().contains(QStringLiteral("\u00B5m")), qPrintable(pane->toolTip()));
            QCOMPARE(pane->accessibleDescription(), pane->toolTip());
        }
        // Reopened: the movie's pixel size comes back; cleared, it is gone.
        TestApp t({path});
        QCOMPARE(t.frame->ActiveDocument()->PixelCalibration(), (zel::Calibration{12.5, "um"}));
        t.dialogs->calibration = zel::Calibration{};
        t.frame->Action(kIdCalibration)->trigger();
        QVERIFY(t.dialogs->calibrationShown.Known());
        TestApp again({path});
        QVERIFY(!again.frame->ActiveDocument()->PixelCalibration().Known());
    }

    void theSaveDialogOffersATableWithARowPerFrame() {
        TestApp t({QString::fromStdString(movie_.path())});
        CMainFrame& f = *t.frame;
        TempFolder out;
        const std::string csv = out.path + "/t.csv";
        f.Action(kIdAoi)->trigger();
        t.dialogs->exportAsTable = true;
        t.dialogs->csvNames.push_back(QString::fromStdString(csv));
        f.OnAoiExportRun();
        QVERIFY2(f.MessageBar()->Text().isEmpty(), qPrintable(f.MessageBar()->Text()));
        const std::vector<std::string> lines = Lines(csv);
        QCOMPARE(lines.size(), size_t{1 + 5});
        QVERIFY2(lines[0].rfind("index,number,time,R_n,R_mean,R_std,R_min,R_max,G_n", 0) == 0, lines[0].c_str());
        QVERIFY(lines[3].rfind("2,2,", 0) == 0);
    }
};

QTEST_MAIN(CalibrationWindowTest)
#include "test_calibration_window.moc"
