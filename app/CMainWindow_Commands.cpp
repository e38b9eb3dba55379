// The handlers of the menu bar's fixed commands: run control, the Emulation,
// View, Settings, Input, Video and Sound items, the machine and language
// choices, the items mirrored from the computer's option menus, and the state
// save and load commands. Mode 0 executes, mode 1 updates the item's state;
// any other mode answers false.
#include "app/CMainWindow.h"

#include <initializer_list>

#include "app/CAboutBox.h"
#include "app/CEmulationScreen.h"
#include "app/CMainMenu.h"
#include "app/CStateReport.h"
#include "app/LanguageSwitch.h"
#include "app/TextIds.h"
#include "common/CLocale.h"
#include "common/COptionNodeInterface.h"
#include "common/CPath.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/framework/CProcessorInterface.h"
#include "emu/host/CRenderer.h"
#include "emu/host/CSoundOutput.h"
#include "gui/CCursor.h"
#include "gui/windows/CButton.h"
#include "gui/windows/CMessageBox.h"
#include "gui/windows/CPanel.h"

namespace emu {

namespace {

constexpr int32_t kExecute = gui::CMenuItem::kModeCommand;
constexpr int32_t kUpdate = gui::CMenuItem::kModeUpdate;

// After a command: the update pass over the whole bar and the toolbar.
void FinishCommand(CMainWindow* main, gui::CMenuItem* item) {
    item->UpdateAll();
    main->UpdateToolbar();
}

// A command greys the toolbar buttons it stands for while it waits on the computer.
void DisableButtons(std::initializer_list<gui::Windows::CButton*> buttons) {
    for (gui::Windows::CButton* button : buttons) {
        if (button != nullptr)
            button->SetEnabled(false);
    }
}

// Synchronization and Fast Initialization are greyed only while the thread
// runs a machine whose main processor keeps the bus's base frequency.
bool SyncItemsEnabled(CEmulator* computer) {
    if (computer == nullptr)
        return false;
    if (!computer->IsThreadAlive() || computer->GetMachine() == nullptr)
        return true;
    CProcessorInterface* processor = computer->GetMachine()->GetMainProcessor();
    return processor == nullptr || !processor->UsesBaseFrequency();
}

// Yes/No question owned by the window; true for Yes.
bool AskYesNo(CMainWindow* main, int32_t textId, bool question) {
    gui::Windows::CMessageBox box;
    box.SetKind(question ? gui::CMessageBoxInterface::kKindQuestion : gui::CMessageBoxInterface::kKindInformation);
    const bool shown =
        box.Show(main, common::CLocale::GetText(textId), common::CLocale::GetText(TextId::kConfirmation));
    return shown && box.GetResult() == gui::CDialogInterface::kResultOk;
}

// A failed state command is shown, not only written to the hidden console: a
// box with a warning sign holds the core's line with its reason, captioned
// with the command's name (its menu text without the key).
void ShowStateFailure(CMainWindow* main, int32_t commandTextId, CStateReport& report) {
    common::CWideString text;
    if (!report.Take(text))
        return;
    common::WideText caption = common::CLocale::GetText(commandTextId).GetText();
    const size_t tab = caption.find(u'\t');
    if (tab != common::WideText::npos)
        caption.resize(tab);
    main->ShowWarning(text, common::CWideString(caption.c_str()));
}

} // namespace

// --- Run control ---------------------------------------------------------------------

bool CMainWindow::OnMenuStart(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    CEmulator* computer = main != nullptr ? main->m_computer : nullptr;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, computer != nullptr && !computer->IsActive(), false);
        return true;
    }
    if (mode != kExecute || computer == nullptr)
        return false;
    if (computer->IsActive())
        return true;
    CMainMenu::ApplyState(item, false, false);
    DisableButtons({main->m_startButton});
    main->HandWindowToSound(computer->GetSoundOutput());
    computer->Start(false, false);
    if (main->m_manager.EmuCaptureMouseOnDblClick && main->m_screen != nullptr)
        main->m_screen->GetCursor()->SetStandard(2);
    FinishCommand(main, item);
    if (main->m_manager.EmuCaptureMouseOnDblClick)
        main->m_mouseMode = true;
    return true;
}

bool CMainWindow::OnMenuPause(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    CEmulator* computer = main != nullptr ? main->m_computer : nullptr;
    if (mode == kUpdate) {
        const bool running = computer != nullptr && computer->IsActive();
        CMainMenu::ApplyState(item, running, running && computer->IsInBreak());
        return true;
    }
    if (mode != kExecute || computer == nullptr)
        return false;
    if (!computer->IsActive())
        return true;
    CMainMenu::ApplyState(item, false, computer->IsInBreak());
    DisableButtons({main->m_pauseButton});
    if (computer->IsInBreak())
        computer->Resume();
    else
        computer->Break(true);
    FinishCommand(main, item);
    return true;
}

