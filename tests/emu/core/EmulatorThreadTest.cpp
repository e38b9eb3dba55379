// The emulation thread and run control: start, go, break, step, step over,
// pause, stop and shutdown through the safe-point handshake.
#include "CoreTestSupport.h"

namespace {

using coretest::CCoreFixture;
using coretest::CProbe;
using coretest::HasLine;

class EmulatorThreadTest : public CCoreFixture {};

TEST_F(EmulatorThreadTest, ThreadComesAliveIdleAndShutsDownOnce) {
    EXPECT_TRUE(m_core->IsThreadAlive());
    EXPECT_TRUE(m_core->IsStopRequested());
    EXPECT_FALSE(m_core->IsActive());
    EXPECT_TRUE(m_core->StartThreadOrRun()) << "a second start of a live thread answers true";
    m_core->ShutdownThread();
    EXPECT_FALSE(m_core->IsThreadAlive());
    m_core->ShutdownThread();
    EXPECT_FALSE(m_core->IsThreadAlive());
    EXPECT_TRUE(m_core->Start(false, false)) << "start without a thread changes nothing";
    EXPECT_FALSE(m_core->IsActive());
}

TEST_F(EmulatorThreadTest, StartPowersOnRunsFramesAndStopPowersOff) {
    ASSERT_TRUE(m_core->Start(false, false));
    EXPECT_TRUE(m_core->IsActive());
    EXPECT_TRUE(m_core->IsInRunLoop());
    EXPECT_EQ(m_core->GetLoopKind(), 0);
    EXPECT_FALSE(m_core->IsConsoleShown());
    EXPECT_TRUE(m_computer->m_frames.WaitForMore(3));
    EXPECT_TRUE(Probe().m_writes.WaitFor(1));

    EXPECT_TRUE(m_core->Start(false, false)) << "already running";
    EXPECT_EQ(m_computer->m_starts.Get(), 1) << "no second power-on";

    m_core->Stop();
    EXPECT_FALSE(m_core->IsActive());
    EXPECT_FALSE(m_core->IsInRunLoop());
    EXPECT_TRUE(m_core->IsStopRequested());
    EXPECT_TRUE(m_core->IsConsoleShown());
    EXPECT_EQ(m_core->GetLoopKind(), -1);
    EXPECT_TRUE(HasLine(m_core->GetConsole(), "[INIT] Started emulation of Core Test Computer"));
    EXPECT_TRUE(HasLine(m_core->GetConsole(), "[DONE] Emulation stopped!"));

    // A second power-on starts from nothing again.
    ASSERT_TRUE(m_core->Start(false, false));
    EXPECT_EQ(m_computer->m_starts.Get(), 2);
    EXPECT_EQ(m_core->GetSpeedPercent(), 0);
}

TEST_F(EmulatorThreadTest, GoStopsBeforeTheFirstInstruction) {
    ASSERT_TRUE(m_core->Start(true, true));
    EXPECT_TRUE(m_core->IsActive());
    EXPECT_TRUE(m_core->IsInBreak());
    EXPECT_TRUE(m_core->IsParked());
    EXPECT_TRUE(m_core->IsConsoleShown());
    EXPECT_EQ(Pc(), 0u);
    EXPECT_EQ(m_computer->m_cpu->GetCycleCount(), 0u);
    EXPECT_EQ(Probe().m_writes.Get(), 0);
}

TEST_F(EmulatorThreadTest, ConsoleGoPrintsTheFirstInstruction) {
    Command("go");
    EXPECT_TRUE(m_core->IsInBreak());
    EXPECT_EQ(coretest::LastLine(m_core->GetConsole()).substr(0, 6), "[0000]");
    EXPECT_EQ(coretest::LastLine(m_core->GetConsole()).size(), 104u);
}

TEST_F(EmulatorThreadTest, StepExecutesOneInstructionAndPrintsItsSuccessor) {
    ASSERT_TRUE(m_core->Start(true, false));
    EXPECT_FALSE(m_core->IsConsoleShown());
    const int64_t seen = m_computer->m_cpu->m_disassembled.Get();
    Command("step");
    // The loop disassembles when it stops after the step.
    ASSERT_TRUE(m_computer->m_cpu->m_disassembled.WaitFor(seen + 1));
    Settle();
    EXPECT_TRUE(m_core->IsInBreak());
    EXPECT_EQ(Pc(), coretest::kLoopAddress);
    EXPECT_EQ(m_core->GetStepsLeft(), 0);
    EXPECT_TRUE(m_core->IsConsoleShown()) << "a completed step shows the console";
    EXPECT_EQ(coretest::LastLine(m_core->GetConsole()).substr(0, 6), "[0002]");
}

TEST_F(EmulatorThreadTest, StepOverACallRunsTheSubroutineAndStopsAfterIt) {
    ASSERT_TRUE(m_core->Start(true, true));
    // Step to the CALL: MVI, INR, STA.
    for (int i = 0; i < 3; ++i) {
        const int64_t seen = m_computer->m_cpu->m_disassembled.Get();
        Command("s");
        ASSERT_TRUE(m_computer->m_cpu->m_disassembled.WaitFor(seen + 1));
        Settle();
    }
    ASSERT_EQ(Pc(), coretest::kCallAddress);
    // The command disassembles the instruction, and so does the loop when it stops.
    const int64_t seen = m_computer->m_cpu->m_disassembled.Get();
    Command("so");
    ASSERT_TRUE(m_computer->m_cpu->m_disassembled.WaitFor(seen + 2));
    Settle();
    EXPECT_EQ(Pc(), coretest::kAfterCallAddress);
    EXPECT_TRUE(m_core->IsInBreak());

    // Over any other instruction it stops as soon as the counter moves.
    const int64_t again = m_computer->m_cpu->m_disassembled.Get();
    Command("stepover");
    ASSERT_TRUE(m_computer->m_cpu->m_disassembled.WaitFor(again + 2));
    Settle();
    EXPECT_EQ(Pc(), coretest::kLoopAddress);
}

TEST_F(EmulatorThreadTest, StepCommandsNeedTheRunLoop) {
    Command("step");
    EXPECT_TRUE(HasLine(m_core->GetConsole(), "Error: Emulation should be active to execute this command"));
    Command("step 1");
    EXPECT_EQ(coretest::LastLine(m_core->GetConsole()), "Error: Too many parameters");
}

TEST_F(EmulatorThreadTest, BreakStopsTheRunningMachineAndResumeContinues) {
    ASSERT_TRUE(m_core->Start(false, false));
    ASSERT_TRUE(m_computer->m_frames.WaitForMore(2));
    Command("break");
    EXPECT_TRUE(m_core->IsInBreak());
    EXPECT_TRUE(m_core->IsParked());
    EXPECT_TRUE(m_core->IsConsoleShown());
    EXPECT_EQ(coretest::LastLine(m_core->GetConsole()).substr(0, 1), "[");

    m_core->Resume();
    EXPECT_FALSE(m_core->IsInBreak());
    EXPECT_TRUE(m_computer->m_frames.WaitForMore(2)) << "running again";
}

TEST_F(EmulatorThreadTest, PauseHoldsTheLoopAtItsSafePoint) {
    ASSERT_TRUE(m_core->Start(false, false));
    m_core->PauseAndWait();
    EXPECT_TRUE(m_core->IsParked());
    const uint64_t cycles = m_computer->m_cpu->GetCycleCount();
    m_core->PauseAndWait();
    EXPECT_EQ(m_core->GetPauseCount(), 2);
    EXPECT_EQ(m_computer->m_cpu->GetCycleCount(), cycles) << "nothing runs while parked";
    m_core->ReleasePause();
    m_core->ReleasePause();
    m_core->ReleasePause();
    EXPECT_EQ(m_core->GetPauseCount(), 0) << "never below zero";
    EXPECT_TRUE(m_computer->m_frames.WaitForMore(2));
}

TEST_F(EmulatorThreadTest, DeepPauseBlocksTheBreakAndResumeLeavesIt) {
    ASSERT_TRUE(m_core->Start(false, false));
    m_core->Break(true);
    EXPECT_TRUE(m_core->IsInBreak());
    // The state handshake wakes a deep pause and leaves it deep again.
    Settle();
    m_core->Resume();
    EXPECT_FALSE(m_core->IsInBreak());
    EXPECT_TRUE(m_computer->m_frames.WaitForMore(2));
}

TEST_F(EmulatorThreadTest, DeviceBreakAbandonsTheAccessAndResumeRunsItOnce) {
    ASSERT_TRUE(m_core->Start(false, false));
    Probe().m_mode = CProbe::Mode::kBreakBefore;
    ASSERT_TRUE(Probe().m_breaks.WaitFor(1));
    Settle();
    const int64_t writes = Probe().m_writes.Get();
    EXPECT_TRUE(m_core->IsInBreak());
    EXPECT_TRUE(m_core->IsConsoleShown()) << "a break from the machine shows the console";
    EXPECT_EQ(Pc(), coretest::kStoreAddress) << "the store is abandoned and stands next";

    // On resume the store runs once without breaking, then breaks again next time round.
    m_core->Resume();
    ASSERT_TRUE(Probe().m_breaks.WaitFor(2));
    Settle();
    EXPECT_EQ(Probe().m_writes.Get(), writes + 1);
    EXPECT_EQ(Pc(), coretest::kStoreAddress);
}

TEST_F(EmulatorThreadTest, StepOverTheBreakingStoreDoesNotBreakAgain) {
    ASSERT_TRUE(m_core->Start(false, false));
    Probe().m_mode = CProbe::Mode::kBreakBefore;
    ASSERT_TRUE(Probe().m_breaks.WaitFor(1));
    Settle();
    const int64_t writes = Probe().m_writes.Get();
    const int64_t seen = m_computer->m_cpu->m_disassembled.Get();
    Command("step");
    ASSERT_TRUE(m_computer->m_cpu->m_disassembled.WaitFor(seen + 1));
    Settle();
    EXPECT_EQ(Pc(), coretest::kCallAddress);
    EXPECT_EQ(Probe().m_writes.Get(), writes + 1);
    EXPECT_EQ(Probe().m_breaks.Get(), 1);
}

TEST_F(EmulatorThreadTest, ExitRequestFromTheMachineRestartsTheEmulation) {
    ASSERT_TRUE(m_core->Start(false, false));
    Probe().m_mode = CProbe::Mode::kExit;
    ASSERT_TRUE(m_computer->m_starts.WaitFor(2));
    ASSERT_TRUE(m_computer->m_frames.WaitForMore(2));
    EXPECT_TRUE(m_core->IsActive());
    EXPECT_FALSE(m_core->IsInBreak());
}

TEST_F(EmulatorThreadTest, KeysHeldWhenABreakStartsAreReleased) {
    ASSERT_TRUE(m_core->Start(false, false));
    EXPECT_TRUE(m_core->PostKeyEvent('A', true));
    ASSERT_TRUE(m_computer->m_frames.WaitForMore(3));
    EXPECT_TRUE(m_computer->GetKeysService()->IsKeyDown('A'));
    m_core->Break(false);
    EXPECT_TRUE(m_core->PostKeyEvent('B', true)) << "in a break: not queued, and not taken by a hot key";
    m_core->Resume();
    ASSERT_TRUE(m_computer->m_frames.WaitForMore(3));
    EXPECT_FALSE(m_computer->GetKeysService()->IsKeyDown('A'));
    EXPECT_FALSE(m_computer->GetKeysService()->IsKeyDown('B'));
}

TEST_F(EmulatorThreadTest, CancelStepClearsAPendingStep) {
    ASSERT_TRUE(m_core->Start(true, true));
    m_core->PauseAndWait();
    m_core->RequestSteps(5, 0, 0);
    m_core->CancelStep();
    EXPECT_EQ(m_core->GetStepsLeft(), 0);
    m_core->ReleasePause();
}

TEST(EmulatorThreadStandaloneTest, DestroyingACoreWithARunningThreadEndsItFirst) {
    const int32_t before = emu::CEmulator::GetEmulatorCount();
    coretest::CTestManager manager;
    auto* computer = new coretest::CCoreTestComputer();
    auto* core = new emu::CEmulator(&manager, computer, nullptr, nullptr, nullptr);
    core->SetSynchronization(false);
    ASSERT_TRUE(core->StartThreadOrRun());
    ASSERT_TRUE(core->Start(false, false));
    ASSERT_TRUE(computer->m_frames.WaitForMore(1));
    EXPECT_EQ(emu::CEmulator::GetEmulatorCount(), before + 1);
    delete core;
    EXPECT_EQ(emu::CEmulator::GetEmulatorCount(), before);
}

TEST(EmulatorThreadStandaloneTest, StartWithoutAProcessorFailsInsteadOfWaitingForever) {
    coretest::CTestManager manager;
    emu::CEmulator core(&manager, new coretest::CCoreTestComputer(false), nullptr, nullptr, nullptr);
    ASSERT_TRUE(core.StartThreadOrRun());
    EXPECT_FALSE(core.Start(false, false));
    EXPECT_FALSE(core.IsActive());
    EXPECT_TRUE(core.IsStopRequested());
    core.ShutdownThread();
}

TEST(EmulatorThreadStandaloneTest, APowerOnThatFailsLeavesTheCoreIdle) {
    coretest::CTestManager manager;
    auto* computer = new coretest::CCoreTestComputer();
    emu::CEmulator core(&manager, computer, nullptr, nullptr, nullptr);
    ASSERT_TRUE(core.StartThreadOrRun());
    // A processor without a clock cannot run.
    computer->m_cpu->SetFrequency(0);
    core.SetStatusChanged(false);
    EXPECT_FALSE(core.Start(false, false));
    EXPECT_FALSE(core.IsActive());
    EXPECT_TRUE(core.IsStatusChanged());
    core.ShutdownThread();
}

} // namespace
