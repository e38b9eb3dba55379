#include "app/CMainMenu.h"

#include "app/CEmulatorManager.h"
#include "app/CMainWindow.h"
#include "app/TextIds.h"
#include "common/CLocale.h"
#include "common/CNarrowString.h"
#include "common/COptionNodeInterface.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"
#include "emu/host/CRenderer.h"
#include "emu/host/CSoundOutput.h"
#include "gui/windows/Win32Api.h"

namespace emu {

namespace {

using Kind = CMainMenu::EntryKind;

// The fixed items, menu by menu in bar order (the Computer, Drives, Video,
// Sound and Debug menus are filled from the manager and the computer).
const CMainMenu::CCommandEntry kCommandTable[] = {
    {TextId::kEmulation, TextId::kStart, Kind::kCommand, -1, &CMainWindow::OnMenuStart},
    {TextId::kEmulation, TextId::kStop, Kind::kCommand, -1, &CMainWindow::OnMenuStop},
    {TextId::kEmulation, -1, Kind::kSeparator, -1, nullptr},
    {TextId::kEmulation, TextId::kPause, Kind::kCheck, -1, &CMainWindow::OnMenuPause},
    {TextId::kEmulation, -1, Kind::kSeparator, -1, nullptr},
    {TextId::kEmulation, TextId::kSynchronization, Kind::kCheck, -1, &CMainWindow::OnMenuSynchronization},
    {TextId::kEmulation, TextId::kFastInitialization, Kind::kCheck, -1, &CMainWindow::OnMenuFastInit},
    {TextId::kEmulation, -1, Kind::kSeparator, -1, nullptr},
    {TextId::kEmulation, TextId::kSaveState, Kind::kCommand, -1, &CMainWindow::OnMenuSaveState},
    {TextId::kEmulation, TextId::kLoadState, Kind::kCommand, -1, &CMainWindow::OnMenuLoadState},
    {TextId::kEmulation, -1, Kind::kSeparator, -1, nullptr},
    {TextId::kEmulation, TextId::kExit, Kind::kCommand, -1, &CMainWindow::OnMenuExit},
    {TextId::kInput, TextId::kCaptureMouseOnDblClick, Kind::kCommand, -1, &CMainWindow::OnMenuCaptureMouse},
    {TextId::kView, TextId::kEmulationScreen, Kind::kCheck, -1, &CMainWindow::OnMenuEmulationScreen},
    {TextId::kView, TextId::kConsoleWindow, Kind::kCheck, -1, &CMainWindow::OnMenuConsoleWindow},
    {TextId::kView, -1, Kind::kSeparator, -1, nullptr},
    {TextId::kView, TextId::kToolbar, Kind::kCheck, 0, &CMainWindow::OnMenuToolbar},
    {TextId::kSettings, TextId::kMaximizeOnStartup, Kind::kCheck, 0, &CMainWindow::OnMenuSettingsToggle},
    {TextId::kSettings, TextId::kAutoStartEmulation, Kind::kCheck, 1, &CMainWindow::OnMenuSettingsToggle},
    {TextId::kSettings, -1, Kind::kSeparator, -1, nullptr},
};

// The bar's menus in their order.
const int32_t kBarMenus[] = {TextId::kEmulation, TextId::kComputer, TextId::kDrives, TextId::kVideo,
                             TextId::kSound,     TextId::kInput,    TextId::kDebug,  TextId::kView,
                             TextId::kSettings,  TextId::kHelp};

common::CWideString Text(int32_t id) {
    return common::CLocale::GetText(id);
}

common::CWideString WideName(const char* name) {
    return common::CWideString(name != nullptr ? name : "");
}

} // namespace

CMainMenu::CMainMenu(gui::CWidgetInterface* owner, HMENU__* handle) : gui::CMenuBar(owner) {
    m_handle = handle;
}

CMainMenu::~CMainMenu() {
    // Machine items go first: their tags point into the computer's option trees.
    RemoveMachineItems();
    ForgetMembers();
}

const CMainMenu::CCommandEntry* CMainMenu::GetCommandTable(int32_t* count) {
    if (count != nullptr)
        *count = static_cast<int32_t>(sizeof(kCommandTable) / sizeof(kCommandTable[0]));
    return kCommandTable;
}

CMainWindow* CMainMenu::GetMainWindow() {
    return dynamic_cast<CMainWindow*>(GetOwnerWidget());
}

gui::CPopupMenu* CMainMenu::AddSubmenu(gui::CPopupMenu* parent, const common::CWideString& text) {
    return parent != nullptr ? parent->AddSubmenu(text, true, false, false) : nullptr;
}

gui::CMenuItem* CMainMenu::AddItem(gui::CPopupMenu* parent, const common::CWideString& text) {
    return parent != nullptr ? parent->AddItem(text) : nullptr;
}

bool CMainMenu::AddSeparator(gui::CPopupMenu* parent) {
    return parent != nullptr && parent->AddSeparator(false) != nullptr;
}

void CMainMenu::ApplyState(gui::CMenuItem* item, bool enabled, bool checked) {
    if (item == nullptr)
        return;
    // Only a flag that changed is stored and applied (no flicker, no redraw).
    if (item->IsEnabled() != enabled) {
        item->SetEnabled(enabled);
        item->Update(true, false);
    }
    if (item->IsChecked() != checked) {
        item->SetChecked(checked);
        item->Update(true, false);
    }
}

void CMainMenu::SetEnabledAndRefresh(gui::CMenuItem* item, bool enabled) {
    if (item == nullptr)
        return;
    item->SetEnabled(enabled);
    item->Update(true, false);
}

void CMainMenu::ForgetMembers() {
    m_startItem = m_pauseItem = m_stopItem = m_saveStateItem = m_loadStateItem = nullptr;
    m_emulationMenu = m_computerMenu = m_drivesMenu = m_inputMenu = m_debugMenu = nullptr;
    m_viewMenu = m_videoMenu = m_soundMenu = m_settingsMenu = m_helpMenu = nullptr;
    m_consoleWindowItem = m_emulationScreenItem = nullptr;
}

void CMainMenu::RemoveMachineItems() {
    gui::CPopupMenu* menus[] = {m_computerMenu, m_drivesMenu, m_inputMenu, m_debugMenu,
                                m_videoMenu,    m_soundMenu,  m_settingsMenu};
    for (gui::CPopupMenu* menu : menus) {
        if (menu != nullptr)
            menu->RemoveItemsByTag(0, false);
    }
}

gui::CPopupMenu* CMainMenu::MenuOfTextId(int32_t textId) {
    switch (textId) {
    case TextId::kEmulation: return m_emulationMenu;
    case TextId::kComputer: return m_computerMenu;
    case TextId::kDrives: return m_drivesMenu;
    case TextId::kVideo: return m_videoMenu;
    case TextId::kSound: return m_soundMenu;
    case TextId::kInput: return m_inputMenu;
    case TextId::kDebug: return m_debugMenu;
    case TextId::kView: return m_viewMenu;
    case TextId::kSettings: return m_settingsMenu;
    case TextId::kHelp: return m_helpMenu;
    default: return nullptr;
    }
}

bool CMainMenu::BuildMenuBar() {
    RemoveMachineItems();
    RemoveAllItems();
    ForgetMembers();
    CMainWindow* window = GetMainWindow();
    if (window == nullptr)
        return false;
    CEmulatorManager& manager = window->GetManager();

    for (int32_t menuId : kBarMenus) {
        gui::CPopupMenu* menu = AddSubmenuByTextId(menuId);
        if (menu == nullptr)
            return false;
        switch (menuId) {
        case TextId::kEmulation: m_emulationMenu = menu; break;
        case TextId::kComputer: m_computerMenu = menu; break;
        case TextId::kDrives: m_drivesMenu = menu; break;
        case TextId::kVideo: m_videoMenu = menu; break;
        case TextId::kSound: m_soundMenu = menu; break;
        case TextId::kInput: m_inputMenu = menu; break;
        case TextId::kDebug: m_debugMenu = menu; break;
        case TextId::kView: m_viewMenu = menu; break;
        case TextId::kSettings: m_settingsMenu = menu; break;
        default: m_helpMenu = menu; break;
        }
    }

    for (const CCommandEntry& entry : kCommandTable) {
        gui::CPopupMenu* menu = MenuOfTextId(entry.menuTextId);
        if (entry.kind == EntryKind::kSeparator) {
            if (!AddSeparator(menu))
                return false;
            continue;
        }
        gui::CMenuItem* item = nullptr;
        if (menu != nullptr)
            item = entry.kind == EntryKind::kCheck ? menu->AddCheckItemByTextId(entry.textId)
                                                   : menu->AddItemByTextId(entry.textId);
        if (item == nullptr)
            return false;
        item->DataValue() = entry.data;
        item->GetHandler() = entry.handler;
        switch (entry.textId) {
        case TextId::kStart: m_startItem = item; break;
        case TextId::kStop: m_stopItem = item; break;
        case TextId::kPause: m_pauseItem = item; break;
        case TextId::kSaveState: m_saveStateItem = item; break;
        case TextId::kLoadState: m_loadStateItem = item; break;
        case TextId::kEmulationScreen: m_emulationScreenItem = item; break;
        case TextId::kConsoleWindow: m_consoleWindowItem = item; break;
        default: break;
        }
    }

    // Settings: the language submenu lists the registered languages by name.
    gui::CPopupMenu* languages = m_settingsMenu->AddSubmenuByTextId(TextId::kLanguage);
    if (languages == nullptr)
        return false;
    for (int32_t language = 0; language < common::CLocale::kLanguageCount; ++language) {
        const char* name = common::CLocale::GetLanguageName(language);
        if (name == nullptr)
            continue;
        gui::CMenuItem* item = AddItem(languages, WideName(name));
        if (item == nullptr)
            return false;
        item->DataValue() = language;
        item->GetHandler() = &CMainWindow::OnMenuLanguage;
    }

    gui::CMenuItem* about = m_helpMenu->AddItemByTextId(TextId::kAboutItem);
    if (about == nullptr)
        return false;
    about->GetHandler() = &CMainWindow::OnMenuAbout;

    // Computer: one radio item per configuration, or a submenu of its
    // sub-models (the Korvet models have none).
    for (int32_t i = 0; i < manager.GetConfigCount(); ++i) {
        CComputer* config = manager.GetConfig(i);
        if (config == nullptr) {
            AddSeparator(m_computerMenu);
            continue;
        }
        if (!AddConfigEntry(config, i))
            return false;
    }

    // Video: "<name> renderer" per renderer; Sound: one item per output.
    for (int32_t k = 0; k < manager.GetRendererCount(); ++k) {
        CRenderer* renderer = manager.GetRenderer(k);
        common::CWideString label(renderer != nullptr ? renderer->GetName() : "Unknown");
        label.AppendNarrow(" ");
        label.AppendWideString(Text(TextId::kRenderer));
        gui::CMenuItem* item = m_videoMenu->AddCheckItem(label, false);
        if (item == nullptr)
            return false;
        item->DataValue() = k;
        item->GetHandler() = &CMainWindow::OnMenuSelectRenderer;
    }
    for (int32_t k = 0; k < manager.GetSoundOutputCount(); ++k) {
        CSoundOutput* output = manager.GetSoundOutput(k);
        gui::CMenuItem* item =
            m_soundMenu->AddCheckItem(WideName(output != nullptr ? output->GetName() : "Unknown Sound"), false);
        if (item == nullptr)
            return false;
        item->DataValue() = k;
        item->GetHandler() = &CMainWindow::OnMenuSelectSound;
    }

    AppendMachineMenus(false, false);
    BuildDrivesMenu();
    Redraw();
    UpdateAll();
    return true;
}

bool CMainMenu::AddConfigEntry(CComputer* config, int32_t index) {
    bool separator = false;
    if (config->QueryFalse33(0, &separator) == nullptr) {
        gui::CMenuItem* item = m_computerMenu->AddCheckItem(WideName(config->GetName()), true);
        if (item == nullptr)
            return false;
        item->DataValue() = index;
        item->GetHandler() = &CMainWindow::OnMenuSelectMachine;
        return true;
    }
    gui::CPopupMenu* submenu = m_computerMenu->AddSubmenu(WideName(config->GetName()), true, true, true);
    if (submenu == nullptr)
        return false;
    submenu->DataValue() = index;
    submenu->GetUpdateCallback() = &CMainWindow::OnMenuComputerSubmodel;
    // The sub-model number rides above the configuration's ten bits.
    for (int32_t submodel = 0; submodel <= kMaxSubmodel; ++submodel) {
        separator = false;
        const char* name = config->QueryFalse33(submodel, &separator);
        if (name == nullptr)
            break;
        if (separator && !AddSeparator(submenu))
            return false;
        gui::CMenuItem* item = submenu->AddCheckItem(WideName(name), true);
        if (item == nullptr)
            return false;
        item->DataValue() = (submodel << kSubmodelShift) | index;
        item->GetHandler() = &CMainWindow::OnMenuSelectMachine;
    }
    return true;
}

bool CMainMenu::AppendMachineMenus(bool keepExisting, bool removeOnly) {
    if (!keepExisting)
        RemoveMachineItems();
    if (removeOnly)
        return true;
    CMainWindow* window = GetMainWindow();
    CEmulator* computer = window != nullptr ? window->GetComputer() : nullptr;
    if (computer == nullptr)
        return false;
    struct Target {
        int32_t kind;
        gui::CPopupMenu* menu;
        bool submenuFlag;
    };
    const Target targets[] = {
        {CEmulator::kMenuComputer, m_computerMenu, false}, {CEmulator::kMenuInput, m_inputMenu, false},
        {CEmulator::kMenuDebug, m_debugMenu, true},         {CEmulator::kMenuVideo, m_videoMenu, false},
        {CEmulator::kMenuSound, m_soundMenu, false},       {CEmulator::kMenuSettings, m_settingsMenu, false},
    };
    for (const Target& target : targets) {
        if (target.menu == nullptr)
            continue;
        common::COptionNodeInterface* tree = computer->GetOptionMenu(target.kind);
        if (tree != nullptr && tree->GetChildCount() > 0) {
            gui::CMenuItem* separator = target.menu->AddSeparator(true);
            if (separator != nullptr)
                separator->Tag() = reinterpret_cast<uintptr_t>(tree);
            if (!BuildMenuFromOptionTree(tree, target.menu, target.submenuFlag))
                return false;
        } else {
            RemoveTrailingSeparator(target.menu);
        }
    }
    ReloadText();
    return true;
}

void CMainMenu::RemoveTrailingSeparator(gui::CPopupMenu* menu) {
    const int32_t count = menu->GetItemCount();
    if (count > 0 && menu->GetItem(count - 1)->IsSeparator())
        menu->RemoveItem(count - 1);
}

bool CMainMenu::BuildMenuFromOptionTree(common::COptionNodeInterface* node, gui::CPopupMenu* popup, bool submenuFlag) {
    if (node == nullptr || popup == nullptr)
        return true;
    const int32_t count = node->GetChildCount();
    for (int32_t i = 0; i < count; ++i) {
        common::COptionNodeInterface* child = node->GetChildAt(i);
        if (child == nullptr)
            continue;
        const uintptr_t tag = reinterpret_cast<uintptr_t>(child);
        gui::CMenuItem* item = nullptr;
        if (child->GetChildCount() > 0) {
            gui::CPopupMenu* submenu =
                popup->AddSubmenu(child->GetName(), child->IsEnabled(), child->IsCheckable(), submenuFlag);
            if (submenu == nullptr)
                return false;
            submenu->Tag() = tag;
            BuildMenuFromOptionTree(child, submenu, submenuFlag);
            item = submenu;
        } else if (child->IsLocked()) {
            // A separator, unless it would end the menu or double another one.
            common::COptionNodeInterface* next = i + 1 < count ? node->GetChildAt(i + 1) : nullptr;
            if (next == nullptr || (next->IsLocked() && next->GetChildCount() == 0))
                continue;
            gui::CMenuItem* separator = popup->AddSeparator(false);
            if (separator != nullptr)
                separator->Tag() = tag;
            continue;
        } else if (child->GetCheckableFlag()) {
            item = popup->AddCheckItem(child->GetName(), true);
        } else if (child->IsCheckable()) {
            item = popup->AddCheckItem(child->GetName(), false);
        } else {
            item = popup->AddItem(child->GetName());
        }
        if (item == nullptr)
            return false;
        item->SetTextId(child->GetTag());
        item->Tag() = tag;
        item->GetHandler() = &CMainWindow::OnMenuOptionItem;
        if (item->IsChecked() != child->IsChecked()) {
            item->SetChecked(child->IsChecked());
            item->Update(true, false);
        }
    }
    return true;
}

} // namespace emu
