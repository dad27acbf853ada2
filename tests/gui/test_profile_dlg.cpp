// The profile graph window driven offscreen: where it opens over the main window, what a
// series puts on the screen (scale, direction, empty series), redrawing on resize and at
// once on new data, and closing, which deletes it.

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QTest>
#include <QWindow>
#include <optional>
#include <vector>

#include "PaintCounter.h"
#include "view/ProfileDlg.h"

using zel::gui::CProfileDlg;

namespace {

constexpr QSize kGraphSize{400, 200};

using zeltest::PaintCounter;

bool IsBlack(const QImage& image, int x, int y) { return image.pixel(x, y) == qRgb(0, 0, 0); }

// The first row from the top in column x that is black, if any.
std::optional<int> FirstBlackRow(const QImage& image, int x) {
    for (int y = 0; y < image.height(); ++y)
        if (IsBlack(image, x, y)) return y;
    return std::nullopt;
}

bool AllWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) return false;
    return true;
}

QImage GraphImage(const CProfileDlg& dlg) { return dlg.GraphWidget()->grab().toImage(); }

}  // namespace

class TestProfileDlg : public QObject {
    Q_OBJECT

private:
    // A shown graph window whose graph widget is kGraphSize; deleted with the test unless
    // the test closed it.
    QPointer<CProfileDlg> OpenGraph() {
        QPointer<CProfileDlg> dlg = new CProfileDlg;
        dlg->Create(QStringLiteral("test"), nullptr);
        dlg->resize(kGraphSize);
        if (!QTest::qWaitForWindowExposed(dlg)) qFatal("the graph window was not exposed");
        if (dlg->GraphWidget()->size() != kGraphSize) qFatal("the graph does not fill its window");
        opened_.push_back(dlg);
        return dlg;
    }

    std::vector<QPointer<CProfileDlg>> opened_;

private slots:
    void cleanup() {
        for (const auto& dlg : opened_) delete dlg.data();
        opened_.clear();
    }

    void newWindowIsAnEmptyWhiteGraph() {
        CProfileDlg dlg;
        QCOMPARE(dlg.initialized, 1);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Profile"));
        QCOMPARE(dlg.size(), QSize(500, 320));
        QVERIFY(dlg.testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!dlg.isModal());
        QCOMPARE(dlg.GraphWidget()->accessibleName(), QStringLiteral("Profile graph"));
        QVERIFY(AllWhite(GraphImage(dlg)));
    }

