#include "app/CalibrationDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zel::gui {

namespace {

// The units offered, as stored and as shown.
struct UnitName {
    const char* stored;
    const char* shown;
};
constexpr UnitName kUnits[] = {{"nm", "nm"}, {"um", "\xC2\xB5m"}, {"mm", "mm"},
                               {"cm", "cm"}, {"m", "m"},          {"in", "in"}};

}  // namespace

CCalibrationDlg::CCalibrationDlg(const zel::Calibration& current, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Calibration"));
    auto* layout = new QVBoxLayout(this);
    calibrated_ = new QCheckBox(tr("&Pixel size known"), this);
    layout->addWidget(calibrated_);

    auto* form = new QFormLayout;
    size_ = new QDoubleSpinBox(this);
    size_->setDecimals(6);
    size_->setRange(1e-6, 1e9);
    size_->setValue(current.Known() ? current.pixelSize : 1.0);
    size_->setAccessibleName(tr("Pixel size"));
    unit_ = new QComboBox(this);
    unit_->setAccessibleName(tr("Unit"));
    for (const UnitName& u : kUnits) unit_->addItem(QString::fromUtf8(u.shown), QString::fromLatin1(u.stored));
    const int known = unit_->findData(QString::fromStdString(current.unit));
    unit_->setCurrentIndex(known >= 0 ? known : 1);
    auto* sizeLabel = new QLabel(tr("&Size of one pixel:"), this);
    sizeLabel->setBuddy(size_);
    auto* unitLabel = new QLabel(tr("&Unit:"), this);
    unitLabel->setBuddy(unit_);
    form->addRow(sizeLabel, size_);
    form->addRow(unitLabel, unit_);
    layout->addLayout(form);
    auto* note = new QLabel(tr("Kept for this movie: profile positions, AOI sizes, tables and stacks use it."), this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(calibrated_, &QCheckBox::toggled, this, &CCalibrationDlg::OnCalibratedToggled);
    calibrated_->setChecked(current.Known());
    OnCalibratedToggled(current.Known());
}

void CCalibrationDlg::OnCalibratedToggled(bool on) {
    size_->setEnabled(on);
    unit_->setEnabled(on);
}

zel::Calibration CCalibrationDlg::Result() const {
    if (!calibrated_->isChecked()) return {};
    return {size_->value(), unit_->currentData().toString().toStdString()};
}

}  // namespace zel::gui
