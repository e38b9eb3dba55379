#include "gui/CPopupMenu.h"

#include <windows.h>

namespace gui {

CPopupMenu::~CPopupMenu() {
    // From the last to the first, so that the positions of the others stay right.
    while (!m_items.empty()) {
        CMenuItem* item = m_items.back();
        m_items.pop_back();
        delete item;
    }
    // A root menu frees its own; an entry's menu goes with the entry (~CMenuItem),
    // a window's menu with the window.
    if (m_ownerMenu == nullptr && m_handle != nullptr && IsMenu(m_handle))
        DestroyMenu(m_handle);
}

CMenuItem* CPopupMenu::GetItem(int32_t index) {
    if (index < 0 || index >= GetItemCount())
        return nullptr;
    return m_items[static_cast<size_t>(index)];
}

bool CPopupMenu::PrepareHandle() {
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_STYLE;
    if (!GetMenuInfo(m_handle, &info))
        return false;
    info.dwStyle |= MNS_NOTIFYBYPOS;
    info.fMask = MIM_STYLE | MIM_MENUDATA;
    info.dwMenuData = reinterpret_cast<ULONG_PTR>(this);
    return SetMenuInfo(m_handle, &info) != FALSE;
}

HMENU__* CPopupMenu::CreateHandle() {
    if (m_handle == nullptr) {
        m_handle = CreatePopupMenu();
        if (m_handle == nullptr)
            return nullptr;
    }
    PrepareHandle();
    return m_handle;
}

void CPopupMenu::Redraw() {
    if (m_ownerMenu != nullptr)
        m_ownerMenu->Redraw();
}

HMENU__* CPopupMenu::GetHandle() {
    return m_handle != nullptr ? m_handle : CreateHandle();
}

bool CPopupMenu::InsertItem(CMenuItem* item, bool enabled) {
    if (item == nullptr)
        return false;
    HMENU menu = GetHandle();
    if (menu == nullptr)
        return false;
    m_items.push_back(item);
    item->m_ownerMenu = this;
    item->m_position = static_cast<int32_t>(m_items.size()) - 1;
    item->m_commandWord = 0;
    item->m_enabled = enabled;
    const UINT flags = MF_STRING | (enabled ? 0u : static_cast<UINT>(MF_GRAYED));
    if (!AppendMenuW(menu, flags, 0, reinterpret_cast<LPCWSTR>(item->m_text.GetWide()))) {
        m_items.pop_back();
        item->m_ownerMenu = nullptr;
        item->m_position = -1;
        return false;
    }
    return true;
}

CMenuItem* CPopupMenu::AddItem(const common::CWideString& text) {
    CMenuItem* item = new CMenuItem(text);
    if (!InsertItem(item, true)) {
        delete item;
        return nullptr;
    }
    return item;
}

} // namespace gui
