#pragma once
// What a view needs of the window around it: the status bar's panes by id, the tool
// positions shared by all views, the questions it asks the user, and the export runs.
// The main frame is the host; tests give a view a host of their own (the defaults here
// keep the shared positions locally and answer every question with Cancel).

#include <QString>
#include <array>

class QWidget;

namespace zel::gui {

class ViewHost {
public:
    virtual ~ViewHost() = default;
    // Sets the text of the status-bar pane with this id (kPaneFrame, kPaneAoi, ...).
    virtual void SetPaneText(int paneId, const QString& text) = 0;
    // A message in the status bar's message pane.
    virtual void ShowStatusMessage(const QString&) {}

    // The profile line and AOI rectangle last set in any view (x0 < 0: no line yet).
    virtual std::array<int, 4>& SharedProfileLine() { return profileLine_; }
    virtual std::array<int, 4>& SharedAoiRect() { return aoiRect_; }

    // The window the profile graph is placed over.
    virtual QWidget* GraphAnchor() { return nullptr; }
    // A dark reference movie for the black balance; empty when cancelled.
    virtual QString ChooseBlackReference(QWidget*) { return {}; }
    // The CSV file of an export, proposing `proposedPath`; empty when cancelled.
    virtual QString ChooseCsvName(QWidget*, const QString&) { return {}; }
    // Asks for an export run of the AOI statistics or the profile over the frame range.
    virtual void RequestAoiExport() {}
    virtual void RequestProfileExport() {}

private:
    std::array<int, 4> profileLine_{-1, 0, 0, 0};
    std::array<int, 4> aoiRect_{0, 0, 100, 100};
};

}  // namespace zel::gui
