#include "app/Icons.h"

#include "app/IconsCanvas.h"

namespace zel::gui {

QIcon CommandIcon(int id) {
    if (QIcon icon = icons::ToolbarIcon(id); !icon.isNull()) {
        return icon;
    }
    return icons::ControlBarIcon(id);
}

}  // namespace zel::gui
