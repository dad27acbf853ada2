// The image view driven offscreen: zoom and the scroll position that keeps the middle of
// the window, Fit, the frame caption, gain and correction-data commands with their check
// marks, the bitmap's padded width, and what painting puts on the screen.

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QRegion>
#include <QScrollBar>
#include <QTest>
#include <map>
#include <memory>
#include <vector>

#include "PaintCounter.h"
#include "../DocumentFixture.h"
#include "../TempFile.h"
#include "view/CommandIds.h"
#include "view/ViewHost.h"
#include "document/ZelfDoc.h"
#include "view/ZelfView.h"

using zel::gui::CZelfView;
using zeltest::TempFile;
using zeltest::WriteTestMovie;
using namespace zel::gui;

namespace {

constexpr int kEightBit = -1;  // pixel layouts of the test movie writer
constexpr int kTenBit = 6;

// Records what the view writes into the status bar.
class RecordingHost : public ViewHost {
public:
    void SetPaneText(int paneId, const QString& text) override { panes[paneId] = text; }
    std::map<int, QString> panes;
};

// A second observer of the document, counting what the document tells its views.
class CountingObserver : public zel::DocumentObserver {
public:
    void RepaintViews() override { ++repaints; }
    void UpdateAllViews() override { ++updates; }
    int repaints = 0;
    int updates = 0;
};

using zeltest::PaintCounter;

// Records the region of every paint event a widget receives (install it as the widget's
// event filter).
class PaintRegions : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
    std::vector<QRegion> regions;
};

std::shared_ptr<zel::CZelfDoc> OpenDocument(const TempFile& movie, bool correction = false) {
    auto doc = std::make_shared<zel::CZelfDoc>();
    if (!doc->OpenMovie(movie.path(), correction)) qFatal("cannot open the test movie: %s", doc->OpenError().c_str());
    return doc;
}

// Resizes the view so that its client is exactly `client`, with the scroll bars that
// this size calls for.
void SetClientSize(CZelfView& view, QSize client) {
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::processEvents();
        view.resize(client + (view.size() - view.viewport()->size()));
    }
    QCoreApplication::processEvents();
}

void ShowView(CZelfView& view, QSize size) {
    view.resize(size);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) qFatal("the view was not exposed");
}

bool Checked(const CZelfView& view, int id) {
    bool enabled = false, checked = false;
    if (!view.UpdateCommand(id, enabled, checked) || !enabled) return false;
    return checked;
}

QRgb PixelAt(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xffffff; }

}  // namespace

class TestZelfView : public QObject {
    Q_OBJECT

private:
    TempFile square_;  // 1024 x 1024, 8 bits, one frame
    std::shared_ptr<zel::CZelfDoc> squareDoc_;

private slots:
    void initTestCase() {
        WriteTestMovie(square_, kEightBit, 1024, 1024, 1,
                       [](int, int x, int y) { return static_cast<uint16_t>((x + y) & 255); });
        squareDoc_ = OpenDocument(square_);
    }

    void initialUpdateCentresTheImageAtZoomOne() {
        RecordingHost host;
        CZelfView view(squareDoc_, host);
        QCOMPARE(view.zoomIndex(), 0);
        QCOMPARE(view.gainIndex(), 1);
        QCOMPARE(view.dataDisplayMode(), 0);
        QCOMPARE(view.accessibleName(), QStringLiteral("Image view"));
        ShowView(view, {500, 400});
        const QSize client = view.viewport()->size();
        view.OnInitialUpdate();
        QCOMPARE(view.zoomIndex(), 1);
        QCOMPARE(view.Viewport().imageWidth, 1024);
        QCOMPARE(view.Viewport().imageHeight, 1024);
        QCOMPARE(view.ScrollPosition(), QPoint(512 - client.width() / 2, 512 - client.height() / 2));
        QVERIFY(Checked(view, kIdZoomFit + 1));
        QVERIFY(!Checked(view, kIdZoomFit));
        // Page step a tenth of the total, single step a tenth of that.
        QCOMPARE(view.horizontalScrollBar()->pageStep(), 102);
        QCOMPARE(view.horizontalScrollBar()->singleStep(), 10);
    }

