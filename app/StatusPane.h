#pragma once
// A pane of the status bar: a sunken label at least as wide as the text it was made with.
//
// Pane texts change often: the frame caption and the time with every frame of playback.
// A label of free size that is given a new text has the whole window laid out again,
// which at playback speed took about a quarter of the window thread's time. A pane is
// therefore held at its size while a new text would be given that same size by the
// layout (the wider of the text's size hint and the minimum width), and set free, to be
// laid out as any label, when a text needs another size. It shows what a free label
// would, without the layouts in between.

#include <QLabel>
#include <QString>

class QEvent;

namespace zel::gui {

class StatusPane : public QLabel {
public:
    StatusPane(const QString& initial, QWidget* parent);

    // Shows `text`; the window is laid out again only when the pane's size changes.
    void ShowText(const QString& text);
    // True while the pane is held at its size.
    bool Held() const { return minimumSize() == maximumSize(); }

protected:
    // A new font or style changes every size: the pane is set free.
    void changeEvent(QEvent* event) override;

private:
    void SetFree();

    // A hidden twin that tells the size a free pane would want for a text: a held pane's
    // own size hint never falls below the size it is held at.
    QLabel measure_{this};
};

}  // namespace zel::gui
