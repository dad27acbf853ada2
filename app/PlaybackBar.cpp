#include "app/PlaybackBar.h"

#include <QAction>
#include <QComboBox>
#include <QSlider>
#include <QStandardItemModel>
#include <QToolButton>

#include <algorithm>

#include "document/PlaybackPace.h"

namespace zel::gui {

namespace {

bool IsRealTime(int index) { return NeedsFramePeriod(static_cast<PlaybackRate>(index)); }

}  // namespace

CPlaybackBar::CPlaybackBar(QWidget* parent) : QToolBar(parent) {
    setObjectName(QStringLiteral("playbackBar"));
    setMovable(true);
    rate_ = new QComboBox(this);
    rate_->setObjectName(QStringLiteral("playbackRate"));
    for (int i = 0; i < kPlaybackRateCount; ++i) rate_->addItem(QString());
    rate_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // Every change of the current item, whichever way the user made it, asks for the
    // command; the items the main frame shows do not.
    connect(rate_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showingState_ && index >= 0) emit RateChosen(index);
    });
    addWidget(rate_);

    // Buttons made here rather than by addAction, which gives buttons no keyboard focus.
    const auto addButton = [this](QAction* action) {
        action->setCheckable(true);
        auto* button = new QToolButton(this);
        buttons_.push_back(button);
        button->setDefaultAction(action);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::TabFocus);
        addWidget(button);
    };
    everyFrame_ = new QAction(this);
    everyFrame_->setObjectName(QStringLiteral("playbackEveryFrame"));
    addButton(everyFrame_);
    loop_ = new QAction(this);
    loop_->setObjectName(QStringLiteral("playbackLoop"));
    addButton(loop_);
    addSeparator();

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("frameSlider"));
    slider_->setFocusPolicy(Qt::StrongFocus);  // the arrow and Page keys move it
    slider_->setMinimumWidth(160);
    slider_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    slider_->setRange(0, 0);
    // Tracking: a drag shows each frame it passes, as the keys do.
    connect(slider_, &QSlider::valueChanged, this, [this](int frame) {
        if (!showingState_) emit FrameChosen(frame);
    });
    addWidget(slider_);
    Retranslate();
}

void CPlaybackBar::Retranslate() {
    setWindowTitle(tr("Playback"));
    const QString items[kPlaybackRateCount] = {
        tr("As fast as possible"), tr("Real time \u00d71/10"), tr("Real time \u00d71/100"), tr("Real time \u00d71/1000"),
        tr("25 fps"),              tr("30 fps"),               tr("60 fps"),
    };
    for (int i = 0; i < kPlaybackRateCount; ++i) rate_->setItemText(i, items[i]);
    rate_->setAccessibleName(tr("Playback rate"));
    everyFrame_->setText(tr("Every frame"));
    everyFrame_->setToolTip(tr("Show every frame, even when playback then runs slower than the rate chosen"));
    loop_->setText(tr("Loop"));
    loop_->setToolTip(tr("Start over from the range's first frame after its last, until Abort"));
    for (QToolButton* button : buttons_) {
        QAction* action = button->defaultAction();
        action->setStatusTip(action->toolTip());
        button->setAccessibleName(action->text());
        button->setAccessibleDescription(action->toolTip());
    }
    slider_->setAccessibleName(tr("Frame"));
    slider_->setToolTip(tr("The frame shown: drag, or use the arrow, Page Up/Down, Home and End keys"));
    slider_->setAccessibleDescription(slider_->toolTip());
    ApplyRealTimeOffer();
}

void CPlaybackBar::ShowRate(int index) {
    if (rate_->currentIndex() == index) return;
    showingState_ = true;
    rate_->setCurrentIndex(index);
    showingState_ = false;
}

void CPlaybackBar::OfferRealTime(bool offered) {
    if (offered == realTimeOffered_) return;
    realTimeOffered_ = offered;
    ApplyRealTimeOffer();
}

void CPlaybackBar::ApplyRealTimeOffer() {
    const bool offered = realTimeOffered_;
    const QString unknown = tr("This movie does not record its frame rate: it cannot play at a fraction of real time");
    auto* model = qobject_cast<QStandardItemModel*>(rate_->model());
    for (int i = 0; i < kPlaybackRateCount; ++i) {
        if (!IsRealTime(i) || model == nullptr) continue;
        model->item(i)->setEnabled(offered);
        model->item(i)->setToolTip(offered ? QString() : unknown);
    }
    const QString tip = tr("Playback rate");
    rate_->setToolTip(offered ? tip : tip + QStringLiteral("\n") + unknown);
    rate_->setAccessibleDescription(rate_->toolTip());
}

void CPlaybackBar::ShowFrames(int frames, int frame) {
    const int last = std::max(frames - 1, 0);
    const int value = std::clamp(frame, 0, last);
    if (slider_->maximum() == last && slider_->value() == value) return;
    showingState_ = true;
    slider_->setRange(0, last);
    slider_->setPageStep(std::max(frames / 10, 1));  // Page Up/Down: a tenth of the movie
    slider_->setValue(value);
    showingState_ = false;
}

}  // namespace zel::gui
