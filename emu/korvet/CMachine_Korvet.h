#pragma once
// The Korvet computer: one machine class for the four models, which differ in
// their ROM set, names and start-up.
//
//   Index  Name              Configuration  ROM file names searched
//   0      "Korvet w/BIOS"   "korvet"       none: the machine programs the chips
//                                           itself and boots the first floppy
//   1      "Korvet 1.1"      "korvet11"     "korvet11.rom"
//   2      "Korvet 2.0"      "korvet20"     "korvet2.rom", "korvet20.rom"
//   3      "Kontur 2.0"      "kontur20"     "kontur.rom", "kontur2.rom", "kontur20.rom"
//
// Device tree (creation order): "CPU" 8080 at 2.5 MHz, "VID" video (4 pages,
// frame interrupt on line 4), keyboard, "PIT" timer (channel 0 the speaker at
// 2 MHz, channel 1 2 MHz, channel 2 50 Hz on line 5), "PIC" I8259, PPI_1,
// PPI_2, PPI_3, WD179X (line 7) with four drives, BIOS console trap.
//
// Memory: 64 KB of RAM at 0x00000 and the ROM image (at most 32 KB) at
// 0x10000 of the memory service. The system register SYSREG picks one of 32
// memory maps (map = (value & 0x7C) >> 2); a map gives each 256-byte page of
// the 64 KB address space one type:
//
//   RAM | ROM (image byte at address - ROM base) | system page | I/O page |
//   keyboard window (512 bytes) | text window (1 KB) | graphics window (16 KB)
//
//   System page   0x7F SYSREG (reads the map number)   0xBF NCREG
//                 0xFB LUT (write: entry = v & 0x0F, colour = v >> 4)
//   I/O page      0x00-0x02 PIT data, 0x03 PIT mode    0x08-0x0B PPI_3
//                 0x18-0x1B WD179X STATUS/COMMAND, TRACK, SECTOR, DATA
//                 0x21 reads 0x81                      0x28-0x29 PIC
//                 0x30-0x33 PPI_2                      0x38-0x3B PPI_1
//   Every other offset of these two pages is RAM; so is a write to ROM.
//
//   PPI lines     0x32 bit 3 (PPI_2 port C) speaker enable
//                 0x38 (PPI_1 port A) reads VISTS, 0x39 (port B) the floppy
//                 DRIVE register, 0x3A (port C) the video's VIREG
//
// State, after the computer's "_CFP", "_DEV" and "_MCH": "VER" u8 0, "MMDL"
// u8 model index, "SYSR" u16 map number, "SNDC" u16 sound-control word. A
// state of another model is refused.
//
// Settings: "TraceWriteSYSREG", "BreakWriteSYSREG", "TraceReadSYSREG",
// "BreakReadSYSREG" (Debug menu "Motherboard").
//
// Emulation thread only, like every device.
#include <atomic>
#include <cstdint>

#include "emu/framework/CComputer.h"

namespace common {
class CString;
class CStringList;
} // namespace common

namespace emu {

class CDiskController_WD179X;
class CInterruptController_I8259;
class CKeyboard_Korvet;
class CParallelPort_I8255;
class CProcessor_I8080;
class CSoftware_Korvet;
class CTimer_I8253;
class CVideo_Korvet;

class CMachine_Korvet : public CComputer {
public:
    enum Model : uint32_t { kModelBios = 0, kModelKorvet11 = 1, kModelKorvet20 = 2, kModelKontur20 = 3 };
    static constexpr uint32_t kModelCount = 4;

    // Page types of a memory map.
    enum PageType : uint8_t {
        kPageRam = 0,
        kPageRom = 1,
        kPageSystem = 2,
        kPageIo = 3,
        kPageKeyboard = 4,
        kPageText = 5,
        kPageGraph = 6,
    };
    static constexpr int kMapCount = 32;
    static constexpr int kPagesPerMap = 256;
    static constexpr uint16_t kNoWindow = 0xFFFF;

    // Where the windows of one map start; kNoWindow for an absent one.
    struct CWindows {
        uint16_t rom = kNoWindow;
        uint16_t system = kNoWindow;
        uint16_t io = kNoWindow;
        uint16_t keyboard = kNoWindow;
        uint16_t text = kNoWindow;
        uint16_t graph = kNoWindow;
    };

