#include "gui/CControlInterface.h"

#include "gui/CContainerInterface.h"
#include "gui/CFont.h"
#include "gui/CWindowInterface.h"

namespace gui {

bool CControlInterface::IsWindowlessControl() const {
    return IsWindowless();
}

CFont* CControlInterface::GetPaintFont() {
    CWindowInterface* window = GetWindow();
    CWidgetInterface* top = window; // null when the control is in no window
    CWidgetInterface* widget = this;
    // At most as deep as the tree; the bound only guards against a broken parent chain.
    for (int depth = 0; depth < 4096 && widget != nullptr && widget != top; ++depth) {
        CWidgetInterface* parent = widget->GetParent();
        CContainerInterface* container = dynamic_cast<CContainerInterface*>(parent);
        if (container == nullptr)
            return nullptr;
        if (!container->GetFont().IsDefault())
            return &container->GetFont();
        widget = parent;
    }
    return nullptr;
}

void CControlInterface::GetConstructionRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const {
    if (x != nullptr)
        *x = m_constructX;
    if (y != nullptr)
        *y = m_constructY;
    if (width != nullptr)
        *width = m_constructWidth;
    if (height != nullptr)
        *height = m_constructHeight;
}

void CControlInterface::SetConstructionRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    m_constructX = x;
    m_constructY = y;
    m_constructWidth = width;
    m_constructHeight = height;
}

} // namespace gui
