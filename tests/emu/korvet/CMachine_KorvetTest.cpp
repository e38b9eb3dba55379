// The Korvet machine's models and names, device tree, settings, Debug menu and
// whole-machine state.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "KorvetTestSupport.h"
#include "common/CNarrowString.h"
#include "common/CSettingsRegistry.h"
#include "common/CStringList.h"
#include "emu/chips/CDiskController_WD179X.h"
#include "emu/chips/CParallelPort_I8255.h"
#include "emu/chips/CTimer_I8253.h"
#include "emu/framework/CDiskDrive.h"
#include "emu/framework/COptionTree.h"
#include "emu/korvet/CSoftware_Korvet.h"
#include "emu/korvet/CVideo_Korvet.h"

using emu::CMachine_Korvet;
using korvettest::Bytes;
using korvettest::CKorvetRig;

namespace {

std::string Text(const common::CString& text) {
    return text.GetNarrow() != nullptr ? text.GetNarrow() : "";
}

// Where two states part, with the field names just before it.
std::string FirstDifference(const Bytes& a, const Bytes& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    std::string context;
    for (size_t j = i > 80 ? i - 80 : 0; j < i + 16 && j < a.size(); ++j)
        context.push_back(a[j] >= 0x20 && a[j] < 0x7F ? static_cast<char>(a[j]) : '.');
    return "offset " + std::to_string(i) + ": " + context;
}

TEST(KorvetModels, NamesAndTheWalkOverTheModels) {
    struct CRow {
        const char* name;
        const char* config;
        const char* identity;
    };
    const CRow rows[] = {
        {"Korvet w/BIOS", "korvet", "Generic \"Korvet\" with Emulated BIOS"},
        {"Korvet 1.1", "korvet11", "School Computer \"Korvet 1.1\""},
        {"Korvet 2.0", "korvet20", "School Computer \"Korvet 2.0\""},
        {"Kontur 2.0", "kontur20", "Home Computer \"Kontur 2.0\""},
    };
    std::unique_ptr<emu::CComputer> machine(new CMachine_Korvet());
    for (const CRow& row : rows) {
        ASSERT_NE(machine, nullptr);
        EXPECT_STREQ(machine->GetName(), row.name);
        EXPECT_STREQ(machine->GetConfigName(), row.config);
        EXPECT_STREQ(machine->GetSettingsName(), row.config);
        EXPECT_STREQ(machine->GetModelTag(), "korvet");
        EXPECT_STREQ(machine->GetModelTitle(), "korvet");
        EXPECT_STREQ(machine->GetShortName(), "PC");
        common::CStringList identity;
        machine->GetIdentityText(identity);
        ASSERT_EQ(identity.GetCount(), 1);
        EXPECT_EQ(Text(*identity.GetAt(0)), row.identity);
        std::unique_ptr<emu::CComputer> same(machine->CreateSameModel());
        EXPECT_STREQ(same->GetName(), row.name);
        machine.reset(machine->CreateNextModel());
    }
    EXPECT_EQ(machine, nullptr) << "the walk ends after Kontur 2.0";
    EXPECT_EQ(CMachine_Korvet::CreateModel(4), nullptr);
}

TEST(KorvetModels, FrequencyTexts) {
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    rig.InstallModelRom();
    common::CNarrowString text;
    rig.Machine().GetFrequencyText(text, 0);
    EXPECT_EQ(Text(text), ", RAM=64 Kb");
    ASSERT_TRUE(rig.Build());
    rig.Machine().GetFrequencyText(text, 0);
    EXPECT_EQ(Text(text), "CPU I8080=2.50 MHz, RAM=64 Kb");

    ASSERT_TRUE(rig.PowerOn());
    rig.Write(0x3A7F, 0x1C); // map 7
    rig.Write(0xFB3A, 0x41); // VIREG through PPI_1 port C
    rig.Machine().GetFrequencyText(text, 0);
    EXPECT_NE(Text(text).find(", RAM=64 Kb"), std::string::npos) << "nothing published yet: " << Text(text);
    rig.Machine().PublishStatus(); // what the run loop does at every frame end
    rig.Machine().GetFrequencyText(text, 0);
    EXPECT_NE(Text(text).find(", SYSREG=07, VIREG=41, SOUND=Off"), std::string::npos) << Text(text);
    rig.Write(0xFB32, 0x08); // PPI_2 port C bit 3: the speaker
    rig.Machine().PublishStatus();
    rig.Machine().GetFrequencyText(text, 0);
    EXPECT_NE(Text(text).find(", SOUND=On"), std::string::npos) << Text(text);
    rig.Machine().GetFrequencyText(text, -1);
    EXPECT_NE(Text(text).find(", RAM=64 Kb"), std::string::npos) << Text(text);
}

// A sound output that cannot open leaves the machine silent: the status says
// so even while the program switches the speaker on.
TEST(KorvetModels, StatusShowsSoundOffWithoutAnOpenOutput) {
    class CDeadSoundOutput : public emu::CSoundOutput {
    public:
        bool Open(uint32_t, uint32_t, uint32_t) override { return false; }
        emu::CSoundOutput* CreateInstance() override { return new CDeadSoundOutput(); }
    };
    CDeadSoundOutput dead;
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    rig.InstallModelRom();
    rig.Machine().SetSoundOutput(&dead);
    ASSERT_TRUE(rig.BuildAndPowerOn());
    rig.Write(0xFB32, 0x08); // PPI_2 port C bit 3: the speaker
    rig.Machine().PublishStatus();
    common::CNarrowString text;
    rig.Machine().GetFrequencyText(text, 0);
    EXPECT_NE(Text(text).find(", SOUND=Off"), std::string::npos) << Text(text);
}

TEST(KorvetBuild, DeviceTreeAndWiring) {
    CKorvetRig rig(CMachine_Korvet::kModelKorvet11);
    ASSERT_TRUE(rig.Build());
    CMachine_Korvet& machine = rig.Machine();
    const char* const labels[] = {"CPU", "VID", "KEYB", "PIT", "PIC", "PPI_1", "PPI_2", "PPI_3", "FDC", "SOFT"};
    ASSERT_EQ(machine.GetChildCount(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_STREQ(static_cast<emu::CObject*>(machine.GetChildAt(i))->GetShortName(), labels[i]) << i;
    EXPECT_STREQ(machine.GetVideo()->GetName(), "Video Device");
    EXPECT_STREQ(machine.GetPpi2()->GetName(), "PPI_2 I8255");
    EXPECT_EQ(machine.GetProcessorCount(), 1);
    EXPECT_EQ(machine.GetCpu()->GetFrequency(), 2500000);

    emu::CTimer_I8253* timer = machine.GetTimer();
    EXPECT_EQ(timer->GetChannel(0)->GetClockFrequency(), 2000000u);
    EXPECT_TRUE(timer->GetChannel(0)->GetSoundGeneration());
    EXPECT_TRUE(timer->GetChannel(0)->GetKeepWaveformOnSameCount());
    EXPECT_EQ(timer->GetChannel(1)->GetClockFrequency(), 2000000u);
    EXPECT_EQ(timer->GetChannel(2)->GetClockFrequency(), 50u);
    EXPECT_EQ(timer->GetChannel(2)->GetConnectedIrq(), 5);
    EXPECT_EQ(machine.GetVideo()->GetVramPageCountMinusOne(), 3);
    EXPECT_EQ(machine.GetVideo()->GetIrqLine(), 4u);
    EXPECT_EQ(machine.GetFdc()->GetIrqLine(), 7u);

    ASSERT_EQ(machine.GetFdc()->GetDriveCount(), 4);
    EXPECT_EQ(rig.FloppySlot(4), nullptr);
    const char* const extensions[] = {"kdi", "img", "ima", "dsk"};
    for (int i = 0; i < 4; ++i) {
        emu::CMediaSlot* slot = rig.FloppySlot(i);
        EXPECT_EQ(machine.GetFdc()->GetDrive(i)->GetMediaSlot(), slot);
        common::CNarrowString extension;
        common::CNarrowString description;
        for (int type = 0; type < 4; ++type) {
            ASSERT_TRUE(slot->GetFileType(type, extension, description));
            EXPECT_EQ(Text(extension), extensions[type]);
            EXPECT_EQ(Text(description), type == 0 ? "Korvet Disk Images" : "Raw Disk Images");
        }
        EXPECT_FALSE(slot->GetFileType(4, extension, description));
    }
}

// --- Settings and Debug menu ------------------------------------------------------------

TEST(KorvetSettings, SysregFlagsOnlyInTheFullCollection) {
    const char* const keys[] = {"TraceWriteSYSREG", "BreakWriteSYSREG", "TraceReadSYSREG", "BreakReadSYSREG"};
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    ASSERT_TRUE(rig.Build());
    common::CSettingsRegistry all;
    common::CSettingsRegistry enabled;
    ASSERT_TRUE(rig.Machine().CollectProperties(&all, false));
    rig.Machine().CollectProperties(&enabled, true);
    for (const char* key : keys) {
        EXPECT_NE(all.FindValue(common::CNarrowString(key)), nullptr) << key;
        EXPECT_EQ(enabled.FindValue(common::CNarrowString(key)), nullptr) << key;
    }
    EXPECT_TRUE(rig.Machine().ValidateProperties(false));
}

common::COptionNodeInterface* Child(common::COptionNodeInterface* node, const char* name) {
    for (int32_t i = 0; node != nullptr && i < node->GetChildCount(); ++i) {
        if (Text(node->GetChildAt(i)->GetName()) == name)
            return node->GetChildAt(i);
    }
    return nullptr;
}

TEST(KorvetSettings, MotherboardMenu) {
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    ASSERT_TRUE(rig.Build());
    CMachine_Korvet& machine = rig.Machine();
    emu::COptionTree menu;
    machine.BuildMenu(&menu, 7);
    ASSERT_GT(menu.GetChildCount(), 1);
    common::COptionNodeInterface* board = menu.GetChildAt(0);
    EXPECT_EQ(Text(board->GetName()), "Motherboard");
    std::vector<std::string> items;
    for (int32_t i = 0; i < board->GetChildCount(); ++i)
        items.push_back(Text(board->GetChildAt(i)->GetName()));
    EXPECT_EQ(items, (std::vector<std::string>{"Trace Write SYSREG", "Trace Read SYSREG", "Trace All", "",
                                               "Break On Write SYSREG", "Break On Read SYSREG", "Break On All", "",
                                               "Select All", "Clear All"}));
    EXPECT_NE(Child(&menu, "Video Device"), nullptr) << "the devices' sub-menus follow";

    auto flags = [&] {
        return std::vector<bool>{machine.m_traceWriteSysreg, machine.m_traceReadSysreg, machine.m_breakWriteSysreg,
                                 machine.m_breakReadSysreg};
    };
    EXPECT_FALSE(board->IsChecked());
    ASSERT_TRUE(Child(board, "Trace All")->Activate());
    EXPECT_EQ(flags(), (std::vector<bool>{true, true, false, false}));
    EXPECT_TRUE(board->IsChecked());
    ASSERT_TRUE(Child(board, "Break On Read SYSREG")->Activate());
    EXPECT_EQ(flags(), (std::vector<bool>{true, true, false, true}));
    ASSERT_TRUE(Child(board, "Clear All")->Activate());
    EXPECT_EQ(flags(), (std::vector<bool>{false, false, false, false}));
    EXPECT_FALSE(board->IsChecked());
    ASSERT_TRUE(Child(board, "Select All")->Activate());
    EXPECT_EQ(flags(), (std::vector<bool>{true, true, true, true}));

    emu::COptionTree input;
    machine.BuildMenu(&input, 5);
    EXPECT_EQ(Child(&input, "Motherboard"), nullptr);
}

// A debugger that breaks in at every check.
uint32_t BreakAlways(void*, bool*, bool*, int32_t) {
    return 1;
}

TEST(KorvetSettings, SysregTraceAndBreak) {
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    rig.InstallModelRom();
    ASSERT_TRUE(rig.BuildAndPowerOn());
    CMachine_Korvet& machine = rig.Machine();
    rig.TakeLines();
    machine.m_traceWriteSysreg = true;
    machine.m_traceReadSysreg = true;
    rig.Write(0x3A7F, 0x1F);
    EXPECT_EQ(rig.Read(0xFA7F), 7);
    EXPECT_EQ(rig.Peek(0xFA7F), 7);
    EXPECT_EQ(rig.TakeLines(), (std::vector<std::string>{"[PC] =>SYSREG = 1Fh (memory map 7)", "[PC] <=SYSREG = 07h"}));

    // A break on the write leaves the map as it was.
    machine.m_breakWriteSysreg = true;
    machine.SetBreakHook(BreakAlways);
    rig.Write(0xFA7F, 0x00);
    machine.SetBreakHook(nullptr);
    EXPECT_EQ(machine.GetMemoryMap(), 7);
    const std::vector<std::string> lines = rig.TakeLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "[PC BREAK] =>SYSREG = 00h (memory map 0)");
}

// --- Whole-machine state -----------------------------------------------------------------

TEST(KorvetState, SaveLoadSaveGivesTheSameBytes) {
    for (uint32_t model = 1; model < CMachine_Korvet::kModelCount; ++model) {
        CKorvetRig rig(model);
        rig.InstallModelRom();
        ASSERT_TRUE(rig.BuildAndPowerOn()) << model;
        rig.Run(300000);
        rig.Write(0x3A7F, 0x14); // map 5
        const Bytes first = rig.Save();
        ASSERT_TRUE(rig.Load(first)) << model;
        const Bytes second = rig.Save();
        EXPECT_TRUE(second == first) << model << " " << FirstDifference(second, first);
    }
}

TEST(KorvetState, FreshMachineOfTheSameModelOnly) {
    Bytes state;
    {
        CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
        rig.InstallModelRom();
        ASSERT_TRUE(rig.BuildAndPowerOn());
        rig.Write(0x3A7F, 0x14);
        rig.Write(0x9000, 0x5A);
        state = rig.Save();
    }
    CKorvetRig fresh(CMachine_Korvet::kModelKorvet20);
    fresh.InstallModelRom();
    ASSERT_TRUE(fresh.BuildAndPowerOn());
    ASSERT_TRUE(fresh.Load(state));
    EXPECT_EQ(fresh.Machine().GetMemoryMap(), 5);
    EXPECT_EQ(fresh.Read(0xFA7F), 5);
    EXPECT_EQ(fresh.Read(0x9000), 0x5A);
    EXPECT_EQ(fresh.Machine().GetWindows().io, 0xFB00);
    const Bytes again = fresh.Save();
    EXPECT_TRUE(again == state) << FirstDifference(again, state);

    CKorvetRig kontur(CMachine_Korvet::kModelKontur20);
    kontur.InstallModelRom();
    ASSERT_TRUE(kontur.BuildAndPowerOn());
    EXPECT_FALSE(kontur.Load(state));
}

TEST(KorvetState, LoadRefusesAnotherRecordVersion) {
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    rig.InstallModelRom();
    ASSERT_TRUE(rig.BuildAndPowerOn());
    Bytes state = rig.Save();
    // The machine record's "VER": the last one before "MMDL"; its value
    // follows the name and the type byte.
    const std::string text(state.begin(), state.end());
    const size_t version = text.rfind("VER", text.rfind("MMDL"));
    ASSERT_NE(version, std::string::npos);
    const size_t value = version + 4;
    ASSERT_EQ(state[value - 1], 0x00);
    ASSERT_EQ(state[value], 0x00);
    state[value] = 1;
    EXPECT_FALSE(rig.Load(state));
    state[value] = 0;
    EXPECT_TRUE(rig.Load(state));
}

TEST(KorvetState, TruncatedRecordKeepsMapAndTablesTogether) {
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    rig.InstallModelRom();
    ASSERT_TRUE(rig.BuildAndPowerOn());
    rig.Write(0x3A7F, 0x14);
    Bytes state = rig.Save();
    const std::string text(state.begin(), state.end());
    const size_t sound = text.rfind("SNDC");
    ASSERT_NE(sound, std::string::npos);
    rig.Write(0xFA7F, 0x00);
    // Cut inside "SNDC": the load fails with map 5 back in both the register
    // and the page tables.
    state.resize(sound + 2);
    EXPECT_FALSE(rig.Load(state));
    EXPECT_EQ(rig.Machine().GetMemoryMap(), 5);
    EXPECT_EQ(rig.Peek(0xFA7F), 5);
}

} // namespace
