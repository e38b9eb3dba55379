// The Korvet's 32 memory maps and the byte dispatch through them: the
// system page, the I/O page with the chips, the keyboard, text and graphics
// windows, and the PPI port lines.
#include "emu/chips/CDiskController_WD179X.h"
#include "emu/chips/CInterruptController_I8259.h"
#include "emu/chips/CParallelPort_I8255.h"
#include "emu/chips/CTimer_I8253.h"
#include "emu/framework/CMemory.h"
#include "emu/korvet/CKeyboard_Korvet.h"
#include "emu/korvet/CMachine_Korvet.h"
#include "emu/korvet/CSoftware_Korvet.h"
#include "emu/korvet/CVideo_Korvet.h"

namespace emu {

namespace {

constexpr uint16_t kNone = CMachine_Korvet::kNoWindow;

// Per map: last ROM address (ROM starts at 0), text, graphics, I/O page,
// system page, keyboard.
struct CMapRow {
    uint16_t romEnd;
    uint16_t text;
    uint16_t graph;
    uint16_t io;
    uint16_t system;
    uint16_t keyboard;
};

constexpr CMapRow kMapTable[CMachine_Korvet::kMapCount] = {
    {0x37FF, 0x3C00, kNone, 0x3B00, 0x3A00, 0x3800},  // 0
    {0x1FFF, kNone, kNone, kNone, kNone, kNone},      // 1
    {0x3FFF, kNone, kNone, kNone, kNone, kNone},      // 2
    {kNone, kNone, kNone, kNone, kNone, kNone},       // 3
    {0x1FFF, 0xFC00, kNone, 0xFB00, 0xFA00, 0xF800},  // 4
    {0x1FFF, 0xFC00, kNone, 0xFB00, 0xFA00, 0xF800},  // 5
    {0x3FFF, 0xFC00, kNone, 0xFB00, 0xFA00, 0xF800},  // 6
    {kNone, 0xFC00, kNone, 0xFB00, 0xFA00, 0xF800},   // 7
    {0x37FF, 0x3C00, 0xC000, 0x3B00, 0x3A00, 0x3800}, // 8
    {0x1FFF, kNone, 0xC000, kNone, kNone, kNone},     // 9
    {0x3FFF, kNone, 0xC000, kNone, kNone, kNone},     // 10
    {kNone, kNone, 0xC000, kNone, kNone, kNone},      // 11
    {0x1FFF, kNone, 0x4000, 0xFE00, 0xFF00, kNone},   // 12
    {0x1FFF, kNone, 0x4000, 0xFE00, 0xFF00, kNone},   // 13
    {0x3FFF, kNone, 0x4000, 0xFE00, 0xFF00, kNone},   // 14
    {kNone, kNone, 0x4000, 0xFE00, 0xFF00, kNone},    // 15
    {0x5FFF, 0xFC00, kNone, 0xFB00, 0xFA00, 0xF800},  // 16
    {0x1FFF, 0xFC00, kNone, 0xFB00, 0xFA00, 0xF800},  // 17
    {0x3FFF, 0xFC00, kNone, 0xFB00, 0xFA00, 0xF800},  // 18
    {kNone, 0xFC00, kNone, 0xFB00, 0xFA00, 0xF800},   // 19
    {0x5FFF, kNone, kNone, 0xFE00, 0xFF00, kNone},    // 20
    {0x1FFF, kNone, kNone, 0xFE00, 0xFF00, kNone},    // 21
    {0x3FFF, kNone, kNone, 0xFE00, 0xFF00, kNone},    // 22
    {kNone, kNone, kNone, 0xFE00, 0xFF00, kNone},     // 23
    {0x5FFF, kNone, 0xC000, kNone, 0xBF00, kNone},    // 24
    {0x1FFF, kNone, 0xC000, kNone, 0xBF00, kNone},    // 25
    {0x3FFF, kNone, 0xC000, kNone, 0xBF00, kNone},    // 26
    {kNone, kNone, 0xC000, kNone, 0xBF00, kNone},     // 27
    {0x5FFF, kNone, 0xC000, kNone, kNone, kNone},     // 28
    {0x1FFF, kNone, 0xC000, kNone, kNone, kNone},     // 29
    {0x3FFF, kNone, 0xC000, kNone, kNone, kNone},     // 30
    {kNone, kNone, 0xC000, kNone, kNone, kNone},      // 31
};

// Window sizes in 256-byte pages.
constexpr int kKeyboardPages = 2;
constexpr int kTextPages = 4;
constexpr int kGraphPages = 64;

constexpr uint32_t kBlocks = CMachine_Korvet::kRamSize / CMemory::kPageSize; // 64 blocks of 1 KB
constexpr int kPagesPerBlock = CMemory::kPageSize >> 8;

// The tables derived from kMapTable, built once for every machine.
struct CMapTables {
    uint8_t types[CMachine_Korvet::kMapCount][CMachine_Korvet::kPagesPerMap];
    CMachine_Korvet::CWindows windows[CMachine_Korvet::kMapCount];
    uint64_t mapBlocks[CMachine_Korvet::kMapCount]; // bit n: block n has a non-RAM page in the map
    uint64_t romBlocks[CMachine_Korvet::kMapCount]; // bit n: block n is all ROM in the map