    void zoomTwoToFourKeepsTheMiddleOfTheWindow() {
        RecordingHost host;
        CZelfView view(squareDoc_, host);
        ShowView(view, {500, 400});
        view.OnInitialUpdate();
        QVERIFY(view.OnCommand(kIdZoomFit + 2));  // factor 2
        SetClientSize(view, {400, 300});
        QCOMPARE(view.viewport()->size(), QSize(400, 300));
        QVERIFY(view.horizontalScrollBar()->isVisible());
        QVERIFY(view.verticalScrollBar()->isVisible());
        view.horizontalScrollBar()->setValue(100);
        view.verticalScrollBar()->setValue(50);
        QCOMPARE(view.ScrollPosition(), QPoint(100, 50));

        QVERIFY(view.OnCommand(kIdZoomFit + 3));  // factor 4
        QCOMPARE(view.previousZoom(), 2);
        QCOMPARE(view.zoomIndex(), 3);
        // 4 x (200 + 100) / 2 - 200, 4 x (150 + 50) / 2 - 150
        QCOMPARE(view.ScrollPosition(), QPoint(400, 250));
        QCOMPARE(view.Viewport().zoomNum, 4);
        QCOMPARE(view.Viewport().zoomDen, 1);
        QCOMPARE(view.horizontalScrollBar()->maximum(), 4096 - 400);
        for (int id = kIdZoomFit; id <= kIdZoom16; ++id) QCOMPARE(Checked(view, id), id == kIdZoomFit + 3);
        // The image pixel in the middle of the window is the one that was there at factor 2.
        int x = 0, y = 0;
        view.Viewport().ViewToImage(400 + 200, 250 + 150, x, y);
        QCOMPARE(QPoint(x, y), QPoint(150, 100));
    }

    void fitShowsAllAndLeavingItKeepsTheCentre() {
        RecordingHost host;
        CZelfView view(squareDoc_, host);
        ShowView(view, {500, 400});
        view.OnInitialUpdate();
        QVERIFY(view.OnCommand(kIdZoomFit));
        QCOMPARE(view.zoomIndex(), 0);
        QCOMPARE(view.previousZoom(), 1);
        QCOMPARE(view.Viewport().zoomFixed, 0);
        SetClientSize(view, {400, 300});
        QVERIFY(!view.horizontalScrollBar()->isVisible());
        QVERIFY(!view.verticalScrollBar()->isVisible());
        QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
        view.viewport()->repaint();
        QCOMPARE(view.Viewport().dstW, 300);  // the height governs
        QCOMPARE(view.Viewport().dstX, 50);
        // The image refits the client at every paint.
        SetClientSize(view, {200, 300});
        view.viewport()->repaint();
        QCOMPARE(view.Viewport().dstW, 200);
        QCOMPARE(view.Viewport().dstY, 50);
        SetClientSize(view, {400, 300});

        QVERIFY(view.OnCommand(kIdZoomFit + 1));
        QCOMPARE(view.previousZoom(), 1);
        QCOMPARE(view.zoomIndex(), 1);
        // The client is expected to lose 17 pixels to each bar: (1024 - 383) / 2, (1024 - 283) / 2.
        QCOMPARE(view.ScrollPosition(), QPoint(320, 370));
        SetClientSize(view, {400, 300});
        QCOMPARE(view.ScrollPosition(), QPoint(320, 370));  // the bars kept it
    }

    void viewsOfOneDocumentZoomOnTheirOwnAndDetach() {
        RecordingHost host;
        CZelfView first(squareDoc_, host);
        auto second = std::make_unique<CZelfView>(squareDoc_, host);
        first.OnInitialUpdate();
        second->OnInitialUpdate();
        QVERIFY(second->OnCommand(kIdZoom16));
        QCOMPARE(second->zoomIndex(), 5);
        QCOMPARE(first.zoomIndex(), 1);
        QVERIFY(Checked(first, kIdZoomFit + 1));
        second.reset();  // detaches: the document no longer tells it anything
        squareDoc_->SetGain(3);
        squareDoc_->SetGain(1);
        QCOMPARE(squareDoc_->ShowFrame(0), 1);
    }

