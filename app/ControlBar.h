#pragma once
// The control bar: output depth, frame range, run progress and the run buttons. It only
// holds the controls; the main frame decides what they mean and when they are enabled.

#include <QToolBar>
#include <map>

class QAbstractButton;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QLabel;

namespace zel::gui {

class CControlBar : public QToolBar {
    Q_OBJECT
public:
    explicit CControlBar(QWidget* parent = nullptr);

    // The control with this id (1000 .. 1013), or null.
    QWidget* Control(int id) const;
    QAbstractButton* Button(int id) const;  // radios and icon buttons
    QLineEdit* Edit(int id) const;          // 1004, 1005
    QProgressBar* Progress() const { return progress_; }

    // Texts that follow the language (labels and tips).
    void Retranslate();
    // Set by the main frame to show its state: neither asks for a command.
    void SetChecked(int id, bool checked);
    void SetEditText(int id, const QString& text);

signals:
    // A radio was toggled or a button pressed by the user (mouse, keyboard or the
    // accessibility interface).
    void BarCommand(int id);
    // The user changed the text of Start or End.
    void RangeEdited();

private:
    QRadioButton* AddRadio(int id);
    QAbstractButton* AddIconButton(int id);

    std::map<int, QWidget*> controls_;
    QLabel* startLabel_ = nullptr;
    QLabel* endLabel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    bool showingState_ = false;  // SetChecked / SetEditText at work
};

}  // namespace zel::gui
