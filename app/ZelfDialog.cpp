#include "app/ZelfDialog.h"

#include <QCheckBox>
#include <QGridLayout>

namespace zel::gui {

CZelfDialog::CZelfDialog(QWidget* parent) : QFileDialog(parent) {
    // The extra box needs Qt's own dialog: a platform dialog cannot take a child widget.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    setDefaultSuffix(QStringLiteral("zel"));
    setNameFilter(QStringLiteral("ZEL Files (*.zel)"));
    withoutCorrection_ = new QCheckBox(QStringLiteral("FPN補正無しで読込"), this);
    withoutCorrection_->setAccessibleName(withoutCorrection_->text());
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) grid->addWidget(withoutCorrection_, grid->rowCount(), 1);
}

void CZelfDialog::accept() {
    applyCorrection = withoutCorrection_->isChecked() ? 0 : 1;
    QFileDialog::accept();
}

}  // namespace zel::gui