    void captionNamesTheFrameShown() {
        TempFile movie;
        WriteTestMovie(movie, kTenBit, 16, 8, 500, [](int n, int, int) { return static_cast<uint16_t>(n); });
        auto doc = OpenDocument(movie);
        RecordingHost host;
        CZelfView view(doc, host);
        ShowView(view, {200, 150});
        view.OnInitialUpdate();
        view.viewport()->repaint();
        QCOMPARE(host.panes[kPaneFrame], QStringLiteral("F: 0/499"));
        // Showing a frame repaints at once through the document.
        QCOMPARE(doc->ShowFrame(7), 1);
        QCOMPARE(host.panes[kPaneFrame], QStringLiteral("F: 7/499"));

        // A view that cannot paint (never shown) still keeps the caption up to date.
        RecordingHost hiddenHost;
        CZelfView hidden(doc, hiddenHost);
        hidden.OnInitialUpdate();
        QCOMPARE(doc->ShowFrame(499), 1);
        QCOMPARE(hiddenHost.panes[kPaneFrame], QStringLiteral("F: 499/499"));
    }

    // The new frame is painted before ShowFrame returns, over the whole image, as the
    // application draws it (top-down screen pixels); the bands need no repainting.
    void aNewFrameRepaintsItsWholeImageAtOnce() {
        TempFile movie;
        WriteTestMovie(movie, kTenBit, 64, 32, 2,
                       [](int n, int, int) { return static_cast<uint16_t>(n == 0 ? 400 : 800); });
        auto doc = OpenDocument(movie);
        doc->UseTopDownDisplay();
        doc->UseXrgbDisplay();
        RecordingHost host;
        CZelfView view(doc, host);
        ShowView(view, {300, 200});
        view.OnInitialUpdate();
        QVERIFY(view.OnCommand(kIdZoomFit + 2));  // factor 2: 128 x 64, with bands around it
        QCoreApplication::processEvents();
        PaintRegions paints;
        view.viewport()->installEventFilter(&paints);
        QCOMPARE(doc->ShowFrame(1), 1);
        QCOMPARE(paints.regions.size(), size_t{1});
        const DibViewport& map = view.Viewport();
        const QRect image =
            QRect(map.dstX, map.dstY, map.dstW, map.dstH).translated(-view.ScrollPosition()) & view.viewport()->rect();
        QCOMPARE(image.size(), QSize(128, 64));
        QVERIFY((QRegion(image) - paints.regions[0]).isEmpty());
        QCOMPARE(host.panes[kPaneFrame], QStringLiteral("F: 1/1"));
        const QImage shot = view.viewport()->grab().toImage();
        QCOMPARE(PixelAt(shot, image.left(), image.top()), QRgb(0xc8c8c8));
        QCOMPARE(PixelAt(shot, image.right(), image.bottom()), QRgb(0xc8c8c8));
        QCOMPARE(PixelAt(shot, 0, 0), QRgb(0x404040));
    }

    void gainCommandsAndAGainAlreadyInForce() {
        TempFile movie;
        WriteTestMovie(movie, kTenBit, 16, 8, 1, [](int, int, int) { return uint16_t{100}; });
        auto doc = OpenDocument(movie);
        RecordingHost host;
        CZelfView view(doc, host);
        ShowView(view, {200, 150});
        view.OnInitialUpdate();
        QTest::qWait(20);  // the paints of showing are done

        CountingObserver watcher;
        doc->AttachObserver(&watcher);
        PaintCounter counter;
        view.viewport()->installEventFilter(&counter);

        QVERIFY(Checked(view, kIdGain1));
        QVERIFY(view.OnCommand(kIdGain1));  // gain 1 is in force: nothing happens
        QCoreApplication::processEvents();
        QCOMPARE(watcher.updates, 0);
        QCOMPARE(counter.paints, 0);

        QVERIFY(view.OnCommand(kIdGain1 + 2));  // gain 4
        QCOMPARE(doc->gainIndex(), 3);
        QCOMPARE(view.gainIndex(), 3);
        QCOMPARE(watcher.updates, 1);
        QTRY_VERIFY(counter.paints > 0);
        for (int id = kIdGainAuto; id <= kIdGain64; ++id) QCOMPARE(Checked(view, id), id == kIdGain1 + 2);
        doc->DetachObserver(&watcher);
    }

