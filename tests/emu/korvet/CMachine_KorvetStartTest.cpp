// The Korvet machine's start: ROM sets and their size limits, the bus rate,
// the first map, and the emulated-BIOS model's chip set-up and boot from the
// image in the first floppy drive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "KorvetTestSupport.h"
#include "emu/chips/CInterruptController_I8259.h"
#include "emu/korvet/CSoftware_Korvet.h"
#include "emu/korvet/CVideo_Korvet.h"

using emu::CMachine_Korvet;
using korvettest::Bytes;
using korvettest::CKorvetRig;

namespace {

typedef std::vector<std::string> Lines;

bool Contains(const Lines& lines, const std::string& line) {
    for (const std::string& text : lines) {
        if (text == line)
            return true;
    }
    return false;
}

TEST(KorvetStart, EveryRomModelStartsInMap0WithItsImage) {
    struct CRow {
        uint32_t model;
        const char* file;
    };
    const CRow rows[] = {{1, "korvet11.rom"}, {2, "korvet20.rom"}, {3, "kontur.rom"}};
    for (const CRow& row : rows) {
        CKorvetRig rig(row.model);
        rig.InstallModelRom();
        ASSERT_TRUE(rig.BuildAndPowerOn()) << row.file;
        const Bytes rom = korvettest::ReadFile(korvettest::SharedData() + "roms/" + row.file);
        EXPECT_EQ(rig.Machine().GetMemoryMap(), 0);
        EXPECT_EQ(rig.Machine().GetCpu()->GetPC(), 0);
        const size_t shown = std::min(rom.size(), size_t(0x3800)); // map 0's ROM pages
        for (size_t i : {size_t(0), size_t(1), size_t(0x100), shown - 1})
            EXPECT_EQ(rig.Read(static_cast<uint16_t>(i)), rom[i]) << row.file << " " << i;
        EXPECT_EQ(0, std::memcmp(rig.Ram() + CMachine_Korvet::kRomImage, rom.data(), rom.size())) << row.file;
        const Lines lines = rig.TakeLines();
        EXPECT_TRUE(Contains(lines, std::string("[INIT] Started emulation of ") + rig.Machine().GetName()));
        EXPECT_TRUE(Contains(lines, std::string("[INIT] File \"") + row.file +
                                        "\" loaded to memory at position 10000h (Main ROM)"))
            << row.file;
        EXPECT_EQ(rig.Rate(), 7000) << "a ROM model needs 7000 bus events a second";
    }
}

TEST(KorvetStart, Korvet20FindsItsSecondName) {
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    rig.InstallRom("korvet20.rom", "korvet2.rom");
    rig.InstallFile("korvet20.rom", Bytes(16, 0x11));
    ASSERT_TRUE(rig.BuildAndPowerOn());
    EXPECT_NE(rig.Ram()[CMachine_Korvet::kRomImage + 15], 0x11) << "the first name wins";
}

TEST(KorvetStart, MissingRomFailsTheStart) {
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    ASSERT_TRUE(rig.Build());
    EXPECT_FALSE(rig.PowerOn());
    const Lines lines = rig.TakeLines();
    EXPECT_TRUE(Contains(lines, "![ERROR] No one of files found (Main ROM): ")) << lines.size();
}

TEST(KorvetStart, RomSizeLimits) {
    struct CCase {
        int model;
        const char* file;
        size_t size;
        const char* error; // null: the start succeeds
    };
    const CCase cases[] = {
        {CMachine_Korvet::kModelKorvet11, "korvet11.rom", 0x8000, nullptr},
        {CMachine_Korvet::kModelKorvet11, "korvet11.rom", 0x8001,
         "![ERROR] File \"korvet11.rom\" is too big to be loaded (>32768)!"},
        {CMachine_Korvet::kModelKorvet11, "korvet11.rom", 0x4000, nullptr},
        {CMachine_Korvet::kModelKorvet11, "korvet11.rom", 0x3FFF,
         "![ERROR] File \"korvet11.rom\" is too small to be loaded (<16384)!"},
        {CMachine_Korvet::kModelKorvet20, "korvet20.rom", 1000,
         "![ERROR] File \"korvet20.rom\" is too small to be loaded (<16384)!"},
        {CMachine_Korvet::kModelKontur20, "kontur.rom", 0x2000, nullptr},
        {CMachine_Korvet::kModelKontur20, "kontur.rom", 0x1FFF,
         "![ERROR] File \"kontur.rom\" is too small to be loaded (<8192)!"},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.size));
        CKorvetRig rig(c.model);
        rig.InstallFile(c.file, Bytes(c.size, 0x3C));
        ASSERT_TRUE(rig.Build());
        EXPECT_EQ(rig.PowerOn(), c.error == nullptr);
        if (c.error == nullptr)
            EXPECT_EQ(rig.Read(0x0000), 0x3C);
        else
            EXPECT_TRUE(Contains(rig.TakeLines(), c.error));
    }
}

