// Pictures of the desktop application for the documentation and for looking at it: the
// empty window, a movie at zoom 1 and fitted, a gain change, and the Japanese texts.
// Each picture is the main window grabbed as it is drawn on the screen in use (run under
// Xvfb, or with QT_QPA_PLATFORM=offscreen).
//
// With a colour movie as a third argument, also the AOI on it and the profile graph
// following playback.
//
// Usage: zel_screenshots MOVIE OUTPUT_FOLDER [COLOUR_MOVIE]

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include "view/CommandIds.h"
#include "app/MainFrame.h"
#include "app/ZelTiff16App.h"
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