    void correctionDataDisplayChecks() {
        constexpr int W = 32, H = 16;
        TempFile movie;
        WriteTestMovie(movie, kTenBit, W, H, 2, [](int, int, int) { return uint16_t{500}; },
                       [](zelgen::MovieSpec& s) {
                           s.correction.kind = 9;
                           s.correction.width = W;
                           s.correction.height = H;
                           s.correction.offsets.assign(W * H, -40 * 4);  // a 10-bit file stores offsets x 4
                           s.correction.gains.assign(W * H, 512);
                       });
        auto doc = OpenDocument(movie, true);
        RecordingHost host;
        CZelfView view(doc, host);
        view.OnInitialUpdate();
        const int frameSample = doc->SampleAt(0);
        QVERIFY(!Checked(view, kIdFpnDataDisplay));
        QVERIFY(!Checked(view, kIdGainDataDisplay));

        QVERIFY(view.OnCommand(kIdFpnDataDisplay));
        QCOMPARE(view.dataDisplayMode(), 1);
        QCOMPARE(doc->SampleAt(0), 40);
        QVERIFY(Checked(view, kIdFpnDataDisplay));
        QVERIFY(!Checked(view, kIdGainDataDisplay));

        QVERIFY(view.OnCommand(kIdGainDataDisplay));
        QCOMPARE(view.dataDisplayMode(), 2);
        QVERIFY(!Checked(view, kIdFpnDataDisplay));
        QVERIFY(Checked(view, kIdGainDataDisplay));

        QVERIFY(view.OnCommand(kIdGainDataDisplay));  // again: back to the frame
        QCOMPARE(view.dataDisplayMode(), 0);
        QVERIFY(!Checked(view, kIdGainDataDisplay));
        QCOMPARE(doc->SampleAt(0), frameSample);

        // An 8-bit movie has no tables: nothing is shown and no check mark appears.
        TempFile eight;
        WriteTestMovie(eight, kEightBit, W, H, 1, [](int, int, int) { return uint16_t{9}; });
        auto plain = OpenDocument(eight);
        CZelfView plainView(plain, host);
        QVERIFY(plainView.OnCommand(kIdFpnDataDisplay));
        QCOMPARE(plainView.dataDisplayMode(), 0);
        QVERIFY(!Checked(plainView, kIdFpnDataDisplay));

        // Ids that are not view commands are left to others.
        bool enabled = true, checked = true;
        for (const int id : std::initializer_list<int>{kIdFileOpen, kIdConvertToTiff, kIdZoomFit - 1, kIdPlay}) {
            QVERIFY(!view.OnCommand(id));
            QVERIFY(!view.UpdateCommand(id, enabled, checked));
        }
    }

    void theImageIsAsWideAsTheBitmapsPaddedRows() {
        TempFile movie;
        WriteTestMovie(movie, kTenBit, 642, 2, 1, [](int, int, int) { return uint16_t{1}; });
        RecordingHost host;
        for (const bool screenPixels : {false, true}) {  // 644 pixels of 1 or 4 bytes
            auto doc = OpenDocument(movie);
            if (screenPixels) doc->UseXrgbDisplay();
            CZelfView view(doc, host);
            view.OnInitialUpdate();
            QCOMPARE(view.Viewport().imageWidth, 644);
            QCOMPARE(view.Viewport().imageHeight, 2);
        }
    }