    uint64_t anyMapBlocks;                          // the union of mapBlocks

    CMapTables() : types(), windows(), mapBlocks(), romBlocks(), anyMapBlocks(0) {
        for (int map = 0; map < CMachine_Korvet::kMapCount; ++map) {
            const CMapRow& row = kMapTable[map];
            uint8_t* type = types[map];
            CMachine_Korvet::CWindows& window = windows[map];
            if (row.romEnd != kNone) {
                for (int page = 0; page <= (row.romEnd >> 8); ++page)
                    type[page] = CMachine_Korvet::kPageRom;
                window.rom = 0;
            }
            window.system = row.system;
            window.io = row.io;
            window.keyboard = row.keyboard;
            window.text = row.text;
            window.graph = row.graph;
            Mark(type, row.system, 1, CMachine_Korvet::kPageSystem);
            Mark(type, row.io, 1, CMachine_Korvet::kPageIo);
            Mark(type, row.keyboard, kKeyboardPages, CMachine_Korvet::kPageKeyboard);
            Mark(type, row.text, kTextPages, CMachine_Korvet::kPageText);
            Mark(type, row.graph, kGraphPages, CMachine_Korvet::kPageGraph);
            for (int page = 0; page < CMachine_Korvet::kPagesPerMap; ++page) {
                if (type[page] != CMachine_Korvet::kPageRam)
                    mapBlocks[map] |= uint64_t{1} << (page / kPagesPerBlock);
            }
            for (uint32_t block = 0; block < kBlocks; ++block) {
                bool rom = true;
                for (int page = 0; page < kPagesPerBlock; ++page)
                    rom = rom && type[block * kPagesPerBlock + page] == CMachine_Korvet::kPageRom;
                if (rom)
                    romBlocks[map] |= uint64_t{1} << block;
            }
            anyMapBlocks |= mapBlocks[map];
        }
    }

