// Boot smoke runs: a machine runs from its ROM (or, with emulated BIOS, from a
// copy of the shared system disk) the way the run loop drives it, and must put
// its banner on the screen; with the system disk in the first drive, every
// model comes up to the CP/M prompt.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "KorvetTestSupport.h"
#include "emu/korvet/CSoftware_Korvet.h"
#include "emu/korvet/CVideo_Korvet.h"

using emu::CMachine_Korvet;
using korvettest::CKorvetRig;

namespace {

const uint64_t kSecond = 2500000;

// The text screen as 16 rows of 64 characters (anything unprintable as a space).
std::string Screen(CKorvetRig& rig) {
    emu::CVideo_Korvet* video = rig.Machine().GetVideo();
    std::string text;
    for (int32_t i = 0; i < emu::CVideo_Korvet::kTextCells; ++i) {
        const int code = video->GetTextCell(i) & 0xFF;
        text.push_back(code >= 0x20 && code < 0x7F ? static_cast<char>(code) : ' ');
        if (i % emu::CVideo_Korvet::kTextColumns == emu::CVideo_Korvet::kTextColumns - 1)
            text.push_back('\n');
    }
    return text;
}

// Runs in steps until the screen shows `text` or `limit` cycles have passed.
bool RunUntilShown(CKorvetRig& rig, const std::string& text, uint64_t limit) {
    for (uint64_t run = 0; run < limit; run += kSecond / 4) {
        if (Screen(rig).find(text) != std::string::npos)
            return true;
        rig.Run(kSecond / 4);
    }
    return Screen(rig).find(text) != std::string::npos;
}

bool MountSystemDisk(CKorvetRig& rig) {
    const korvettest::Bytes disk = korvettest::ReadFile(korvettest::SharedData() + "disks/system.kdi");
    return !disk.empty() && rig.Mount(0, rig.MakeImage("system.kdi", disk));
}

TEST(KorvetBoot, RomModelsShowTheirBanner) {
    struct CRow {
        uint32_t model;
        const char* version;
    };
    const CRow rows[] = {{1, "1.1"}, {2, "2.0"}, {3, "2.0"}};
    for (const CRow& row : rows) {
        CKorvetRig rig(row.model);
        rig.InstallModelRom();
        ASSERT_TRUE(rig.BuildAndPowerOn()) << row.model;
        EXPECT_TRUE(RunUntilShown(rig, row.version, kSecond)) << rig.Machine().GetName() << "\n" << Screen(rig);
        EXPECT_GT(rig.Renderer().m_endFrameAspects.size(), 0u) << rig.Machine().GetName();
        EXPECT_EQ(rig.Renderer().GetWidth(), 512);
        EXPECT_EQ(rig.Renderer().GetHeight(), 256);
    }
}

// Every model, with the system disk in the first drive, comes up to the CP/M
// prompt within its budget of emulated time (its measured boot, rounded up:
// 1.25 s, 10.75 s, 9.75 s and 11.75 s in quarter seconds).
TEST(KorvetBoot, EveryModelBootsTheSystemDiskToThePrompt) {
    struct CRow {
        uint32_t model;
        uint64_t budget;
    };
    const CRow rows[] = {{CMachine_Korvet::kModelBios, 3 * kSecond},
                         {CMachine_Korvet::kModelKorvet11, 12 * kSecond},
                         {CMachine_Korvet::kModelKorvet20, 15 * kSecond},
                         {CMachine_Korvet::kModelKontur20, 13 * kSecond}};
    for (const CRow& row : rows) {
        CKorvetRig rig(row.model);
        rig.InstallModelRom();
        ASSERT_TRUE(rig.Build()) << row.model;
        ASSERT_TRUE(MountSystemDisk(rig)) << row.model;
        ASSERT_TRUE(rig.PowerOn()) << row.model;
        const std::string name = rig.Machine().GetName();
        EXPECT_TRUE(RunUntilShown(rig, "A>", row.budget)) << name << "\n" << Screen(rig);
        EXPECT_NE(Screen(rig).find("CP/M-80"), std::string::npos) << name << "\n" << Screen(rig);
        if (row.model == CMachine_Korvet::kModelBios)
            continue;
        // The first disk command put the trap in, passive: the ROM prints through its own routine.
        EXPECT_TRUE(rig.Machine().GetSoftware()->IsInstalled()) << name;
        EXPECT_FALSE(rig.Machine().GetSoftware()->IsOutputOn()) << name;
    }
}

// FNV-1a over the state, without the disk image's path (it names the
// scratch folder): the bytes from the path field's name to the file name's end.
uint64_t StateHash(korvettest::Bytes state) {
    const std::string field = "FDFLE0";
    const std::string name = "system.kdi";
    std::string wideName;
    for (char c : name)
        wideName.append({c, '\0'});
    const std::string text(state.begin(), state.end());
    const size_t end = text.find(wideName);
    const size_t start = text.rfind(field, end);
    EXPECT_NE(end, std::string::npos);
    EXPECT_NE(start, std::string::npos);
    if (end != std::string::npos && start != std::string::npos)
        state.erase(state.begin() + static_cast<std::ptrdiff_t>(start),
                    state.begin() + static_cast<std::ptrdiff_t>(end));
    uint64_t hash = 0xCBF29CE484222325ull;
    for (uint8_t byte : state)
        hash = (hash ^ byte) * 0x100000001B3ull;
    return hash;
}

// Speed work must not change what the machine does: the prompt comes at the
// same frame and a state saved at a fixed time is the same, byte for byte.
TEST(KorvetBoot, Korvet20BootIsTheSameToTheFrameAndByte) {
    const uint64_t kFrame = kSecond / 50;
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    rig.InstallModelRom();
    ASSERT_TRUE(rig.Build());
    ASSERT_TRUE(MountSystemDisk(rig));
    ASSERT_TRUE(rig.PowerOn());
    int frames = 0;
    for (; frames < 15 * 50 && Screen(rig).find("A>") == std::string::npos; ++frames)
        rig.Run(kFrame);
    EXPECT_EQ(frames, 477) << Screen(rig);
    EXPECT_EQ(rig.Machine().GetCpu()->GetCycleCount(), 23859540u);
    rig.Run(12 * kSecond - rig.Machine().GetCpu()->GetCycleCount());
    EXPECT_EQ(rig.Machine().GetCpu()->GetCycleCount(), 30000028u);
    EXPECT_EQ(StateHash(rig.Save()), 0xF68EB2BDE930C36Full);
}

} // namespace
