#pragma once
// The open-file dialog: movie files only, the file must exist, and one extra check box
// to open the movie without its correction data. The box carries the same label in
// every language and starts clear, so opening with correction is the default.

#include <QFileDialog>

class QCheckBox;

namespace zel::gui {

class CZelfDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit CZelfDialog(QWidget* parent = nullptr);

    // 1 when the box is clear (open with correction), 0 when ticked; read on accept.
    int applyCorrection = 1;
    QCheckBox* CorrectionBox() const { return withoutCorrection_; }

    void accept() override;

private:
    QCheckBox* withoutCorrection_;
};

}  // namespace zel::gui
