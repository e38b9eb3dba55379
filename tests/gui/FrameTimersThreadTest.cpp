// Timers added and removed from another thread while the user-interface thread
// runs passes: the frame's lock keeps the list whole (this file also runs under
// ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "gui/CFrameWindow.h"
#include "tests/gui/WidgetTestSupport.h"

namespace {

std::atomic<int> g_fires{0};

bool Count(gui::CWidgetInterface*, uintptr_t, void*) {
    g_fires.fetch_add(1, std::memory_order_relaxed);
    return true;
}

TEST(FrameTimersThreadTest, OtherThreadChangesTheListBetweenPasses) {
    guitest::FakeFrame frame;
    ASSERT_NE(frame.AddTimer(1, &Count, 0), 0u); // keeps the list busy
    std::atomic<bool> done{false};
    std::thread other([&] {
        for (int i = 0; i < 2000; ++i) {
            const uint64_t timer = frame.AddTimer(1 + i % 5, &Count, static_cast<uintptr_t>(i));
            EXPECT_NE(timer, 0u);
            frame.RemoveTimer(timer);
        }
        done = true;
    });
    while (!done)
        frame.RunPass();
    other.join();
    // Only the first timer is left.
    int active = 0;
    for (const common::CTimerList::CTimer* t = frame.Timers().GetFirstActive(); t != nullptr; t = t->m_next)
        ++active;
    EXPECT_EQ(active, 1);
}

} // namespace
