#pragma once
// The main window's menu bar and the program's command table: every fixed
// menu is built from UI text ids with the handler of its command, and the
// option menus that the running computer publishes are mirrored into the
// fixed menus of the same menu kind.
//
// Menus on the bar: Emulation, Computer, Drives, Video, Sound, Input, Debug,
// View, Settings, Help. Items mirrored from the computer carry their option
// node in the tag; fixed items keep tag 0.
#include <cstdint>

#include "common/CWideString.h"
#include "gui/CMenuBar.h"

namespace common {
class COptionNodeInterface;
}

namespace emu {

class CComputer;
class CMainWindow;

class CMainMenu : public gui::CMenuBar {
public:
    // A Computer-menu item's data: the configuration index in bits 0-9, the
    // sub-model number in bits 10-15.
    static constexpr int32_t kConfigMask = 0x3FF;
    static constexpr int32_t kSubmodelShift = 10;
    static constexpr int32_t kMaxSubmodel = 0x3F;

    // Kinds of the command table's entries.
    enum class EntryKind { kCommand, kCheck, kSeparator };

    // One fixed item of the command table: the popup (by its text id), the
    // item's text id, its kind, data value and handler.
    struct CCommandEntry {
        int32_t menuTextId;
        int32_t textId;
        EntryKind kind;
        int32_t data;
        gui::CMenuItem::Handler handler;
    };

    explicit CMainMenu(gui::CWidgetInterface* owner, HMENU__* handle = nullptr);
    ~CMainMenu() override;

    // Builds the whole bar (everything there before is deleted); false at the
    // first item that cannot be made.
    bool BuildMenuBar();
    // Mirrors the computer's option menus into the fixed menus (kinds 1, 5, 7,
    // 3, 4, 10); with removeOnly the bar is left as the fixed part only.
    bool AppendMachineMenus(bool keepExisting, bool removeOnly);
    // Mirrors one option tree into one popup.
    bool BuildMenuFromOptionTree(common::COptionNodeInterface* node, gui::CPopupMenu* popup, bool submenuFlag);
    // Rebuilds the Drives submenu from the current computer's drive lists.
    void BuildDrivesMenu();

    // The fixed items other than the Computer, Video, Sound and language lists.
    static const CCommandEntry* GetCommandTable(int32_t* count);
    // The main window the bar belongs to; null when it is not attached to one.
    CMainWindow* GetMainWindow();

    // Item helpers over the toolkit's menus.
    static gui::CPopupMenu* AddSubmenu(gui::CPopupMenu* parent, const common::CWideString& text);
    static gui::CMenuItem* AddItem(gui::CPopupMenu* parent, const common::CWideString& text);
    static bool AddSeparator(gui::CPopupMenu* parent);
    // Stores and applies each of the two flags that differs from the item's.
    static void ApplyState(gui::CMenuItem* item, bool enabled, bool checked);
    // Stores the enabled flag and applies it unconditionally.
    static void SetEnabledAndRefresh(gui::CMenuItem* item, bool enabled);
    // Deletes the items mirrored from the computer (tag not 0) from the seven
    // menus that take them.
    void RemoveMachineItems();

    gui::CMenuItem* m_startItem = nullptr; // items and menus: owned by their popups
    gui::CMenuItem* m_pauseItem = nullptr;
    gui::CMenuItem* m_stopItem = nullptr;
    gui::CMenuItem* m_saveStateItem = nullptr;
    gui::CMenuItem* m_loadStateItem = nullptr;
    gui::CPopupMenu* m_emulationMenu = nullptr;
    gui::CPopupMenu* m_computerMenu = nullptr;
    gui::CPopupMenu* m_drivesMenu = nullptr;
    gui::CPopupMenu* m_inputMenu = nullptr;
    gui::CPopupMenu* m_debugMenu = nullptr;
    gui::CPopupMenu* m_viewMenu = nullptr;
    gui::CPopupMenu* m_videoMenu = nullptr;
    gui::CPopupMenu* m_soundMenu = nullptr;
    gui::CPopupMenu* m_settingsMenu = nullptr;
    gui::CPopupMenu* m_helpMenu = nullptr;
    gui::CMenuItem* m_consoleWindowItem = nullptr;
    gui::CMenuItem* m_emulationScreenItem = nullptr;

private:
    // One configuration's Computer-menu entry: a radio item, or a submenu of
    // the sub-models the configuration lists; false when one cannot be made.
    bool AddConfigEntry(CComputer* config, int32_t index);
    void ForgetMembers();
    static void RemoveTrailingSeparator(gui::CPopupMenu* menu);
    gui::CPopupMenu* MenuOfTextId(int32_t textId);
};

} // namespace emu