    // Memory service layout.
    static constexpr uint32_t kRamSize = 0x10000;
    static constexpr uint32_t kRomImage = 0x10000;
    static constexpr uint32_t kRomMaxSize = 0x8000;
    // A file far smaller than the model's ROM (24 KB for the Korvets, 8 KB for
    // the Kontur) is no ROM image: without it the machine would run from the
    // zeros behind it.
    static constexpr uint32_t kRomMinSize = 0x4000;
    static constexpr uint32_t kKonturRomMinSize = 0x2000;
    static constexpr uint32_t kMemorySize = kRamSize + kRomMaxSize;

    // System page and I/O page offsets.
    static constexpr uint8_t kSysreg = 0x7F;
    static constexpr uint8_t kNcreg = 0xBF;
    static constexpr uint8_t kLut = 0xFB;
    static constexpr uint8_t kIoLast = 0x3B;
    static constexpr uint8_t kIoConstant = 0x21;
    static constexpr uint8_t kIoConstantValue = 0x81;

    // PPI port lines (base + 0..2) and the lines the machine acts on.
    static constexpr int32_t kPpi1Base = 0x38;
    static constexpr int32_t kPpi2Base = 0x30;
    static constexpr int32_t kPpi3Base = 0x08;
    static constexpr uint32_t kLineVists = 0x38;
    static constexpr uint32_t kLineDrive = 0x39;
    static constexpr uint32_t kLineVireg = 0x3A;
    static constexpr uint32_t kLineSound = 0x32;
    static constexpr uint8_t kSoundEnableBit = 0x08;

    // Interrupt lines.
    static constexpr int32_t kIrqVideo = 4;
    static constexpr int32_t kIrqTimer = 5;
    static constexpr int32_t kIrqFloppy = 7;

    // Bus event rates the models need at least.
    static constexpr int32_t kRateBios = 2000;
    static constexpr int32_t kRateRom = 7000;

    // Boot of the emulated-BIOS model: the program's stack.
    static constexpr uint16_t kBootStack = 0x8000;

    // A "Korvet w/BIOS" configuration (model 0).
    CMachine_Korvet();
    ~CMachine_Korvet() override;

    // A fresh machine of the model; null for an index above 3.
    static CMachine_Korvet* CreateModel(uint32_t model);

    // --- The computer ------------------------------------------------------------
    // The four SYSREG flags (not with enabledOnly), then the machine's keys and
    // every device's.
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    // Every setting is accepted.
    bool ValidateProperties(bool enabledOnly) override;
    // Creates and wires the device tree; false when a step fails.
    bool Build() override;
    // Memory, the computer's start, ROM, handlers and the first map; the
    // emulated-BIOS model programs its chips and boots the first floppy.
    bool Start(int32_t* value) override;
    // Debug: the "Motherboard" sub-menu first; then the machine's menus.
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;
    CComputer* CreateSameModel() override;
    CComputer* CreateNextModel() override;
    const char* GetConfigName() override;
    const char* GetModelTag() override;
    // The processor clock, then ", RAM=64 Kb" while idle, else SYSREG, VIREG
    // and the speaker state.
    // The SYSREG, VIREG and sound parts come from the copy PublishStatus took.
    void GetFrequencyText(common::CString& out, int32_t argument) override;
    void PublishStatus() override;
    void GetIdentityText(common::CStringList& list) override;

    // --- Memory maps (CMachine_Korvet_Memory.cpp) ---------------------------------
    // Selects the map of a SYSREG value; bits 7, 1 and 0 are ignored.
    void SelectMemoryMap(uint32_t sysreg);
    // One byte through the current map, with the devices' side effects (none
    // and no trace line when quiet).
    uint8_t ReadMapped(uint16_t address, bool quiet);
    void WriteMapped(uint16_t address, uint8_t value);
    // The memory service's handlers (context: the machine); size 1 only.
    static bool ReadMappedCallback(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t quiet);
    static bool WriteMappedCallback(void* context, uint32_t address, uint32_t size, uint8_t* value);
    // The PPIs' port-line handlers (context: the machine); size 1 only.
    static bool ReadPpiPort(void* context, uint32_t line, uint32_t size, uint8_t* value, uint8_t quiet);
    static bool WritePpiPort(void* context, uint32_t line, uint32_t size, uint8_t* value);