bool CMainWindow::OnMenuStop(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    CEmulator* computer = main != nullptr ? main->m_computer : nullptr;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, computer != nullptr && computer->IsActive(), false);
        return true;
    }
    if (mode != kExecute || computer == nullptr)
        return false;
    if (!computer->IsActive())
        return true;
    CMainMenu::ApplyState(item, false, false);
    DisableButtons({main->m_stopButton, main->m_pauseButton});
    computer->Stop();
    FinishCommand(main, item);
    return true;
}

// --- Emulation menu ----------------------------------------------------------------------

bool CMainWindow::OnMenuExit(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, true, false);
        return true;
    }
    if (mode != kExecute || main == nullptr)
        return false;
    main->Close();
    return true;
}

bool CMainWindow::OnMenuSynchronization(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    CEmulator* computer = main != nullptr ? main->m_computer : nullptr;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, SyncItemsEnabled(computer), computer != nullptr && computer->IsSynchronized());
        return true;
    }
    if (mode != kExecute || computer == nullptr)
        return false;
    // The setting and the pace of a running loop change together.
    const bool on = !computer->IsSynchronized();
    computer->SetSynchronization(on);
    computer->SetPacing(on);
    item->UpdateState(-1);
    return true;
}

bool CMainWindow::OnMenuFastInit(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    if (main == nullptr)
        return false;
    CEmulator* computer = main->m_computer;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, SyncItemsEnabled(computer), main->m_manager.EmuFastInit);
        return true;
    }
    if (mode != kExecute)
        return false;
    const bool wasOn = main->m_manager.EmuFastInit;
    main->m_manager.EmuFastInit = !wasOn;
    if (computer != nullptr) {
        computer->SetFastInit(!wasOn);
        // Turned off during an unpaced start: real time from now on.
        if (wasOn && computer->IsSynchronized())
            computer->SetPacing(true);
    }
    item->UpdateState(-1);
    return true;
}

// --- View, Settings and Input menus --------------------------------------------------------

bool CMainWindow::OnMenuEmulationScreen(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    CEmulator* computer = main != nullptr ? main->m_computer : nullptr;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, computer != nullptr && computer->IsActive(),
                              computer != nullptr && !computer->IsConsoleShown());
        return true;
    }
    if (mode != kExecute || computer == nullptr || !computer->IsActive() || !computer->IsConsoleShown())
        return false;
    computer->ShowConsole(false, true);
    main->InvalidateScreen();
    item->UpdateAll();
    return true;
}

bool CMainWindow::OnMenuConsoleWindow(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    CEmulator* computer = main != nullptr ? main->m_computer : nullptr;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, computer != nullptr, computer != nullptr && computer->IsConsoleShown());
        return true;
    }
    if (mode != kExecute || computer == nullptr || computer->IsConsoleShown())
        return false;
    computer->ShowConsole(true, true);
    item->UpdateAll();
    return true;
}

bool CMainWindow::OnMenuToolbar(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    if (main == nullptr || item->DataValue() != 0)
        return false;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, true, main->m_manager.guiShowToolbar);
        return true;
    }
    if (mode != kExecute)
        return false;
    main->m_manager.guiShowToolbar = !main->m_manager.guiShowToolbar;
    if (main->m_toolbar != nullptr) {
        main->m_toolbar->SetVisible(main->m_manager.guiShowToolbar);
        main->Layout();
    }
    item->UpdateState(-1);
    return true;
}

bool CMainWindow::OnMenuSettingsToggle(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    if (main == nullptr)
        return false;
    bool* setting = nullptr;
    if (item->DataValue() == 0)
        setting = &main->m_manager.guiMaximizeOnStartup;
    else if (item->DataValue() == 1)
        setting = &main->m_manager.guiAutoStartEmulation;
    if (setting == nullptr)
        return false;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, true, *setting);
        return true;
    }
    if (mode != kExecute)
        return false;
    *setting = !*setting;
    item->UpdateState(-1);
    return true;
}

bool CMainWindow::OnMenuCaptureMouse(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    if (main == nullptr)
        return false;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, true, main->m_manager.EmuCaptureMouseOnDblClick);
        return true;
    }
    if (mode != kExecute)
        return false;
    main->m_manager.EmuCaptureMouseOnDblClick = !main->m_manager.EmuCaptureMouseOnDblClick;
    if (main->m_computer != nullptr && main->m_screen != nullptr) {
        const bool hand = main->m_manager.EmuCaptureMouseOnDblClick && main->m_computer->IsActive();
        main->m_screen->GetCursor()->SetStandard(hand ? 2 : 0);
        main->m_cursorChanged = true;
    }
    item->UpdateState(-1);
    return true;
}

// --- Video and Sound menus ------------------------------------------------------------------

