// The profile graph window driven offscreen: where it opens over the main window, what a
// series puts on the screen (scale, direction, empty series), redrawing on resize and at
// once on new data, the axes (titles, labels, the calibrated unit), the readout following
// the mouse and the arrow keys, the fitted range, and closing, which deletes it.

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QTest>
#include <QWindow>
#include <optional>
#include <vector>

#include "../DocumentFixture.h"
#include "../TempFile.h"
#include "GuiFixture.h"
#include "PaintCounter.h"
#include "document/Calibration.h"
#include "document/ZelfDoc.h"
#include "view/CommandIds.h"
#include "view/ProfileDlg.h"
#include "view/ZelfView.h"

using zel::gui::CProfileDlg;

namespace {

constexpr QSize kWindowSize{460, 260};

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

// The row where `value` of a 0 .. 1024 range lands in the plot (its bottom edge is 0).
int RowOf(const QRect& plot, double value) { return plot.top() + plot.height() - qRound(value * plot.height() / 1024); }

// The column at `fraction` of the plot's width.
int ColumnAt(const QRect& plot, double fraction) { return plot.left() + qRound(fraction * plot.width()); }

std::vector<int16_t> Ramp(int count, int start, int step) {
    std::vector<int16_t> values(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) values[static_cast<size_t>(i)] = static_cast<int16_t>(start + step * i);
    return values;
}

bool HasDarkPixel(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
}

}  // namespace

class TestProfileDlg : public QObject {
    Q_OBJECT

private:
    // A shown graph window of kWindowSize; deleted with the test unless the test closed it.
    QPointer<CProfileDlg> OpenGraph() {
        QPointer<CProfileDlg> dlg = new CProfileDlg;
        dlg->Create(QStringLiteral("test"), nullptr);
        dlg->resize(kWindowSize);
        if (!QTest::qWaitForWindowExposed(dlg)) qFatal("the graph window was not exposed");
        if (dlg->GraphWidget()->width() != kWindowSize.width()) qFatal("the graph does not fill its window");
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
        // The full range is the default; the choice has a name for screen readers.
        auto* fit = dlg.findChild<QCheckBox*>(QStringLiteral("fitToData"));
        QVERIFY(fit);
        QVERIFY(!fit->isChecked());
        QVERIFY(!dlg.FitToData());
        QCOMPARE(fit->accessibleName(), QStringLiteral("Fit to data"));
        QCOMPARE(dlg.ReadoutSample(), -1);
        QVERIFY(dlg.ReadoutText().isEmpty());
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
        // The graph fills the window below the row of the readout and the range choice.
        const QRect graph = dlg->GraphWidget()->geometry();
        QCOMPARE(graph.width(), 800);
        QCOMPARE(graph.bottom(), 149);
        QVERIFY(graph.height() > 100);

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
        const QRect plot = dlg->PlotRect();
        // The axes take margins, yet leave most of the window to the plot.
        QVERIFY(plot.width() > image.width() * 2 / 3 && plot.height() > image.height() / 2);
        // x 0 .. 99 of 100 spans all but the last 1/100 of the plot's width.
        for (const double fraction : {0.0, 0.25, 0.5, 0.97}) {
            const int x = ColumnAt(plot, fraction);
            const auto row = FirstBlackRow(image, x);
            QVERIFY2(row.has_value(), qPrintable(QString("no line in column %1").arg(x)));
            QVERIFY2(qAbs(*row - RowOf(plot, 512)) <= 1, qPrintable(QString("line at row %1").arg(*row)));
            QVERIFY(!IsBlack(image, x, *row + 2));  // one pixel wide, not scaled up
        }
        QVERIFY(!FirstBlackRow(image, plot.left() + plot.width() - 1).has_value());
        QVERIFY(!FirstBlackRow(image, plot.left() - 2).has_value());  // nothing left of the plot
    }

