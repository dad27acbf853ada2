// The main window's place saved to and restored from the settings, on the offscreen
// platform's single 800 x 600 screen.

#include <QFile>
#include <QMainWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/WindowPlacementQt.h"

using zel::gui::RestoreWindowPlacement;
using zel::gui::SaveWindowPlacement;

class WindowPlacementQtTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    QString IniPath() const { return folder_.filePath(QStringLiteral("placement.ini")); }
    static QString Stored(const QSettings& settings) {
        return settings.value(QStringLiteral("Settings/InitPlacement")).toString();
    }

private slots:
    void init() { QFile::remove(IniPath()); }

    void normalRoundTrip() {
        QSettings settings(IniPath(), QSettings::IniFormat);
        {
            QMainWindow window;
            window.setGeometry(100, 120, 500, 400);
            window.show();
            SaveWindowPlacement(window, settings);
        }
        QCOMPARE(Stored(settings), QStringLiteral("44,0,1,-1,-1,-1,-1,100,120,600,520"));

        QMainWindow restored;
        QCOMPARE(RestoreWindowPlacement(restored, settings), 1);
        QCOMPARE(restored.geometry(), QRect(100, 120, 500, 400));
        QVERIFY(!restored.isMaximized());
        restored.show();
        SaveWindowPlacement(restored, settings);
        QCOMPARE(Stored(settings), QStringLiteral("44,0,1,-1,-1,-1,-1,100,120,600,520"));
    }

    void maximizedRoundTrip() {
        QSettings settings(IniPath(), QSettings::IniFormat);
        {
            QMainWindow window;
            window.setGeometry(50, 60, 300, 200);
            window.showMaximized();
            QTRY_VERIFY(window.geometry() != QRect(50, 60, 300, 200));  // the platform resizes later
            SaveWindowPlacement(window, settings);
        }
        QCOMPARE(Stored(settings), QStringLiteral("44,0,3,-1,-1,-1,-1,50,60,350,260"));

        QMainWindow restored;
        QCOMPARE(RestoreWindowPlacement(restored, settings), 3);
        QVERIFY(restored.isMaximized());
        restored.showMaximized();
        QTRY_VERIFY(restored.geometry() != QRect(50, 60, 300, 200));
        QCOMPARE(restored.normalGeometry(), QRect(50, 60, 300, 200));
        SaveWindowPlacement(restored, settings);
        QCOMPARE(Stored(settings), QStringLiteral("44,0,3,-1,-1,-1,-1,50,60,350,260"));

        restored.showNormal();
        QTRY_COMPARE(restored.geometry(), QRect(50, 60, 300, 200));
    }

    // Without quotes the settings file splits the value at its commas into a list.
    void unquotedValueWrittenByHand() {
        {
            QFile file(IniPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Settings]\nInitPlacement=44,0,1,-1,-1,-1,-1,10,20,410,320\n");
        }
        QSettings settings(IniPath(), QSettings::IniFormat);
        QMainWindow window;
        QCOMPARE(RestoreWindowPlacement(window, settings), 1);
        QCOMPARE(window.geometry(), QRect(10, 20, 400, 300));
    }

    void unusableValueChangesNothing() {
        QSettings settings(IniPath(), QSettings::IniFormat);
        QMainWindow window;
        window.setGeometry(30, 40, 200, 100);
        QCOMPARE(RestoreWindowPlacement(window, settings), 1);  // nothing stored yet
        QCOMPARE(window.geometry(), QRect(30, 40, 200, 100));
        for (const char* value : {"", "44,0,1,-1,-1,-1,-1,700,500,900,700", "44,0,1,-1,-1,-1,-1,0,0,800,600",
                                  "44,0,0,-1,-1,-1,-1,10,20,410,320", "44,0,3,-1,-1,-1,-1,410,20,10,320"}) {
            settings.setValue(QStringLiteral("Settings/InitPlacement"), QString::fromLatin1(value));
            QCOMPARE(RestoreWindowPlacement(window, settings), 1);
            QCOMPARE(window.geometry(), QRect(30, 40, 200, 100));
            QVERIFY(!window.isMaximized());
        }
    }
};

QTEST_MAIN(WindowPlacementQtTest)
#include "test_window_placement_qt.moc"
