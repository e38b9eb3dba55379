// The Korvet's memory maps, the system page, the memory-mapped I/O page with
// its chips, the video and keyboard windows and the PPI port lines, driven
// through the memory service as the processor drives them.
#include <gtest/gtest.h>

#include <string>

#include "KorvetTestSupport.h"
#include "emu/chips/CDiskController_WD179X.h"
#include "emu/chips/CInterruptController_I8259.h"
#include "emu/chips/CParallelPort_I8255.h"
#include "emu/chips/CTimer_I8253.h"
#include "emu/korvet/CKeyboard_Korvet.h"
#include "emu/korvet/CSoftware_Korvet.h"
#include "emu/korvet/CVideo_Korvet.h"

using emu::CMachine_Korvet;
using korvettest::Bytes;
using korvettest::CKorvetRig;

namespace {

TEST(KorvetMaps, PageTypes) {
    struct CRow {
        int map;
        uint16_t address;
        uint8_t type;
    };
    const CRow rows[] = {
        {0, 0x0000, CMachine_Korvet::kPageRom},      {0, 0x37FF, CMachine_Korvet::kPageRom},
        {0, 0x3800, CMachine_Korvet::kPageKeyboard}, {0, 0x39FF, CMachine_Korvet::kPageKeyboard},
        {0, 0x3A00, CMachine_Korvet::kPageSystem},   {0, 0x3B00, CMachine_Korvet::kPageIo},
        {0, 0x3C00, CMachine_Korvet::kPageText},     {0, 0x3FFF, CMachine_Korvet::kPageText},
        {0, 0x4000, CMachine_Korvet::kPageRam},      {0, 0xC000, CMachine_Korvet::kPageRam},
        {3, 0x0000, CMachine_Korvet::kPageRam},      {3, 0x3A00, CMachine_Korvet::kPageRam},
        {7, 0x0000, CMachine_Korvet::kPageRam},      {7, 0xF800, CMachine_Korvet::kPageKeyboard},
        {7, 0xFA00, CMachine_Korvet::kPageSystem},   {7, 0xFB00, CMachine_Korvet::kPageIo},
        {7, 0xFFFF, CMachine_Korvet::kPageText},     {12, 0x1FFF, CMachine_Korvet::kPageRom},
        {12, 0x2000, CMachine_Korvet::kPageRam},     {12, 0x3800, CMachine_Korvet::kPageRam},
        {12, 0x4000, CMachine_Korvet::kPageGraph},   {12, 0x7FFF, CMachine_Korvet::kPageGraph},
        {12, 0x8000, CMachine_Korvet::kPageRam},     {12, 0xFE00, CMachine_Korvet::kPageIo},
        {12, 0xFF00, CMachine_Korvet::kPageSystem},  {16, 0x5FFF, CMachine_Korvet::kPageRom},
        {16, 0x6000, CMachine_Korvet::kPageRam},     {24, 0xBF00, CMachine_Korvet::kPageSystem},
        {24, 0xBEFF, CMachine_Korvet::kPageRam},     {24, 0xC000, CMachine_Korvet::kPageGraph},
        {24, 0xFFFF, CMachine_Korvet::kPageGraph},   {31, 0x0000, CMachine_Korvet::kPageRam},
    };
    for (const CRow& row : rows)
        EXPECT_EQ(CMachine_Korvet::GetPageType(row.map, row.address >> 8), row.type)
            << "map " << row.map << " address " << std::hex << row.address;

    const CMachine_Korvet::CWindows& map4 = CMachine_Korvet::GetMapWindows(4);
    EXPECT_EQ(map4.rom, 0);
    EXPECT_EQ(map4.system, 0xFA00);
    EXPECT_EQ(map4.io, 0xFB00);
    EXPECT_EQ(map4.keyboard, 0xF800);
    EXPECT_EQ(map4.text, 0xFC00);
    EXPECT_EQ(map4.graph, CMachine_Korvet::kNoWindow);
    EXPECT_EQ(CMachine_Korvet::GetMapWindows(3).rom, CMachine_Korvet::kNoWindow);
}

TEST(KorvetMaps, OnlyBlocksWithWindowsGetHandlers) {
    for (uint32_t block = 0; block < 64; ++block)
        EXPECT_EQ(CMachine_Korvet::IsMappedBlock(block), block < 32 || block >= 47) << block;
    EXPECT_FALSE(CMachine_Korvet::IsMappedBlock(64));
}

// A running Korvet 2.0 in map 0 with its ROM.
class KorvetMemory : public ::testing::Test {
protected:
    KorvetMemory() : m_rig(CMachine_Korvet::kModelKorvet20) {}
    void SetUp() override {
        m_rig.InstallModelRom();
        ASSERT_TRUE(m_rig.BuildAndPowerOn());
        m_rom = korvettest::ReadFile(korvettest::SharedData() + "roms/korvet20.rom");
        ASSERT_GT(m_rom.size(), 0x1000u);
    }
    CMachine_Korvet& Machine() { return m_rig.Machine(); }

