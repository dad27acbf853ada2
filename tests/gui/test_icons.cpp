// Every toolbar and control-bar button has a drawn icon with something visible on it.

#include <QImage>
#include <QSet>
#include <QTest>

#include "view/CommandIds.h"
#include "app/Icons.h"

using namespace zel::gui;

namespace {

int DistinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(colours.size());
}

}  // namespace

class IconsTest : public QObject {
    Q_OBJECT

private:
    static void AddRows(std::initializer_list<int> ids, QSize size) {
        for (const int id : ids) {
            QTest::addRow("%d", id) << id << size;
        }
    }

private slots:
    void buttonIconsAreDrawn_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QSize>("size");
        AddRows({kIdFileOpen, kIdConvertToTiff, kIdEditCut, kIdEditCopy, kIdEditPaste,
                 kIdFilePrint, kIdAppAbout, kIdBlackBalance, kIdPoint, kIdProfile,
                 kIdProfileDataSave, kIdAoi, kIdSaveAoiData, kIdZoomFit, 32773, 32774, 32775,
                 32776, kIdZoom16, kIdGain1, 32780, 32781, 32782, 32783, 32784, kIdGain64,
                 kIdGainAuto},
                QSize(16, 15));
        AddRows({kIdTop, kIdStepBack, kIdAbort, kIdPlay, kIdStepForward}, QSize(32, 32));
    }

    void buttonIconsAreDrawn() {
        QFETCH(int, id);
        QFETCH(QSize, size);
        const QIcon icon = CommandIcon(id);
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(size, 1.0).toImage();
        QCOMPARE(image.size(), size);
        QVERIFY(DistinctColours(image) >= 2);
    }

    void idsWithoutButtonHaveNoIcon() { QVERIFY(CommandIcon(kIdFileClose).isNull()); }

    void applicationIconHasEverySize() {
        const QIcon icon = ApplicationIcon();
        for (const int side : {16, 32, 48, 256}) {
            QVERIFY(icon.availableSizes().contains(QSize(side, side)));
        }
    }
};

QTEST_MAIN(IconsTest)
#include "test_icons.moc"
