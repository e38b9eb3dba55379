#include "gui/CControl.h"

#include "gui/CContainer.h"
#include "gui/CWindowInterface.h"
#include "gui/Units.h"

namespace gui {

namespace {

bool IsFixedAlignment(int32_t alignment) {
    return alignment == 0 || alignment == 5 || alignment == 6;
}

} // namespace

CControl::~CControl() = default;

bool CControl::SetParent(CContainerInterface* container) {
    if (IsCreated())
        return false;
    m_parent = container;
    return true;
}

void CControl::ApplyStoredRect(CContainerInterface*) {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    GetStoredRect(&x, &y, &width, &height);
    SetRect(x, y, width, height, Windows::kUnitPixels);
}

void CControl::SetAlignment(int32_t alignment) {
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    if (IsFixedAlignment(alignment))
        m_priorityGroup = 0;
    LayoutParent();
}

bool CControl::SetPriorityGroup(int32_t group) {
    if (group < 0 || group > 4)
        return false;
    if (group != 0 && IsFixedAlignment(m_alignment))
        return false;
    if (group != m_priorityGroup) {
        m_priorityGroup = group;
        LayoutParent();
    }
    return true;
}

bool CControl::IsEnabled(bool includeAncestors) {
    if (!m_enabled)
        return false;
    if (!includeAncestors)
        return true;
    CWidgetInterface* top = GetWindow();
    CWidgetInterface* widget = this;
    for (int depth = 0; depth < 4096 && widget != top; ++depth) {
        CWidgetInterface* parent = widget->GetParent();
        if (parent == nullptr || parent == top)
            break;
        CControlInterface* control = dynamic_cast<CControlInterface*>(parent);
        if (control == nullptr)
            break;
        if (!control->IsEnabled(false))
            return false;
        widget = parent;
    }
    return true;
}

void CControl::SetTooltipText(const common::CWideString& text) {
    m_tooltipText = text;
}

bool CControl::Repaint(int32_t x, int32_t y, int32_t width, int32_t height, CRect* painted) {
    if (!IsVisible(false))
        return false;
    if (CContainerInterface* container = dynamic_cast<CContainerInterface*>(this))
        return CContainer::RepaintWidget(*this, container, x, y, width, height, painted);
    if (IsRedrawLocked(true))
        return false;
    return CContainer::RepaintWidget(*this, nullptr, x, y, width, height, painted);
}

CWidgetInterface* CControl::GetParent() {
    return m_parent;
}

CWidgetInterface* CControl::HitTest(int32_t* x, int32_t* y) {
    return CContainer::HitTestWidget(*this, nullptr, x, y);
}

void CControl::LayoutParent() {
    if (m_parent != nullptr)
        m_parent->Layout();
}

} // namespace gui
