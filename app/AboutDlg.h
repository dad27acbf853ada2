#pragma once
// The About box: the program's name and its four-part version.

#include <QDialog>
#include <QString>

namespace zel::gui {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // "ZelTiff16 Version" directly followed by "%d.%d.%d.%d", cut to 31 characters of version.
    QString versionText;
};

// The version part of the About text, from the version set in the build.
QString VersionNumberText();

}  // namespace zel::gui
