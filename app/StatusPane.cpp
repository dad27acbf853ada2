#include "app/StatusPane.h"

#include <QEvent>

namespace zel::gui {

StatusPane::StatusPane(const QString& initial, QWidget* parent) : QLabel(initial, parent) {
    for (QLabel* label : {static_cast<QLabel*>(this), &measure_}) {
        label->setMinimumWidth(fontMetrics().horizontalAdvance(initial) + 8);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
    }
    measure_.hide();  // hidden: it takes no part in any layout
}

void StatusPane::SetFree() {
    setMinimumSize(measure_.minimumWidth(), 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void StatusPane::ShowText(const QString& text) {
    if (text == this->text()) return;
    // The size a layout gives a free pane for this text: its size hint, at least the minimum.
    measure_.setText(text);
    const QSize wanted = measure_.sizeHint();
    measure_.clear();  // the text is the pane's alone, for whoever looks for it among the labels
    const bool fits = isVisible() && wanted.width() == width() && wanted.height() <= height();
    if (fits && !Held())
        setFixedSize(size());  // one more layout, giving the same size; none for the texts after it
    else if (!fits && Held())
        SetFree();
    setText(text);
}

void StatusPane::changeEvent(QEvent* event) {
    if ((event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) && Held()) SetFree();
    QLabel::changeEvent(event);
}

}  // namespace zel::gui
