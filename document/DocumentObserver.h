#pragma once
// How a document tells its views that the picture changed, without knowing what a view
// is: the GUI implements this; headless users attach nothing.

namespace zel {

class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    // The current frame or its rendering changed: repaint every view now.
    virtual void RepaintViews() = 0;
    // The document's state changed (gain, data display): let every view update itself.
    virtual void UpdateAllViews() = 0;
};

}  // namespace zel
