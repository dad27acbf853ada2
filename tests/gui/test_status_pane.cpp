// Status bar panes: new texts of the pane's width are shown without laying the window out
// again; a wider text widens the pane and a narrower one gives the width back, as for a
// label of free size; a new font sets the pane free.

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QMainWindow>
#include <QStatusBar>
#include <QTest>

#include "app/StatusPane.h"

using zel::gui::StatusPane;

namespace {

// Counts the layout requests a widget receives (install it as the widget's event filter).
class LayoutRequests : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::LayoutRequest) ++count;
        return false;
    }
    int count = 0;
};

}  // namespace

class StatusPaneTest : public QObject {
    Q_OBJECT

private slots:
    void newTextsOfItsWidthNeedNoLayout() {
        QMainWindow window;
        auto* pane = new StatusPane(QStringLiteral("F:         /        "), window.statusBar());
        window.statusBar()->addPermanentWidget(pane);
        window.resize(600, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        LayoutRequests requests;
        window.statusBar()->installEventFilter(&requests);

        // The first text may change the width the layout gives (the caption is narrower
        // than the text the pane was made with); from the next one on the pane is held.
        for (int n = 0; n < 2; ++n) {
            pane->ShowText(QStringLiteral("F: %1/99").arg(n));
            QCoreApplication::processEvents();
        }
        QVERIFY(pane->Held());
        const int minimum = pane->width();
        requests.count = 0;
        for (int n = 2; n < 20; ++n) {
            const QString caption = QStringLiteral("F: %1/99").arg(n);
            pane->ShowText(caption);
            QCoreApplication::processEvents();
            QCOMPARE(pane->text(), caption);
            QCOMPARE(pane->width(), minimum);
        }
        QCOMPARE(requests.count, 0);

        // A wider text widens the pane as the layout widens a label; a narrow one gives
        // the width back.
        pane->ShowText(QStringLiteral("F: 1234567890123/1234567890123"));
        QCoreApplication::processEvents();
        QVERIFY(!pane->Held());
        QCOMPARE(pane->width(), pane->sizeHint().width());
        QVERIFY(pane->width() > minimum);
        pane->ShowText(QStringLiteral("F: 1/99"));
        QCoreApplication::processEvents();
        QCOMPARE(pane->width(), minimum);

        // A larger font sets the pane free, to be laid out for its text again.
        pane->ShowText(QStringLiteral("F: 2/99"));
        QCoreApplication::processEvents();
        pane->ShowText(QStringLiteral("F: 3/99"));
        QVERIFY(pane->Held());
        QFont large = pane->font();
        large.setPointSize(large.pointSize() * 3);
        pane->setFont(large);
        QVERIFY(!pane->Held());
        QCoreApplication::processEvents();
        QCOMPARE(pane->width(), pane->sizeHint().width());
        QVERIFY(pane->width() > minimum);
    }
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    StatusPaneTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_status_pane.moc"
