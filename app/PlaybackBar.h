#pragma once
// The playback bar, next to the control bar: the playback rate, "Every frame", "Loop" and
// a slider over the frames the active movie holds. Like the control bar it only holds the
// controls; the main frame says what they show and when they can be used, and is told
// when the user changes one (mouse, keyboard or the accessibility interface).

#include <QToolBar>
#include <vector>

class QAction;
class QComboBox;
class QSlider;
class QToolButton;

namespace zel::gui {

class CPlaybackBar : public QToolBar {
    Q_OBJECT
public:
    explicit CPlaybackBar(QWidget* parent = nullptr);

    QComboBox* RateBox() const { return rate_; }  // items in the order of zel::PlaybackRate
    QAction* EveryFrameAction() const { return everyFrame_; }
    QAction* LoopAction() const { return loop_; }
    QSlider* FrameSlider() const { return slider_; }

    void Retranslate();

    // Set by the main frame to show its state: none of them asks for a command.
    void ShowRate(int index);
    // The real-time rates need the movie's frame period: offered only when it is known.
    void OfferRealTime(bool offered);
    // The slider over frames 0 .. frames - 1 at `frame`; frames < 1 leaves it at 0 of 0.
    void ShowFrames(int frames, int frame);

signals:
    void RateChosen(int index);
    void FrameChosen(int frame);

private:
    void ApplyRealTimeOffer();

    QComboBox* rate_ = nullptr;
    QAction* everyFrame_ = nullptr;
    QAction* loop_ = nullptr;
    QSlider* slider_ = nullptr;
    std::vector<QToolButton*> buttons_;  // Every frame and Loop
    bool realTimeOffered_ = true;
    bool showingState_ = false;  // ShowRate / ShowFrames at work
};

}  // namespace zel::gui
