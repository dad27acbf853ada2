#pragma once
// Counts the paint events a widget receives (install it as the widget's event filter).

#include <QEvent>
#include <QObject>

namespace zeltest {

class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};

}  // namespace zeltest
