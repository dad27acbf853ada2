#pragma once
// Every icon the application shows is drawn here in code, so it looks the same on every
// desktop whatever icon theme is installed.

#include <QIcon>

namespace zel::gui {

// The icon of a toolbar command (16 x 15, with a 2x version for high-DPI screens) or a
// control-bar button (32 x 32 and 2x), by its id from CommandIds.h; a null icon for ids
// that have no button.
QIcon CommandIcon(int id);

// The application's film-frame icon at 16, 32, 48 and 256 pixels; resources/zeltiff16.svg
// is the same picture for the desktop.
QIcon ApplicationIcon();

}  // namespace zel::gui
