#pragma once
// What a view needs of the window around it: the status bar's panes by id, and the
// state the main frame shares between all views. Tests give a view a host of their own.

#include <QString>

namespace zel::gui {

class ViewHost {
public:
    virtual ~ViewHost() = default;
    // Sets the text of the status-bar pane with this id (kPaneFrame, kPaneAoi, ...).
    virtual void SetPaneText(int paneId, const QString& text) = 0;
};

}  // namespace zel::gui
