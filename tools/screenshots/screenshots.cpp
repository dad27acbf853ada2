// Pictures of the desktop application for the documentation and for looking at it: the
// empty window, a movie at zoom 1 and fitted, a gain change, and the Japanese texts.
// Each picture is the main window grabbed as it is drawn on the screen in use (run under
// Xvfb, or with QT_QPA_PLATFORM=offscreen).
//
// With a colour movie as a third argument, also the AOI on it and the profile graph
// following playback.
//
// profile-graph.png (docs/profile-graph.png): the profile graph of MOVIE with its axes
// in a calibrated unit and the readout, for a slanted line through the middle of the
// movie's middle frame (a movie by zelgen shows its disc crossing the line there).
//
// Usage: zel_screenshots MOVIE OUTPUT_FOLDER [COLOUR_MOVIE]

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include "view/CommandIds.h"
#include "app/MainFrame.h"
#include "app/ZelTiff16App.h"
#include "document/ZelfDoc.h"
#include "view/ProfileDlg.h"
#include "view/ZelfView.h"

namespace {

void Settle() {
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
}

void Save(zel::gui::CMainFrame& frame, const QString& file) {
    Settle();
    frame.grab().save(file);
    std::printf("%s\n", qPrintable(file));
}

// The graph as a reader sees it while pointing at a sample: the movie calibrated at
// 2.5 um a pixel, the mouse resting over the plot right of the disc. The tool,
// the frame and the calibration are put back afterwards, so the pictures after this one
// do not change.
void SaveProfileGraph(zel::gui::CMainFrame& frame, const QString& file) {
    using namespace zel::gui;
    CZelfView* view = frame.ActiveView();
    zel::CZelfDoc* doc = frame.ActiveDocument();
    if (view == nullptr || doc == nullptr) return;
    const int w = doc->width(), h = doc->height();
    const int shown = doc->CurrentFrame();
    const zel::Calibration calibration = doc->PixelCalibration();
    doc->SetPixelCalibration(zel::Calibration{2.5, "um"});
    frame.ShowFrame(*doc, doc->frameCount() / 2);
    frame.SaveProfileLine({w / 10, h * 3 / 4, w * 9 / 10, h / 4});
    frame.Action(kIdProfile)->trigger();
    Settle();
    if (CProfileDlg* graph = view->profileDlg()) {
        graph->resize(640, 260);
        Settle();
        const QRect plot = graph->PlotRect();
        const QPointF at(plot.left() + plot.width() * 0.72, plot.center().y());
        QMouseEvent move(QEvent::MouseMove, at, graph->GraphWidget()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(graph->GraphWidget(), &move);
        Settle();
        graph->grab().save(file);
        std::printf("%s\n", qPrintable(file));
    }
    frame.Action(kIdProfile)->trigger();
    doc->SetPixelCalibration(calibration);
    if (shown >= 0) frame.ShowFrame(*doc, shown);
    Settle();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: zel_screenshots MOVIE OUTPUT_FOLDER\n");
        return 2;
    }
    const QString movie = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir settings;  // the pictures never depend on the user's stored placement
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    using namespace zel::gui;
    {
        CZelTiff16App app(std::make_unique<zel::gui::NoDialogs>(), 1);
        app.InitInstance({});
        app.MainFrame()->resize(1100, 760);
        Save(*app.MainFrame(), out.filePath(QStringLiteral("empty.png")));
        app.OpenDocumentFile(movie, true);
        Save(*app.MainFrame(), out.filePath(QStringLiteral("zoom1.png")));
        app.MainFrame()->Action(kIdZoomFit)->trigger();
        Save(*app.MainFrame(), out.filePath(QStringLiteral("fit.png")));
        app.MainFrame()->Action(kIdGain1 + 2)->trigger();
        Save(*app.MainFrame(), out.filePath(QStringLiteral("gain4.png")));
        SaveProfileGraph(*app.MainFrame(), out.filePath(QStringLiteral("profile-graph.png")));
        if (argc > 3) {
            CMainFrame& frame = *app.MainFrame();
            app.OpenDocumentFile(QString::fromLocal8Bit(argv[3]), true);
            frame.Action(kIdZoomFit)->trigger();
            frame.SaveAoiRect({40, 30, 120, 90});
            frame.Action(kIdAoi)->trigger();
            Save(frame, out.filePath(QStringLiteral("aoi_colour.png")));
            frame.SaveProfileLine({10, 60, 240, 60});
            frame.Action(kIdProfile)->trigger();
            frame.RunFrames(0);
            Settle();
            if (CZelfView* view = frame.ActiveView(); view && view->profileDlg()) {
                view->profileDlg()->resize(600, 240);
                Settle();
                view->profileDlg()->grab().save(out.filePath(QStringLiteral("profile.png")));
                std::printf("%s\n", qPrintable(out.filePath(QStringLiteral("profile.png"))));
            }
        }
    }
    QTranslator japanese;
    if (japanese.load(QStringLiteral(":/i18n/zeltiff16_ja.qm"))) QApplication::installTranslator(&japanese);
    CZelTiff16App app(std::make_unique<zel::gui::NoDialogs>(), 2);
    app.InitInstance({movie});
    app.MainFrame()->resize(1100, 760);
    Save(*app.MainFrame(), out.filePath(QStringLiteral("japanese.png")));
    return 0;
}
