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

protected:
    // Adds the style and the menu data to a fresh menu; false when refused.
    bool PrepareHandle();

    std::vector<CMenuItem*> m_items; // owned
    HMENU__* m_handle = nullptr;     // owned unless it belongs to a window
};

} // namespace gui
