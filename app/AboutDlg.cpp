#include "app/AboutDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "ZelVersion.h"
#include "app/Icons.h"

namespace zel::gui {

QString VersionNumberText() {
    return QString::asprintf("%d.%d.%d.%d", kVersionMajor, kVersionMinor, kVersionPatch, kVersionTweak).left(31);
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About ZelTiff16"));
    versionText = tr("ZelTiff16 Version") + VersionNumberText();
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    auto* text = new QLabel(versionText, this);
    text->setObjectName(QStringLiteral("versionText"));
    text->setAccessibleName(versionText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

}  // namespace zel::gui
