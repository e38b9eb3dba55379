// The run loop paced by an injected performance counter: its frames keep real
// time and the speed it measures; fast initialisation runs unpaced until the
// first key, or its time bound.
#include <atomic>

#include "CoreTestSupport.h"
#include "common/OsHelpers.h"

namespace {

using coretest::CCoreTestComputer;
using coretest::CTestManager;

// A 1 MHz counter that moves on by 5 ms at every reading.
std::atomic<int64_t> g_now{0};
bool ReadCounter(int64_t* value) {
    *value = g_now.fetch_add(5000) + 5000;
    return true;
}
bool ReadFrequency(int64_t* value) {
    *value = 1000000;
    return true;
}

class EmulatorTimingThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_now = 0;
        common::SetPerformanceCounterOverride(&ReadCounter, &ReadFrequency);
        m_computer = new CCoreTestComputer();
        m_core = new emu::CEmulator(&m_manager, m_computer, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_core->StartThreadOrRun());
    }
    void TearDown() override {
        m_core->ShutdownThread();
        delete m_core;
        common::SetPerformanceCounterOverride(nullptr, nullptr);
    }

    CTestManager m_manager;
    CCoreTestComputer* m_computer = nullptr; // owned by the core
    emu::CEmulator* m_core = nullptr;
};

TEST_F(EmulatorTimingThreadTest, PacedFramesKeepTimeAndMeasureFullSpeed) {
    ASSERT_TRUE(m_core->Start(false, false));
    EXPECT_TRUE(m_core->IsPacing());
    // The first window starts with the loop; the second is all paced frames.
    ASSERT_TRUE(m_computer->m_frames.WaitFor(2 * emu::CRunLoopTiming::kSpeedWindowFrames + 2));
    EXPECT_EQ(m_core->GetSpeedPercent(), 100);
    // Every frame of 50,000 cycles at 2.5 MHz took one 20 ms frame of the
    // counter. The count moves on the emulation thread: read it while parked.
    m_core->PauseAndWait();
    const uint64_t cycles = m_computer->m_cpu->GetCycleCount();
    m_core->ReleasePause();
    EXPECT_GE(cycles, 100u * 50000u);
}

TEST_F(EmulatorTimingThreadTest, FastInitialisationRunsUnpacedUntilTheFirstKey) {
    m_core->SetFastInit(true);
    ASSERT_TRUE(m_core->Start(false, false));
    EXPECT_FALSE(m_core->IsPacing());
    ASSERT_TRUE(m_computer->m_frames.WaitForMore(3));
    EXPECT_FALSE(m_core->IsPacing()) << "no disk activity, no key yet";
    m_core->PostKeyEvent('A', true);
    ASSERT_TRUE(m_computer->m_frames.WaitForMore(3));
    EXPECT_TRUE(m_core->IsPacing());
}

// Without disk activity or a key the start still ends, after its time bound.
TEST_F(EmulatorTimingThreadTest, FastInitialisationEndsAfterItsTimeBound) {
    m_core->SetFastInit(true);
    ASSERT_TRUE(m_core->Start(false, false));
    ASSERT_TRUE(m_computer->m_frames.WaitFor(emu::CEmulator::kFastInitFrameLimit + 2));
    EXPECT_TRUE(m_core->IsPacing());
}

TEST_F(EmulatorTimingThreadTest, TheSynchronizationChoiceSetsTheBusRate) {
    struct CCase {
        uint32_t choice;
        int32_t rate;
    };
    const CCase cases[] = {{0, 4900}, {1, 11050}, {2, 14700}, {3, 22050}, {4, 44100}, {5, 4900}, {0xFFFFFFFF, 4900}};
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.choice);
        m_manager.m_syncFrequency = c.choice;
        ASSERT_TRUE(m_core->Start(false, false));
        EXPECT_EQ(m_core->GetSyncRate(), c.rate);
        m_core->Stop();
    }
}

} // namespace
