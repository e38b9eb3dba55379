#pragma once
// A menu entry that holds a list of entries and owns a Win32 popup menu. The
// menu is made on demand with the style "notify by position" and carries this
// object as its menu data. A popup owns its items.
#include <cstdint>
#include <vector>

#include "gui/CMenuItem.h"

struct HMENU__;

namespace gui {

class CPopupMenu : public CMenuItem {
public:
    CPopupMenu() = default;
    explicit CPopupMenu(HMENU__* handle) : m_handle(handle) {}
    // Deletes the items from the last to the first, then its own menu.
    ~CPopupMenu() override;

    int32_t GetItemCount() const override { return static_cast<int32_t>(m_items.size()); }
    // Null for an index outside the list.
    CMenuItem* GetItem(int32_t index) override;
    // Makes the Win32 menu when there is none; null when it cannot be made.
    virtual HMENU__* CreateHandle();
    // Asks the owner menu to redraw; nothing at the root.
    virtual void Redraw();

    HMENU__* GetHandle();
    // The menu without making it.
    HMENU__* PeekHandle() const { return m_handle; }
    // Appends the item (which the popup then owns); false, the caller keeping it, on failure.
    bool InsertItem(CMenuItem* item, bool enabled);
    // A new item with the text; null when it cannot be appended.
    CMenuItem* AddItem(const common::CWideString& text);
    // A new check item (checkable, with the radio flag).
    CMenuItem* AddCheckItem(const common::CWideString& text, bool radio);
    // A new submenu entry; null when it cannot be appended.
    CPopupMenu* AddSubmenu(const common::CWideString& text, bool enabled, bool checkable, bool submenu);
    // A separator; with onlyAfterItem nothing (null) on an empty menu or after a separator.
    CMenuItem* AddSeparator(bool onlyAfterItem);
    // The same with the text of a UI text id, which the entry keeps.
    CMenuItem* AddItemByTextId(int32_t textId);
    CMenuItem* AddCheckItemByTextId(int32_t textId);
    CPopupMenu* AddSubmenuByTextId(int32_t textId);
    // Deletes the item at the index; the later items' positions follow their entries.
    void RemoveItem(int32_t index);
    void RemoveAllItems();
    // From the last item back: removes those whose tag equals (or, with equal
    // false, differs from) the value.
    void RemoveItemsByTag(uintptr_t tag, bool equal);
    // Every item's text, then its own.
    void ReloadText() override;

protected:
    // Adds the style and the menu data to a fresh menu; false when refused.
    bool PrepareHandle();
    // Appends the item to the list and the Win32 entry; false (list unchanged) on failure.
    bool Append(CMenuItem* item, unsigned flags, uintptr_t idOrMenu, bool withText);

    std::vector<CMenuItem*> m_items; // owned
    HMENU__* m_handle = nullptr;     // owned unless it belongs to a window
};

} // namespace gui
