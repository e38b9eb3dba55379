#include "gui/CMenuBar.h"

#include <windows.h>

namespace gui {

CMenuBar::~CMenuBar() = default;

HMENU__* CMenuBar::CreateHandle() {
    if (m_handle == nullptr) {
        m_handle = CreateMenu();
        if (m_handle == nullptr)
            m_handle = CreatePopupMenu();
        if (m_handle == nullptr)
            return nullptr;
    }
    if (PrepareHandle())
        Update(true, true);
    return m_handle;
}

void CMenuBar::Redraw() {
    if (m_ownerWindow != nullptr)
        DrawMenuBar(m_ownerWindow);
    CPopupMenu::Redraw();
}

HWND__* CMenuBar::GetOwner() {
    if (m_ownerWindow != nullptr)
        return m_ownerWindow;
    return CPopupMenu::GetOwner();
}

bool CMenuBar::AttachToWindow(HWND__* window) {
    m_ownerWindow = window;
    if (m_handle != nullptr && window != nullptr)
        DrawMenuBar(window);
    return true;
}

void CMenuBar::ReloadText() {
    CPopupMenu::ReloadText();
    if (m_secondWindow != nullptr)
        DrawMenuBar(m_secondWindow);
}

} // namespace gui
