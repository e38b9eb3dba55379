#include <gtest/gtest.h>

#include <vector>

#include "common/CTimerList.h"
#include "common/OsHelpers.h"

namespace {

using namespace common;
typedef CTimerList::CTimer CTimer;

// The injected clock every test runs on.
int64_t s_now = 0;
int64_t s_frequency = 1000000;
bool s_clockWorks = true;

bool ReadCounter(int64_t* value) {
    *value = s_now;
    return s_clockWorks;
}
bool ReadFrequency(int64_t* value) {
    *value = s_frequency;
    return s_clockWorks;
}

// Callback arguments: the log to append to, the timer's id, and whether to keep it.
struct FireLog {
    std::vector<int> fired;
};

bool Record(uintptr_t log, uintptr_t id, uintptr_t keep, uint64_t* fireCount) {
    EXPECT_NE(nullptr, fireCount);
    reinterpret_cast<FireLog*>(log)->fired.push_back(static_cast<int>(id));
    return keep != 0;
}

struct WaitLog {
    std::vector<int32_t> waits;
};

void RecordWait(void* context, int32_t waitMs) {
    static_cast<WaitLog*>(context)->waits.push_back(waitMs);
}

class TimerList : public ::testing::Test {
protected:
    void SetUp() override {
        s_now = 1000000000; // far from 0, so no value is special by accident
        s_frequency = 1000000;
        s_clockWorks = true;
        SetPerformanceCounterOverride(ReadCounter, ReadFrequency);
    }
    void TearDown() override { SetPerformanceCounterOverride(nullptr, nullptr); }

    CTimer* AddTimer(int32_t rate, int id, bool keep = true) {
        return m_list.Add(rate, Record, reinterpret_cast<uintptr_t>(&m_log), static_cast<uintptr_t>(id), keep ? 1 : 0);
    }
    int32_t Pass() {
        int32_t wait = 12345;
        EXPECT_TRUE(m_list.Process(&wait));
        return wait;
    }