TEST(KorvetStart, BusRateByModel) {
    CKorvetRig rom(CMachine_Korvet::kModelKontur20);
    rom.InstallModelRom();
    ASSERT_TRUE(rom.Build());
    ASSERT_TRUE(rom.PowerOn(4900));
    EXPECT_EQ(rom.Rate(), 7000);
    CKorvetRig bios(CMachine_Korvet::kModelBios);
    ASSERT_TRUE(bios.Build());
    EXPECT_FALSE(bios.PowerOn(4900)) << "no disk";
    EXPECT_EQ(bios.Rate(), 4900);
}

TEST(KorvetStart, RestartSetsUpMemoryAfresh) {
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    rig.InstallModelRom();
    ASSERT_TRUE(rig.BuildAndPowerOn());
    rig.Write(0x3A7F, 0x1C);
    rig.Write(0x9000, 0x77);
    rig.Machine().Stop();
    ASSERT_TRUE(rig.PowerOn());
    EXPECT_EQ(rig.Machine().GetMemoryMap(), 0);
    EXPECT_EQ(rig.Read(0x9000), 0);
    EXPECT_EQ(rig.Read(0x3A7F), 0);
}

// --- The emulated-BIOS model ----------------------------------------------------------------

const size_t kImageSize = 819200; // 80 cylinders, 2 heads, 5 sectors of 1 KB

// A full-size image with a boot header and a recognisable body.
Bytes BootImage(uint16_t load, uint16_t start, uint16_t length, size_t size = kImageSize) {
    Bytes image(size);
    for (size_t i = 0; i < size; ++i)
        image[i] = static_cast<uint8_t>(i * 7 + 3);
    const uint16_t words[] = {load, start, length};
    for (size_t i = 0; i < 3 && 2 * i + 1 < size; ++i) {
        image[2 * i] = static_cast<uint8_t>(words[i]);
        image[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    }
    return image;
}

TEST(KorvetBios, BootsTheHeaderProgram) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    ASSERT_TRUE(rig.Build());
    const Bytes image = BootImage(0x4000, 0x4010, 1);
    ASSERT_TRUE(rig.Mount(0, rig.MakeImage("boot.kdi", image)));
    ASSERT_TRUE(rig.PowerOn());
    CMachine_Korvet& machine = rig.Machine();
    EXPECT_EQ(0, std::memcmp(rig.Ram() + 0x4000, image.data(), 1024));
    EXPECT_NE(rig.Ram()[0x4400], image[1024]);
    EXPECT_EQ(machine.GetCpu()->GetPC(), 0x4010);
    EXPECT_EQ(machine.GetCpu()->GetSP(), 0x8000);
    EXPECT_EQ(machine.GetMemoryMap(), 5);
    EXPECT_TRUE(
        Contains(rig.TakeLines(), "[INIT] Boot from file \"boot.kdi\" with start at 4010h (pos=4000h, size=1024)"));
    EXPECT_TRUE(rig.FloppySlot(0)->IsRead());
    EXPECT_TRUE(rig.FloppySlot(0)->IsInUse());

    // The chips as the BIOS leaves them.
    emu::CVideo_Korvet* video = machine.GetVideo();
    EXPECT_EQ(video->GetVireg(), 0x20u);
    EXPECT_EQ(video->GetNcreg(), 0x82u);
    for (int32_t entry = 0; entry < 16; ++entry)
        EXPECT_EQ(video->GetPaletteEntry(entry), entry < 8 ? entry : 15) << entry;
    EXPECT_EQ(machine.GetPic()->GetIMR(), 0xF7u);

    // The console trap is in place and active; ROM pages 0x0000-0x1FFF read the empty image.
    emu::CSoftware_Korvet* software = machine.GetSoftware();
    EXPECT_TRUE(software->IsInstalled());
    EXPECT_TRUE(software->IsOutputOn());
    EXPECT_EQ(rig.Peek(0x004C), 0xD9);
    EXPECT_EQ(rig.Peek(0x0000), 0x00);
}

