#pragma once
// The Export Video dialog: the file, the kind of video (lossless FFV1 or H.264 to watch),
// its rate (frames per second, or a fraction of the recording's speed), the display gain
// of the H.264 rendering and the overlays. It only asks; the core checks the answer
// (PlanVideo) and the main frame runs the export.

#include <QDialog>

#include "app/UserDialogs.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace zel::gui {

class CVideoExportDlg : public QDialog {
    Q_OBJECT
public:
    // proposedPath: the file proposed (the movie's name with .mp4 beside it); calibrated:
    // the scale bar can be drawn; rateKnown: the recording's rate is known (speed choices).
    CVideoExportDlg(const QString& proposedPath, bool calibrated, bool rateKnown, QWidget* parent = nullptr);

    VideoExportRequest Choice() const;

private:
    void OnBrowse();
    void OnFormatChanged();
    void OnPaceChanged();

    QLineEdit* path_ = nullptr;
    QComboBox* format_ = nullptr;
    QRadioButton* byFps_ = nullptr;
    QRadioButton* bySpeed_ = nullptr;
    QDoubleSpinBox* fps_ = nullptr;
    QComboBox* speed_ = nullptr;
    QComboBox* gain_ = nullptr;
    QCheckBox* frameOverlay_ = nullptr;
    QCheckBox* timeOverlay_ = nullptr;
    QCheckBox* scaleBar_ = nullptr;
};

}  // namespace zel::gui
