#include "gui/windows/CControlContainer.h"

#include "gui/CControlInterface.h"

namespace gui {
namespace Windows {

CControlContainer::CControlContainer(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment,
                                     bool visible, int32_t unit)
    : CControl(x, y, width, height, alignment, visible, unit) {}

CControlContainer::~CControlContainer() {
    BeginTeardown();
}

bool CControlContainer::Create() {
    if (!CControl::Create())
        return false;
    return CContainer::Create();
}

void CControlContainer::Destroy() {
    DestroyChildren();
    CControl::Destroy();
}

bool CControlContainer::Repaint(int32_t x, int32_t y, int32_t width, int32_t height, gui::CRect* painted) {
    return gui::CContainer::Repaint(x, y, width, height, painted);
}

gui::CWidgetInterface* CControlContainer::HitTest(int32_t* x, int32_t* y) {
    return gui::CContainer::HitTest(x, y);
}

void CControlContainer::OnMove() {
    Layout();
    gui::CWidget::OnMove();
    if (m_parent != nullptr && m_alignment != 0)
        m_parent->Layout();
}

void CControlContainer::OnSize() {
    Layout();
    gui::CWidget::OnSize();
    if (m_parent != nullptr && m_alignment != 0)
        m_parent->Layout();
}

void CControlContainer::SetEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    CControl::SetEnabled(enabled);
    for (int32_t i = 0; i < GetChildCount(); ++i) {
        if (CControlInterface* child = GetChild(i))
            child->SetEnabled(enabled);
    }
}

void CControlContainer::Refresh() {
    BroadcastToChildren();
}

} // namespace Windows
} // namespace gui
