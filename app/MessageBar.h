#pragma once
// CMessageBar: a bar above the document windows that reports what went wrong with the
// user's last actions, with their whole reasons, and stays until it is dismissed (its
// Dismiss button or Esc while it has the focus). Unlike the status bar it is never
// erased by a tool tip, covered by a graph or cut off at the window's width: the text
// wraps, can be selected and copied, and screen readers announce it.

#include <QFrame>

class QLabel;
class QToolButton;

namespace zel::gui {

class CMessageBar : public QFrame {
    Q_OBJECT
public:
    explicit CMessageBar(QWidget* parent = nullptr);

    // Shows the message below those already shown (the same text is not repeated).
    void ShowMessage(const QString& text);
    void Dismiss();
    // The messages shown, one per line; empty when the bar is dismissed.
    QString Text() const;
    void Retranslate();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* label_ = nullptr;
    QToolButton* dismiss_ = nullptr;
    QStringList messages_;
};

}  // namespace zel::gui
