#include "gui/CContainerInterface.h"

#include "gui/CControlInterface.h"

namespace gui {

void CContainerInterface::BroadcastToChildren() {
    const int32_t count = GetChildCount();
    for (int32_t i = 0; i < count; ++i) {
        CControlInterface* child = GetChild(i);
        if (child != nullptr)
            child->Refresh();
    }
}

} // namespace gui
