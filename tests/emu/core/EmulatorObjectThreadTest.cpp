// The emulated computer as an object: construction and destruction, the two
// views and their presentation, the status text, the option menus, machine
// and output replacement and the drive queries.
#include "CoreTestSupport.h"
#include "common/CWideString.h"
#include "emu/host/CRenderer_NoRendering.h"
#include "emu/host/CSoundOutput.h"

namespace {

using coretest::CCoreFixture;
using coretest::CCoreTestComputer;
using coretest::CTestManager;
using emu::CEmulator;

TEST(EmulatorObjectTest, ConstructionWithoutThreadOrHostViewAndDestructionFreeEverything) {
    const int32_t before = CEmulator::GetEmulatorCount();
    {
        CTestManager manager;
        CEmulator core(&manager, new CCoreTestComputer(), nullptr, new emu::CSoundOutput(), nullptr);
        EXPECT_EQ(CEmulator::GetEmulatorCount(), before + 1);
        EXPECT_EQ(core.GetConsoleView(), nullptr);
        ASSERT_NE(core.GetRenderer(), nullptr) << "a headless renderer of its own";
        EXPECT_STREQ(core.GetRenderer()->GetName(), "No Rendering");
        EXPECT_TRUE(core.IsConsoleShown());
        EXPECT_TRUE(core.GetConsole().IsCentred()) << "the banner is centred";
        EXPECT_TRUE(coretest::HasLine(core.GetConsole(), "Computer \"Core Test Computer\""));
        EXPECT_EQ(core.GetLoopKind(), -1);
        EXPECT_FALSE(core.IsThreadAlive());
        EXPECT_EQ(core.GetMachine()->GetBreakHookUser(), &core);
        EXPECT_EQ(core.GetMachine()->GetBreakHook(), nullptr);
    }
    EXPECT_EQ(CEmulator::GetEmulatorCount(), before);
}

TEST(EmulatorObjectTest, AHostViewGivesTheConsoleItsOwnRenderer) {
    CTestManager manager;
    emu::CRenderer_NoRendering hostView;
    CEmulator core(&manager, new CCoreTestComputer(), nullptr, nullptr, &hostView);
    ASSERT_NE(core.GetConsoleView(), nullptr);
    EXPECT_NE(core.GetConsoleView(), &hostView);
}

TEST(EmulatorObjectTest, OptionMenusByKind) {
    CTestManager manager;
    CEmulator core(&manager, new CCoreTestComputer(), nullptr, nullptr, nullptr);
    for (int32_t kind : {1, 3, 4, 5, 7, 10, 11})
        EXPECT_NE(core.GetOptionMenu(kind), nullptr) << kind;
    for (int32_t kind : {0, 2, 6, 8, 9, 12})
        EXPECT_EQ(core.GetOptionMenu(kind), nullptr) << kind;

    // Settings ends with the duplicate-line item, bound to the console and the manager.
    emu::COptionTree* settings = core.GetOptionMenu(CEmulator::kMenuSettings);
    ASSERT_GT(settings->GetChildCount(), 0);
    common::COptionNodeInterface* item = settings->GetChildAt(settings->GetChildCount() - 1);
    EXPECT_FALSE(item->IsChecked());
    item->Activate();
    EXPECT_TRUE(item->IsChecked());
    EXPECT_TRUE(*core.GetConsole().GetIgnoreDuplicateLinesFlag());
    EXPECT_EQ(manager.m_ignoreDuplicates, 1);

    // Computer holds the synchronization submenu: five radio items on the manager's setting.
    emu::COptionTree* computer = core.GetOptionMenu(CEmulator::kMenuComputer);
    common::COptionNodeInterface* sync = nullptr;
    for (int32_t i = 0; i < computer->GetChildCount(); ++i)
        if (computer->GetChildAt(i)->GetChildCount() == CEmulator::kSyncRateCount)
            sync = computer->GetChildAt(i);
    ASSERT_NE(sync, nullptr);
    EXPECT_TRUE(sync->GetChildAt(0)->IsChecked());
    sync->GetChildAt(4)->Activate();
    EXPECT_EQ(manager.m_syncFrequency, 4u);
    EXPECT_TRUE(sync->GetChildAt(4)->IsChecked());
    EXPECT_TRUE(sync->GetChildAt(4)->IsEnabled());
}

TEST(EmulatorObjectTest, SetMachineReplacesTheMachineOnlyWhileItIsOff) {
    CTestManager manager;
    CEmulator core(&manager, new CCoreTestComputer(), nullptr, nullptr, nullptr);
    emu::CComputer* first = core.GetMachine();
    EXPECT_TRUE(core.SetMachine(first)) << "the current machine: nothing to do";
    EXPECT_EQ(core.GetMachine(), first);

    auto* second = new CCoreTestComputer();
    EXPECT_TRUE(core.SetMachine(second));
    EXPECT_EQ(core.GetMachine(), second);
    EXPECT_EQ(second->GetBreakHookUser(), &core);
    EXPECT_EQ(second->GetConsole(), &core.GetConsole());
    EXPECT_NE(second->GetProcessor(0), nullptr) << "built";
    EXPECT_TRUE(core.GetConsole().IsCentred());

    EXPECT_TRUE(core.SetMachine(nullptr));
    EXPECT_EQ(core.GetMachine(), nullptr);
    for (int32_t kind : {1, 3, 4, 5, 7, 10, 11})
        EXPECT_EQ(core.GetOptionMenu(kind)->GetChildCount(), 0) << kind;
}

TEST(EmulatorObjectTest, SetRendererWithNoneInstallsAnOwnHeadlessOne) {
    CTestManager manager;
    auto* mine = new emu::CRenderer_NoRendering();
    CEmulator core(&manager, new CCoreTestComputer(), mine, nullptr, nullptr);
    EXPECT_EQ(core.GetMachine()->GetHost(), mine);
    core.SetRenderer(nullptr, false);
    ASSERT_NE(core.GetRenderer(), nullptr);
    EXPECT_NE(core.GetRenderer(), mine);
    EXPECT_STREQ(core.GetRenderer()->GetName(), "No Rendering");
    EXPECT_NE(core.GetMachine()->GetHost(), mine) << "the machine let go of the deleted renderer";
}

class EmulatorObjectThreadTest : public CCoreFixture {};

TEST_F(EmulatorObjectThreadTest, OutputsChangeOnlyWhileTheMachineIsOff) {
    ASSERT_TRUE(m_core->Start(false, false));
    auto* output = new emu::CSoundOutput();
    EXPECT_FALSE(m_core->SetSoundOutput(output));
    m_core->Stop();
    EXPECT_TRUE(m_core->SetSoundOutput(output));
    EXPECT_EQ(m_core->GetSoundOutput(), output);
    EXPECT_EQ(m_computer->GetSoundOutput(), output);
    EXPECT_TRUE(m_core->SetSoundOutput(output)) << "the same output";
}

TEST_F(EmulatorObjectThreadTest, AMachineIsNotReplacedWhileItRuns) {
    ASSERT_TRUE(m_core->Start(false, false));
    auto* other = new CCoreTestComputer();
    EXPECT_FALSE(m_core->SetMachine(other));
    EXPECT_EQ(m_core->GetMachine(), m_computer);
    delete other;
}

TEST_F(EmulatorObjectThreadTest, StatusTextShowsTheSpeedOnlyWhileActive) {
    common::CWideString text;
    m_core->FormatStatusText(text);
    EXPECT_STREQ(text.GetNarrow(), "Core Test Computer (CPU I8080=2.50 MHz)");
    ASSERT_TRUE(m_core->Start(false, false));
    m_core->FormatStatusText(text);
    EXPECT_NE(std::string(text.GetNarrow()).find(", Speed="), std::string::npos) << text.GetNarrow();
    m_core->Stop();
    m_computer->SetName("");
    m_core->FormatStatusText(text);
    EXPECT_EQ(std::string(text.GetNarrow()).substr(0, 9), "Unknown (");
}

TEST_F(EmulatorObjectThreadTest, PresentingShowsTheConsoleViewOrTheRunningScreen) {
    m_core->ShutdownThread();
    delete m_core;
    emu::CRenderer_NoRendering hostView;
    m_computer = new CCoreTestComputer();
    auto* screen = new emu::CRenderer_NoRendering();
    m_core = new CEmulator(&m_manager, m_computer, screen, nullptr, &hostView);
    m_core->SetSynchronization(false);
    ASSERT_TRUE(m_core->StartThreadOrRun());
    emu::CRenderer* view = m_core->GetConsoleView();
    ASSERT_NE(view, nullptr);

    const uint32_t viewFrames = view->GetPresentedFrameCount();
    EXPECT_TRUE(m_core->PresentFrame(false, true));
    EXPECT_EQ(view->GetPresentedFrameCount(), viewFrames + 1);

    // The console view off with the machine stopped: nothing is presented.
    m_core->ShowConsole(false, false);
    const uint32_t screenFrames = screen->GetPresentedFrameCount();
    EXPECT_TRUE(m_core->PresentFrame(false, true));
    EXPECT_EQ(screen->GetPresentedFrameCount(), screenFrames);
    EXPECT_EQ(view->GetPresentedFrameCount(), viewFrames + 1);

    ASSERT_TRUE(m_core->Start(false, false));
    EXPECT_TRUE(m_core->PresentFrame(false, true));
    EXPECT_EQ(screen->GetPresentedFrameCount(), screenFrames + 1);
    // The host view goes with this test: the core goes first.
    m_core->ShutdownThread();
    delete m_core;
    m_core = nullptr;
}

TEST_F(EmulatorObjectThreadTest, ShowingTheConsoleWithoutAThreadChangesNothing) {
    m_core->ShutdownThread();
    m_core->ShowConsole(false, false);
    EXPECT_TRUE(m_core->IsConsoleShown());
}

TEST_F(EmulatorObjectThreadTest, DriveQueries) {
    int32_t floppies = -1, hardDisks = -1, cartridges = -1, cdDrives = -1;
    EXPECT_EQ(m_core->GetDriveCounts(&floppies, &hardDisks, &cartridges, &cdDrives), 2);
    EXPECT_EQ(floppies, 2);
    EXPECT_EQ(hardDisks, 0);
    EXPECT_EQ(cartridges, 0);
    EXPECT_EQ(cdDrives, 0);
    EXPECT_EQ(m_core->GetDrive(0), m_computer->GetDrivesService()->GetSlot(0));
    EXPECT_EQ(m_core->GetDrive(2), nullptr);
    EXPECT_EQ(m_core->GetDrive(-1), nullptr);
    m_core->ShutdownThread();
    EXPECT_EQ(m_core->GetDriveCounts(&floppies, &hardDisks, &cartridges, &cdDrives), 0);
    EXPECT_EQ(floppies, 0);
    EXPECT_EQ(m_core->GetDrive(0), nullptr);
}

TEST_F(EmulatorObjectThreadTest, TheSynchronizationItemsAreDisabledWhileActive) {
    emu::COptionTree* computer = m_core->GetOptionMenu(CEmulator::kMenuComputer);
    common::COptionNodeInterface* sync = nullptr;
    for (int32_t i = 0; i < computer->GetChildCount(); ++i)
        if (computer->GetChildAt(i)->GetChildCount() == CEmulator::kSyncRateCount)
            sync = computer->GetChildAt(i);
    ASSERT_NE(sync, nullptr);
    ASSERT_TRUE(m_core->Start(false, false));
    for (int32_t i = 0; i < CEmulator::kSyncRateCount; ++i)
        EXPECT_FALSE(sync->GetChildAt(i)->IsEnabled()) << i;
    m_core->Stop();
    EXPECT_TRUE(sync->GetChildAt(0)->IsEnabled());
}

} // namespace
