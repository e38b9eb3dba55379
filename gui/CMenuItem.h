#pragma once
// One entry of a menu. The program never uses Win32 command identifiers: every
// menu carries its menu object, so a choice arrives as (menu object, position)
// and is dispatched through the tree to the callbacks stored in the items.
//
// Dispatch(index, mode, argument): mode 0 runs a command, mode 1 lets items
// refresh their enabled and checked state; index -1 means the entry itself,
// index i its item i. In command mode the first callback that claims the choice
// ends it (a menu's own callbacks see the position first, then the chosen
// item); in update mode a menu with items passes the update to every item.
//
// Texts may come from UI text ids; ReloadText re-reads them after a language
// switch. The enabled and checked flags live only here: handlers set them and
// call Update, which applies them to the Win32 entry.
#include <cstdint>

#include "common/CWideString.h"

struct HWND__;

namespace gui {

class CPopupMenu;
class CWidgetInterface;
class CWindowInterface;
class CFrameWindowInterface;

class CMenuItem {
public:
    enum : int32_t { kModeCommand = 0, kModeUpdate = 1 };

    // Called in both modes with the entry, the index (-1: the entry itself), the
    // mode and the caller's word; true claims the event.
    typedef bool (*Handler)(CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    typedef bool (*ItemCallback)(CMenuItem* item, int32_t index);

    CMenuItem() = default;
    explicit CMenuItem(const common::CWideString& text) : m_text(text) {}
    // Applies the state (enabled, checked) and, when textChanged, the text to
    // the Win32 entry; nothing outside a menu, for separators or when both are false.
    virtual void Update(bool stateChanged, bool textChanged);
    // Removes its entry from the owner's Win32 menu.
    virtual ~CMenuItem();
    CMenuItem(const CMenuItem&) = delete;
    CMenuItem& operator=(const CMenuItem&) = delete;

    virtual int32_t GetItemCount() const { return 0; }
    virtual CMenuItem* GetItem(int32_t) { return nullptr; }
    // An update pass over the whole tree from its root.
    virtual void UpdateAll();
    // The window the root menu belongs to; null when there is none.
    virtual HWND__* GetOwner();
    virtual CWidgetInterface* GetOwnerWidget();
    // Re-reads the text of the text id; an empty text leaves the old one.
    virtual void ReloadText();

    // The owner widget's window and frame window; null when the bar is not attached.
    CWindowInterface* GetWindow();
    CFrameWindowInterface* GetFrameWindow();
    // Not for separators; applies the text when it differs.
    void SetText(const common::CWideString& text);

    bool Command(int32_t index);
    bool UpdateState(int32_t index);
    bool Dispatch(int32_t index, int32_t mode, uintptr_t argument);

    const common::CWideString& GetText() const { return m_text; }
    bool IsSeparator() const { return m_separator; }
    bool IsEnabled() const { return m_enabled; }
    bool IsChecked() const { return m_checked; }
    // Store only; Update applies them.
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    void SetChecked(bool checked) { m_checked = checked; }
    bool IsCheckable() const { return m_checkable; }
    bool IsSubmenu() const { return m_submenu; }
    bool IsRadio() const { return m_radio; }
    bool IsVisible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    uintptr_t& OwnerData() { return m_ownerData; }
    int32_t GetTextId() const { return m_textId; }
    void SetTextId(int32_t id) { m_textId = id; }
    CPopupMenu* GetOwnerMenu() const { return m_ownerMenu; }
    int32_t GetPosition() const { return m_position; }
    int32_t& DataValue() { return m_dataValue; }
    uintptr_t& Tag() { return m_tag; }
    Handler& GetHandler() { return m_handler; }
    ItemCallback& GetCommandCallback() { return m_commandCallback; }
    ItemCallback& GetUpdateCallback() { return m_updateCallback; }

protected:
    friend class CPopupMenu;

    common::CWideString m_text; // "\t" separates an accelerator column
    uint32_t m_commandWord = 0;
    bool m_enabled = true;
    bool m_checked = false;
    bool m_checkable = false;
    bool m_submenu = false;
    bool m_radio = false;
    bool m_visible = true;
    bool m_separator = false;
    uintptr_t m_ownerData = 0;
    CPopupMenu* m_ownerMenu = nullptr; // the popup that holds the entry; not owned
    int32_t m_position = -1;           // index in the owner's Win32 menu; -1 = in none
    int32_t m_dataValue = -1;
    int32_t m_textId = -1;
    uintptr_t m_tag = 0;
    Handler m_handler = nullptr;
    ItemCallback m_commandCallback = nullptr;
    ItemCallback m_updateCallback = nullptr;
};

} // namespace gui