bool CMainWindow::OnMenuSelectRenderer(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    if (main == nullptr)
        return false;
    CEmulator* computer = main->m_computer;
    const int32_t k = item->DataValue();
    const bool valid = k >= 0 && k < main->m_manager.GetRendererCount();
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, (computer == nullptr || !computer->IsActive()) && valid,
                              k == main->m_manager.GetSelectedRenderer());
        return true;
    }
    if (mode != kExecute)
        return false;
    if (!valid || k == main->m_manager.GetSelectedRenderer())
        return true;
    if (computer != nullptr && computer->IsActive())
        return false;
    CMainMenu* menu = main->GetMainMenu();
    CMainMenu::ApplyState(item, false, false);
    if (menu != nullptr)
        CMainMenu::ApplyState(menu->m_startItem, false, false);
    DisableButtons({main->m_startButton});
    main->m_manager.SelectRenderer(k);
    if (computer != nullptr)
        computer->SetRenderer(main->m_manager.CreateScreen(k), true);
    main->RenewScreenWindow();
    item->UpdateAll();
    return true;
}

bool CMainWindow::OnMenuSelectSound(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    if (main == nullptr)
        return false;
    CEmulator* computer = main->m_computer;
    const int32_t k = item->DataValue();
    const bool valid = k >= 0 && k < main->m_manager.GetSoundOutputCount();
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, (computer == nullptr || !computer->IsActive()) && valid,
                              k == main->m_manager.GetSelectedSoundOutput());
        return true;
    }
    if (mode != kExecute)
        return false;
    if (!valid || k == main->m_manager.GetSelectedSoundOutput())
        return true;
    if (computer != nullptr && computer->IsActive())
        return false;
    CMainMenu* menu = main->GetMainMenu();
    CMainMenu::ApplyState(item, false, false);
    if (menu != nullptr)
        CMainMenu::ApplyState(menu->m_startItem, false, false);
    DisableButtons({main->m_startButton});
    main->m_manager.SelectSoundOutput(k);
    if (computer != nullptr) {
        CSoundOutput* device = main->m_manager.CreateSoundDevice(k);
        if (device != nullptr) {
            main->HandWindowToSound(device);
            if (!computer->SetSoundOutput(device))
                delete device;
        }
    }
    item->UpdateAll();
    return true;
}

// --- Computer menu ---------------------------------------------------------------------------

bool CMainWindow::OnMenuSelectMachine(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    if (main == nullptr)
        return false;
    const int32_t index = item->DataValue() & CMainMenu::kConfigMask;
    const int32_t submodel = (item->DataValue() >> CMainMenu::kSubmodelShift) & CMainMenu::kMaxSubmodel;
    if (index >= main->m_manager.GetConfigCount())
        return false;
    CEmulator* computer = main->m_computer;
    CComputer* machine = computer != nullptr ? computer->GetMachine() : nullptr;
    if (mode == kUpdate) {
        const bool checked =
            main->m_selectedConfig == index && (machine == nullptr || machine->QueryFalse34(-1) == submodel);
        CMainMenu::ApplyState(item, computer == nullptr || !computer->IsActive(), checked);
        return true;
    }
    if (mode != kExecute)
        return false;
    if (computer != nullptr && computer->IsActive())
        return false;
    if (index == main->m_selectedConfig) {
        // Another sub-model of the machine in use: the machine switches itself.
        if (machine == nullptr || machine->QueryFalse34(-1) == submodel)
            return true;
        if (item->IsEnabled())
            CMainMenu::SetEnabledAndRefresh(item, false);
        machine->QueryFalse34(submodel);
        item->UpdateAll();
        return true;
    }
    if (item->IsEnabled())
        CMainMenu::SetEnabledAndRefresh(item, false);
    main->m_manager.SetDefaultConfig(index);
    // Machine items go before the option trees their tags point to are replaced.
    CMainMenu* menu = main->GetMainMenu();
    if (menu != nullptr)
        menu->RemoveMachineItems();
    const bool hadComputer = main->m_computer != nullptr;
    if (main->m_manager.SelectConfig(&main->m_computer, index)) {
        main->m_selectedConfig = index;
        if (!hadComputer && main->m_computer != nullptr) {
            main->m_computer->SetWaitCallback(&CMainWindow::OnCoreWait);
            if (main->m_screen != nullptr)
                main->m_computer->SetOutputWindow(main->m_screen->GetWindowHandle());
        }
    }
    if (menu != nullptr) {
        menu->AppendMachineMenus(true, false);
        menu->BuildDrivesMenu();
    }
    machine = main->m_computer != nullptr ? main->m_computer->GetMachine() : nullptr;
    if (machine != nullptr)
        machine->QueryFalse34(submodel);
    main->ReportUnsavedSettings(common::CPath());
    main->UpdateTitle();
    item->UpdateAll();
    return true;
}

