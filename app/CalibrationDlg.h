#pragma once
// The calibration dialog: the size of one pixel on the object, a number and a unit, or
// none. It only asks; the main frame keeps the answer with the movie.

#include <QDialog>

#include "document/Calibration.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace zel::gui {

class CCalibrationDlg : public QDialog {
    Q_OBJECT
public:
    // Starts from `current` (or 1 µm, unchecked, when it is not known).
    CCalibrationDlg(const zel::Calibration& current, QWidget* parent = nullptr);

    // The answer: a known calibration, or an unknown one when "Calibrated" is cleared.
    zel::Calibration Result() const;

private:
    void OnCalibratedToggled(bool on);

    QCheckBox* calibrated_ = nullptr;
    QDoubleSpinBox* size_ = nullptr;
    QComboBox* unit_ = nullptr;
};

}  // namespace zel::gui