    void paintingShowsTheImageUprightInGreyBands_data() {
        QTest::addColumn<bool>("topDown");
        QTest::addColumn<bool>("screenPixels");
        QTest::newRow("bottom-up rows") << false << false;
        QTest::newRow("top-down rows") << true << false;
        QTest::newRow("bottom-up screen pixels") << false << true;
        QTest::newRow("top-down screen pixels") << true << true;
    }

    void paintingShowsTheImageUprightInGreyBands() {
        QFETCH(bool, topDown);
        QFETCH(bool, screenPixels);
        // 14 x 8 (stride 16): the top half at grey 100, the bottom half at 200 (10 bits, gain 1).
        TempFile movie;
        WriteTestMovie(movie, kTenBit, 14, 8, 1,
                       [](int, int, int y) { return static_cast<uint16_t>(y < 4 ? 400 : 800); });
        RecordingHost host;
        auto doc = OpenDocument(movie);
        CZelfView view(doc, host);
        if (topDown) doc->UseTopDownDisplay();
        if (screenPixels) doc->UseXrgbDisplay();
        QCOMPARE(doc->DisplayRowsView().bottomUp, !topDown);
        QCOMPARE(doc->DisplayRowsView().bytesPerPixel, screenPixels ? 4 : 1);
        ShowView(view, {160, 120});
        view.OnInitialUpdate();
        QVERIFY(view.OnCommand(kIdZoomFit + 3));  // factor 4: 64 x 32
        SetClientSize(view, {100, 60});
        const QImage shot = view.viewport()->grab().toImage();
        QCOMPARE(shot.size(), QSize(100, 60));
        const DibViewport& map = view.Viewport();
        QCOMPARE(QRect(map.dstX, map.dstY, map.dstW, map.dstH), QRect(18, 14, 64, 32));

        int X = 0, Y = 0;
        map.ImageToView(5, 1, X, Y);
        QCOMPARE(PixelAt(shot, X, Y), QRgb(0x646464));  // a top row
        map.ImageToView(13, 7, X, Y);
        QCOMPARE(PixelAt(shot, X, Y), QRgb(0xc8c8c8));  // a bottom row
        map.ImageToView(15, 3, X, Y);
        QCOMPARE(PixelAt(shot, X, Y), QRgb(0x000000));  // a padding column shows black
        // Every pixel of a block is the same: square pixels, no smoothing.
        QCOMPARE(PixelAt(shot, 18 + 5 * 4, 14 + 3 * 4 + 3), QRgb(0x646464));
        QCOMPARE(PixelAt(shot, 18 + 5 * 4 + 3, 14 + 4 * 4), QRgb(0xc8c8c8));
        // The bands around it.
        for (const QPoint p : {QPoint(0, 0), QPoint(17, 30), QPoint(82, 30), QPoint(50, 13), QPoint(50, 46),
                               QPoint(99, 59)})
            QCOMPARE(PixelAt(shot, p.x(), p.y()), QRgb(0x404040));
        QCOMPARE(host.panes[kPaneFrame], QStringLiteral("F: 0/0"));
    }

    void aViewWithoutAMovieIsGrey() {
        RecordingHost host;
        CZelfView view(std::make_shared<zel::CZelfDoc>(), host);
        view.OnInitialUpdate();
        view.resize(80, 60);
        const QImage shot = view.viewport()->grab().toImage();
        QCOMPARE(PixelAt(shot, 10, 10), QRgb(0x404040));
        QVERIFY(host.panes.empty());
        CZelfView nobody(nullptr, host);
        nobody.OnInitialUpdate();  // no document: nothing to do
        QCOMPARE(nobody.zoomIndex(), 0);
        QVERIFY(nobody.OnCommand(kIdGain1 + 1));
        QVERIFY(nobody.OnCommand(kIdFpnDataDisplay));
        QCOMPARE(nobody.dataDisplayMode(), 0);
    }

    void cleanupTestCase() { squareDoc_.reset(); }
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestZelfView test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_zelf_view.moc"
