#include "app/ControlBar.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QToolButton>

#include "view/CommandIds.h"
#include "app/Icons.h"

namespace zel::gui {

CControlBar::CControlBar(QWidget* parent) : QToolBar(parent) {
    setObjectName(QStringLiteral("controlBar"));
    setMovable(true);
    setIconSize(QSize(32, 32));
    AddRadio(kIdBits16);
    AddRadio(kIdBits8);
    addSeparator();
    AddRadio(kIdRangeIdentical);
    startLabel_ = new QLabel(this);
    controls_[kIdStartLabel] = startLabel_;
    addWidget(startLabel_);
    auto* start = new QLineEdit(this);
    auto* end = new QLineEdit(this);
    for (QLineEdit* edit : {start, end}) {
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 10);
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (!showingState_) emit RangeEdited();
        });
    }
    controls_[kIdStartEdit] = start;
    addWidget(start);
    endLabel_ = new QLabel(this);
    controls_[kIdEndLabel] = endLabel_;
    addWidget(endLabel_);
    controls_[kIdEndEdit] = end;
    addWidget(end);
    AddRadio(kIdRangeAll);
    addSeparator();
    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    progress_->setFixedWidth(110);
    progress_->setMaximumHeight(20);
    controls_[kIdProgress] = progress_;
    addWidget(progress_);
    for (const int id : {kIdTop, kIdStepBack, kIdAbort, kIdPlay, kIdStepForward}) AddIconButton(id);
    Retranslate();
}

QRadioButton* CControlBar::AddRadio(int id) {
    auto* radio = new QRadioButton(this);
    // The main frame sets the checks; a toggle only asks for the command (a second click
    // on a checked range radio clears it, which exclusive radios could not do). Toggled,
    // not clicked: the accessibility interface's "Toggle" toggles without a click.
    radio->setAutoExclusive(false);
    connect(radio, &QRadioButton::toggled, this, [this, id] {
        if (!showingState_) emit BarCommand(id);
    });
    controls_[id] = radio;
    addWidget(radio);
    return radio;
}

QAbstractButton* CControlBar::AddIconButton(int id) {
    auto* button = new QToolButton(this);
    button->setIcon(CommandIcon(id));
    button->setIconSize(QSize(32, 32));
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, [this, id] { emit BarCommand(id); });
    controls_[id] = button;
    addWidget(button);
    return button;
}

void CControlBar::SetChecked(int id, bool checked) {
    QAbstractButton* button = Button(id);
    if (button == nullptr || button->isChecked() == checked) return;
    showingState_ = true;
    button->setChecked(checked);
    showingState_ = false;
}

void CControlBar::SetEditText(int id, const QString& text) {
    QLineEdit* edit = Edit(id);
    if (edit == nullptr || edit->text() == text) return;
    showingState_ = true;
    edit->setText(text);
    showingState_ = false;
}

QWidget* CControlBar::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

QAbstractButton* CControlBar::Button(int id) const { return qobject_cast<QAbstractButton*>(Control(id)); }

QLineEdit* CControlBar::Edit(int id) const { return qobject_cast<QLineEdit*>(Control(id)); }

void CControlBar::Retranslate() {
    setWindowTitle(tr("Control Bar"));
    Button(kIdBits16)->setText(QStringLiteral("16bits"));
    Button(kIdBits8)->setText(QStringLiteral("8bits"));
    Button(kIdRangeIdentical)->setText(tr("Identical Frames"));
    Button(kIdRangeAll)->setText(tr("All Frames"));
    startLabel_->setText(tr("Start"));
    endLabel_->setText(tr("End"));
    const struct {
        int id;
        QString tip;
    } tips[] = {
        {kIdRangeIdentical, tr("Specify a Frame Period for TIFF Conversion")},
        {kIdRangeAll, tr("All Frame Conversion")},
        {kIdStartEdit, tr("Start Frame of Conversion/Playback")},
        {kIdEndEdit, tr("End Frame of Conversion/Playback")},
        {kIdTop, tr("Back to Top Frame")},
        {kIdPlay, tr("Playback Display")},
        {kIdAbort, tr("Abort Conversion/Playback")},
        {kIdStepBack, tr("Step One Frame Back")},
        {kIdStepForward, tr("Step One Frame Forward")},
    };
    for (const auto& t : tips) Control(t.id)->setToolTip(t.tip);
    // Accessible names: the label, else the tip, else what the button does.
    const struct {
        int id;
        QString name;
    } names[] = {
        {kIdBits16, QStringLiteral("16bits")},
        {kIdBits8, QStringLiteral("8bits")},
        {kIdRangeIdentical, tr("Identical Frames")},
        {kIdRangeAll, tr("All Frames")},
        {kIdStartEdit, tr("Start")},
        {kIdEndEdit, tr("End")},
        {kIdProgress, tr("Progress")},
        {kIdTop, tr("Back to Top Frame")},
        {kIdPlay, tr("Playback Display")},
        {kIdAbort, tr("Abort Conversion/Playback")},
        {kIdStepBack, tr("Step One Frame Back")},
        {kIdStepForward, tr("Step One Frame Forward")},
    };
    for (const auto& n : names) {
        Control(n.id)->setAccessibleName(n.name);
        Control(n.id)->setAccessibleDescription(Control(n.id)->toolTip());
    }
}

}  // namespace zel::gui
