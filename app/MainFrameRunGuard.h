#pragma once
// A run of the main frame (playback, a conversion, an export): while it lives the frame
// knows which document runs, its controls show the run, and the commands follow; a close
// asked for during the run happens when it ends.

#include <QTimer>
#include <memory>

#include "app/MainFrame.h"

namespace zel::gui {

class CMainFrame::RunGuard {
public:
    RunGuard(CMainFrame& frame, std::shared_ptr<CZelfDoc> doc) : frame_(frame) {
        frame_.runningDoc_ = std::move(doc);
        frame_.runAbandoned_ = false;
        frame_.EnableRunControls(false);
        frame_.UpdateCommandUI();
    }
    ~RunGuard() {
        frame_.runningDoc_.reset();
        frame_.EnableRunControls(true);
        frame_.UpdateCommandUI();
        if (frame_.closeAfterRun_) {
            frame_.closeAfterRun_ = false;
            QTimer::singleShot(0, &frame_, &QWidget::close);
        }
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    CMainFrame& frame_;
};

}  // namespace zel::gui