    // Page type of a page (address >> 8) in a map, and a map's windows.
    static uint8_t GetPageType(int map, int page);
    static const CWindows& GetMapWindows(int map);
    // Whether a 1 KB block of the address space needs the mapped handlers in
    // some map.
    static bool IsMappedBlock(uint32_t block);

    // --- Fields the front end and the tests read -----------------------------------
    uint32_t GetModel() const { return m_model; }
    uint16_t GetMemoryMap() const { return m_mapNumber; }
    uint16_t GetSoundControl() const { return m_soundControl; }
    const CWindows& GetWindows() const { return *m_currentWindows; }
    CProcessor_I8080* GetCpu() const { return m_cpu; }
    CTimer_I8253* GetTimer() const { return m_timer; }
    CInterruptController_I8259* GetPic() const { return m_pic; }
    CParallelPort_I8255* GetPpi1() const { return m_ppi1; }
    CParallelPort_I8255* GetPpi2() const { return m_ppi2; }
    CParallelPort_I8255* GetPpi3() const { return m_ppi3; }
    CDiskController_WD179X* GetFdc() const { return m_fdc; }
    CKeyboard_Korvet* GetKeyboard() const { return m_keyboard; }
    CVideo_Korvet* GetVideo() const { return m_video; }
    CSoftware_Korvet* GetSoftware() const { return m_software; }

    // SYSREG trace and break flags (settings and the "Motherboard" menu).
    bool m_traceWriteSysreg;
    bool m_breakWriteSysreg;
    bool m_traceReadSysreg;
    bool m_breakReadSysreg;

private:
    explicit CMachine_Korvet(uint32_t model);

    // Start steps (CMachine_Korvet_Start.cpp).
    bool LoadRom();
    bool InstallMemoryHandlers();
    // The mapped handlers on the blocks with a non-RAM page in the current
    // map, and off the others: RAM of the current map stays on the memory
    // service's direct path. Changes only the blocks that differ.
    void InstallMapHandlers();
    void ProgramBiosChips();
    bool BootFromFloppy();

    // The I/O page by offset.
    uint8_t ReadIo(uint8_t offset, uint16_t address, bool quiet);
    void WriteIo(uint8_t offset, uint16_t address, uint8_t value);
    uint8_t ReadSystemPage(uint8_t offset, uint16_t address, bool quiet);
    void WriteSystemPage(uint8_t offset, uint16_t address, uint8_t value);
    void WriteSysreg(uint8_t value);
    // The RAM byte at an address (the memory service's block).
    uint8_t* Ram() const;

    uint32_t m_model;

    // The devices, owned by the device tree; null until Build.
    CProcessor_I8080* m_cpu;
    CTimer_I8253* m_timer;
    CInterruptController_I8259* m_pic;
    CParallelPort_I8255* m_ppi1;
    CParallelPort_I8255* m_ppi2;
    CParallelPort_I8255* m_ppi3;
    CDiskController_WD179X* m_fdc;
    CKeyboard_Korvet* m_keyboard;
    CVideo_Korvet* m_video;
    CSoftware_Korvet* m_software;

    uint16_t m_mapNumber; // SYSREG as the machine keeps it
    // The status text's registers as the emulation thread last published them:
    // SYSREG in bits 0-7, VIREG in 8-15, sound on in bit 16, bit 31 once taken.
    std::atomic<uint32_t> m_publishedStatus{0};
    uint16_t m_soundControl;

    // The current map: its page types and windows (the shared tables).
    const uint8_t* m_currentTypes;
    const CWindows* m_currentWindows;
    uint16_t m_romBase;
    uint16_t m_systemBase;
    uint16_t m_ioBase;
    uint16_t m_keyboardBase;
    uint16_t m_textBase;
    uint16_t m_graphBase;
};

} // namespace emu
