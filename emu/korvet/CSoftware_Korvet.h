#pragma once
// The emulated BIOS console output ("SOFTWARE", short name "SOFT"). The
// Korvet's system software prints a character by calling ROM address 0x004C
// with the character in register C. This device puts the 8080's trap opcode
// 0xD9 into that byte of the ROM image and registers itself as the
// processor's trap hook:
//
//   mode      set up by                                  a call of 0x004C
//   active    InstallTrapAtStart(1), after the boot of   C goes to the video's text
//             the model with emulated BIOS              terminal (PutChar), then RET
//   passive   InstallTrap(), before the first floppy    the ROM's own byte runs: the
//             COMMAND write of the other models          ROM routine prints as usual
//
// The device interprets nothing: every byte, escape sequences included,
// reaches the terminal in order. A disassembly of 0x004C shows RET in active
// mode and the ROM's own instruction in passive mode.
//
// Start forgets the installation (the machine rebuilds memory and ROM at each
// start); the hook stays registered and answers "not mine" until the next
// install. Output on keeps its value across starts.
//
// State (after the device base's data): "VER" u8 0, "WCAP" bool (an install
// was requested), "VT1O" u8 (the ROM byte the trap replaced).
//
// Emulation thread only; disassembly queries also come while it is parked.
#include <cstdint>

#include "emu/framework/CDevice.h"

namespace emu {

class CProcessorInterface;
class CProcessor_I8080;
class CVideo_Korvet;

class CSoftware_Korvet : public CDevice {
public:
    // The console output routine, as an offset into the ROM image and as the
    // processor address of that byte.
    static constexpr uint16_t kTrapAddress = 0x004C;
    // Where the ROM image lies in the emulated memory block.
    static constexpr uint32_t kRomImageBase = 0x10000;
    static constexpr uint8_t kOpcodeTrap = 0xD9;
    static constexpr uint8_t kOpcodeRet = 0xC9;

    CSoftware_Korvet();
    ~CSoftware_Korvet() override;

    // The machine's processor and video; not owned. Called once while the
    // machine builds its devices.
    void Connect(CProcessor_I8080* processor, CVideo_Korvet* video);

    // Passive install: output off; when not installed yet, registers the hook,
    // keeps the ROM byte and puts the trap opcode in its place. Sets capture
    // requested in every case. The machine calls it while capture requested is
    // clear, just before a floppy COMMAND write.
    void InstallTrap();
    // Start-up install: output on := outputOn in every case; when not installed
    // yet, installs as above. The machine calls it with 1 after booting the
    // model with emulated BIOS.
    void InstallTrapAtStart(uint8_t outputOn);

    // The processor's trap hook (CProcessor_I8080::TrapHook); context is the
    // device. query 1: only tell which opcode stands there. Always true.
    static bool OnTrap(void* context, CProcessorInterface* processor, uint16_t address, uint8_t* opcode, uint8_t query);

    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    bool ValidateProperties(bool enabledOnly) override;
    // The device start; then not installed and no capture requested.
    bool Start(int32_t* value) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    bool IsInstalled() const { return m_installed; }
    bool IsOutputOn() const { return m_outputOn; }
    bool IsCaptureRequested() const { return m_captureRequested; }
    uint8_t GetSavedByte() const { return m_savedByte; }

private:
    bool HandleTrap(uint16_t address, uint8_t* opcode, uint8_t query);
    // The ROM image byte of the console routine; null while the memory does
    // not reach it.
    uint8_t* GetTrapByte() const;
    // Registers the hook, keeps the ROM byte and writes the trap opcode;
    // false (nothing changed) without a processor or a ROM byte.
    bool PlaceTrap();

    bool m_installed;              // the trap byte is in the ROM image, the hook registered
    bool m_outputOn;               // active mode
    uint8_t m_savedByte;           // "VT1O"
    bool m_captureRequested;       // "WCAP"
    CProcessor_I8080* m_processor; // the machine's; not owned
    CVideo_Korvet* m_video;        // the machine's; not owned
};

} // namespace emu
