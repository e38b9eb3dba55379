#pragma once
// The front end's own persistent options: window and toolbar behaviour, the
// UI language, the machine configuration, sound output and renderer to use,
// the synchronisation frequency and a few emulation and console switches.
//
// The record sits at the start of the emulator manager, which sets the
// defaults; Load runs once when the main window is made and Save once when it
// goes. The file is a settings-registry file:
//   "NUVINI" (6 bytes, no terminator), the registry body, no trailer
// named "<program name>.ini" in the sub-folder "NUVKeltoEmu" of the data
// folder. Reading falls back to the same name beside the program.
//
// Keys and registry types, in binding order:
//   EmuCaptureMouseOnDblClick bool, EmuFastInit bool, EmuDefaultConfig string,
//   EmuDefaultSound string, EmuDefaultScreen string, EmuSyncFreq i32,
//   guiMaximizeOnStartup bool, guiAutoStartEmulation bool, guiShowToolbar bool,
//   guiLanguadge i32, dbgIgnoreConsoleDupStr bool
#include <cstdint>

#include "common/CNarrowString.h"
#include "common/CPath.h"

namespace common {
class CSettingsRegistry;
}

namespace emu {

class CEmulatorManager;

class CEmulatorSettings {
public:
    // The sub-folder of the data folder and the file's header.
    static constexpr const char* kFolderName = "NUVKeltoEmu";
    static constexpr const char* kHeader = "NUVINI";
    static constexpr int32_t kSyncFrequencyCount = 5;

    CEmulatorSettings() = default;

    // A new registry (the caller's) with the eleven keys bound to the manager's fields.
    static common::CSettingsRegistry* RegisterKeys(CEmulatorManager& manager);
    // Reads the file once per manager, then repairs out-of-range values and
    // resolves the output names against the manager's lists.
    static void Load(CEmulatorManager& manager);
    // Writes the data-folder file (creating the folder); true when written.
    static bool Save(CEmulatorManager& manager);
    // The file to write, and the one to read (the program-folder file when the
    // data-folder one is missing).
    static common::CPath GetWritePath(bool createFolder);
    static common::CPath GetReadPath();

    bool guiMaximizeOnStartup = true;
    bool guiAutoStartEmulation = false;
    bool guiShowToolbar = true;
    int32_t guiLanguadge = 0;
    bool EmuFastInit = false;
    bool EmuCaptureMouseOnDblClick = true;
    bool dbgIgnoreConsoleDupStr = false;
    int32_t EmuSyncFreq = 0;
    common::CNarrowString m_title; // machine-family part of the caption; not stored
    common::CNarrowString EmuDefaultConfig;
    common::CNarrowString EmuDefaultScreen;
    int32_t m_selectedRenderer = 0; // derived from EmuDefaultScreen; not stored
    common::CNarrowString EmuDefaultSound;
    int32_t m_selectedSound = 0; // derived from EmuDefaultSound; not stored
};

} // namespace emu