TEST(KorvetBios, RefusesBadDisks) {
    struct CRow {
        const char* what;
        Bytes image;
        const char* error;
    };
    const char* const kNonSystem = "![ERROR] Non-system floppy disk or incorrect disk format!";
    const CRow rows[] = {
        {"too long for the address space", BootImage(0xFC00, 0xFC10, 2), kNonSystem},
        {"start at the end", BootImage(0x4000, 0x4400, 1), kNonSystem},
        {"start before the load address", BootImage(0x4000, 0x3FFF, 1), kNonSystem},
        {"no length", BootImage(0x4000, 0x4010, 0), kNonSystem},
        {"no load address", BootImage(0x0000, 0x0010, 1), kNonSystem},
        {"unknown geometry", BootImage(0x4000, 0x4010, 1, 5),
         "![ERROR] Insert system disk to floppy disk drive and restart computer..."},
    };
    for (const CRow& row : rows) {
        CKorvetRig rig(CMachine_Korvet::kModelBios);
        ASSERT_TRUE(rig.Build());
        ASSERT_TRUE(rig.Mount(0, rig.MakeImage("bad.kdi", row.image))) << row.what;
        EXPECT_FALSE(rig.PowerOn()) << row.what;
        EXPECT_TRUE(Contains(rig.TakeLines(), row.error)) << row.what;
    }
}

TEST(KorvetBios, NeedsALatchedDiskInTheFirstDrive) {
    CKorvetRig empty(CMachine_Korvet::kModelBios);
    ASSERT_TRUE(empty.Build());
    ASSERT_TRUE(empty.Mount(1, empty.MakeImage("second.kdi", BootImage(0x4000, 0x4010, 1))));
    EXPECT_FALSE(empty.PowerOn());
    EXPECT_TRUE(
        Contains(empty.TakeLines(), "![ERROR] Insert system disk to floppy disk drive and restart computer..."));

    CKorvetRig open(CMachine_Korvet::kModelBios);
    ASSERT_TRUE(open.Build());
    ASSERT_TRUE(open.Mount(0, open.MakeImage("open.kdi", BootImage(0x4000, 0x4010, 1))));
    open.FloppySlot(0)->SetLatch(false);
    EXPECT_FALSE(open.PowerOn());
    EXPECT_TRUE(Contains(open.TakeLines(), "![ERROR] Insert system disk to floppy disk drive and restart computer..."));
}

TEST(KorvetBios, ConsoleCallsReachTheTextScreen) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    ASSERT_TRUE(rig.Build());
    // MVI C,'H'; CALL 004Ch; MVI C,'I'; CALL 004Ch; HLT
    Bytes image = BootImage(0x4000, 0x4010, 1);
    const uint8_t program[] = {0x0E, 'H', 0xCD, 0x4C, 0x00, 0x0E, 'I', 0xCD, 0x4C, 0x00, 0x76};
    std::copy(program, program + sizeof(program), image.begin() + 0x10);
    ASSERT_TRUE(rig.Mount(0, rig.MakeImage("hello.kdi", image)));
    ASSERT_TRUE(rig.PowerOn());
    rig.Run(2000);
    emu::CVideo_Korvet* video = rig.Machine().GetVideo();
    EXPECT_EQ(video->GetTextCell(0) & 0xFF, 'H');
    EXPECT_EQ(video->GetTextCell(1) & 0xFF, 'I');
    EXPECT_EQ(video->GetCursorColumn(), 2);
}

} // namespace