    CTimerList m_list;
    FireLog m_log;
};

TEST_F(TimerList, PeriodFollowsRateAndFrequency) {
    s_frequency = 10000000;
    const struct {
        int32_t rate;
        int32_t storedRate;
        int64_t period;
    } cases[] = {
        {3, 3, 3333333},
        {60, 60, 166667},
        {1, 1, 10000000},
        {0, CTimerList::kEveryPassRate, 1},
        {-5, CTimerList::kEveryPassRate, 1},
    };
    for (const auto& c : cases) {
        CTimer* timer = AddTimer(c.rate, 0);
        ASSERT_NE(nullptr, timer);
        EXPECT_EQ(c.storedRate, timer->m_rate) << c.rate;
        EXPECT_EQ(c.period, timer->m_period) << c.rate;
    }
}

TEST_F(TimerList, NewTimerIsDueOnePeriodAfterItsAdd) {
    CTimer* first = AddTimer(1000, 1); // period 1000 ticks
    EXPECT_EQ(1000, first->m_remaining);
    s_now += 300;
    // Counted from the list's last counter value, 300 ticks back.
    CTimer* second = AddTimer(1000, 2);
    EXPECT_EQ(1300, second->m_remaining);
    s_now += 699;
    EXPECT_EQ(1, Pass()); // a wait below 1 ms is reported as 1
    EXPECT_TRUE(m_log.fired.empty());
    s_now += 1;
    Pass();
    s_now += 300;
    Pass();
    AddTimer(1000, 3);
    s_now += 1000; // all three due in one pass: they fire in the order added
    Pass();
    EXPECT_EQ(std::vector<int>({1, 2, 1, 2, 3}), m_log.fired);
}

TEST_F(TimerList, LateTimerFiresOnceAndIsNextDueOnePeriodLater) {
    CTimer* timer = AddTimer(1000, 7);
    s_now += 10 * 1000; // ten periods late
    EXPECT_EQ(1, Pass());
    EXPECT_EQ(1u, timer->m_fireCount);
    EXPECT_EQ(1000, timer->m_remaining);
    s_now += 999;
    Pass();
    EXPECT_EQ(1u, m_log.fired.size());
    s_now += 1;
    Pass();
    EXPECT_EQ(2u, timer->m_fireCount);
}

TEST_F(TimerList, TimerEndedByItsCallbackIsReusedFromFreeList) {
    WaitLog waits;
    m_list.SetWaitCallback(RecordWait, &waits);
    CTimer* ending = AddTimer(1000, 1, false);
    s_now += 1000;
    EXPECT_EQ(-1, Pass()); // no timer left
    EXPECT_FALSE(m_list.HasActiveTimers());
    EXPECT_FALSE(ending->m_inUse);
    EXPECT_EQ(ending, m_list.GetFirstSpare());
    EXPECT_EQ(0u, ending->m_fireCount); // only fires that keep the timer count
    s_clockWorks = false;               // an empty list does not even read the counter
    EXPECT_EQ(-1, Pass());
    EXPECT_EQ(std::vector<int32_t>({-1, -1}), waits.waits);

    s_clockWorks = true;
    CTimer* reused = AddTimer(50, 2);
    EXPECT_EQ(ending, reused);
    EXPECT_TRUE(reused->m_inUse);
    EXPECT_EQ(50, reused->m_rate);
    EXPECT_EQ(nullptr, m_list.GetFirstSpare());
}

TEST_F(TimerList, WaitCountsDownToTheNearestTimer) {
    WaitLog waits;
    m_list.SetWaitCallback(RecordWait, &waits);
    CTimer* fast = AddTimer(10, 1); // period 100000 ticks = 100 ms
    CTimer* slow = AddTimer(4, 2);  // period 250000 ticks = 250 ms
    s_now += 100000;
    EXPECT_EQ(100, Pass()); // fast fired and is due again in 100 ms; slow in 150 ms
    s_now += 30000;
    EXPECT_EQ(70, Pass()); // nothing due: the wait shrinks, no timer is touched
    EXPECT_EQ(100000, fast->m_remaining);
    EXPECT_EQ(150000, slow->m_remaining);
    s_now += 70000;
    EXPECT_EQ(50, Pass()); // fast again; slow now 50 ms away
    EXPECT_EQ(std::vector<int>({1, 1}), m_log.fired);
    EXPECT_EQ(std::vector<int32_t>({100, 70, 50}), waits.waits);
}

TEST_F(TimerList, PassWithoutCounterProgressRunsNothing) {
    WaitLog waits;
    m_list.SetWaitCallback(RecordWait, &waits);
    CTimer* timer = AddTimer(0, 1); // due at every pass in which the counter moved
    EXPECT_EQ(12345, Pass());
    s_now += 1;
    Pass();
    s_now -= 5000; // the counter went back: re-based, nothing runs or is reported
    EXPECT_EQ(12345, Pass());
    EXPECT_EQ(1, timer->m_remaining);
    s_now += 1;
    Pass();
    EXPECT_EQ(std::vector<int>({1, 1}), m_log.fired);
    EXPECT_EQ(2u, waits.waits.size());
}

TEST_F(TimerList, RemoveKeepsTheOthersLinked) {
    CTimer* first = AddTimer(1000, 1);
    CTimer* middle = AddTimer(1000, 2);
    CTimer* last = AddTimer(1000, 3);
    m_list.Remove(middle);
    m_list.Remove(middle); // already spare: ignored
    m_list.Remove(nullptr);
    EXPECT_EQ(last, first->m_next);
    EXPECT_EQ(first, last->m_previous);
    m_list.Remove(first);
    EXPECT_EQ(last, m_list.GetFirstActive());
    EXPECT_EQ(nullptr, last->m_previous);
    s_now += 1000;
    Pass();
    EXPECT_EQ(std::vector<int>({3}), m_log.fired);
    m_list.Remove(last);
    EXPECT_FALSE(m_list.HasActiveTimers());
    // Spares come back most recently removed first.
    EXPECT_EQ(last, AddTimer(5, 4));
    EXPECT_EQ(first, AddTimer(5, 5));
    EXPECT_EQ(middle, AddTimer(5, 6));
}

TEST_F(TimerList, FrequencyChangeRescalesWithoutRunning) {
    WaitLog waits;
    m_list.SetWaitCallback(RecordWait, &waits);
    CTimer* timer = AddTimer(100, 1); // period 10000
    s_now += 4000;
    Pass(); // not due: 6000 ticks left
    s_frequency = 2000000;
    s_now += 8000;
    Pass(); // a pass that only re-bases: the 6000 ticks left become 12000
    EXPECT_TRUE(m_log.fired.empty());
    EXPECT_EQ(20000, timer->m_period);
    EXPECT_EQ(12000, timer->m_remaining);
    EXPECT_EQ(std::vector<int32_t>({6}), waits.waits); // and reports nothing
    s_now += 12000;
    Pass();
    EXPECT_EQ(std::vector<int>({1}), m_log.fired);

    s_frequency = 500000; // an add under a new frequency rescales the others
    CTimer* second = AddTimer(100, 2);
    EXPECT_EQ(5000, timer->m_period);
    EXPECT_EQ(5000, timer->m_remaining);
    EXPECT_EQ(5000, second->m_remaining);
}

TEST_F(TimerList, ResyncAndTimeBaseCountFromTheNewBase) {
    CTimer* timer = AddTimer(1000, 1);
    s_now += 600;
    m_list.Resync();
    EXPECT_EQ(1000, timer->m_remaining);
    s_now += 999;
    Pass();
    EXPECT_TRUE(m_log.fired.empty());
    s_now += 1;
    Pass();
    EXPECT_EQ(std::vector<int>({1}), m_log.fired);

    m_list.SetTimeBase(3000000, s_now + 50);
    EXPECT_EQ(3000, timer->m_period);
    EXPECT_EQ(3000, timer->m_remaining);
}

TEST_F(TimerList, UnreadableCounterFailsAddAndProcess) {
    AddTimer(1000, 1);
    s_clockWorks = false;
    EXPECT_EQ(nullptr, AddTimer(1000, 2));
    int32_t wait = 0;
    EXPECT_FALSE(m_list.Process(&wait));
    m_list.Resync(); // changes nothing
    s_clockWorks = true;
    s_now += 1000;
    Pass();
    EXPECT_EQ(std::vector<int>({1}), m_log.fired);
}

TEST_F(TimerList, ClearFreesActiveAndSpareTimers) {
    AddTimer(1000, 1);
    m_list.Remove(AddTimer(1000, 2));
    m_list.ClearActive();
    EXPECT_FALSE(m_list.HasActiveTimers());
    EXPECT_NE(nullptr, m_list.GetFirstSpare());
    m_list.FreeSpare();
    EXPECT_EQ(nullptr, m_list.GetFirstSpare());
    AddTimer(1000, 3);
    m_list.Remove(AddTimer(1000, 4));
    m_list.Clear(); // the leak checker confirms that every timer was freed
    EXPECT_FALSE(m_list.HasActiveTimers());
    EXPECT_EQ(nullptr, m_list.GetFirstSpare());
}

} // namespace