    static void Mark(uint8_t* type, uint16_t start, int pages, uint8_t value) {
        if (start == kNone)
            return;
        for (int page = start >> 8; page < (start >> 8) + pages && page < CMachine_Korvet::kPagesPerMap; ++page)
            type[page] = value;
    }
};

const CMapTables& MapTables() {
    static const CMapTables s_tables;
    return s_tables;
}

} // namespace

uint8_t CMachine_Korvet::GetPageType(int map, int page) {
    return MapTables().types[map & (kMapCount - 1)][page & (kPagesPerMap - 1)];
}

const CMachine_Korvet::CWindows& CMachine_Korvet::GetMapWindows(int map) {
    return MapTables().windows[map & (kMapCount - 1)];
}

bool CMachine_Korvet::IsMappedBlock(uint32_t block) {
    return block < kBlocks && ((MapTables().anyMapBlocks >> block) & 1) != 0;
}

void CMachine_Korvet::SelectMemoryMap(uint32_t sysreg) {
    const int map = static_cast<int>((sysreg & 0x7C) >> 2);
    const CMapTables& tables = MapTables();
    m_mapNumber = static_cast<uint16_t>(map);
    m_currentTypes = tables.types[map];
    m_currentWindows = &tables.windows[map];
    m_romBase = m_currentWindows->rom;
    m_systemBase = m_currentWindows->system;
    m_ioBase = m_currentWindows->io;
    m_keyboardBase = m_currentWindows->keyboard;
    m_textBase = m_currentWindows->text;
    m_graphBase = m_currentWindows->graph;
    InstallMapHandlers();
}

void CMachine_Korvet::InstallMapHandlers() {
    CMemory* memory = m_serviceMemory;
    if (memory == nullptr || memory->GetPageCount() < kBlocks + kRomMaxSize / CMemory::kPageSize)
        return;
    const CMemory::CPageDescriptor* pages = memory->GetPageTable();
    const CMapTables& tables = MapTables();
    for (uint32_t block = 0; block < kBlocks; ++block) {
        if (!IsMappedBlock(block))
            continue;
        const CMemory::CPageDescriptor& d = pages[block];
        const bool readOurs = (d.flags & CMemory::kPageReadHandler) != 0 && d.readHandler == ReadMappedCallback;
        const bool writeOurs = (d.flags & CMemory::kPageWriteHandler) != 0 && d.writeHandler == WriteMappedCallback;
        uint8_t* const rom = Ram() + kRomImage + block * CMemory::kPageSize;
        if (((tables.mapBlocks[m_mapNumber] >> block) & 1) == 0) {
            if (readOurs || writeOurs || d.readContext == rom)
                memory->ResetPages(block, 1);
        } else if (((tables.romBlocks[m_mapNumber] >> block) & 1) != 0) {
            // ROM reads straight from the image, writes into the RAM under it.
            if (readOurs || writeOurs)
                memory->ResetPages(block, 1);
            if (d.readContext != rom)
                memory->MapExternalRead(block, 1, rom);
        } else {
            if (!readOurs || d.readContext != this)
                memory->SetReadHandler(block, 1, this, ReadMappedCallback, false);
            if (!writeOurs || d.writeContext != this)
                memory->SetWriteHandler(block, 1, this, WriteMappedCallback, false);
        }
    }
}

uint8_t* CMachine_Korvet::Ram() const {
    return m_serviceMemory->GetRamBase();
}

// --- Byte dispatch ----------------------------------------------------------------

uint8_t CMachine_Korvet::ReadMapped(uint16_t address, bool quiet) {
    switch (m_currentTypes[address >> 8]) {
    case kPageRom:
        return Ram()[kRomImage + static_cast<uint16_t>(address - m_romBase)];
    case kPageSystem:
        return ReadSystemPage(static_cast<uint8_t>(address - m_systemBase), address, quiet);
    case kPageIo:
        return ReadIo(static_cast<uint8_t>(address - m_ioBase), address, quiet);
    case kPageKeyboard:
        return m_keyboard->ReadMatrix(address - m_keyboardBase, quiet);
    case kPageText:
        return m_video->ReadText(address - m_textBase, quiet);
    case kPageGraph:
        return m_video->ReadGraph(address - m_graphBase, quiet);
    default:
        return Ram()[address];
    }
}

void CMachine_Korvet::WriteMapped(uint16_t address, uint8_t value) {
    switch (m_currentTypes[address >> 8]) {
    case kPageSystem:
        WriteSystemPage(static_cast<uint8_t>(address - m_systemBase), address, value);
        return;
    case kPageIo:
        WriteIo(static_cast<uint8_t>(address - m_ioBase), address, value);
        return;
    case kPageKeyboard:
        return; // the matrix has no write side
    case kPageText:
        m_video->WriteText(address - m_textBase, value);
        return;
    case kPageGraph:
        m_video->WriteGraph(address - m_graphBase, value);
        return;
    default:
        // RAM, and the RAM under a ROM page
        Ram()[address] = value;
        return;
    }
}

bool CMachine_Korvet::ReadMappedCallback(void* context, uint32_t address, uint32_t size, uint8_t* value,
                                         uint8_t quiet) {
    if (size != 1)
        return false;
    *value = static_cast<CMachine_Korvet*>(context)->ReadMapped(static_cast<uint16_t>(address), quiet != 0);
    return true;
}

bool CMachine_Korvet::WriteMappedCallback(void* context, uint32_t address, uint32_t size, uint8_t* value) {
    if (size != 1)
        return false;
    static_cast<CMachine_Korvet*>(context)->WriteMapped(static_cast<uint16_t>(address), *value);
    return true;
}

// --- System page -------------------------------------------------------------------

uint8_t CMachine_Korvet::ReadSystemPage(uint8_t offset, uint16_t address, bool quiet) {
    if (offset == kSysreg) {
        TraceRead(m_traceReadSysreg, m_breakReadSysreg, quiet, "<=SYSREG = %.2lXh", static_cast<long>(m_mapNumber));
        return static_cast<uint8_t>(m_mapNumber);
    }
    if (offset == kNcreg)
        return m_video->ReadNcreg(quiet);
    return Ram()[address];
}

void CMachine_Korvet::WriteSystemPage(uint8_t offset, uint16_t address, uint8_t value) {
    switch (offset) {
    case kSysreg:
        WriteSysreg(value);
        return;
    case kNcreg:
        m_video->WriteNcreg(value);
        return;
    case kLut:
        m_video->WriteLut(value & 0x0Fu, static_cast<uint32_t>(value >> 4));
        return;
    default:
        Ram()[address] = value;
        return;
    }
}

void CMachine_Korvet::WriteSysreg(uint8_t value) {
    const uint32_t map = (value & 0x7Cu) >> 2;
    if (TraceWrite(m_traceWriteSysreg, m_breakWriteSysreg, false, "=>SYSREG = %.2lXh (memory map %ld)",
                   static_cast<long>(value), static_cast<long>(map)))
        return;
    if (map != m_mapNumber)
        SelectMemoryMap(value);
}

// --- I/O page ----------------------------------------------------------------------

uint8_t CMachine_Korvet::ReadIo(uint8_t offset, uint16_t address, bool quiet) {
    switch (offset) {
    case 0x00:
    case 0x01:
    case 0x02:
        return m_timer->GetChannel(offset)->ReadData(quiet);
    case 0x03:
        return 0; // the mode register is write-only
    case 0x08:
        return m_ppi3->ReadRegA(quiet);
    case 0x09:
        return m_ppi3->ReadRegB(quiet);
    case 0x0A:
        return m_ppi3->ReadRegC(quiet);
    case 0x0B:
        return m_ppi3->ReadCtrl(quiet);
    case 0x18:
        return m_fdc->ReadStatus(quiet, false);
    case 0x19:
        return m_fdc->ReadTrack(quiet);
    case 0x1A:
        return m_fdc->ReadSector(quiet);
    case 0x1B:
        return m_fdc->ReadData(quiet);
    case kIoConstant:
        return kIoConstantValue;
    case 0x28:
        return m_pic->ReadPort0(quiet);
    case 0x29:
        return m_pic->ReadPort1(quiet);
    case 0x30:
        return m_ppi2->ReadRegA(quiet);
    case 0x31:
        return m_ppi2->ReadRegB(quiet);
    case 0x32:
        return m_ppi2->ReadRegC(quiet);
    case 0x33:
        return m_ppi2->ReadCtrl(quiet);
    case 0x38:
        return m_ppi1->ReadRegA(quiet);
    case 0x39:
        return m_ppi1->ReadRegB(quiet);
    case 0x3A:
        return m_ppi1->ReadRegC(quiet);
    case 0x3B:
        return m_ppi1->ReadCtrl(quiet);
    default:
        return Ram()[address];
    }
}

void CMachine_Korvet::WriteIo(uint8_t offset, uint16_t address, uint8_t value) {
    switch (offset) {
    case 0x00:
    case 0x01:
    case 0x02:
        m_timer->GetChannel(offset)->WriteData(value);
        return;
    case 0x03:
        m_timer->WriteMode(value);
        return;
    case 0x08:
        m_ppi3->WriteRegA(value);
        return;
    case 0x09:
        m_ppi3->WriteRegB(value);
        return;
    case 0x0A:
        m_ppi3->WriteRegC(value);
        return;
    case 0x0B:
        m_ppi3->WriteCtrl(value);
        return;
    case 0x18:
        // The system software's first disk command is the moment to watch its
        // console output.
        if (!m_software->IsCaptureRequested())
            m_software->InstallTrap();
        m_fdc->WriteCommand(value);
        return;
    case 0x19:
        m_fdc->WriteTrack(value);
        return;
    case 0x1A:
        m_fdc->WriteSector(value);
        return;
    case 0x1B:
        m_fdc->WriteData(value);
        return;
    case 0x28:
        m_pic->WritePort0(value);
        return;
    case 0x29:
        m_pic->WritePort1(value);
        return;
    case 0x30:
        m_ppi2->WriteRegA(value);
        return;
    case 0x31:
        m_ppi2->WriteRegB(value);
        return;
    case 0x32:
        m_ppi2->WriteRegC(value);
        return;
    case 0x33:
        m_ppi2->WriteCtrl(value);
        return;
    case 0x38:
        m_ppi1->WriteRegA(value);
        return;
    case 0x39:
        m_ppi1->WriteRegB(value);
        return;
    case 0x3A:
        m_ppi1->WriteRegC(value);
        return;
    case 0x3B:
        m_ppi1->WriteCtrl(value);
        return;
    default:
        // 0x21 included: its read is the constant, its write lands in RAM
        Ram()[address] = value;
        return;
    }
}

// --- PPI port lines ----------------------------------------------------------------

bool CMachine_Korvet::ReadPpiPort(void* context, uint32_t line, uint32_t size, uint8_t* value, uint8_t quiet) {
    if (size != 1)
        return false;
    auto* machine = static_cast<CMachine_Korvet*>(context);
    switch (line) {
    case kLineVists:
        *value = machine->m_video->ReadVists(quiet != 0);
        return true;
    case 0x08:
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x30:
    case 0x31:
    case 0x32:
    case 0x33:
    case 0x39:
    case 0x3A:
    case 0x3B:
        return true; // nothing hangs on the pins: the port's own latch
    default:
        *value = 0;
        return false;
    }
}

bool CMachine_Korvet::WritePpiPort(void* context, uint32_t line, uint32_t size, uint8_t* value) {
    if (size != 1)
        return false;
    auto* machine = static_cast<CMachine_Korvet*>(context);
    switch (line) {
    case kLineSound:
        machine->m_timer->GetChannel(0)->SetSoundEnabled((*value & kSoundEnableBit) != 0, 1, 0);
        return true;
    case kLineDrive:
        machine->m_fdc->WriteDriveExternal(*value);
        return true;
    case kLineVireg:
        machine->m_video->WriteVireg(*value);
        return true;
    case 0x08:
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x30:
    case 0x31:
    case 0x33:
    case 0x38:
    case 0x3B:
        return true;
    default:
        return false;
    }
}

} // namespace emu
