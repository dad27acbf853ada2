#include "app/MessageBar.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

namespace zel::gui {

namespace {

// Messages kept at most: a long run of failures should not push the documents away.
constexpr int kMaxMessages = 5;

}  // namespace

CMessageBar::CMessageBar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("messageBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette shade = palette();
    shade.setColor(QPalette::Window, QColor(255, 236, 200));
    shade.setColor(QPalette::WindowText, Qt::black);
    setPalette(shade);
    setFocusPolicy(Qt::TabFocus);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(24, 24));
    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("messageText"));
    label_->setWordWrap(true);
    label_->setTextFormat(Qt::PlainText);
    label_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    dismiss_ = new QToolButton(this);
    dismiss_->setObjectName(QStringLiteral("dismissMessages"));
    dismiss_->setAutoRaise(true);
    connect(dismiss_, &QToolButton::clicked, this, &CMessageBar::Dismiss);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(label_, 1);
    layout->addWidget(dismiss_, 0, Qt::AlignTop);
    Retranslate();
    hide();
}

void CMessageBar::ShowMessage(const QString& text) {
    if (!messages_.contains(text)) messages_ << text;
    while (messages_.size() > kMaxMessages) messages_.removeFirst();
    label_->setText(messages_.join(QLatin1Char('\n')));
    setAccessibleDescription(label_->text());
    show();
    QAccessibleEvent changed(label_, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void CMessageBar::Dismiss() {
    messages_.clear();
    label_->clear();
    setAccessibleDescription({});
    hide();
}

QString CMessageBar::Text() const { return messages_.join(QLatin1Char('\n')); }

void CMessageBar::Retranslate() {
    setAccessibleName(tr("Messages"));
    dismiss_->setText(tr("Dismiss"));
    dismiss_->setToolTip(tr("Dismiss these messages"));
    dismiss_->setAccessibleName(tr("Dismiss"));
}

void CMessageBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Dismiss();
        return;
    }
    QFrame::keyPressEvent(event);
}

}  // namespace zel::gui
