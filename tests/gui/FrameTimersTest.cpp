// The frame window's timers: periods and rates, firing on the pass, and what a
// timer callback may do to its own frame.
#include <gtest/gtest.h>

#include "common/OsHelpers.h"
#include "gui/CFrameWindow.h"
#include "tests/gui/WidgetTestSupport.h"

namespace {

using guitest::FakeFrame;

int64_t g_counter = 0;

bool ReadCounter(int64_t* value) {
    *value = g_counter;
    return true;
}

bool ReadFrequency(int64_t* value) {
    *value = 1000; // one tick per millisecond
    return true;
}

struct Fire {
    gui::CWidgetInterface* m_frame;
    uintptr_t m_user;
    void* m_callback;
};

std::vector<Fire>* g_fires = nullptr;

bool Record(gui::CWidgetInterface* frame, uintptr_t user, void* callback) {
    g_fires->push_back(Fire{frame, user, callback});
    return true;
}

bool Once(gui::CWidgetInterface* frame, uintptr_t user, void* callback) {
    Record(frame, user, callback);
    return false;
}

class FrameTimersTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_counter = 1000;
        common::SetPerformanceCounterOverride(&ReadCounter, &ReadFrequency);
        g_fires = &m_fires;
    }
    void TearDown() override {
        common::SetPerformanceCounterOverride(nullptr, nullptr);
        g_fires = nullptr;
    }
    void Advance(int64_t ms) {
        g_counter += ms;
        m_frame.RunPass();
    }

    FakeFrame m_frame;
    std::vector<Fire> m_fires;
};

TEST_F(FrameTimersTest, PeriodOutsideOneToThousandIsRefused) {
    EXPECT_EQ(m_frame.AddTimer(0, &Record, 0), 0u);
    EXPECT_EQ(m_frame.AddTimer(1001, &Record, 0), 0u);
    EXPECT_FALSE(m_frame.HasTimers());
}

TEST_F(FrameTimersTest, PeriodBecomesRoundedRate) {
    const struct {
        int32_t m_period;
        int32_t m_rate;
    } cases[] = {{1, 1000}, {3, 333}, {7, 143}, {1000, 1}};
    for (const auto& c : cases) {
        const uint64_t id = m_frame.AddTimer(c.m_period, &Record, 0);
        ASSERT_NE(id, 0u);
        const auto* timer = reinterpret_cast<const common::CTimerList::CTimer*>(static_cast<uintptr_t>(id));
        EXPECT_EQ(timer->m_rate, c.m_rate) << "period " << c.m_period;
        m_frame.RemoveTimer(id);
    }
    EXPECT_FALSE(m_frame.HasTimers());
}

TEST_F(FrameTimersTest, DueTimerCallsItsCallbackWithFrameAndUserValue) {
    ASSERT_NE(m_frame.AddTimer(10, &Record, 77), 0u);
    Advance(9);
    EXPECT_TRUE(m_fires.empty());
    Advance(1);
    ASSERT_EQ(m_fires.size(), 1u);
    EXPECT_EQ(m_fires[0].m_frame, static_cast<gui::CWidgetInterface*>(&m_frame));
    EXPECT_EQ(m_fires[0].m_user, 77u);
    EXPECT_EQ(m_fires[0].m_callback, reinterpret_cast<void*>(&Record));
    Advance(10);
    EXPECT_EQ(m_fires.size(), 2u);
}

TEST_F(FrameTimersTest, CallbackAnsweringFalseEndsItsTimer) {
    ASSERT_NE(m_frame.AddTimer(5, &Once, 0), 0u);
    Advance(5);
    Advance(5);
    EXPECT_EQ(m_fires.size(), 1u);
    EXPECT_FALSE(m_frame.HasTimers());
}

TEST_F(FrameTimersTest, RemoveTimerIgnoresZeroAndUnknownTimers) {
    const uint64_t id = m_frame.AddTimer(5, &Record, 0);
    m_frame.RemoveTimer(0);
    common::CTimerList::CTimer stranger;
    m_frame.RemoveTimer(reinterpret_cast<uintptr_t>(&stranger));
    EXPECT_TRUE(m_frame.HasTimers());
    m_frame.RemoveTimer(id);
    m_frame.RemoveTimer(id); // a second removal is harmless
    Advance(5);
    EXPECT_TRUE(m_fires.empty());
}

TEST_F(FrameTimersTest, CreatedFrameStartsItsSystemTimersAndGivesUpWhenTheyFail) {
    m_frame.Create();
    ASSERT_NE(m_frame.AddTimer(5, &Record, 0), 0u);
    EXPECT_EQ(m_frame.m_startCalls, 1);
    m_frame.m_startSucceeds = false;
    EXPECT_EQ(m_frame.AddTimer(5, &Record, 1), 0u);
    // The refused timer is gone again: only the first one fires.
    Advance(5);
    ASSERT_EQ(m_fires.size(), 1u);
    EXPECT_EQ(m_fires[0].m_user, 0u);
}

TEST_F(FrameTimersTest, PortableStartNeedsATimer) {
    EXPECT_FALSE(m_frame.gui::CFrameWindow::StartTimers(true));
    m_frame.AddTimer(5, &Record, 0);
    EXPECT_TRUE(m_frame.gui::CFrameWindow::StartTimers(true));
}

// What a callback does to its own frame while the pass walks the list.
FakeFrame* g_frame = nullptr;
uint64_t g_victim = 0;
uint64_t g_added = 0;
bool g_nestedPassRan = true;

bool Meddle(gui::CWidgetInterface*, uintptr_t, void*) {
    g_added = g_frame->AddTimer(1, &Record, 9);
    g_frame->RemoveTimer(g_victim);
    g_nestedPassRan = g_frame->RunPass();
    return true;
}

TEST_F(FrameTimersTest, CallbackCannotAddButCanRemoveAndPassesDoNotNest) {
    g_frame = &m_frame;
    ASSERT_NE(m_frame.AddTimer(5, &Meddle, 0), 0u);
    g_victim = m_frame.AddTimer(5, &Record, 1);
    ASSERT_NE(g_victim, 0u);
    Advance(5);
    EXPECT_EQ(g_added, 0u);
    EXPECT_FALSE(g_nestedPassRan);
    // The removed timer, due in the same pass, was not called and is gone afterwards.
    EXPECT_TRUE(m_fires.empty());
    EXPECT_EQ(m_frame.Timers().GetFirstActive()->m_next, nullptr);
    EXPECT_FALSE(m_frame.IsTimerBusy());
    g_frame = nullptr;
}

} // namespace
