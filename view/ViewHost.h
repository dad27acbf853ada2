#pragma once
// What a view needs of the window around it: the status bar's panes by id, the tool
// shapes shared by all views, the questions it asks the user, and where a failure is
// reported. The main frame is the host; tests give a view a host of their own (the
// defaults here keep the shared shapes locally and answer every question with Cancel).

#include <QString>
#include <optional>

#include "document/Measurements.h"

class QWidget;

namespace zel::gui {

class ViewHost {
public:
    virtual ~ViewHost() = default;
    // Sets the text of the status-bar pane with this id (kPaneFrame, kPaneAoi, ...).
    virtual void SetPaneText(int paneId, const QString& text) = 0;
    // The pane's tool tip (also its accessible description): more than the pane can hold.
    virtual void SetPaneToolTip(int, const QString&) {}
    // A failure of the user's action, with its whole reason, shown until dismissed.
    virtual void ReportFailure(const QString&) {}

    // The profile line and AOI rectangle last set in any view.
    virtual std::optional<zel::ProfileLine> SavedProfileLine() const { return profileLine_; }
    virtual void SaveProfileLine(const zel::ProfileLine& line) { profileLine_ = line; }
    virtual zel::AoiRect SavedAoiRect() const { return aoiRect_; }
    virtual void SaveAoiRect(const zel::AoiRect& rect) { aoiRect_ = rect; }

    // The window the profile graph is placed over (its lowest quarter).
    virtual QWidget* GraphAnchor() { return nullptr; }
    // A dark reference movie for the black balance; empty when cancelled.
    virtual QString ChooseBlackReference(QWidget*) { return {}; }

private:
    std::optional<zel::ProfileLine> profileLine_;
    zel::AoiRect aoiRect_{0, 0, 100, 100};
};

}  // namespace zel::gui
