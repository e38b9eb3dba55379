#include "gui/CMenuItem.h"

#include <windows.h>

#include "common/CLocale.h"
#include "gui/CPopupMenu.h"
#include "gui/CWidgetInterface.h"

namespace gui {

CMenuItem::~CMenuItem() {
    // The entry leaves its owner's menu (for a popup this also frees its submenu).
    if (m_ownerMenu == nullptr || m_position < 0)
        return;
    HMENU menu = m_ownerMenu->PeekHandle();
    if (menu != nullptr && IsMenu(menu))
        DeleteMenu(menu, static_cast<UINT>(m_position), MF_BYPOSITION);
}

void CMenuItem::Update(bool stateChanged, bool textChanged) {
    if (m_ownerMenu == nullptr || m_position < 0 || m_separator || (!stateChanged && !textChanged))
        return;
    HMENU menu = m_ownerMenu->GetHandle();
    if (menu == nullptr)
        return;
    const UINT position = static_cast<UINT>(m_position);
    if (textChanged) {
        // Only the text: a submenu's entry keeps its submenu attached.
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(m_text.GetWide()));
        SetMenuItemInfoW(menu, position, TRUE, &info);
    }
    EnableMenuItem(menu, position, MF_BYPOSITION | (m_enabled ? 0u : static_cast<UINT>(MF_GRAYED | MF_DISABLED)));
    CheckMenuItem(menu, position, MF_BYPOSITION | (m_checked ? static_cast<UINT>(MF_CHECKED) : 0u));
    m_ownerMenu->Redraw();
}

void CMenuItem::SetText(const common::CWideString& text) {
    if (m_separator || m_text.CompareWideString(text) == 0)
        return;
    m_text.AssignWideString(text);
    Update(false, true);
}

void CMenuItem::ReloadText() {
    if (m_textId < 0 || m_separator)
        return;
    const common::CWideString text = common::CLocale::GetText(m_textId, "");
    if (text.GetLength() == 0)
        return;
    SetText(text);
}

CWindowInterface* CMenuItem::GetWindow() {
    CWidgetInterface* owner = GetOwnerWidget();
    return owner != nullptr ? owner->GetWindow() : nullptr;
}

CFrameWindowInterface* CMenuItem::GetFrameWindow() {
    CWidgetInterface* owner = GetOwnerWidget();
    return owner != nullptr ? owner->GetFrameWindow() : nullptr;
}

void CMenuItem::UpdateAll() {
    if (m_ownerMenu != nullptr) {
        m_ownerMenu->UpdateAll();
        return;
    }
    if (!m_separator)
        Dispatch(-1, kModeUpdate, 0);
}

HWND__* CMenuItem::GetOwner() {
    return m_ownerMenu != nullptr ? m_ownerMenu->GetOwner() : nullptr;
}

CWidgetInterface* CMenuItem::GetOwnerWidget() {
    return m_ownerMenu != nullptr ? m_ownerMenu->GetOwnerWidget() : nullptr;
}

bool CMenuItem::Command(int32_t index) {
    if (m_separator)
        return false;
    return Dispatch(index, kModeCommand, 0);
}

bool CMenuItem::UpdateState(int32_t index) {
    if (m_separator)
        return false;
    return Dispatch(index, kModeUpdate, 0);
}

bool CMenuItem::Dispatch(int32_t index, int32_t mode, uintptr_t argument) {
    CMenuItem* entry = this;
    // Each round goes one level down the tree; the bound only guards a broken tree.
    for (int depth = 0; depth < 4096; ++depth) {
        const int32_t count = entry->GetItemCount();
        if (entry->m_separator || index >= count || index < -1)
            return false;
        const bool hasItems = count > 0;
        if (mode == kModeCommand) {
            if (entry->m_commandCallback != nullptr && entry->m_commandCallback(entry, index))
                return true;
        } else if (mode == kModeUpdate) {
            if (entry->m_updateCallback != nullptr && entry->m_updateCallback(entry, index) && !hasItems)
                return true;
        }
        if (entry->m_handler != nullptr && entry->m_handler(entry, index, mode, argument) &&
            (mode == kModeCommand || !hasItems))
            return true;
        if (index == -1) {
            if (!hasItems)
                return false;
            bool any = false;
            for (int32_t i = 0; i < entry->GetItemCount(); ++i) {
                CMenuItem* item = entry->GetItem(i);
                if (item != nullptr && item->Dispatch(-1, mode, argument))
                    any = true;
            }
            return any;
        }
        CMenuItem* next = entry->GetItem(index);
        if (next == nullptr)
            return false;
        entry = next;
        index = -1;
    }
    return false;
}

} // namespace gui
