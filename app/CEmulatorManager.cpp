#include "app/CEmulatorManager.h"



#include "common/CLocale.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"
#include "emu/host/CRenderer_OpenGL.h"
#include "emu/host/CRenderer_WinGDI.h"
#include "emu/host/CSoundOutput.h"
#include "emu/host/CSoundOutput_DirectSound.h"
#include "emu/host/CSoundOutput_WaveSound.h"
#include "emu/korvet/CMachine_Korvet.h"

namespace emu {

namespace {

// Keeps a renderer prototype only when the host can use it.
void AddRendererIfUsable(std::vector<CRenderer*>& list, CRenderer* renderer) {
    if (renderer->Initialize())
        list.push_back(renderer);
    else
        delete renderer;
}


} // namespace

CEmulatorManager::CEmulatorManager() {
    AddConfigs(new CMachine_Korvet());

    // The machine family names the program: "Korvet Emulator".
    m_title.AssignNarrow("Korvet");

    m_soundOutputs.push_back(new CSoundOutput());
    m_soundOutputs.push_back(new CSoundOutput_WaveSound());
    m_soundOutputs.push_back(new CSoundOutput_DirectSound());

    AddRendererIfUsable(m_renderers, new CRenderer_WinGDI());
    AddRendererIfUsable(m_renderers, new CRenderer_OpenGL());

    EmuSyncFreq = 0;
    guiMaximizeOnStartup = true;
    guiAutoStartEmulation = false;
    guiShowToolbar = true;
    guiLanguadge = common::CLocale::GetLanguage();
    dbgIgnoreConsoleDupStr = false;
    EmuFastInit = false;
    EmuCaptureMouseOnDblClick = true;
    m_selectedSound = m_soundOutputs.size() > 1 ? 1 : 0;
    m_selectedRenderer = 0;
}

CEmulatorManager::~CEmulatorManager() {
    for (CEmulator* computer : m_computers) {
        if (computer != nullptr) {
            computer->ShutdownThread();
            delete computer;
        }
    }
    m_computers.clear();
    for (CComputer* config : m_configs)
        delete config;
    for (CSoundOutput* output : m_soundOutputs)
        delete output;
    for (CRenderer* renderer : m_renderers)
        delete renderer;
}

void CEmulatorManager::AddConfigs(CComputer* first) {
    if (first == nullptr) {
        m_configs.push_back(nullptr);
        return;
    }
    std::vector<common::CNarrowString> added;
    CComputer* machine = first;
    while (machine != nullptr) {
        // A model that cannot make its own kind could never run: it is skipped.
        CComputer* probe = machine->CreateSameModel();
        bool listed = false;
        if (probe != nullptr) {
            delete probe;
            for (const common::CNarrowString& name : added) {
                if (name.CompareNarrow(machine->GetName()) == 0) {
                    delete machine;
                    return;
                }
            }
            m_configs.push_back(machine);
            added.push_back(common::CNarrowString(machine->GetName()));
            listed = true;
        }
        CComputer* next = machine->CreateNextModel();
        if (!listed)
            delete machine;
        machine = next;
    }
}

CEmulator* CEmulatorManager::CreateCore(int32_t index) {
    if (index < 0) {
        index = 0;
        if (!EmuDefaultConfig.IsEmpty()) {
            for (size_t i = 0; i < m_configs.size(); ++i) {
                if (m_configs[i] != nullptr && EmuDefaultConfig.CompareNarrow(m_configs[i]->GetConfigName()) == 0) {
                    index = static_cast<int32_t>(i);
                    break;
                }
            }
        }
    }
    if (static_cast<size_t>(index) >= m_configs.size())
        return nullptr;
    CComputer* config = m_configs[index];
    if (config == nullptr) {
        index = 0;
        config = m_configs[0];
        if (config == nullptr)
            return nullptr;
    }
    CComputer* machine = config->CreateSameModel();
    if (machine == nullptr)
        return nullptr;
    CSoundOutput* sound = CreateSoundDevice(m_selectedSound);
    if (sound == nullptr) {
        delete machine;
        return nullptr;
    }
    CRenderer* screen = CreateScreen(m_selectedRenderer);
    if (screen == nullptr) {
        delete sound;
        delete machine;
        return nullptr;
    }
    CRenderer* consoleView = m_renderers.empty() ? nullptr : m_renderers[0];
    CEmulator* computer = new CEmulator(this, machine, screen, sound, consoleView);
    computer->SetConfigIndex(index);
    EmuDefaultConfig.AssignNarrow(machine->GetConfigName() != nullptr ? machine->GetConfigName() : "");
    computer->SetFastInit(EmuFastInit);
    if (!computer->StartThreadOrRun()) {
        delete computer;
        return nullptr;
    }
    m_computers.push_back(computer);
    return computer;
}

bool CEmulatorManager::SelectConfig(CEmulator** computer, int32_t index) {
    if (*computer == nullptr) {
        *computer = CreateCore(index);
        return *computer != nullptr;
    }
    if (!IsValid(index, m_configs.size()) || m_configs[index] == nullptr)
        return false;
    CComputer* machine = m_configs[index]->CreateSameModel();
    if (machine == nullptr)
        return false;
    if ((*computer)->IsActive())
        (*computer)->Stop();
    const bool replaced = (*computer)->SetMachine(machine);
    (*computer)->TakeUnsavedSettingsFiles(m_unsavedSettingsFiles);
    if (replaced) {
        (*computer)->SetConfigIndex(index);
        return true;
    }
    delete machine;
    return false;
}

void CEmulatorManager::RemoveCore(CEmulator* computer) {
    if (computer == nullptr)
        return;
    for (auto it = m_computers.begin(); it != m_computers.end(); ++it) {
        if (*it == computer) {
            m_computers.erase(it);
            break;
        }
    }
    computer->ShutdownThread();
    computer->TakeUnsavedSettingsFiles(m_unsavedSettingsFiles);
    delete computer;
}

std::vector<common::CPath> CEmulatorManager::TakeUnsavedSettingsFiles() {
    std::vector<common::CPath> files;
    files.swap(m_unsavedSettingsFiles);
    return files;
}

CComputer* CEmulatorManager::GetConfig(int32_t index) const {
    return IsValid(index, m_configs.size()) ? m_configs[index] : nullptr;
}

void CEmulatorManager::SetDefaultConfig(int32_t index) {
    CComputer* config = GetConfig(index);
    if (config == nullptr || config->GetConfigName() == nullptr)
        EmuDefaultConfig.Clear();
    else
        EmuDefaultConfig.AssignNarrow(config->GetConfigName());
}

CSoundOutput* CEmulatorManager::GetSoundOutput(int32_t index) const {
    return IsValid(index, m_soundOutputs.size()) ? m_soundOutputs[index] : nullptr;
}

void CEmulatorManager::SelectSoundOutput(int32_t index) {
    CSoundOutput* output = GetSoundOutput(index);
    if (output == nullptr) {
        EmuDefaultSound.Clear();
        return;
    }
    m_selectedSound = index;
    EmuDefaultSound.AssignNarrow(output->GetName());
}

CSoundOutput* CEmulatorManager::CreateSoundDevice(int32_t index) const {
    CSoundOutput* output = GetSoundOutput(index);
    return output != nullptr ? output->CreateInstance() : nullptr;
}

CRenderer* CEmulatorManager::GetRenderer(int32_t index) const {
    return IsValid(index, m_renderers.size()) ? m_renderers[index] : nullptr;
}

void CEmulatorManager::SelectRenderer(int32_t index) {
    CRenderer* renderer = GetRenderer(index);
    if (renderer == nullptr) {
        EmuDefaultScreen.Clear();
        return;
    }
    m_selectedRenderer = index;
    EmuDefaultScreen.AssignNarrow(renderer->GetName());
}

CRenderer* CEmulatorManager::CreateScreen(int32_t index) const {
    CRenderer* renderer = GetRenderer(index);
    return renderer != nullptr ? renderer->CreateInstance() : nullptr;
}

uint32_t* CEmulatorManager::GetSyncFrequencySetting() {
    // The core reads the choice as unsigned; the setting is stored signed.
    return reinterpret_cast<uint32_t*>(&EmuSyncFreq);
}

uint8_t* CEmulatorManager::GetIgnoreConsoleDuplicatesSetting() {
    // The core's toggle writes 0 or 1 only, which a bool holds as the same byte.
    static_assert(sizeof(bool) == 1, "the console flag is shared as one byte");
    return reinterpret_cast<uint8_t*>(&dbgIgnoreConsoleDupStr);
}

} // namespace emu
