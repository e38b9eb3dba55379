// The emulator manager: configurations of the Korvet models, computers made
// from the named configuration, failures that leave nothing behind, removal
// and the output selections.
#include <gtest/gtest.h>

#include "app/CEmulatorManager.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"
#include "emu/host/CSoundOutput.h"
#include "emu/korvet/CMachine_Korvet.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::CProgramFolder;
using emu::CEmulator;
using emu::CEmulatorManager;

// A sound output that cannot make devices.
class CBrokenSoundOutput : public emu::CSoundOutput {
public:
    emu::CSoundOutput* CreateInstance() override { return nullptr; }
};

// A machine whose next model carries the same name.
class CRepeatingMachine : public emu::CMachine_Korvet {
public:
    explicit CRepeatingMachine(int* made) : m_made(made) { ++*m_made; }
    emu::CComputer* CreateSameModel() override { return new emu::CMachine_Korvet(); }
    emu::CComputer* CreateNextModel() override { return new CRepeatingMachine(m_made); }

private:
    int* m_made;
};

TEST(CEmulatorManagerTest, ListsTheFourModels) {
    CEmulatorManager manager;
    ASSERT_EQ(manager.GetConfigCount(), 4);
    const char* names[] = {"korvet", "korvet11", "korvet20", "kontur20"};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_STREQ(manager.GetConfig(i)->GetConfigName(), names[i]);
    EXPECT_STREQ(manager.GetConfig(0)->GetName(), "Korvet w/BIOS");
    EXPECT_EQ(manager.GetConfig(4), nullptr);
    EXPECT_EQ(manager.GetConfig(-1), nullptr);
    EXPECT_EQ(manager.GetSoundOutputCount(), 3);
    EXPECT_EQ(manager.GetTitle().CompareNarrow("Korvet"), 0);
}

TEST(CEmulatorManagerTest, CreatesTheNamedConfiguration) {
    CProgramFolder folder("manager-create");
    struct Case {
        const char* defaultConfig;
        int32_t expectedIndex;
        const char* expectedName;
    };
    const Case cases[] = {{"", 0, "korvet"}, {"nothing", 0, "korvet"}, {"kontur20", 3, "kontur20"}};
    for (const Case& c : cases) {
        CEmulatorManager manager;
        manager.EmuDefaultConfig.AssignNarrow(c.defaultConfig);
        CEmulator* computer = manager.CreateCore(-1);
        ASSERT_NE(computer, nullptr) << c.defaultConfig;
        EXPECT_EQ(computer->GetConfigIndex(), c.expectedIndex);
        EXPECT_EQ(manager.EmuDefaultConfig.CompareNarrow(c.expectedName), 0);
        EXPECT_TRUE(computer->IsThreadAlive());
        EXPECT_FALSE(computer->IsActive());
        EXPECT_EQ(manager.GetCoreCount(), 1);
        manager.RemoveCore(computer);
        EXPECT_EQ(manager.GetCoreCount(), 0);
    }
}

TEST(CEmulatorManagerTest, FailedCreationListsNothing) {
    CProgramFolder folder("manager-fail");
    CEmulatorManager manager;
    EXPECT_EQ(manager.CreateCore(4), nullptr);
    EXPECT_EQ(manager.GetCoreCount(), 0);

    std::vector<emu::CSoundOutput*>& outputs = manager.GetSoundOutputList();
    delete outputs[1];
    outputs[1] = new CBrokenSoundOutput();
    EXPECT_EQ(manager.CreateCore(0), nullptr);
    EXPECT_EQ(manager.GetCoreCount(), 0);
}

TEST(CEmulatorManagerTest, RemovingAnUnlistedComputerStillDeletesIt) {
    CProgramFolder folder("manager-remove");
    CEmulatorManager manager;
    CEmulator* listed = manager.CreateCore(2);
    ASSERT_NE(listed, nullptr);
    const int32_t before = CEmulator::GetEmulatorCount();
    CEmulator* stray = new CEmulator(&manager, new emu::CMachine_Korvet(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(stray->StartThreadOrRun());
    manager.RemoveCore(stray);
    EXPECT_EQ(CEmulator::GetEmulatorCount(), before);
    EXPECT_EQ(manager.GetCoreCount(), 1);
}

TEST(CEmulatorManagerTest, RepeatedModelNameEndsTheChain) {
    CEmulatorManager manager;
    int made = 0;
    manager.AddConfigs(new CRepeatingMachine(&made));
    // The first is listed; its successor repeats the name and is deleted.
    EXPECT_EQ(manager.GetConfigCount(), 5);
    EXPECT_EQ(made, 2);
    manager.AddConfigs(nullptr);
    EXPECT_EQ(manager.GetConfigCount(), 6);
    EXPECT_EQ(manager.GetConfig(5), nullptr);
}

TEST(CEmulatorManagerTest, SelectionsKeepIndexOnInvalidChoice) {
    CEmulatorManager manager;
    manager.SelectSoundOutput(2);
    EXPECT_EQ(manager.GetSelectedSoundOutput(), 2);
    EXPECT_EQ(manager.EmuDefaultSound.CompareNarrow("DirectSound"), 0);
    manager.SelectSoundOutput(7);
    EXPECT_EQ(manager.GetSelectedSoundOutput(), 2);
    EXPECT_TRUE(manager.EmuDefaultSound.IsEmpty());
    manager.SelectRenderer(9);
    EXPECT_TRUE(manager.EmuDefaultScreen.IsEmpty());
    EXPECT_EQ(manager.GetSelectedRenderer(), 0);
    manager.SetDefaultConfig(1);
    EXPECT_EQ(manager.EmuDefaultConfig.CompareNarrow("korvet11"), 0);
    manager.SetDefaultConfig(12);
    EXPECT_TRUE(manager.EmuDefaultConfig.IsEmpty());
}

TEST(CEmulatorManagerTest, SwitchesTheComputersMachine) {
    CProgramFolder folder("manager-switch");
    CEmulatorManager manager;
    CEmulator* computer = nullptr;
    ASSERT_TRUE(manager.SelectConfig(&computer, 1));
    ASSERT_NE(computer, nullptr);
    EXPECT_EQ(computer->GetConfigIndex(), 1);
    EXPECT_TRUE(manager.SelectConfig(&computer, 2));
    EXPECT_EQ(computer->GetConfigIndex(), 2);
    EXPECT_STREQ(computer->GetMachine()->GetConfigName(), "korvet20");
    EXPECT_FALSE(manager.SelectConfig(&computer, 9));
    EXPECT_EQ(computer->GetConfigIndex(), 2);
    EXPECT_EQ(manager.GetCoreCount(), 1);
}

} // namespace
