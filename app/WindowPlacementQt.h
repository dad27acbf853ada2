#pragma once
// Keeps the main window's place between runs in the setting Settings/InitPlacement.
// The rectangle kept is the window's client area in screen coordinates, the geometry Qt
// reports for the normal state even while maximized and can set before the window has a frame.

class QMainWindow;
class QSettings;

namespace zel::gui {

// Writes where the window is and whether it is normal, minimized or maximized.
void SaveWindowPlacement(const QMainWindow& window, QSettings& settings);

// Call before the window is first shown. Moves and sizes the window as stored and marks it
// maximized when it was, but only when the stored place is usable and still on a screen.
// Returns the show state to first show the window in: 1 normal, 2 minimized, 3 maximized
// (1 when nothing was applied).
int RestoreWindowPlacement(QMainWindow& window, QSettings& settings);

}  // namespace zel::gui