    void valuesBeyondTheRangeStayInThePlot() {
        auto dlg = OpenGraph();
        std::vector<int16_t> values(100, 512);
        values[50] = 3000;  // beyond the 10-bit range
        values[60] = -200;
        dlg->SetSeries(-1, 10, values.data(), 100);
        const QImage image = GraphImage(*dlg);
        const QRect plot = dlg->PlotRect();
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y) {
                if (IsBlack(image, x, y))
                    QVERIFY2(plot.adjusted(0, 0, 0, 1).contains(x, y), qPrintable(QString("black at %1, %2").arg(x).arg(y)));
            }
        }
    }

    void valuesGrowUpward() {
        auto dlg = OpenGraph();
        std::vector<int16_t> ramp(200);
        for (int i = 0; i < 200; ++i) ramp[i] = static_cast<int16_t>(100 + 4 * i);  // 100 .. 896
        dlg->SetSeries(-1, 10, ramp.data(), 200);
        const QImage image = GraphImage(*dlg);
        const QRect plot = dlg->PlotRect();
        const auto first = FirstBlackRow(image, plot.left());
        const auto last = FirstBlackRow(image, ColumnAt(plot, 0.99) - 1);
        QVERIFY(first && last);
        QVERIFY2(*first > *last, qPrintable(QString("first %1, last %2").arg(*first).arg(*last)));
        // 100 / 1024 of the height above the bottom edge, and 896 / 1024.
        QVERIFY(qAbs(*first - RowOf(plot, 100)) <= 1);
        QVERIFY(qAbs(*last - RowOf(plot, 896)) <= 2);
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
        QVERIFY(FirstBlackRow(GraphImage(*dlg), ColumnAt(dlg->PlotRect(), 0.1)).has_value());
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
        const QRect plot = dlg->PlotRect();
        const auto row = FirstBlackRow(image, plot.left());
        QVERIFY(row && qAbs(*row - RowOf(plot, 512)) <= 1);
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
        const QRect before = dlg->PlotRect();
        dlg->resize(600, 400);
        QTRY_VERIFY(counter.paints > 0);
        QCOMPARE(dlg->GraphWidget()->width(), 600);
        const QImage image = GraphImage(*dlg);
        const QRect plot = dlg->PlotRect();
        QVERIFY(plot.width() > before.width() && plot.height() > before.height());
        for (const double fraction : {0.02, 0.95}) {
            const auto row = FirstBlackRow(image, ColumnAt(plot, fraction));
            QVERIFY(row.has_value());
            QVERIFY(qAbs(*row - RowOf(plot, 512)) <= 1);
        }
    }

    void axesHaveTitlesAndRoundLabels() {
        auto dlg = OpenGraph();
        const std::vector<int16_t> half(100, 512);
        dlg->SetSeries(-1, 10, half.data(), 100);
        const QImage image = GraphImage(*dlg);
        const QRect plot = dlg->PlotRect();
        const auto& axes = dlg->Axes();
        QVERIFY(axes.Shown());
        QCOMPARE(axes.XTitle(), QStringLiteral("Position (px)"));
        QCOMPARE(axes.YTitle(), QStringLiteral("Value"));
        // Values over the 10-bit range and positions over 100 pixels, from 0.
        QVERIFY(axes.Y().Count() >= 3);
        QVERIFY(axes.X().Count() >= 3);
        QCOMPARE(axes.Y().LabelText(0), QStringLiteral("0"));
        QCOMPARE(axes.X().LabelText(0), QStringLiteral("0"));
        QCOMPARE(axes.X().LabelText(axes.X().Count() - 1), QStringLiteral("100"));
        // Neighbouring x labels leave room between them.
        for (int i = 1; i < axes.X().Count(); ++i)
            QVERIFY(axes.XPixel(axes.X().Ticks().At(i)) - axes.XPixel(axes.X().Ticks().At(i - 1)) >
                    axes.X().WidestLabel());
        // Something is written left of the plot and under it.
        QVERIFY(HasDarkPixel(image, QRect(0, plot.top(), plot.left() - 6, plot.height())));
        QVERIFY(HasDarkPixel(image, QRect(plot.left(), plot.bottom() + 6, plot.width(), image.height() - plot.bottom() - 6)));
    }

    void calibratedPositionsUseTheUnit() {
        auto dlg = OpenGraph();
        // 30 across and 40 down: 40 samples, 1.25 pixels apart, 0.625 um at 0.5 um a pixel.
        dlg->SetLine({0, 0, 30, 40}, zel::Calibration{0.5, "um"});
        const std::vector<int16_t> values = Ramp(40, 100, 10);
        dlg->SetSeries(-1, 10, values.data(), 40);
        GraphImage(*dlg);
        const auto& axes = dlg->Axes();
        QCOMPARE(axes.XTitle(), QStringLiteral("Position (\u00B5m)"));
        QVERIFY(axes.X().Count() >= 2);
        QVERIFY(axes.X().Ticks().At(axes.X().Count() - 1) <= 25.0);  // the line is 25 um long
        QVERIFY(axes.X().Ticks().At(axes.X().Count() - 1) >= 10.0);
        QTest::keyClick(dlg->GraphWidget(), Qt::Key_End);
        QTest::keyClick(dlg->GraphWidget(), Qt::Key_Left);
        // Hundredths of a micrometre: a tenth of the 0.625 um between samples.
        QCOMPARE(dlg->ReadoutText(), QStringLiteral("Sample 38: 47.50 px = 23.75 \u00B5m, value 480"));

        // Without a pixel size the axis is in pixels again.
        dlg->SetLine({0, 0, 30, 40}, zel::Calibration{});
        GraphImage(*dlg);
        QCOMPARE(dlg->Axes().XTitle(), QStringLiteral("Position (px)"));
        QCOMPARE(dlg->ReadoutText(), QStringLiteral("Sample 38: 47.50 px, value 480"));
    }

    void readoutFollowsTheMouseAndTheArrowKeys() {
        auto dlg = OpenGraph();
        const std::vector<int16_t> values = Ramp(100, 0, 10);
        dlg->SetSeries(-1, 10, values.data(), 100);
        QWidget* graph = dlg->GraphWidget();
        const QRect plot = dlg->PlotRect();
        QTest::mouseMove(graph, QPoint(ColumnAt(plot, 0.25), plot.center().y()));
        QTRY_COMPARE(dlg->ReadoutSample(), 25);
        const QString expected = QStringLiteral("Sample 25: 25 px, value 250");
        QCOMPARE(dlg->ReadoutText(), expected);
        QCOMPARE(dlg->findChild<QLabel*>(QStringLiteral("profileReadout"))->text(), expected);
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(graph);
        QVERIFY(node);
        QCOMPARE(node->text(QAccessible::Description), expected);
        // The sample is marked where its value lies.
        const QImage image = GraphImage(*dlg);
        bool marked = false;
        const int x = ColumnAt(plot, 0.25);
        for (int dx = -4; dx <= 4; ++dx)
            for (int y = plot.top(); y <= plot.bottom(); ++y)
                if (qRed(image.pixel(x + dx, y)) > 150 && qGreen(image.pixel(x + dx, y)) < 100) marked = true;
        QVERIFY(marked);

        graph->setFocus();
        QTest::keyClick(graph, Qt::Key_Right);
        QCOMPARE(dlg->ReadoutSample(), 26);
        QTest::keyClick(graph, Qt::Key_Left);
        QTest::keyClick(graph, Qt::Key_Left);
        QCOMPARE(dlg->ReadoutSample(), 24);
        QTest::keyClick(graph, Qt::Key_Home);
        QTest::keyClick(graph, Qt::Key_Left);
        QCOMPARE(dlg->ReadoutSample(), 0);  // stays at the first sample
        QTest::keyClick(graph, Qt::Key_End);
        QTest::keyClick(graph, Qt::Key_Right);
        QCOMPARE(dlg->ReadoutSample(), 99);
        QCOMPARE(dlg->ReadoutText(), QStringLiteral("Sample 99: 99 px, value 990"));
        // The next frame's values are read at the same sample.
        const std::vector<int16_t> next = Ramp(100, 1, 10);
        dlg->SetSeries(0, 10, next.data(), 100);
        QCOMPARE(dlg->ReadoutText(), QStringLiteral("Sample 99: 99 px, value 991"));
        // Off the plot the readout keeps its sample.
        QTest::mouseMove(graph, QPoint(2, 2));
        QCOMPARE(dlg->ReadoutSample(), 99);
        // A readout longer than a narrow window does not widen it.
        QVERIFY(dlg->minimumSizeHint().width() < 250);
    }

    void fitToDataChangesTheRangeAndKeepsIt() {
        auto dlg = OpenGraph();
        const std::vector<int16_t> values = Ramp(50, 500, 1);  // 500 .. 549 of 0 .. 1024
        dlg->SetSeries(-1, 10, values.data(), 50);
        zel::gui::GraphRect range = dlg->ShownRange();
        QCOMPARE(range.bottom, 0);
        QCOMPARE(range.top, 1024);

        QTest::keyClick(dlg->GraphWidget(), Qt::Key_F);  // the window's shortcut
        QVERIFY(dlg->FitToData());
        QVERIFY(dlg->findChild<QCheckBox*>(QStringLiteral("fitToData"))->isChecked());
        range = dlg->ShownRange();
        QVERIFY2(range.bottom < 500 && range.bottom >= 495, qPrintable(QString::number(range.bottom)));
        QVERIFY2(range.top > 549 && range.top <= 555, qPrintable(QString::number(range.top)));
        // The line now spans most of the plot's height.
        const QImage image = GraphImage(*dlg);
        const QRect plot = dlg->PlotRect();
        const auto low = FirstBlackRow(image, plot.left());
        const auto high = FirstBlackRow(image, ColumnAt(plot, 0.97));
        QVERIFY(low && high);
        QVERIFY2(*low - *high > plot.height() * 3 / 4, qPrintable(QString("%1 .. %2").arg(*high).arg(*low)));
        QVERIFY(dlg->Axes().Y().LabelText(0).toInt() >= 495);

        // The choice holds as the profile follows playback, and a flat profile has a height.
        const std::vector<int16_t> flat(50, 512);
        dlg->SetSeries(0, 10, flat.data(), 50);
        QVERIFY(dlg->FitToData());
        range = dlg->ShownRange();
        QVERIFY(range.bottom < 512 && range.top > 512);
        const auto row = FirstBlackRow(GraphImage(*dlg), ColumnAt(plot, 0.5));
        QVERIFY(row && qAbs(*row - (plot.top() + plot.height() / 2)) <= 2);

        dlg->findChild<QCheckBox*>(QStringLiteral("fitToData"))->click();
        QVERIFY(!dlg->FitToData());
        QCOMPARE(dlg->ShownRange().top, 1024);
    }

    void viewGivesTheLineAndTheMoviesPixelSize() {
        zeltest::IsolatedSettings settings;
        zeltest::TempFile movie;
        zeltest::WriteTestMovie(movie, 0, 64, 48, 2, [](int, int x, int) { return static_cast<uint16_t>(x * 10); },
                                [](zelgen::MovieSpec& spec) {
                                    spec.newerLayout = false;
                                    spec.cameraCode = "rwm7";
                                    spec.modeWord = 0;
                                });
        zeltest::TestApp t({QString::fromStdString(movie.path())});
        zel::gui::CZelfView& view = *t.frame->ActiveView();
        view.GetDocument()->SetPixelCalibration(zel::Calibration{2.0, "mm"});
        t.frame->SaveProfileLine({10, 5, 40, 45});  // 40 samples along y, 50 pixels long
        t.frame->Action(zel::gui::kIdProfile)->trigger();
        CProfileDlg* dlg = view.profileDlg();
        QVERIFY(dlg);
        QCOMPARE(dlg->Positions().pixelSpacing, 1.25);
        QVERIFY(dlg->Positions().Calibrated());
        dlg->GraphWidget()->grab();
        QCOMPARE(dlg->Axes().XTitle(), QStringLiteral("Position (mm)"));
        QTest::keyClick(dlg->GraphWidget(), Qt::Key_Right);
        QCOMPARE(dlg->ReadoutText(), QStringLiteral("Sample 0: 0.00 px = 0.0 mm, value 100"));
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
        const std::vector<int16_t> half(100, 512);
        dlg->SetSeries(-1, 10, half.data(), 100);
        if (key == 0) {
            QVERIFY(dlg->close());
        } else {
            // Pressed on the graph, which uses the arrows but leaves these to the window.
            dlg->GraphWidget()->setFocus();
            QTest::keyClick(dlg->GraphWidget(), Qt::Key(key));
        }
        QVERIFY(!dlg.isNull());  // deleted later, not inside its own event handler
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dlg.isNull());
    }
};

QTEST_MAIN(TestProfileDlg)
#include "test_profile_dlg.moc"
