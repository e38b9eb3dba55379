#include "gui/CPopupMenu.h"

#include <windows.h>

#include "common/CLocale.h"

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
    if (PrepareHandle())
        Update(true, true);
    return m_handle;
}

void CPopupMenu::Redraw() {
    if (m_ownerMenu != nullptr)
        m_ownerMenu->Redraw();
}

HMENU__* CPopupMenu::GetHandle() {
    return m_handle != nullptr ? m_handle : CreateHandle();
}

bool CPopupMenu::Append(CMenuItem* item, unsigned flags, uintptr_t idOrMenu, bool withText) {
    HMENU menu = GetHandle();
    if (menu == nullptr)
        return false;
    m_items.push_back(item);
    item->m_ownerMenu = this;
    item->m_position = static_cast<int32_t>(m_items.size()) - 1;
    item->m_commandWord = 0;
    LPCWSTR text = withText ? reinterpret_cast<LPCWSTR>(item->m_text.GetWide()) : nullptr;
    if (!AppendMenuW(menu, flags, idOrMenu, text)) {
        m_items.pop_back();
        item->m_ownerMenu = nullptr;
        item->m_position = -1;
        return false;
    }
    return true;
}

bool CPopupMenu::InsertItem(CMenuItem* item, bool enabled) {
    if (item == nullptr)
        return false;
    item->m_enabled = enabled;
    if (!Append(item, MF_STRING, 0, true))
        return false;
    item->Update(true, true);
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

CMenuItem* CPopupMenu::AddCheckItem(const common::CWideString& text, bool radio) {
    CMenuItem* item = new CMenuItem(text);
    item->m_checkable = true;
    item->m_radio = radio;
    if (!InsertItem(item, true)) {
        delete item;
        return nullptr;
    }
    return item;
}

CPopupMenu* CPopupMenu::AddSubmenu(const common::CWideString& text, bool enabled, bool checkable, bool submenu) {
    CPopupMenu* popup = new CPopupMenu();
    popup->m_text.AssignWideString(text);
    popup->m_enabled = enabled;
    popup->m_checkable = checkable;
    popup->m_submenu = submenu;
    HMENU handle = popup->GetHandle();
    if (handle == nullptr || !Append(popup, MF_POPUP, reinterpret_cast<uintptr_t>(handle), true)) {
        delete popup; // not in a menu: its destructor frees its own menu
        return nullptr;
    }
    popup->Update(true, true);
    return popup;
}

CMenuItem* CPopupMenu::AddSeparator(bool onlyAfterItem) {
    if (onlyAfterItem && (m_items.empty() || m_items.back()->m_separator))
        return nullptr;
    CMenuItem* item = new CMenuItem();
    if (!Append(item, MF_SEPARATOR, 0, false)) {
        delete item;
        return nullptr;
    }
    item->m_separator = true;
    return item;
}

CMenuItem* CPopupMenu::AddItemByTextId(int32_t textId) {
    CMenuItem* item = AddItem(common::CLocale::GetText(textId, ""));
    if (item != nullptr)
        item->m_textId = textId;
    return item;
}

CMenuItem* CPopupMenu::AddCheckItemByTextId(int32_t textId) {
    CMenuItem* item = AddCheckItem(common::CLocale::GetText(textId, ""), false);
    if (item != nullptr)
        item->m_textId = textId;
    return item;
}

CPopupMenu* CPopupMenu::AddSubmenuByTextId(int32_t textId) {
    CPopupMenu* popup = AddSubmenu(common::CLocale::GetText(textId, ""), true, false, false);
    if (popup != nullptr)
        popup->m_textId = textId;
    return popup;
}

void CPopupMenu::RemoveItem(int32_t index) {
    if (index < 0 || index >= GetItemCount())
        return;
    CMenuItem* item = m_items[static_cast<size_t>(index)];
    delete item; // its destructor removes its Win32 entry
    m_items.erase(m_items.begin() + index);
    // The Win32 entries after it moved up by one; so do their positions, or
    // later updates and removals would reach the wrong entries.
    for (size_t i = static_cast<size_t>(index); i < m_items.size(); ++i)
        m_items[i]->m_position = static_cast<int32_t>(i);
    Redraw();
}

void CPopupMenu::RemoveAllItems() {
    while (!m_items.empty()) {
        CMenuItem* item = m_items.back();
        m_items.pop_back();
        delete item;
    }
    Redraw();
}

void CPopupMenu::RemoveItemsByTag(uintptr_t tag, bool equal) {
    for (int32_t i = GetItemCount() - 1; i >= 0; --i) {
        const bool same = m_items[static_cast<size_t>(i)]->m_tag == tag;
        if (same == equal)
            RemoveItem(i);
    }
    Redraw();
}

void CPopupMenu::ReloadText() {
    for (CMenuItem* item : m_items)
        item->ReloadText();
    CMenuItem::ReloadText();
}

} // namespace gui
