#pragma once
// The owner of everything the main window drives: the emulator settings (the
// record it starts with), the machine configurations the user chooses from,
// the host sound outputs and renderers, and the emulated computers made from
// them.
//
// Configurations, sound outputs and renderers are prototypes that never run: a
// computer always gets a fresh machine of the chosen configuration, a fresh
// sound device and a fresh screen renderer. List positions are the indices
// every operation takes. Everything runs on the user-interface thread; the
// computers' own handshake guards their emulation threads.
#include <cstdint>
#include <vector>

#include "app/CEmulatorSettings.h"
#include "common/CPath.h"
#include "emu/core/CEmulatorManagerInterface.h"

namespace emu {

class CComputer;
class CEmulator;
class CRenderer;
class CSoundOutput;

class CEmulatorManager : public CEmulatorSettings, public CEmulatorManagerInterface {
public:
    // The Korvet models as configurations, the three sound outputs, the
    // renderers that initialise, and the setting defaults.
    CEmulatorManager();
    // Shuts down and deletes every computer, then the prototypes.
    ~CEmulatorManager() override;

    // Appends first and the models that follow it; a null machine appends one
    // null entry. A repeated object name ends the chain (that machine deleted).
    void AddConfigs(CComputer* first);
    // A computer for configuration index (negative: the one EmuDefaultConfig
    // names, else 0) with its emulation thread running idle; null on failure,
    // with everything made so far deleted.
    CEmulator* CreateCore(int32_t index);
    // Switches *computer to configuration index, or creates it when null.
    bool SelectConfig(CEmulator** computer, int32_t index);
    // Unlists it (when listed), shuts its thread down and deletes it.
    void RemoveCore(CEmulator* computer);
    // The settings files that a computer could not write when it ended or
    // changed its machine (RemoveCore and SelectConfig collect them); the
    // list is handed over and emptied.
    std::vector<common::CPath> TakeUnsavedSettingsFiles();

    CComputer* GetConfig(int32_t index) const;
    void SetDefaultConfig(int32_t index);
    CSoundOutput* GetSoundOutput(int32_t index) const;
    void SelectSoundOutput(int32_t index);
    CSoundOutput* CreateSoundDevice(int32_t index) const;
    CRenderer* GetRenderer(int32_t index) const;
    void SelectRenderer(int32_t index);
    CRenderer* CreateScreen(int32_t index) const;

    int32_t GetConfigCount() const { return static_cast<int32_t>(m_configs.size()); }
    int32_t GetSoundOutputCount() const { return static_cast<int32_t>(m_soundOutputs.size()); }
    int32_t GetRendererCount() const { return static_cast<int32_t>(m_renderers.size()); }
    int32_t GetCoreCount() const { return static_cast<int32_t>(m_computers.size()); }
    int32_t GetSelectedRenderer() const { return m_selectedRenderer; }
    int32_t GetSelectedSoundOutput() const { return m_selectedSound; }
    const common::CNarrowString& GetTitle() const { return m_title; }
    bool IsSettingsLoaded() const { return m_settingsLoaded; }
    void SetSettingsLoaded(bool loaded) { m_settingsLoaded = loaded; }

    // The prototype lists themselves (the manager owns the entries); tests and
    // the settings loader reach them here.
    std::vector<CComputer*>& GetConfigList() { return m_configs; }
    std::vector<CSoundOutput*>& GetSoundOutputList() { return m_soundOutputs; }
    std::vector<CRenderer*>& GetRendererList() { return m_renderers; }

    // The two settings the core reads and its own menu items change in place.
    uint32_t* GetSyncFrequencySetting() override;
    uint8_t* GetIgnoreConsoleDuplicatesSetting() override;

private:
    bool IsValid(int32_t index, size_t count) const { return index >= 0 && static_cast<size_t>(index) < count; }

    std::vector<CEmulator*> m_computers;    // owned
    std::vector<CComputer*> m_configs;      // owned; entries may be null
    std::vector<CSoundOutput*> m_soundOutputs; // owned
    std::vector<CRenderer*> m_renderers;    // owned
    bool m_settingsLoaded = false;
    std::vector<common::CPath> m_unsavedSettingsFiles;
};

} // namespace emu
