#include "app/WindowPlacementQt.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QRect>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <vector>

#include "app/WindowPlacement.h"

namespace zel::gui {
namespace {

const QString kPlacementKey = QStringLiteral("Settings/InitPlacement");

// QRect's right() and bottom() are inclusive; Rect's are not.
Rect ToRect(const QRect& r) {
    return {r.x(), r.y(), static_cast<long long>(r.x()) + r.width(), static_cast<long long>(r.y()) + r.height()};
}

// A value written by hand without quotes reads back as a list split at the commas.
QString StoredText(const QSettings& settings) {
    const QVariant value = settings.value(kPlacementKey);
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

bool SecondaryMonitorExists(const Rect& primary) {
    std::vector<Rect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.push_back(ToRect(screen->geometry()));
    const Rect desktop = ToRect(QGuiApplication::primaryScreen()->virtualGeometry());
    return FindSecondaryMonitor(desktop.right, desktop.bottom, primary,
                                [&screens](Point p) { return NearestRect(screens, p); })
        .has_value();
}

}  // namespace

void SaveWindowPlacement(const QMainWindow& window, QSettings& settings) {
    const bool minimized = window.isMinimized();
    const bool maximized = window.isMaximized();
    const QRect normal = minimized || maximized ? window.normalGeometry() : window.geometry();
    const WindowPlacement placement = PlacementOf(minimized, maximized, ToRect(normal));
    settings.setValue(kPlacementKey, QString::fromStdString(FormatPlacement(placement)));
}

int RestoreWindowPlacement(QMainWindow& window, QSettings& settings) {
    const QString text = StoredText(settings);
    const QScreen* primaryScreen = QGuiApplication::primaryScreen();
    if (text.isEmpty() || primaryScreen == nullptr) return static_cast<int>(kShowNormal);

    const WindowPlacement placement = ParsePlacement(text.toStdString());
    const Rect primary = ToRect(primaryScreen->geometry());
    if (!AcceptPlacement(placement, primary, SecondaryMonitorExists(primary))) return static_cast<int>(kShowNormal);

    // AcceptPlacement has checked that every coordinate and the size fit in int.
    const Rect& r = placement.normal;
    window.setGeometry(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
                       static_cast<int>(r.bottom - r.top));
    // Maximized before showing keeps the geometry above as the one to un-maximize to; a
    // minimized window that was maximized comes back maximized.
    const bool restoresMaximized =
        placement.showCommand == kShowMinimized && (placement.flags & kRestoreToMaximized) != 0;
    if (placement.showCommand == kShowMaximized || restoresMaximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    return InitialShowCommand(placement);
}

}  // namespace zel::gui
