// Replacing the machine, the renderer and the sound output; the seven
// option-menu models; the drive queries of the front end.
#include "common/CScopedLock.h"
#include "emu/core/CEmulator.h"
#include "emu/core/CEmulatorManagerInterface.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDrives.h"
#include "emu/host/CRenderer_NoRendering.h"
#include "emu/host/CSoundOutput.h"

namespace emu {

namespace {

// Menu kinds of the models, in the order of m_menus.
constexpr int32_t kModelKinds[CEmulator::kMenuCount] = {
    CEmulator::kMenuComputer, CEmulator::kMenuInput, CEmulator::kMenuVideo,  CEmulator::kMenuSound,
    CEmulator::kMenuSettings, CEmulator::kMenuDebug, CEmulator::kMenuDrives,
};

} // namespace

bool CEmulator::SetSoundOutput(CSoundOutput* output) {
    if (output == m_soundOutput)
        return true;
    common::CScopedLock lock(&m_coreLock);
    // The bus clones the output for its streams while the machine runs.
    if (m_active)
        return false;
    CSoundOutput* old = m_soundOutput;
    m_soundOutput = output;
    if (m_machine != nullptr)
        m_machine->SetSoundOutput(output);
    delete old;
    return true;
}

void CEmulator::SetRenderer(CRenderer* renderer, bool owned) {
    common::CScopedLock lock(&m_coreLock);
    // The video draws into the renderer on the emulation thread.
    PauseAndWait();
    if (renderer == m_renderer && renderer != nullptr) {
        m_rendererOwned = owned;
        ReleasePause();
        return;
    }
    CRenderer* old = m_renderer;
    const bool oldOwned = m_rendererOwned;
    if (renderer == nullptr) {
        m_renderer = new CRenderer_NoRendering();
        m_rendererOwned = true;
    } else {
        m_renderer = renderer;
        m_rendererOwned = owned;
    }
    if (m_consoleShown) {
        delete m_consoleView;
        m_consoleView = m_hostView != nullptr ? m_hostView->CreateInstance() : nullptr;
    }
    if (m_consoleView != nullptr)
        HookConsoleView();
    // The machine lets go of the old renderer before it is deleted; a stopped
    // machine receives the new one at its next power-on.
    if (m_machine != nullptr) {
        if (!m_stopRequested)
            m_machine->AttachHost(m_renderer);
        else if (m_machine->GetHost() == old)
            m_machine->AttachHost(nullptr);
    }
    if (oldOwned && old != m_renderer)
        delete old;
    ReleasePause();
}

void CEmulator::SaveMachineSettings() {
    m_machine->SaveSettings();
    const std::vector<common::CPath>& unsaved = m_machine->GetUnsavedSettingsFiles();
    m_unsavedSettingsFiles.insert(m_unsavedSettingsFiles.end(), unsaved.begin(), unsaved.end());
}

bool CEmulator::TakeUnsavedSettingsFiles(std::vector<common::CPath>& files) {
    if (m_unsavedSettingsFiles.empty())
        return false;
    files.insert(files.end(), m_unsavedSettingsFiles.begin(), m_unsavedSettingsFiles.end());
    m_unsavedSettingsFiles.clear();
    return true;
}

bool CEmulator::SetMachine(CComputer* machine) {
    if (machine == m_machine)
        return true;
    common::CScopedLock lock(&m_coreLock);
    if (m_active)
        return false;
    if (m_machine != nullptr) {
        m_machine->SetBreakHook(nullptr);
        m_machine->SetTraceLevel(nullptr);
        if (machine != nullptr)
            SaveMachineSettings();
        ReleaseMachine(m_machine);
        delete m_machine;
    }
    m_machine = machine;
    if (machine == nullptr) {
        RefreshOptionMenus();
        return true;
    }
    AdoptMachine(machine);
    m_console.Clear();
    if (!m_console.IsCentred())
        m_console.SetCentred(true);
    if (!machine->Build())
        machine->Shutdown();
    machine->LoadSettings();
    RemoveStaleStateTemporary();
    PrintBanner();
    RefreshOptionMenus();
    return true;
}

bool CEmulator::IsActiveCondition(uintptr_t core) {
    return reinterpret_cast<const CEmulator*>(core)->m_active;
}

void CEmulator::RefreshOptionMenus() {
    for (COptionTree* menu : m_menus) {
        if (menu != nullptr)
            menu->DeleteChildren();
    }
    if (m_machine == nullptr || m_menus[0] == nullptr)
        return;
    COptionTree* computer = GetOptionMenu(kMenuComputer);
    COptionTree* settings = GetOptionMenu(kMenuSettings);
    COptionTree* debug = GetOptionMenu(kMenuDebug);
    m_machine->BuildMenu(computer, kMenuComputer);
    m_machine->BuildMenu(GetOptionMenu(kMenuDrives), kMenuDrives);
    m_machine->BuildMenu(GetOptionMenu(kMenuInput), kMenuInput);
    m_machine->BuildMenu(GetOptionMenu(kMenuVideo), kMenuVideo);
    m_machine->BuildMenu(GetOptionMenu(kMenuSound), kMenuSound);
    m_machine->BuildMenu(settings, kMenuSettings);
    m_machine->BuildMenu(debug, kMenuDebug);
    debug->CreateUnnamedChild();
    m_machine->BuildMenu(debug, kMenuDebugMiddle);
    debug->CreateUnnamedChild();
    m_machine->BuildMenu(debug, kMenuDebugTail);

    // The console's duplicate-line filter and the manager's setting stay equal:
    // the item toggles both.
    if (settings->GetChildCount() > 0)
        settings->CreateUnnamedChild();
    uint8_t* setting = m_manager != nullptr ? m_manager->GetIgnoreConsoleDuplicatesSetting() : nullptr;
    if (setting == nullptr)
        setting = &m_ownIgnoreDuplicates;
    bool* consoleFlag = m_console.GetIgnoreDuplicateLinesFlag();
    *consoleFlag = (*setting & 1) != 0;
    *setting = *consoleFlag ? 1 : 0;
    common::COptionNode* item = settings->CreateCheckItemById(kTextIgnoreConsoleDuplicates,
                                                              reinterpret_cast<uint8_t*>(consoleFlag), 1, nullptr, 0);
    if (item != nullptr)
        item->AddActionToggleByte(setting);

    // The synchronization frequency takes effect at the next power-on, so its
    // items are enabled only while the machine is off.
    if (m_machine->UsesSyncFrequencySetting()) {
        if (computer->GetChildCount() > 0)
            computer->CreateUnnamedChild();
        uint32_t* choice = m_manager != nullptr ? m_manager->GetSyncFrequencySetting() : nullptr;
        if (choice == nullptr)
            choice = &m_ownSyncFrequency;
        common::COptionNode* submenu = computer->CreateChildById(kTextSyncFrequency);
        for (uint32_t value = 0; submenu != nullptr && value < static_cast<uint32_t>(kSyncRateCount); ++value) {
            common::COptionNode* radio = submenu->CreateRadioItemById(kTextFirstSyncRate + static_cast<int32_t>(value),
                                                                      choice, value, nullptr, 0);
            if (radio != nullptr)
                radio->AddEnabledWhenCall(&CEmulator::IsActiveCondition, reinterpret_cast<uintptr_t>(this), 0);
        }
    }
    m_machine->BuildMenu(computer, kMenuComputerTail);
}

COptionTree* CEmulator::GetOptionMenu(int32_t kind) {
    for (int i = 0; i < kMenuCount; ++i) {
        if (kModelKinds[i] == kind)
            return m_menus[i];
    }
    return nullptr;
}

int32_t CEmulator::GetDriveCounts(int32_t* floppies, int32_t* hardDisks, int32_t* cartridges, int32_t* cdDrives) {
    common::CScopedLock lock(&m_coreLock);
    int32_t* const outputs[CDrivesInterface::kKindCount] = {floppies, hardDisks, cartridges, cdDrives};
    CDrives* drives = m_threadAlive && m_machine != nullptr ? m_machine->GetDrivesService() : nullptr;
    int32_t total = 0;
    for (int kind = 0; kind < CDrivesInterface::kKindCount; ++kind) {
        int32_t count = drives != nullptr ? drives->GetKindCount(kind) : 0;
        if (count > CDrivesInterface::kMaxListEntries)
            count = CDrivesInterface::kMaxListEntries;
        if (outputs[kind] != nullptr)
            *outputs[kind] = count;
        total += count;
    }
    return total;
}

CMediaSlot* CEmulator::GetDrive(int32_t index) {
    common::CScopedLock lock(&m_coreLock);
    if (!m_threadAlive || m_machine == nullptr || index < 0)
        return nullptr;
    CDrives* drives = m_machine->GetDrivesService();
    if (drives == nullptr || index >= drives->GetSlotCount())
        return nullptr;
    return drives->GetSlot(index);
}

} // namespace emu
