// The double-buffered input queue: the posting rule, the mouse room rule, the
// hot-key pass, the consumer and the one-frame delay of the swap.
#include <atomic>

#include "CoreTestSupport.h"

namespace {

using coretest::CCoreFixture;
using emu::CEmulator;

class EmulatorInputThreadTest : public CCoreFixture {
protected:
    const CEmulator::CInputBuffer& Producers() {
        return m_core->GetInputBuffer(static_cast<int>(m_core->GetInputWriteIndex() & 1));
    }
    uint16_t LastWord() { return Producers().m_words[Producers().m_count - 1]; }
};

TEST_F(EmulatorInputThreadTest, AFullBufferEndsWithTheOverflowWordAndDropsTheRest) {
    ASSERT_TRUE(m_core->Start(false, false));
    m_core->PauseAndWait();
    ASSERT_EQ(Producers().m_count, 0);
    for (int i = 0; i < 511; ++i)
        m_core->PostKeyEvent('K', (i & 1) == 0);
    EXPECT_EQ(Producers().m_count, 511);
    EXPECT_EQ(Producers().m_words[0], 0x4B03);
    EXPECT_EQ(Producers().m_words[510], 0x4B03);
    m_core->PostKeyEvent('K', true);
    EXPECT_EQ(Producers().m_count, 512);
    EXPECT_EQ(Producers().m_words[511], CEmulator::kInputOverflow);
    m_core->PostKeyEvent('J', true);
    EXPECT_EQ(Producers().m_count, 512) << "later words of the frame are lost";

    // The overflow word leaves no key down once the buffer is consumed.
    const int64_t frames = m_computer->m_frames.Get();
    m_core->ReleasePause();
    ASSERT_TRUE(m_computer->m_frames.WaitFor(frames + 3));
    EXPECT_FALSE(m_computer->GetKeysService()->IsKeyDown('K'));
}

TEST_F(EmulatorInputThreadTest, AMouseEventNearTheEndQueuesOnlyAMouseReset) {
    ASSERT_TRUE(m_core->Start(false, false));
    // Stopped in the debugger the loop is parked without a pause count, so the
    // mouse may post; resets fill the buffer there.
    m_core->Break(false);
    const int32_t start = Producers().m_count;
    m_core->PostMouseEvent(10, 20, CEmulator::kMouseMove);
    ASSERT_EQ(Producers().m_count, start + 3) << "the three words stand together";
    EXPECT_EQ(Producers().m_words[start], 0x0408);
    EXPECT_EQ(Producers().m_words[start + 1], 10);
    EXPECT_EQ(Producers().m_words[start + 2], 20);

    while (Producers().m_count < 508)
        m_core->PostInputReset(false, false);
    m_core->PostMouseEvent(1, 2, CEmulator::kMouseFirstDown);
    ASSERT_EQ(Producers().m_count, 511) << "508 words still leave room for one event";
    m_core->PostMouseEvent(1, 2, CEmulator::kMouseMove);
    ASSERT_EQ(Producers().m_count, 512);
    EXPECT_EQ(Producers().m_words[511], CEmulator::kInputOverflow) << "the last slot still releases everything";
}

TEST_F(EmulatorInputThreadTest, WithMoreThan508WordsAMouseEventBecomesAMouseReset) {
    ASSERT_TRUE(m_core->Start(false, false));
    m_core->Break(false);
    while (Producers().m_count < 509)
        m_core->PostInputReset(false, false);
    m_core->PostMouseEvent(1, 2, CEmulator::kMouseMove);
    ASSERT_EQ(Producers().m_count, 510);
    EXPECT_EQ(Producers().m_words[509], CEmulator::kInputMouseReset);
}

TEST_F(EmulatorInputThreadTest, MouseEventsAreRefusedWhilePausedOrInTheConsole) {
    ASSERT_TRUE(m_core->Start(false, false));
    m_core->PauseAndWait();
    const int32_t count = Producers().m_count;
    m_core->PostMouseEvent(1, 2, CEmulator::kMouseMove);
    EXPECT_EQ(Producers().m_count, count);
    m_core->ShowConsole(true, false);
    EXPECT_EQ(Producers().m_count, count + 1) << "switching the console on queues one release word";
    EXPECT_EQ(LastWord(), CEmulator::kInputReleaseAll);
    m_core->ReleasePause();
    m_core->Break(false);
    const int32_t inBreak = Producers().m_count;
    m_core->PostMouseEvent(1, 2, CEmulator::kMouseMove);
    EXPECT_EQ(Producers().m_count, inBreak);
    m_core->ShowConsole(false, false);
    EXPECT_EQ(Producers().m_count, inBreak) << "switching it off queues nothing";
}

TEST_F(EmulatorInputThreadTest, FunctionKeysOfTheStateAndKeysInABreakAreNotQueued) {
    ASSERT_TRUE(m_core->Start(false, false));
    m_core->PauseAndWait();
    const int32_t count = Producers().m_count;
    EXPECT_FALSE(m_core->PostKeyEvent(0x7A, true)) << "F11 is taken by the hot keys";
    EXPECT_FALSE(m_core->PostKeyEvent(0x7B, true)) << "F12 is taken by the hot keys";
    EXPECT_TRUE(m_core->PostKeyEvent(0x7A, false));
    EXPECT_TRUE(m_core->PostKeyEvent(0xE2, true));
    EXPECT_EQ(Producers().m_count, count + 1) << "Ctrl is queued";
    EXPECT_TRUE(m_core->PostKeyEvent(0x7A, true)) << "Ctrl+F11 passes the hot keys but is not queued";
    EXPECT_TRUE(m_core->PostKeyEvent(0xFF, true));
    EXPECT_TRUE(m_core->PostKeyEvent(-5, true));
    EXPECT_EQ(Producers().m_count, count + 1);
    m_core->ReleasePause();
    m_core->Break(false);
    const int32_t inBreak = Producers().m_count;
    EXPECT_TRUE(m_core->PostKeyEvent('Q', true));
    EXPECT_EQ(Producers().m_count, inBreak);
}

TEST_F(EmulatorInputThreadTest, KeysGoToTheConsoleWhileItIsShown) {
    ASSERT_TRUE(m_core->Start(true, true));
    const int32_t count = Producers().m_count;
    EXPECT_TRUE(m_core->PostKeyEvent('A', true));
    EXPECT_EQ(Producers().m_count, count);
    EXPECT_EQ(m_core->GetConsole().GetCommandLine().GetLength(), 1);
}

TEST_F(EmulatorInputThreadTest, PostInputResetQueuesItsWordAndClearsTheConsoleKeys) {
    ASSERT_TRUE(m_core->Start(false, false));
    m_core->PauseAndWait();
    m_core->PostInputReset(false, false);
    EXPECT_EQ(LastWord(), 0x0004);
    m_core->PostInputReset(true, true);
    EXPECT_EQ(LastWord(), 0x0304);
    m_core->PostInputReset(false, true);
    EXPECT_EQ(LastWord(), 0x0204);
    m_core->ReleasePause();
}

// Key state seen by the machine at each frame end, recorded by the wait callback.
std::atomic<int> g_frameEnds{0};
std::atomic<int> g_firstFrameWithKey{-1};
emu::CComputer* g_watched = nullptr;

bool RecordKeyAtFrameEnd(uint32_t /*timeoutMs*/) {
    const int frame = ++g_frameEnds;
    int expected = -1;
    if (g_watched->GetKeysService()->IsKeyDown('Z'))
        g_firstFrameWithKey.compare_exchange_strong(expected, frame);
    return true;
}

TEST_F(EmulatorInputThreadTest, AWordPostedDuringOneFrameReachesTheMachineAtTheEndOfTheNext) {
    ASSERT_TRUE(m_core->Start(false, false));
    m_core->PauseAndWait();
    g_watched = m_computer;
    g_frameEnds = 0;
    g_firstFrameWithKey = -1;
    m_core->SetWaitCallback(&RecordKeyAtFrameEnd);
    m_core->PostKeyEvent('Z', true);
    const int64_t frames = m_computer->m_frames.Get();
    m_core->ReleasePause();
    ASSERT_TRUE(m_computer->m_frames.WaitFor(frames + 4));
    m_core->PauseAndWait();
    m_core->SetWaitCallback(nullptr);
    m_core->ReleasePause();
    EXPECT_EQ(g_firstFrameWithKey.load(), 2);
}

TEST_F(EmulatorInputThreadTest, TheConsumerHandsEveryWordKindToTheMachine) {
    ASSERT_TRUE(m_core->Start(false, false));
    m_core->Break(false); // parked: the machine may be driven from here
    const size_t mouseBefore = Probe().MouseEvents().size();
    CEmulator::CInputBuffer buffer = {};
    const uint16_t words[] = {0x0008, 5, 7, 0x4103, 0x0508, 1, 2, 0x0104, 0x0208, 3, 4, 0x0108};
    for (uint16_t word : words)
        buffer.m_words[buffer.m_count++] = word;
    bool keySeen = false;
    m_core->ProcessInputEvents(&buffer, &keySeen);
    EXPECT_TRUE(keySeen);
    EXPECT_EQ(buffer.m_count, 0);
    const std::vector<int32_t> keys = Probe().KeyEvents();
    ASSERT_GE(keys.size(), 2u);
    EXPECT_EQ(keys[keys.size() - 2], 'A');
    EXPECT_EQ(keys.back(), 'A' | 0x1000) << "the release word lets the key go";
    const std::vector<emu::CMouseEvent> mouse = Probe().MouseEvents();
    ASSERT_EQ(mouse.size(), mouseBefore + 3) << "an action above 4 hands nothing";
    EXPECT_EQ(mouse[mouseBefore].m_buttons, 1u);
    EXPECT_EQ(mouse[mouseBefore].m_x, 5.0);
    EXPECT_EQ(mouse[mouseBefore].m_y, 7.0);
    EXPECT_EQ(mouse[mouseBefore + 1].m_buttons, 3u);
    EXPECT_EQ(mouse[mouseBefore + 1].m_x16, 3);
    // The last word has no coordinates left: it lands at the origin.
    EXPECT_EQ(mouse[mouseBefore + 2].m_buttons, 2u);
    EXPECT_EQ(mouse[mouseBefore + 2].m_x, 0.0);
    EXPECT_EQ(mouse[mouseBefore + 2].m_y16, 0);
}

TEST_F(EmulatorInputThreadTest, AQueueResetLeavesTheReleaseWordInBothBuffers) {
    m_core->ResetInputQueue();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(m_core->GetInputBuffer(i).m_count, 1);
        EXPECT_EQ(m_core->GetInputBuffer(i).m_words[0], CEmulator::kInputOverflow);
    }
}

TEST(EmulatorInputStandaloneTest, NothingIsPostedWithoutAThread) {
    coretest::CTestManager manager;
    CEmulator core(&manager, new coretest::CCoreTestComputer(), nullptr, nullptr, nullptr);
    EXPECT_TRUE(core.PostKeyEvent('A', true));
    EXPECT_TRUE(core.PostMouseEvent(1, 2, CEmulator::kMouseMove));
    core.PostInputReset(true, true);
    EXPECT_EQ(core.GetInputBuffer(0).m_count + core.GetInputBuffer(1).m_count, 0);
}

} // namespace
