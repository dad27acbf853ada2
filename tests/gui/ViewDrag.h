#pragma once
// Drags the left mouse button across a view from one image pixel to another, as a user
// draws a profile line or an AOI.

#include <QCoreApplication>
#include <QPoint>
#include <QtTest>

#include "view/ZelfView.h"

namespace zeltest {

inline void Drag(zel::gui::CZelfView& view, QPoint from, QPoint to) {
    QCoreApplication::processEvents();
    const auto at = [&](QPoint p) {
        int vx = 0, vy = 0;
        view.Viewport().ImageToView(p.x(), p.y(), vx, vy);
        return QPoint(vx, vy) - view.ScrollPosition();
    };
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, at(from));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, at(to));
}

}  // namespace zeltest
