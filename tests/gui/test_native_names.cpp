// A movie whose POSIX name is not UTF-8 (Qt cannot spell it) opens in the window as it
// does in the command-line tool, is found again when opened twice, and the name the
// window proposes from it leads back to its own bytes.

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

#include "../DocumentFixture.h"
#include "../TempFile.h"
#include "GuiFixture.h"
#include "document/ZelfDoc.h"
#include "view/CommandIds.h"
#include "view/NativePath.h"

using namespace zel::gui;
using namespace zeltest;

namespace {

uint16_t Flat(int, int, int) { return 100; }

}  // namespace

class NativeNamesTest : public QObject {
    Q_OBJECT

    IsolatedSettings settings_;

private slots:
    void opensANameThatIsNotUtf8() {
#ifdef _WIN32
        QSKIP("Windows names are UTF-16: every one is valid text");
#else
        const TempFile movie("_caf\xe9.zel");
        WriteTestMovie(movie, 6, 32, 16, 2, Flat);
        TestApp t;
        QVERIFY(t.app->OpenDocumentFile(PathText(movie.path()), true));
        QCOMPARE(t.frame->ActiveDocument()->pathName(), movie.path());
        QVERIFY(t.frame->MdiArea()->activeSubWindow()->windowTitle().endsWith(QStringLiteral("_caf\uFFFD.zel")));
        QVERIFY(t.app->OpenDocumentFile(PathText(movie.path()), true));
        QCOMPARE(t.frame->MdiArea()->subWindowList().size(), 1);

        t.frame->Action(kIdConvertToTiff)->trigger();  // no name chosen: only the proposal is seen
        const std::string name = movie.path().substr(movie.path().rfind('/') + 1);
        QCOMPARE(CorePath(t.dialogs->proposedTiffName), name.substr(0, name.size() - 4));
#endif
    }
};

QTEST_MAIN(NativeNamesTest)
#include "test_native_names.moc"