    void createCoversTheLowestQuarterOfTheMainWindow() {
        QMainWindow main;
        main.setGeometry(100, 80, 800, 600);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));

        QPointer<CProfileDlg> dlg = new CProfileDlg;
        opened_.push_back(dlg);
        QVERIFY(dlg->Create(QStringLiteral("frame 12"), &main));
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Profile : frame 12"));
        QVERIFY(dlg->isVisible());
        const QPoint mainTop = main.mapToGlobal(QPoint(0, 0));
        QCOMPARE(dlg->geometry(), QRect(mainTop + QPoint(0, 450), QSize(800, 150)));
        QCOMPARE(dlg->GraphWidget()->size(), QSize(800, 150));

        // A window of its own, kept above the main window, with minimize and maximize boxes.
        QVERIFY(dlg->isWindow());
        QCOMPARE(dlg->parentWidget(), &main);
        QVERIFY(dlg->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(dlg->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(dlg->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(dlg->windowHandle()->transientParent(), main.windowHandle());

        // Made by a widget inside the main window, it stays that widget's (and goes with it).
        auto* inner = new QWidget;
        main.setCentralWidget(inner);
        QPointer<CProfileDlg> owned = new CProfileDlg(inner);
        QVERIFY(owned->Create(QStringLiteral("inner"), &main));
        QVERIFY(QTest::qWaitForWindowExposed(owned));
        QCOMPARE(owned->parentWidget(), inner);
        QCOMPARE(owned->windowHandle()->transientParent(), main.windowHandle());
        QCOMPARE(owned->geometry(), dlg->geometry());
        delete inner;
        QVERIFY(owned.isNull());
    }

    void fixedRangeSeriesIsDrawnToScale() {
        auto dlg = OpenGraph();
        const std::vector<int16_t> half(100, 512);  // half of the 10-bit range
        QCOMPARE(dlg->SetSeries(-1, 10, half.data(), 100), 0);
        const QImage image = GraphImage(*dlg);
        // x 0 .. 99 of 100 spans all but the last 1/100 of the width.
        for (const int x : {0, 100, 200, 390}) {
            const auto row = FirstBlackRow(image, x);
            QVERIFY2(row.has_value(), qPrintable(QString("no line in column %1").arg(x)));
            QVERIFY2(qAbs(*row - kGraphSize.height() / 2) <= 1, qPrintable(QString("line at row %1").arg(*row)));
            QVERIFY(!IsBlack(image, x, *row + 2));  // one pixel wide, not scaled up
        }
        QVERIFY(!FirstBlackRow(image, 398).has_value());
    }

    void valuesGrowUpward() {
        auto dlg = OpenGraph();
        std::vector<int16_t> ramp(200);
        for (int i = 0; i < 200; ++i) ramp[i] = static_cast<int16_t>(100 + 4 * i);  // 100 .. 896
        dlg->SetSeries(-1, 10, ramp.data(), 200);
        const QImage image = GraphImage(*dlg);
        const auto first = FirstBlackRow(image, 0);
        const auto last = FirstBlackRow(image, 396);
        QVERIFY(first && last);
        QVERIFY2(*first > *last, qPrintable(QString("first %1, last %2").arg(*first).arg(*last)));
        // 100 / 1024 of the height above the bottom edge, and 896 / 1024.
        QVERIFY(qAbs(*first - (200 - 100 * 200 / 1024)) <= 1);
        QVERIFY(qAbs(*last - (200 - 896 * 200 / 1024)) <= 2);
    }

    void emptySeriesDrawsNothing() {
        auto dlg = OpenGraph();
        const int16_t unused = 700;
        QCOMPARE(dlg->SetSeries(-1, 10, &unused, 0), 0);
        QCOMPARE(dlg->SetSeries(-1, 0, nullptr, 0), 1);
        QVERIFY(AllWhite(GraphImage(*dlg)));
        // A real series beside them still draws.
        const std::vector<int16_t> half(50, 512);
        QCOMPARE(dlg->SetSeries(0, 10, half.data(), 50), 0);
        QVERIFY(FirstBlackRow(GraphImage(*dlg), 10).has_value());
    }

    void singleValueIsOnePoint() {
        auto dlg = OpenGraph();
        const int16_t half = 512;
        dlg->SetSeries(-1, 10, &half, 1);
        const QImage image = GraphImage(*dlg);
        int black = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) black += IsBlack(image, x, y) ? 1 : 0;
        QCOMPARE(black, 1);
        const auto row = FirstBlackRow(image, 0);
        QVERIFY(row && qAbs(*row - kGraphSize.height() / 2) <= 1);
    }

    void clearedGraphIsWhite() {
        auto dlg = OpenGraph();
        const std::vector<int16_t> half(100, 512);
        dlg->SetSeries(-1, 10, half.data(), 100);
        dlg->ClearSeries();
        QVERIFY(AllWhite(GraphImage(*dlg)));
    }

    void newDataRepaintsAtOnceAndResizeRescales() {
        auto dlg = OpenGraph();
        PaintCounter counter;
        dlg->GraphWidget()->installEventFilter(&counter);
        const std::vector<int16_t> half(100, 512);
        dlg->SetSeries(-1, 10, half.data(), 100);
        QVERIFY(counter.paints > 0);  // without returning to the event loop

        counter.paints = 0;
        dlg->resize(600, 400);
        QTRY_VERIFY(counter.paints > 0);
        QCOMPARE(dlg->GraphWidget()->size(), QSize(600, 400));
        const QImage image = GraphImage(*dlg);
        for (const int x : {10, 580}) {
            const auto row = FirstBlackRow(image, x);
            QVERIFY(row.has_value());
            QVERIFY(qAbs(*row - 200) <= 1);
        }
    }

    void closingDeletesTheWindow_data() {
        QTest::addColumn<int>("key");  // 0: the close box
        QTest::newRow("close box") << 0;
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }
    void closingDeletesTheWindow() {
        QFETCH(int, key);
        auto dlg = OpenGraph();
        if (key == 0) {
            QVERIFY(dlg->close());
        } else {
            QTest::keyClick(dlg.data(), Qt::Key(key));
        }
        QVERIFY(!dlg.isNull());  // deleted later, not inside its own event handler
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dlg.isNull());
    }
};

QTEST_MAIN(TestProfileDlg)
#include "test_profile_dlg.moc"
