#pragma once
// What the emulator core reads of the front end's emulator manager: two of
// its settings, which the core's own menu items also change in place.
#include <cstdint>

namespace emu {

class CEmulatorManagerInterface {
public:
    CEmulatorManagerInterface() = default;
    virtual ~CEmulatorManagerInterface() = default;

    CEmulatorManagerInterface(const CEmulatorManagerInterface&) = delete;
    CEmulatorManagerInterface& operator=(const CEmulatorManagerInterface&) = delete;

    // "EmuSyncFreq": the synchronization frequency choice, 0 to 4. The
    // variable lives as long as the manager.
    virtual uint32_t* GetSyncFrequencySetting() = 0;
    // "dbgIgnoreConsoleDupStr": 1 when the console drops a line equal to the
    // one before it.
    virtual uint8_t* GetIgnoreConsoleDuplicatesSetting() = 0;
};

} // namespace emu