bool CMainWindow::OnMenuComputerSubmodel(gui::CMenuItem* item, int32_t) {
    CMainWindow* main = FromMenuItem(item);
    const bool selected =
        main != nullptr && main->m_selectedConfig == (item->DataValue() & CMainMenu::kConfigMask);
    CMainMenu::ApplyState(item, true, selected);
    return true;
}

// --- Language ---------------------------------------------------------------------------------

bool CMainWindow::OnMenuLanguage(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    if (main == nullptr)
        return false;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, true, IsLanguageChecked(main->m_manager.guiLanguadge, item->DataValue()));
        return true;
    }
    if (mode != kExecute)
        return false;
    if (!SwitchLanguage(main->m_manager.guiLanguadge, item->DataValue()))
        return true;
    main->ApplyLanguage();
    main->UpdateTitle();
    item->UpdateAll();
    return true;
}

// --- Items mirrored from the computer's option menus -----------------------------------------

bool CMainWindow::OnMenuOptionItem(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    if (index >= 0 || item->Tag() == 0 || main == nullptr || main->m_computer == nullptr)
        return false;
    common::COptionNodeInterface* node = reinterpret_cast<common::COptionNodeInterface*>(item->Tag());
    if (mode == kUpdate) {
        // A Win32 menu cannot hide one entry without renumbering the rest, so
        // a hidden node's item stays in place greyed: its node refuses to run.
        if (item->IsVisible() != node->IsVisible())
            item->SetVisible(node->IsVisible());
        CMainMenu::ApplyState(item, node->IsEnabled() && node->IsVisible(), node->IsChecked());
        return true;
    }
    if (mode != kExecute)
        return false;
    node->Activate();
    // An action may rename its node and the submenus above it (a value shown
    // in the name): each mirrored level takes its node's name again.
    for (gui::CMenuItem* entry = item; entry != nullptr && entry->Tag() != 0 && entry->GetHandler() == &OnMenuOptionItem;
         entry = entry->GetOwnerMenu()) {
        const auto* level = reinterpret_cast<common::COptionNodeInterface*>(entry->Tag());
        if (entry->GetText().CompareWideString(level->GetName()) != 0)
            entry->SetText(level->GetName());
    }
    item->UpdateAll();
    return true;
}

// --- Help ----------------------------------------------------------------------------------------

bool CMainWindow::OnMenuAbout(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    if (mode == kUpdate)
        return true;
    if (mode != kExecute)
        return false;
    CMainWindow* main = FromMenuItem(item);
    if (main == nullptr)
        return false;
    return CAboutBox::Run(main, main->m_title, main->m_computer);
}

// --- State save and load -----------------------------------------------------------------------

bool CMainWindow::OnMenuSaveState(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    CEmulator* computer = main != nullptr ? main->m_computer : nullptr;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, computer != nullptr && computer->IsInRunLoop(), false);
        return true;
    }
    if (mode != kExecute || computer == nullptr || !computer->IsInRunLoop())
        return false;
    const bool brokeHere = !computer->IsInBreak();
    if (brokeHere)
        computer->Break(false);
    bool saved = false;
    if (AskYesNo(main, TextId::kSaveStateQuestion, true)) {
        CStateReport report(computer->GetConsole());
        if (!computer->SaveStateToFile(MakeEmptyPath(), false))
            ShowStateFailure(main, TextId::kSaveState, report);
        saved = true;
    }
    if (brokeHere && computer->IsInBreak())
        computer->Resume();
    if (brokeHere || saved)
        FinishCommand(main, item);
    return true;
}

bool CMainWindow::OnMenuLoadState(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    CEmulator* computer = main != nullptr ? main->m_computer : nullptr;
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, computer != nullptr, false);
        return true;
    }
    if (mode != kExecute || computer == nullptr)
        return false;
    bool brokeHere = false;
    if (computer->IsActive() && !computer->IsInBreak()) {
        computer->Break(false);
        brokeHere = true;
    }
    bool loaded = false;
    if (!computer->IsActive() || AskYesNo(main, TextId::kLoadStateQuestion, false)) {
        if (!computer->IsActive())
            main->HandWindowToSound(computer->GetSoundOutput());
        CStateReport report(computer->GetConsole());
        // Set again only by a load that read a state file, whole or not.
        computer->SetStateLoaded(false);
        if (!computer->LoadStateFromFile(MakeEmptyPath(), false) || !computer->IsStateLoaded())
            ShowStateFailure(main, TextId::kLoadState, report);
        loaded = true;
        main->RefreshDriveRow();
    }
    if (brokeHere && computer->IsActive() && computer->IsInBreak())
        computer->Resume();
    if (brokeHere || loaded)
        FinishCommand(main, item);
    return true;
}

} // namespace emu