    CKorvetRig m_rig;
    Bytes m_rom;
};

TEST_F(KorvetMemory, SysregSelectsMapsByBits6To2) {
    EXPECT_EQ(Machine().GetMemoryMap(), 0);
    m_rig.Write(0x3A7F, 0x83); // bits 7, 1 and 0 alone: still map 0
    EXPECT_EQ(Machine().GetMemoryMap(), 0);
    m_rig.Ram()[0x3A7F] = 0x77;
    m_rig.Write(0x3A7F, 0x1C);
    EXPECT_EQ(Machine().GetMemoryMap(), 7);
    EXPECT_EQ(m_rig.Read(0x3A7F), 0x77);
    EXPECT_EQ(m_rig.Read(0xFA7F), 7);
    EXPECT_EQ(Machine().GetWindows().system, 0xFA00);
    m_rig.Write(0xFA7F, 0x7F); // map 31
    EXPECT_EQ(m_rig.Read(0xC07F), 0) << "graphics window, not the system page";
    EXPECT_EQ(Machine().GetMemoryMap(), 31);
}

TEST_F(KorvetMemory, RomPagesReadTheImageAndWriteTheRamBelow) {
    EXPECT_EQ(m_rig.Read(0x0000), m_rom[0]);
    EXPECT_EQ(m_rig.Read(0x1000), m_rom[0x1000]);
    m_rig.Write(0x1000, static_cast<uint8_t>(~m_rom[0x1000]));
    EXPECT_EQ(m_rig.Read(0x1000), m_rom[0x1000]);
    EXPECT_EQ(m_rig.Ram()[0x1000], static_cast<uint8_t>(~m_rom[0x1000]));
    m_rig.Write(0x3A7F, 0x0C); // map 3: no ROM
    EXPECT_EQ(m_rig.Read(0x1000), static_cast<uint8_t>(~m_rom[0x1000]));
}

// Only what is not RAM in the current map leaves the direct path: ROM blocks
// read the image directly, window blocks go through the handlers.
TEST_F(KorvetMemory, DirectPathFollowsTheCurrentMap) {
    const emu::CMemory::CPageDescriptor* pages = Machine().GetMemoryService()->GetPageTable();
    const auto direct = [&](uint32_t block) {
        return (pages[block].flags & emu::CMemory::kTestFetch) == emu::CMemory::kDirectRead &&
               (pages[block].flags & emu::CMemory::kTestWrite) == emu::CMemory::kDirectWrite;
    };
    EXPECT_TRUE(direct(0));
    EXPECT_EQ(pages[0].readContext, m_rig.Ram() + CMachine_Korvet::kRomImage);
    EXPECT_EQ(pages[0].writeContext, m_rig.Ram());
    EXPECT_FALSE(direct(0x3800 >> 10));
    EXPECT_TRUE(direct(0xF800 >> 10));
    m_rig.Write(0x3A7F, 0x1C); // map 7: no ROM, windows from F800h
    EXPECT_TRUE(direct(0));
    EXPECT_EQ(pages[0].readContext, m_rig.Ram());
    EXPECT_TRUE(direct(0x3800 >> 10));
    EXPECT_FALSE(direct(0xF800 >> 10));
}

TEST_F(KorvetMemory, Map12HasNoKeyboardOrTextWindow) {
    m_rig.Write(0x3A7F, 0x30);
    ASSERT_EQ(Machine().GetMemoryMap(), 12);
    m_rig.Write(0x3900, 0x11);
    m_rig.Write(0x3D00, 0x22);
    EXPECT_EQ(m_rig.Read(0x3900), 0x11);
    EXPECT_EQ(m_rig.Read(0x3D00), 0x22);
    EXPECT_EQ(m_rig.Ram()[0x3900], 0x11);

    // The graphics window writes the processor page, not the RAM.
    emu::CVideo_Korvet* video = Machine().GetVideo();
    m_rig.Write(0xFFBF, 0x8A); // NCREG: solid mode, colour 5
    m_rig.Write(0x4000, 0xA0);
    EXPECT_EQ(video->GetVideoMemory()[0], 0x50);
    EXPECT_EQ(video->GetVideoMemory()[1], 0x50);
    EXPECT_EQ(m_rig.Ram()[0x4000], 0);
    m_rig.Write(0xFFBF, 0xDA); // read colour 5
    EXPECT_EQ(m_rig.Read(0x4000), 0x5F);
    EXPECT_EQ(m_rig.Read(0xFFBF), 0xDA);
}

TEST_F(KorvetMemory, SystemPageRegistersAndRam) {
    emu::CVideo_Korvet* video = Machine().GetVideo();
    m_rig.Write(0x3ABF, 0x8A);
    EXPECT_EQ(video->GetNcreg(), 0x8Au);
    EXPECT_EQ(m_rig.Read(0x3ABF), 0x8A);
    m_rig.Write(0x3AFB, 0x5A);
    EXPECT_EQ(video->GetPaletteEntry(10), 5);
    EXPECT_EQ(video->GetPaletteColour(10), 0xFFAD00ADu);
    m_rig.Write(0x3A00, 0x42);
    m_rig.Write(0x3AFF, 0x43);
    EXPECT_EQ(m_rig.Read(0x3A00), 0x42);
    EXPECT_EQ(m_rig.Read(0x3AFF), 0x43);
    EXPECT_EQ(m_rig.Ram()[0x3ABF], 0) << "NCREG is no RAM";
}

TEST_F(KorvetMemory, TextAndKeyboardWindows) {
    emu::CVideo_Korvet* video = Machine().GetVideo();
    m_rig.Write(0x3C05, 0x41);
    EXPECT_EQ(video->GetTextCell(5) & 0xFF, 0x41);
    EXPECT_EQ(m_rig.Read(0x3C05), 0x41);
    EXPECT_EQ(m_rig.Ram()[0x3C05], 0);

    Machine().KeyEvent(0x41, true); // A: row 0, column 1
    EXPECT_EQ(m_rig.Read(0x3801), 0x02);
    EXPECT_EQ(m_rig.Read(0x3802), 0x00);
    m_rig.Ram()[0x3801] = 0x13;
    m_rig.Write(0x3801, 0x99);
    EXPECT_EQ(m_rig.Ram()[0x3801], 0x13) << "a keyboard write changes nothing";
    Machine().KeyEvent(0x41, false);
    EXPECT_EQ(m_rig.Read(0x3801), 0x02) << "a change waits for the next scan";
    Machine().GetCpu()->AddWaitCycles(static_cast<int32_t>(emu::CKeyboard_Korvet::kScanGap));
    EXPECT_EQ(m_rig.Read(0x3801), 0x00);
}

TEST_F(KorvetMemory, IoPageReachesEveryChip) {
    const uint16_t io = 0x3B00;
    // PIT: a status read-back of channel 2 after its control word.
    m_rig.Write(io + 0x03, 0xB0);
    m_rig.Write(io + 0x03, 0xE8);
    EXPECT_EQ(m_rig.Read(io + 0x02) & 0x3F, 0x30);
    EXPECT_EQ(m_rig.Read(io + 0x03), 0);

    // The three PPIs: control words and output latches.
    struct CPpi {
        uint16_t base;
        emu::CParallelPort_I8255* chip;
    };
    const CPpi ppis[] = {{0x08, Machine().GetPpi3()}, {0x30, Machine().GetPpi2()}, {0x38, Machine().GetPpi1()}};
    for (const CPpi& ppi : ppis) {
        m_rig.Write(io + ppi.base + 3, 0x80);
        EXPECT_EQ(m_rig.Read(io + ppi.base + 3), 0x80) << ppi.base;
        EXPECT_EQ(ppi.chip->ReadCtrl(1), 0x80) << ppi.base;
        m_rig.Write(io + ppi.base + 1, 0x21);
        EXPECT_EQ(m_rig.Read(io + ppi.base + 1), 0x21) << ppi.base;
    }
    m_rig.Write(io + 0x08, 0x55);
    EXPECT_EQ(m_rig.Read(io + 0x08), 0x55);
    EXPECT_EQ(m_rig.Read(io + 0x38) & 0xF5, 0xF4) << "PPI_1 port A reads VISTS";
    EXPECT_EQ(Machine().GetFdc()->ReadDrive(true), 0x21) << "PPI_1 port B drives the floppy DRIVE register";
    m_rig.Write(io + 0x3A, 0x41);
    EXPECT_EQ(Machine().GetVideo()->GetVireg(), 0x41u) << "PPI_1 port C is VIREG";

    // WD179X registers.
    m_rig.Write(io + 0x19, 0x27);
    m_rig.Write(io + 0x1A, 0x03);
    EXPECT_EQ(m_rig.Read(io + 0x19), 0x27);
    EXPECT_EQ(m_rig.Read(io + 0x1A), 0x03);
    EXPECT_EQ(m_rig.Read(io + 0x18) & emu::CDiskController_WD179X::kStatusNotReady,
              emu::CDiskController_WD179X::kStatusNotReady);

    // PIC: the BIOS's initialisation words, then the mask reads back.
    m_rig.Write(io + 0x28, 0xF6);
    m_rig.Write(io + 0x29, 0x02);
    m_rig.Write(io + 0x29, 0xF7);
    EXPECT_EQ(Machine().GetPic()->GetIMR(), 0xF7u);
    EXPECT_EQ(m_rig.Read(io + 0x29), 0xF7);

    // The constant and the RAM offsets.
    m_rig.Write(io + 0x21, 0x44);
    EXPECT_EQ(m_rig.Read(io + 0x21), 0x81);
    EXPECT_EQ(m_rig.Ram()[io + 0x21], 0x44);
    for (uint16_t offset : {0x04, 0x07, 0x10, 0x2A, 0x3C, 0xFF}) {
        m_rig.Write(static_cast<uint16_t>(io + offset), static_cast<uint8_t>(offset ^ 0xA5));
        EXPECT_EQ(m_rig.Read(static_cast<uint16_t>(io + offset)), offset ^ 0xA5) << offset;
        EXPECT_EQ(m_rig.Ram()[io + offset], offset ^ 0xA5) << offset;
    }
}

TEST_F(KorvetMemory, FirstFloppyCommandInstallsThePassiveTrap) {
    emu::CSoftware_Korvet* software = Machine().GetSoftware();
    EXPECT_FALSE(software->IsInstalled());
    EXPECT_EQ(m_rig.Peek(0x004C), m_rom[0x4C]);
    m_rig.Write(0x3B18, 0xD0); // force interrupt
    EXPECT_TRUE(software->IsCaptureRequested());
    EXPECT_TRUE(software->IsInstalled());
    EXPECT_FALSE(software->IsOutputOn());
    EXPECT_EQ(software->GetSavedByte(), m_rom[0x4C]);
    EXPECT_EQ(m_rig.Peek(0x004C), 0xD9);
}

TEST_F(KorvetMemory, PpiLineHandlers) {
    void* context = &Machine();
    uint8_t value = 0x5A;
    EXPECT_FALSE(CMachine_Korvet::ReadPpiPort(context, 0x38, 2, &value, 0));
    EXPECT_FALSE(CMachine_Korvet::WritePpiPort(context, 0x32, 2, &value));
    EXPECT_EQ(value, 0x5A);
    EXPECT_FALSE(CMachine_Korvet::ReadPpiPort(context, 0x10, 1, &value, 0));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(CMachine_Korvet::WritePpiPort(context, 0x10, 1, &value));
    for (uint32_t line : {0x08u, 0x09u, 0x0Au, 0x0Bu, 0x30u, 0x31u, 0x32u, 0x33u, 0x39u, 0x3Au, 0x3Bu}) {
        value = 0x66;
        EXPECT_TRUE(CMachine_Korvet::ReadPpiPort(context, line, 1, &value, 0)) << line;
        EXPECT_EQ(value, 0x66) << line;
    }

    emu::CTimerChannel_I8253* speaker = Machine().GetTimer()->GetChannel(0);
    value = 0x08;
    EXPECT_TRUE(CMachine_Korvet::WritePpiPort(context, 0x32, 1, &value));
    EXPECT_TRUE(speaker->IsSoundEnabled());
    value = 0xF7;
    EXPECT_TRUE(CMachine_Korvet::WritePpiPort(context, 0x32, 1, &value));
    EXPECT_FALSE(speaker->IsSoundEnabled());

    // VISTS: 0xF4, the inversion bit, the VBLANK bit.
    m_rig.Run(10000); // into the display lines
    ASSERT_EQ(Machine().GetVideo()->GetVblankStatus(), 2);
    EXPECT_TRUE(CMachine_Korvet::ReadPpiPort(context, 0x38, 1, &value, 1));
    EXPECT_EQ(value, 0xF6);
    value = 0x10;
    EXPECT_TRUE(CMachine_Korvet::WritePpiPort(context, 0x3A, 1, &value));
    EXPECT_TRUE(CMachine_Korvet::ReadPpiPort(context, 0x38, 1, &value, 1));
    EXPECT_EQ(value, 0xFE);
}

} // namespace
